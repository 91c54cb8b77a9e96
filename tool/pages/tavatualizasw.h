// Page TavAtualizaSW: the device's software update.
#pragma once

#include "pagina.h"

class QLineEdit;
class QPushButton;

class TavAtualizaSW : public Pagina {
  Q_OBJECT
 public:
  explicit TavAtualizaSW(Contexto &ctx, QWidget *pai = nullptr);

  // "Atualizar SW Básico": empties the code, then shows the page.
  void AcionadaPeloMenu(const QString &botao) override;
  void AoEntrar() override;

  QLineEdit *EdtCodAtiv7;
  QPushButton *BtnAtualizarSW;
};

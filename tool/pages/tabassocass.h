// Page TabAssocAss: association of the commercial application's signature
// and the two CNPJs with the device.
#pragma once

#include "../assinatura.h"
#include "pagina.h"

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TabAssocAss : public Pagina, public EntradaAssinatura {
  Q_OBJECT
 public:
  explicit TabAssocAss(Contexto &ctx, QWidget *pai = nullptr);

  // "Associar Aplic. Comercial": fills the page from the parameter table.
  void AcionadaPeloMenu(const QString &botao) override;
  void AoEntrar() override;
  // "A&ssociar".
  void Associar();

  QLineEdit *EdtCNPJContrib2;
  QLineEdit *EdtCNPJSw;
  QLineEdit *EdtCodAtiv3;
  QPushButton *BitAssociar;

 private:
  void Procura();
};

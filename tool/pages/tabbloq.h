// Page TabBloq: block, unblock and deactivate.
#pragma once

#include "pagina.h"

class QLineEdit;
class QPushButton;

class TabBloq : public Pagina {
  Q_OBJECT
 public:
  explicit TabBloq(Contexto &ctx, QWidget *pai = nullptr);

  // "Bloquear/Desbloquear": empties the code, then shows the page.
  void AcionadaPeloMenu(const QString &botao) override;
  void AoEntrar() override;
  // "Desativar": the warning, then "Bloquear" on OK.
  void Desativar();

  QLineEdit *EdtCodAtiv6;
  QPushButton *BitBtn5;      // "Desbloquear"
  QPushButton *BitBloquSAT;  // "Bloquear"
  QPushButton *BitDesatSAT;  // "Desativar"
};

// The command of the block and update pages: the code check, the call with
// the code, the reply message whatever its code, the SEFAZ window; the code
// input is emptied in every case. Clears the log page's text first.
void ComandoComCodigo(Contexto &ctx, QLineEdit *codigo, bool (*chama)(Contexto &, const QString &));

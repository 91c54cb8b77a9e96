// Page TabTeste: end-to-end tests, session look-ups and the CFe text. Holds
// the session field Edit1 that every driver call fills.
#pragma once

#include "pagina.h"

class QLineEdit;

class TabTeste : public Pagina {
  Q_OBJECT
 public:
  explicit TabTeste(Contexto &ctx, QWidget *pai = nullptr);

  QLabel *Panel4;   // header, text set by the workflows
  QLineEdit *Edit1;  // "Sessão:"
};

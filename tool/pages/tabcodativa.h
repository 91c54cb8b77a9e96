// Page TabCodAtiva.
#pragma once

#include "pagina.h"

class TabCodAtiva : public Pagina {
  Q_OBJECT
 public:
  explicit TabCodAtiva(Contexto &ctx, QWidget *pai = nullptr);
};

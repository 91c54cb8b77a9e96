// Page TabStatus.
#pragma once

#include "pagina.h"

class TabStatus : public Pagina {
  Q_OBJECT
 public:
  explicit TabStatus(Contexto &ctx, QWidget *pai = nullptr);
};

// Page TabLog.
#pragma once

#include "pagina.h"

class TabLog : public Pagina {
  Q_OBJECT
 public:
  explicit TabLog(Contexto &ctx, QWidget *pai = nullptr);
};

// Page TabConfRede.
#pragma once

#include "pagina.h"

class TabConfRede : public Pagina {
  Q_OBJECT
 public:
  explicit TabConfRede(Contexto &ctx, QWidget *pai = nullptr);
};

// Page TabAtivar.
#pragma once

#include "pagina.h"

class TabAtivar : public Pagina {
  Q_OBJECT
 public:
  explicit TabAtivar(Contexto &ctx, QWidget *pai = nullptr);
};

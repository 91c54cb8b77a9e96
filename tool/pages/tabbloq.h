// Page TabBloq.
#pragma once

#include "pagina.h"

class TabBloq : public Pagina {
  Q_OBJECT
 public:
  explicit TabBloq(Contexto &ctx, QWidget *pai = nullptr);
};

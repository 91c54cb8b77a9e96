// Page TavAtualizaSW.
#pragma once

#include "pagina.h"

class TavAtualizaSW : public Pagina {
  Q_OBJECT
 public:
  explicit TavAtualizaSW(Contexto &ctx, QWidget *pai = nullptr);
};

// Page TabAssocAss.
#pragma once

#include "pagina.h"

class TabAssocAss : public Pagina {
  Q_OBJECT
 public:
  explicit TabAssocAss(Contexto &ctx, QWidget *pai = nullptr);
};

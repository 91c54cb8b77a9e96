#include "fimafim.h"

TFFimAFim::TFFimAFim(QWidget *pai)
    : QDialog(pai, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("TFFimAFim"));
  setWindowTitle(QStringLiteral("SAT - NORVI (Testes FimAFim)"));
  resize(368, 286);
}

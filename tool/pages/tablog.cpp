#include "tablog.h"

#include <QVBoxLayout>

TabLog::TabLog(Contexto &c, QWidget *pai) : Pagina(c, QStringLiteral("TabLog"), QStringLiteral("EXTRAÇÃO DOS LOGS"), QStringLiteral("Panel11"), pai) {
  Corpo()->addStretch();
}

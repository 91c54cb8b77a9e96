#include "tabstatus.h"

#include <QVBoxLayout>

TabStatus::TabStatus(Contexto &c, QWidget *pai) : Pagina(c, QStringLiteral("TabStatus"), QStringLiteral("STATUS OPERACIONAL"), QString(), pai) {
  Corpo()->addStretch();
}

#include "tabconfrede.h"

#include <QVBoxLayout>

TabConfRede::TabConfRede(Contexto &c, QWidget *pai) : Pagina(c, QStringLiteral("TabConfRede"), QStringLiteral("CONFIGURAÇÕES DE REDE"), QString(), pai) {
  Corpo()->addStretch();
}

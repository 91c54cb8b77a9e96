#include "tabativar.h"

#include <QVBoxLayout>

TabAtivar::TabAtivar(Contexto &c, QWidget *pai) : Pagina(c, QStringLiteral("TabAtivar"), QStringLiteral("ATIVAÇÃO DO SAT"), QString(), pai) {
  Corpo()->addStretch();
  AdicionaNota(QStringLiteral("ATENÇÃO:\n") + QStringLiteral("ESTA FUNÇÃO DEVE SER USADA APENAS ENQUANTO O SAT NÃO ESTIVER ATIVADO."));
}

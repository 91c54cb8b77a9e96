#include "tabassocass.h"

#include <QVBoxLayout>

TabAssocAss::TabAssocAss(Contexto &c, QWidget *pai) : Pagina(c, QStringLiteral("TabAssocAss"), QStringLiteral("ASSOCIAR APLIC. COMERCIAL"), QString(), pai) {
  Corpo()->addStretch();
  AdicionaNota(QStringLiteral("ATENÇÃO:\n") + QStringLiteral("ESTA FUNÇÃO DEVE SER UTILIZADA APENAS APÓS O SAT ESTAR ATIVADO."));
}

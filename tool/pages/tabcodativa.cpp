#include "tabcodativa.h"

#include <QVBoxLayout>

TabCodAtiva::TabCodAtiva(Contexto &c, QWidget *pai) : Pagina(c, QStringLiteral("TabCodAtiva"), QStringLiteral("CÓDIGO DE ATIVAÇÃO"), QString(), pai) {
  Corpo()->addStretch();
  AdicionaNota(QStringLiteral("ATENÇÃO:\n") + QStringLiteral("ESTA FUNÇÃO DEVE SER UTILIZADA APENAS APÓS O SAT ESTAR ATIVADO."));
}

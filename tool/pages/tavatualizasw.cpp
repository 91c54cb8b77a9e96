#include "tavatualizasw.h"

#include <QVBoxLayout>

TavAtualizaSW::TavAtualizaSW(Contexto &c, QWidget *pai) : Pagina(c, QStringLiteral("TavAtualizaSW"), QStringLiteral("ATUALIZAR SOFTWARE BÁSICO"), QString(), pai) {
  Corpo()->addStretch();
  AdicionaNotaMemo(QStringLiteral("Memo5"), {QStringLiteral(""),
                                     QStringLiteral("ATENÇÃO:"),
                                     QStringLiteral(" "),
                                     QStringLiteral("ESTA FUNÇÃO DEVE SER UTILIZADA APENAS APÓS O SAT ESTAR ATIVADO. "),
                                     QStringLiteral("")});
}

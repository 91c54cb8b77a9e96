#include "tabbloq.h"

#include <QVBoxLayout>

TabBloq::TabBloq(Contexto &c, QWidget *pai) : Pagina(c, QStringLiteral("TabBloq"), QStringLiteral("BLOQUEAR/DESBLOQUEAR"), QString(), pai) {
  Corpo()->addStretch();
  AdicionaNotaMemo(QStringLiteral("Memo1"), {QStringLiteral(""),
                                     QStringLiteral("ATENÇÃO: "),
                                     QStringLiteral("ESTAS OPÇÕES REFEREM-SE APENAS AO BLOQUEIO PELO CONTRIBUINTE. AS "),
                                     QStringLiteral("MESMAS NÃO TEM  EFEITO PARA CASOS  DE BLOQUEIO PELA SEFAZ, OU "),
                                     QStringLiteral("BLOQUEIO AUTONOMO OU BLOQUEIO DEVIDO A ERRO DO CÓDIGO DE "),
                                     QStringLiteral("ATIVAÇÃO."),
                                     QStringLiteral(""),
                                     QStringLiteral("")});
}

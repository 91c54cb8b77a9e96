#include "tabbloq.h"

#include <QHBoxLayout>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "../contexto.h"
#include "tablog.h"

void ComandoComCodigo(Contexto &ctx, QLineEdit *campo, bool (*chama)(Contexto &, const QString &)) {
  const QString codigo = Apara(campo->text());
  if (!CodigoValido(codigo)) {
    ctx.Mensagem(MensagemCodigoCurto());
  } else {
    if (auto *log = ctx.PaginaDe<TabLog>()) log->MemoLogs->clear();
    if (chama(ctx, codigo)) {
      try {
        ctx.Mensagem(ctx.MensagemResposta());
      } catch (const CampoAusente &) {
      }
      ctx.MostraMSefaz();
      ctx.LiberaCampos();
    }
  }
  campo->clear();
}

TabBloq::TabBloq(Contexto &c, QWidget *pai) : Pagina(c, QStringLiteral("TabBloq"), QStringLiteral("BLOQUEAR/DESBLOQUEAR"), QString(), pai) {
  auto *form = new QFormLayout;
  EdtCodAtiv6 = CampoCodigoSemLimite(this, "EdtCodAtiv6");
  form->addRow(QStringLiteral("Digite o Código de Ativação do SAT:"), EdtCodAtiv6);
  Corpo()->addLayout(form);

  BitBtn5 = new QPushButton(QStringLiteral("Desbloquear"), this);
  BitBtn5->setObjectName(QStringLiteral("BitBtn5"));
  DefineBotaoPadrao(BitBtn5);
  BitBloquSAT = new QPushButton(QStringLiteral("Bloquear"), this);
  BitBloquSAT->setObjectName(QStringLiteral("BitBloquSAT"));
  BitDesatSAT = new QPushButton(QStringLiteral("Desativar"), this);
  BitDesatSAT->setObjectName(QStringLiteral("BitDesatSAT"));
  auto *botoes = new QHBoxLayout;
  botoes->addStretch();
  botoes->addWidget(BitBtn5);
  botoes->addWidget(BitBloquSAT);
  botoes->addWidget(BitDesatSAT);
  botoes->addStretch();
  Corpo()->addLayout(botoes);
  connect(BitBtn5, &QPushButton::clicked, this, [this] {
    ComandoComCodigo(ctx, EdtCodAtiv6, [](Contexto &c, const QString &codigo) {
      return c.ChamaDriver(c.driver.DesbloquearSAT, codigo);
    });
  });
  connect(BitBloquSAT, &QPushButton::clicked, this, [this] {
    ComandoComCodigo(ctx, EdtCodAtiv6, [](Contexto &c, const QString &codigo) {
      return c.ChamaDriver(c.driver.BloquearSAT, codigo);
    });
  });
  connect(BitDesatSAT, &QPushButton::clicked, this, &TabBloq::Desativar);

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

void TabBloq::AcionadaPeloMenu(const QString &) {
  EdtCodAtiv6->clear();
  ctx.MostraPagina(this);
  EdtCodAtiv6->setFocus();
}

void TabBloq::AoEntrar() { EdtCodAtiv6->setFocus(); }

void TabBloq::Desativar() {
  const QString aviso = QStringLiteral(
      "Atenção:\n\r"
      "Verifique se após finalizar esta função o LED \"SAT Bloqueado\" está piscando.\n\r"
      "Isto indica que o processo de DESATIVAÇÂO foi concluído na retaguarda da SEFAZ.\n\r"
      "Para que o SAT recupere as configurações de fábrica você deve agora pressionar o botão reset por 5 segundos.\n\r"
      "Por favor aguarde.\n\r"
      "Esta função pode demorar alguns minutos.\n\n\r"
      "Clique OK para continuar.");
  if (ctx.Confirma(aviso, Dialogos::Icone::Pergunta)) BitBloquSAT->click();
}

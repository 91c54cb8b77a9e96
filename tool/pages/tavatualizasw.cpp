#include "tavatualizasw.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "../contexto.h"
#include "tabbloq.h"

TavAtualizaSW::TavAtualizaSW(Contexto &c, QWidget *pai) : Pagina(c, QStringLiteral("TavAtualizaSW"), QStringLiteral("ATUALIZAR SOFTWARE BÁSICO"), QString(), pai) {
  auto *form = new QFormLayout;
  EdtCodAtiv7 = CampoCodigoSemLimite(this, "EdtCodAtiv7");
  form->addRow(QStringLiteral("Digite o Código de Ativação do SAT:"), EdtCodAtiv7);
  Corpo()->addLayout(form);
  BtnAtualizarSW = new QPushButton(QStringLiteral("Atualizar"), this);
  BtnAtualizarSW->setObjectName(QStringLiteral("BtnAtualizarSW"));
  DefineBotaoPadrao(BtnAtualizarSW);
  auto *botoes = new QHBoxLayout;
  botoes->addStretch();
  botoes->addWidget(BtnAtualizarSW);
  botoes->addStretch();
  Corpo()->addLayout(botoes);
  connect(BtnAtualizarSW, &QPushButton::clicked, this, [this] {
    ComandoComCodigo(ctx, EdtCodAtiv7, [](Contexto &c, const QString &codigo) {
      return c.ChamaDriver(c.driver.AtualizarSoftwareSAT, codigo);
    });
  });
  Corpo()->addStretch();
  AdicionaNotaMemo(QStringLiteral("Memo5"), {QStringLiteral(""),
                                     QStringLiteral("ATENÇÃO:"),
                                     QStringLiteral(" "),
                                     QStringLiteral("ESTA FUNÇÃO DEVE SER UTILIZADA APENAS APÓS O SAT ESTAR ATIVADO. "),
                                     QStringLiteral("")});
}

void TavAtualizaSW::AcionadaPeloMenu(const QString &) {
  EdtCodAtiv7->clear();
  ctx.MostraPagina(this);
  EdtCodAtiv7->setFocus();
}

void TavAtualizaSW::AoEntrar() { EdtCodAtiv7->setFocus(); }

#include "tabativar.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "../contexto.h"

TabAtivar::TabAtivar(Contexto &c, QWidget *pai) : Pagina(c, QStringLiteral("TabAtivar"), QStringLiteral("ATIVAÇÃO DO SAT"), QString(), pai) {
  auto *form = new QFormLayout;
  EdtCodAtiv2 = CampoCodigo(this, "EdtCodAtiv2");
  form->addRow(QStringLiteral("Digite o Código de Ativação do SAT:"), EdtCodAtiv2);
  EdtCodAtiv2Conf = CampoCodigo(this, "EdtCodAtiv2Conf");
  form->addRow(QStringLiteral("Digite novamente o Código de Ativação do SAT:"), EdtCodAtiv2Conf);
  EdtCNPJContrib = CampoCNPJ(this, "EdtCNPJContrib");
  form->addRow(QStringLiteral("CNPJ do Contribuinte:"), EdtCNPJContrib);
  // Start-up step: the state list holds the codes of TabelaUF in table order.
  cbo = new QComboBox(this);
  cbo->setObjectName(QStringLiteral("cbo"));
  for (const UF &uf : TabelaUF) cbo->addItem(QString::fromLatin1(uf.codigo));
  form->addRow(QStringLiteral("UF:"), cbo);
  Corpo()->addLayout(form);

  rgTipoCert = new QGroupBox(QStringLiteral("Tipo de Certificado:"), this);
  rgTipoCert->setObjectName(QStringLiteral("rgTipoCert"));
  auto *tipos = new QHBoxLayout(rgTipoCert);
  rbACSAT = new QRadioButton(QStringLiteral("AC-SAT - SEFAZ"), rgTipoCert);
  rbACSAT->setObjectName(QStringLiteral("rbACSAT"));
  tipos->addWidget(rbACSAT);
  tipos->addWidget(new QRadioButton(QStringLiteral("ICP-BRASIL"), rgTipoCert));
  tipos->addWidget(new QRadioButton(QStringLiteral("RENOVAÇÃO ICP-BRASIL"), rgTipoCert));
  rbACSAT->setChecked(true);
  rgTipoCert->setEnabled(false);
  Corpo()->addWidget(rgTipoCert);

  BtnAtivar = new QPushButton(QStringLiteral("&Ativar"), this);
  BtnAtivar->setObjectName(QStringLiteral("BtnAtivar"));
  DefineBotaoPadrao(BtnAtivar);
  connect(BtnAtivar, &QPushButton::clicked, this, &TabAtivar::Ativar);
  auto *botoes = new QHBoxLayout;
  botoes->addStretch();
  botoes->addWidget(BtnAtivar);
  Corpo()->addLayout(botoes);
  Corpo()->addStretch();
  AdicionaNota(QStringLiteral("ATENÇÃO:\n") + QStringLiteral("ESTA FUNÇÃO DEVE SER USADA APENAS ENQUANTO O SAT NÃO ESTIVER ATIVADO."));
}

void TabAtivar::AcionadaPeloMenu(const QString &) {
  int uf = -1;
  try {
    ctx.cds.Abre();
    EdtCodAtiv2->clear();
    EdtCodAtiv2Conf->clear();
    rbACSAT->setChecked(true);
    EdtCNPJContrib->setText(ctx.cds.Texto(QStringLiteral("CNPJContribuinte")));
    // A missing column or a stored state that is not a number stops here: the page is not shown.
    uf = ctx.cds.Inteiro(QStringLiteral("uf"));
  } catch (const ErroDados &e) {
    ctx.Mensagem(e.texto);
    return;
  }
  // A number outside the list leaves it without a state; activating then asks for one.
  cbo->setCurrentIndex(uf >= 0 && uf < cbo->count() ? uf : -1);
  ctx.MostraPagina(this);
  EdtCodAtiv2->setFocus();
}

void TabAtivar::AoEntrar() { EdtCodAtiv2->setFocus(); }

void TabAtivar::Recomeca(QLineEdit *foco) {
  foco->clear();
  foco->setFocus();
}

void TabAtivar::Ativar() {
  rbACSAT->setChecked(true);
  const QString codigo = Apara(EdtCodAtiv2->text());
  const QString confirmacao = Apara(EdtCodAtiv2Conf->text());
  if (!CodigoValido(codigo)) {
    ctx.Mensagem(MensagemCodigoCurto());
    Recomeca(EdtCodAtiv2);
    return;
  }
  if (!CodigoValido(confirmacao)) {
    ctx.Mensagem(MensagemCodigoCurto());
    Recomeca(EdtCodAtiv2Conf);
    return;
  }
  if (codigo != confirmacao) {
    ctx.Mensagem(QStringLiteral("Erro na confirmação do Código de Ativação."));
    EdtCodAtiv2Conf->clear();
    Recomeca(EdtCodAtiv2);
    return;
  }
  const QString cnpj = Apara(ValorCNPJ(EdtCNPJContrib));
  if (!isCNPJ(cnpj)) {
    ctx.Mensagem(QStringLiteral("CNPJ inválido."));
    EdtCNPJContrib->setFocus();
    return;
  }
  const int posicao = cbo->currentIndex();
  if (posicao < 0 || posicao >= static_cast<int>(TabelaUF.size())) {
    ctx.Mensagem(QStringLiteral("UF inválida."));
    cbo->setFocus();
    return;
  }
  try {
    ctx.cds.Abre();
    ctx.cds.Edita();
    ctx.cds.DefineTexto(QStringLiteral("CNPJContribuinte"), cnpj);
    ctx.cds.DefineInteiro(QStringLiteral("uf"), posicao);
    ctx.cds.Posta();
  } catch (const ErroDados &e) {
    ctx.cds.Cancela();
    ctx.Mensagem(e.texto);
    return;
  }
  if (!ctx.Confirma(QStringLiteral("Por favor aguarde.\n\rEsta função pode demorar alguns minutos.\n\n\rClique OK para continuar."),
                    Dialogos::Icone::Nenhum)) {
    EdtCodAtiv2Conf->clear();
    Recomeca(EdtCodAtiv2);
    return;
  }
  const int numeroUF = QString::fromLatin1(TabelaUF[posicao].numero).toInt();
  if (!ctx.ChamaDriver(ctx.driver.AtivarSAT, 1, codigo, cnpj, numeroUF)) return;
  try {
    if (ctx.Campo(1) == "04000") {
      ctx.Campo(2);  // a reply without its message shows nothing
      ctx.Mensagem(QStringLiteral("SAT Ativado corretamente, faltando associá-lo ao Aplic. Comercial."));
    } else {
      ctx.Mensagem(ctx.MensagemResposta());
    }
  } catch (const CampoAusente &) {
  }
  ctx.MostraMSefaz();
  ctx.LiberaCampos();
  if (ctx.janela) {
    ctx.janela->raise();
    ctx.janela->activateWindow();
  }
}

#include "tabassocass.h"

#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "../cfe.h"
#include "../contexto.h"

TabAssocAss::TabAssocAss(Contexto &c, QWidget *pai) : Pagina(c, QStringLiteral("TabAssocAss"), QStringLiteral("ASSOCIAR APLIC. COMERCIAL"), QString(), pai) {
  auto *form = new QFormLayout;
  EdtCNPJContrib2 = CampoCNPJ(this, "EdtCNPJContrib2");
  form->addRow(QStringLiteral("CNPJ do Contribuinte:"), EdtCNPJContrib2);
  EdtCNPJSw = CampoCNPJ(this, "EdtCNPJSw");
  form->addRow(QStringLiteral("CNPJ Software House:"), EdtCNPJSw);
  Corpo()->addLayout(form);

  const Disposicao assinatura = CriaAssinatura(this, [this] { Procura(); });
  Corpo()->addWidget(rgAssinatura);
  Corpo()->addWidget(assinatura.titulo);
  Corpo()->addLayout(assinatura.linha);

  auto *form2 = new QFormLayout;
  EdtCodAtiv3 = CampoCodigoSemLimite(this, "EdtCodAtiv3");
  form2->addRow(QStringLiteral("Digite o Código de Ativação do SAT:"), EdtCodAtiv3);
  Corpo()->addLayout(form2);

  BitAssociar = new QPushButton(QStringLiteral("A&ssociar"), this);
  BitAssociar->setObjectName(QStringLiteral("BitAssociar"));
  DefineBotaoPadrao(BitAssociar);
  connect(BitAssociar, &QPushButton::clicked, this, &TabAssocAss::Associar);
  auto *botoes = new QHBoxLayout;
  botoes->addStretch();
  botoes->addWidget(BitAssociar);
  Corpo()->addLayout(botoes);
  Corpo()->addStretch();
  AdicionaNota(QStringLiteral("ATENÇÃO:\n") + QStringLiteral("ESTA FUNÇÃO DEVE SER UTILIZADA APENAS APÓS O SAT ESTAR ATIVADO."));
}

void TabAssocAss::AcionadaPeloMenu(const QString &) {
  try {
    ctx.cds.Abre();
    EdtCodAtiv3->clear();
    EdtCNPJContrib2->setReadOnly(false);
    EdtCNPJContrib2->setText(ctx.cds.Texto(QStringLiteral("CNPJContribuinte")));
    EdtCNPJSw->setText(ctx.cds.Texto(QStringLiteral("CNPJSH")));
    EdtAssinatura->setText(ctx.cds.Texto(QStringLiteral("assinatura")));
  } catch (const ErroDados &e) {
    ctx.Mensagem(e.texto);
    return;
  }
  ctx.MostraPagina(this);
  EdtCodAtiv3->setFocus();
}

void TabAssocAss::AoEntrar() { EdtCodAtiv3->setFocus(); }

void TabAssocAss::Procura() {
  const QString nome = ctx.dialogos.AbreArquivo(ctx.janela, QStringLiteral("Selecione o Certificado"), QString());
  if (!nome.isEmpty()) EdtAssinatura->setText(nome);
}

void TabAssocAss::Associar() {
  const QString contribuinte = Apara(ValorCNPJ(EdtCNPJContrib2));
  if (!isCNPJ(contribuinte)) {
    ctx.Mensagem(QStringLiteral("CNPJ Contribuinte inválido."));
    EdtCNPJContrib2->setFocus();
    return;
  }
  const QString softwareHouse = Apara(ValorCNPJ(EdtCNPJSw));
  if (!isCNPJ(softwareHouse)) {
    ctx.Mensagem(QStringLiteral("CNPJ Software House inválido."));
    EdtCNPJSw->setFocus();
    return;
  }
  QString assinatura;
  if (rbArquivo->isChecked()) {
    QFile arquivo(EdtAssinatura->text());
    // A folder (or a device) of that name is not a signature file.
    if (!QFileInfo(arquivo).isFile()) {
      ctx.Mensagem(QStringLiteral("Arquivo especificado não foi encontrado!"));
      EdtAssinatura->setFocus();
      return;
    }
    if (!arquivo.open(QIODevice::ReadOnly)) {
      ctx.Mensagem(QStringLiteral("Erro ao tentar acessar o arquivo especificado!"));
      EdtAssinatura->setFocus();
      return;
    }
    // The signature broken over lines is one text; the file is in the 8-bit code page.
    QByteArray junto;
    for (const QByteArray &l : DivideLinhas(arquivo.readAll())) junto += l;
    assinatura = QString::fromLatin1(junto);
    ctx.Mensagem(assinatura);
  } else {
    assinatura = Apara(EdtAssinatura->text());
  }
  if (!CodigoValido(EdtCodAtiv3->text())) {
    ctx.Mensagem(MensagemCodigoCurto());
    EdtCodAtiv3->clear();
    EdtCodAtiv3->setFocus();
    return;
  }
  if (Apara(EdtAssinatura->text()).isEmpty()) {
    ctx.Mensagem(QStringLiteral("O campo \"Assinatura da Aplic. Comercial\" deve ser preenchido!"));
    EdtAssinatura->setFocus();
    return;
  }
  const QString cnpjs = softwareHouse + contribuinte;
  try {
    ctx.cds.Abre();
    ctx.cds.Edita();
    ctx.cds.DefineTexto(QStringLiteral("assinatura"), assinatura);
    ctx.cds.DefineTexto(QStringLiteral("CNPJSH"), softwareHouse);
    ctx.cds.Posta();
  } catch (const ErroDados &e) {
    ctx.cds.Cancela();
    ctx.Mensagem(e.texto);
    return;
  }
  if (!ctx.ChamaDriver(ctx.driver.AssociarAssinatura, Apara(EdtCodAtiv3->text()), cnpjs, assinatura)) return;
  try {
    const QByteArray codigo = ctx.Campo(2);
    const QByteArray mensagem = codigo == "0000" ? ctx.Campo(1) + ": " + ctx.Campo(3)
                                                 : ctx.Campo(1) + ": [" + codigo + "] " + ctx.Campo(3);
    ctx.Mensagem(TextoDoDriver(mensagem));
  } catch (const CampoAusente &) {
  }
  ctx.MostraMSefaz();
  ctx.LiberaCampos();
}

#include "tabcodativa.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "../contexto.h"

namespace {
const QString kRotuloAtual = QStringLiteral("Digite o Código de Ativação atual:");
const QString kRotuloEmergencia = QStringLiteral("Digite o Código de Ativação de Emergência:");
}  // namespace

TabCodAtiva::TabCodAtiva(Contexto &c, QWidget *pai) : Pagina(c, QStringLiteral("TabCodAtiva"), QStringLiteral("CÓDIGO DE ATIVAÇÃO"), QString(), pai) {
  CheckMudaCodigo = new QCheckBox(QStringLiteral("Trocar Código de Ativação"), this);
  CheckMudaCodigo->setObjectName(QStringLiteral("CheckMudaCodigo"));
  Corpo()->addWidget(CheckMudaCodigo);

  auto *form = new QFormLayout;
  LblCodigo = new QLabel(this);
  LblCodigo->setObjectName(QStringLiteral("LblCodigo"));
  // As wide as the longer of its two texts, so that ticking the emergency box
  // does not move the column of fields.
  int largura = 0;
  for (const QString &texto : {kRotuloEmergencia, kRotuloAtual}) {
    LblCodigo->setText(texto);
    largura = std::max(largura, LblCodigo->sizeHint().width());
  }
  LblCodigo->setMinimumWidth(largura);
  EdtCodigo = CampoCodigo(this, "EdtCodigo");
  LblCodigo->setBuddy(EdtCodigo);
  form->addRow(LblCodigo, EdtCodigo);
  Checkemergencia = new QCheckBox(QStringLiteral("Cód. de emergência"), this);
  Checkemergencia->setObjectName(QStringLiteral("Checkemergencia"));
  form->addRow(QString(), Checkemergencia);
  EdtNovoCodigo = CampoCodigo(this, "EdtNovoCodigo");
  form->addRow(QStringLiteral("Digite o Novo Código de Ativação:"), EdtNovoCodigo);
  EdtNovoCodigo2 = CampoCodigo(this, "EdtNovoCodigo2");
  form->addRow(QStringLiteral("Confirme o Novo Código de Ativação:"), EdtNovoCodigo2);
  Corpo()->addLayout(form);

  BtnTrocarCod = new QPushButton(QStringLiteral("Trocar"), this);
  BtnTrocarCod->setObjectName(QStringLiteral("BtnTrocarCod"));
  DefineBotaoPadrao(BtnTrocarCod);
  connect(BtnTrocarCod, &QPushButton::clicked, this, &TabCodAtiva::Trocar);
  auto *botoes = new QHBoxLayout;
  botoes->addStretch();
  botoes->addWidget(BtnTrocarCod);
  Corpo()->addLayout(botoes);
  Corpo()->addStretch();
  AdicionaNota(QStringLiteral("ATENÇÃO:\n") + QStringLiteral("ESTA FUNÇÃO DEVE SER UTILIZADA APENAS APÓS O SAT ESTAR ATIVADO."));

  connect(CheckMudaCodigo, &QCheckBox::toggled, this, &TabCodAtiva::Destrava);
  connect(Checkemergencia, &QCheckBox::toggled, this, &TabCodAtiva::Emergencia);
  Destrava(false);
}

void TabCodAtiva::AcionadaPeloMenu(const QString &) {
  EsvaziaCodigos();
  ctx.MostraPagina(this);
}

void TabCodAtiva::AoEntrar() {
  BtnTrocarCod->setText(QStringLiteral("Trocar"));
  Destrava(CheckMudaCodigo->isChecked());
}

void TabCodAtiva::Destrava(bool destravada) {
  for (QWidget *w : std::initializer_list<QWidget *>{EdtCodigo, EdtNovoCodigo, EdtNovoCodigo2, Checkemergencia, BtnTrocarCod}) {
    w->setEnabled(destravada);
  }
  if (destravada) EdtCodigo->setFocus();
}

void TabCodAtiva::Emergencia(bool marcada) {
  LblCodigo->setText(marcada ? kRotuloEmergencia : kRotuloAtual);
  QPalette p = LblCodigo->palette();
  p.setColor(QPalette::WindowText, marcada ? QColor(255, 0, 0) : palette().color(QPalette::WindowText));
  LblCodigo->setPalette(p);
  EdtCodigo->setFocus();
}

void TabCodAtiva::EsvaziaCodigos() {
  EdtCodigo->clear();
  EdtNovoCodigo->clear();
  EdtNovoCodigo2->clear();
}

void TabCodAtiva::Trocar() {
  const QString novo = Apara(EdtNovoCodigo->text());
  const auto recomeca = [this](const QString &mensagem) {
    ctx.Mensagem(mensagem);
    EdtNovoCodigo->clear();
    EdtNovoCodigo2->clear();
    EdtNovoCodigo->setFocus();
  };
  if (!CodigoValido(novo)) {
    recomeca(QStringLiteral("Novo código de ativação deve ter no mínimo 8 caracteres."));
    return;
  }
  if (novo != Apara(EdtNovoCodigo2->text())) {
    recomeca(QStringLiteral("Erro na confirmação do novo Código de Ativação."));
    return;
  }
  const int opcao = Checkemergencia->isChecked() ? 2 : 1;
  if (!ctx.ChamaDriver(ctx.driver.TrocarCodigoDeAtivacao, Apara(EdtCodigo->text()), opcao, novo,
                       Apara(EdtNovoCodigo2->text()))) {
    return;
  }
  bool completa = true;
  try {
    ctx.Mensagem(ctx.MensagemResposta());
    if (ctx.Campo(1) == "18000") {
      Checkemergencia->setChecked(false);
      CheckMudaCodigo->setChecked(false);
      EsvaziaCodigos();
      Destrava(false);
    } else {
      EsvaziaCodigos();
      EdtCodigo->setFocus();
    }
  } catch (const CampoAusente &) {
    completa = false;
  }
  ctx.MostraMSefaz();
  ctx.LiberaCampos();
  if (!completa) {
    // Whether the code changed cannot be told: say so, keep what was typed.
    ctx.Mensagem(QStringLiteral("Resposta incompleta do SAT: \"%1\". Não foi possível saber se o código foi alterado.")
                     .arg(TextoDoDriver(ctx.estado.UltimaResposta)));
  }
  update();
}

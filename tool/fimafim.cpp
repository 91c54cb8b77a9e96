#include "fimafim.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "campos.h"
#include "contexto.h"

TFFimAFim::TFFimAFim(QWidget *pai)
    : QDialog(pai, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                       Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("TFFimAFim"));
  setWindowTitle(QStringLiteral("SAT - NORVI (Testes FimAFim)"));

  auto *form = new QFormLayout;
  // Optional digits: the value is what was typed, without the punctuation.
  EdtCNPJContrib2 = CampoMascarado(this, "EdtCNPJContrib2", QStringLiteral("99.999.999/9999-99;_"));
  form->addRow(QStringLiteral("CNPJ do Contribuinte:"), EdtCNPJContrib2);
  EdtIEContrib = CampoMascarado(this, "EdtIEContrib", QStringLiteral("999.999.999.999;_"));
  form->addRow(QStringLiteral("IE do Contribuinte:"), EdtIEContrib);
  EdtCNPJSw = CampoMascarado(this, "EdtCNPJSw", QStringLiteral("99.999.999/9999-99;_"));
  form->addRow(QStringLiteral("CNPJ Software House:"), EdtCNPJSw);

  const Disposicao assinatura = CriaAssinatura(this, [this] { Procura(); });
  EdtAssinatura->setMaxLength(344);

  BtnOk = new QPushButton(QStringLiteral("Ok"), this);
  BtnOk->setObjectName(QStringLiteral("BtnOk"));
  BtnOk->setDefault(true);
  connect(BtnOk, &QPushButton::clicked, this, &QDialog::accept);
  auto *botoes = new QHBoxLayout;
  botoes->addStretch();
  botoes->addWidget(BtnOk);
  botoes->addStretch();

  auto *layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(rgAssinatura);
  layout->addWidget(assinatura.titulo);
  layout->addLayout(assinatura.linha);
  layout->addStretch();
  layout->addLayout(botoes);
  setFixedSize(368, 286);  // a dialog border: not resizable
}

void TFFimAFim::Mostra(EstadoFerramenta &estado, const TParametros &cds, Dialogos &d) {
  dialogos = &d;
  estado.DialogoCancelado = true;
  EdtCNPJContrib2->setText(cds.Texto(QStringLiteral("CNPJContribuinte")));
  EdtCNPJSw->setText(cds.Texto(QStringLiteral("CNPJSH")));
  EdtAssinatura->setText(cds.Texto(QStringLiteral("Assinatura")));
  EdtCNPJContrib2->setFocus();
  setResult(QDialog::Rejected);
  d.MostraModal(*this);
  estado.DialogoCancelado = result() != QDialog::Accepted;
}

void TFFimAFim::HabilitaProducao(bool producao) {
  for (QWidget *w : std::initializer_list<QWidget *>{EdtCNPJSw, EdtIEContrib, rgAssinatura, EdtAssinatura, Button3}) {
    w->setEnabled(producao);
  }
}

void TFFimAFim::Procura() {
  if (!dialogos) return;
  const QString nome = dialogos->AbreArquivo(this, QString(), QString());
  if (!nome.isEmpty()) EdtAssinatura->setText(nome);
}

QString TFFimAFim::CNPJContribuinte() const { return Apara(ValorCNPJ(EdtCNPJContrib2)); }
QString TFFimAFim::CNPJSoftwareHouse() const { return Apara(ValorCNPJ(EdtCNPJSw)); }
QString TFFimAFim::IEContribuinte() const { return Apara(EdtIEContrib->text().remove(u'.')); }
QString TFFimAFim::Assinatura() const { return Apara(EdtAssinatura->text()); }

void TFFimAFim::showEvent(QShowEvent *evento) {
  CentraNaTela(*this);
  QDialog::showEvent(evento);
}

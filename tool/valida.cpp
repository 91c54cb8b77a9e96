#include "valida.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "campos.h"
#include "contexto.h"

TFValida::TFValida(EstadoFerramenta &e, Dialogos &d, QWidget *pai)
    : QDialog(pai, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                       Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      estado(e),
      dialogos(d) {
  setObjectName(QStringLiteral("TFValida"));
  setWindowTitle(QStringLiteral("SAT - NORVI (Valida Cód. Ativação)"));

  auto *rotulo = new QLabel(QStringLiteral("Digite o Código de Ativação atual:"), this);
  EdtCodigo = CampoCodigo(this, "EdtCodigo");
  rotulo->setBuddy(EdtCodigo);
  BtnValidar = new QPushButton(QStringLiteral("Validar"), this);
  BtnValidar->setObjectName(QStringLiteral("BtnValidar"));
  BtnValidar->setDefault(true);
  connect(BtnValidar, &QPushButton::clicked, this, &TFValida::Validar);

  auto *layout = new QVBoxLayout(this);
  layout->addWidget(rotulo);
  layout->addWidget(EdtCodigo);
  auto *botoes = new QHBoxLayout;
  botoes->addStretch();
  botoes->addWidget(BtnValidar);
  botoes->addStretch();
  layout->addLayout(botoes);
  setFixedSize(380, 120);  // wide enough for the whole caption in the title bar

  estado.DialogoCancelado = true;
}

void TFValida::Mostra() {
  estado.DialogoCancelado = true;
  estado.CodigoValidado.clear();
  EdtCodigo->clear();
  EdtCodigo->setFocus();
  dialogos.MostraModal(*this);
  if (estado.DialogoCancelado) estado.CodigoValidado.clear();
}

void TFValida::Validar() {
  estado.CodigoValidado = Apara(EdtCodigo->text());
  estado.DialogoCancelado = false;
  accept();
}

void TFValida::showEvent(QShowEvent *evento) {
  CentraNaTela(*this);
  QDialog::showEvent(evento);
}

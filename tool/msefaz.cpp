#include "msefaz.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "dialogos.h"

TFMSefaz::TFMSefaz(QWidget *pai)
    : QDialog(pai, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("TFMSefaz"));
  setWindowTitle(QStringLiteral("cfetool (Mensagem Sefaz)"));
  MemoSefaz = new QPlainTextEdit(this);
  MemoSefaz->setObjectName(QStringLiteral("MemoSefaz"));
  MemoSefaz->setReadOnly(true);
  MemoSefaz->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  MemoSefaz->setAccessibleName(QStringLiteral("Mensagem Sefaz"));
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(MemoSefaz);
  resize(447, 129);
}

void TFMSefaz::showEvent(QShowEvent *evento) {
  CentraNaTela(*this);
  QDialog::showEvent(evento);
}

#include "tabnorvi.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QVBoxLayout>

#include "../contexto.h"
#include "../figuras.h"

TabNorvi::TabNorvi(Contexto &c, QWidget *pai) : Pagina(c, QStringLiteral("TabNorvi"), QStringLiteral("SAT NORVI"), QString(), pai) {
  auto *status = new QLabel(QStringLiteral("Status:"), this);
  QFont negrito = status->font();
  negrito.setBold(true);
  negrito.setPointSizeF(negrito.pointSizeF() * 1.3);
  status->setFont(negrito);
  lbloperante = new QLabel(QStringLiteral("SAT inoperante"), this);
  lbloperante->setObjectName(QStringLiteral("lbloperante"));
  lbloperante->setFont(negrito);
  QPalette p = lbloperante->palette();
  p.setColor(QPalette::WindowText, QColor(255, 0, 0));
  lbloperante->setPalette(p);
  lbloperante->setVisible(false);
  auto *linhaStatus = new QHBoxLayout;
  linhaStatus->addStretch();
  linhaStatus->addWidget(status);
  linhaStatus->addSpacing(8);
  linhaStatus->addWidget(lbloperante);
  linhaStatus->addStretch();
  // Keeps the row's height when the state is hidden.
  lbloperante->setMinimumWidth(lbloperante->sizeHint().width() + 20);
  QSizePolicy sp = lbloperante->sizePolicy();
  sp.setRetainSizeWhenHidden(true);
  lbloperante->setSizePolicy(sp);
  Corpo()->addLayout(linhaStatus);
  Corpo()->addStretch();

  // Placed by resizeEvent, outside the layout.
  ImgSAT = new QLabel(this);
  ImgSAT->setObjectName(QStringLiteral("ImgSAT"));
  ImgSAT->setPixmap(FiguraSAT());
  ImgSAT->setFixedSize(ImgSAT->pixmap().size());
  ImgSAT->setAccessibleName(QStringLiteral("SAT"));
  BitBtn6 = new QPushButton(QStringLiteral("Consultar SAT"), this);
  BitBtn6->setObjectName(QStringLiteral("BitBtn6"));
  BitBtn6->setFixedSize(150, 32);
  BitBtn6->move(0, 96);
  connect(BitBtn6, &QPushButton::clicked, this, &TabNorvi::ConsultarSAT);

  auto *barra = new QWidget(this);
  barra->setObjectName(QStringLiteral("BarraNorvi"));
  barra->setAutoFillBackground(true);
  QPalette pb = barra->palette();
  pb.setColor(QPalette::Window, QColor(192, 192, 192));
  barra->setPalette(pb);
  auto *linhaBarra = new QHBoxLayout(barra);
  linhaBarra->setContentsMargins(8, 3, 8, 3);
  LblNorvi = new QLabel(barra);
  LblNorvi->setObjectName(QStringLiteral("LblNorvi"));
  LblVersao = new QLabel(barra);
  LblVersao->setObjectName(QStringLiteral("LblVersao"));
  linhaBarra->addWidget(LblNorvi);
  linhaBarra->addStretch();
  linhaBarra->addWidget(LblVersao);
  static_cast<QVBoxLayout *>(layout())->addWidget(barra);
}

void TabNorvi::resizeEvent(QResizeEvent *evento) {
  Pagina::resizeEvent(evento);
  ImgSAT->move((width() - ImgSAT->width()) / 2, (height() - ImgSAT->height()) * 2 / 3);
  BitBtn6->move((width() - BitBtn6->width()) / 2, BitBtn6->y());
}

void TabNorvi::AcionadaPeloMenu(const QString &) { ConsultarSAT(); }

void TabNorvi::ConsultarSAT() {
  ctx.MostraPagina(this);
  if (!ctx.ChamaDriver(ctx.driver.ConsultarSAT)) return;
  lbloperante->setVisible(true);
  bool operante = false;
  try {
    const QByteArray codigo = ctx.Campo(1);
    if (codigo == "08000") {
      operante = true;
    } else if (codigo == "08097") {
      ctx.Mensagem(ctx.MensagemResposta());
    }
  } catch (const CampoAusente &) {
    // A reply without a return code: the device is not in operation.
  }
  MostraEstado(operante);
  ctx.MostraMSefaz();
  ctx.LiberaCampos();
  ctx.MostraPagina(this);
  if (ctx.janela) ctx.janela->update();
}

void TabNorvi::MostraEstado(bool operante) {
  const QColor cor = operante ? QColor(0, 128, 0) : QColor(255, 0, 0);
  lbloperante->setText(operante ? QStringLiteral("SAT em operação") : QStringLiteral("SAT inoperante"));
  QPalette p = lbloperante->palette();
  p.setColor(QPalette::WindowText, cor);
  lbloperante->setPalette(p);
  if (ctx.janela) {
    if (auto *botao = ctx.janela->findChild<QPushButton *>(QStringLiteral("BtnPrincipal"))) {
      QPalette pb = botao->palette();
      pb.setColor(QPalette::ButtonText, cor);
      botao->setPalette(pb);
    }
  }
}

#include "pagina.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include "../contexto.h"

Pagina::Pagina(Contexto &c, const QString &nome, const QString &titulo, const QString &nomeCabecalho, QWidget *pai)
    : QWidget(pai), ctx(c) {
  setObjectName(nome);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  cabecalho = new QLabel(titulo, this);
  cabecalho->setObjectName(nomeCabecalho.isEmpty() ? nome + QStringLiteral("Cabecalho") : nomeCabecalho);
  cabecalho->setAlignment(Qt::AlignCenter);
  cabecalho->setMinimumHeight(28);
  cabecalho->setAutoFillBackground(true);
  QPalette p = cabecalho->palette();
  p.setColor(QPalette::Window, QColor(192, 192, 192));
  p.setColor(QPalette::WindowText, Qt::black);
  cabecalho->setPalette(p);
  QFont f = cabecalho->font();
  f.setBold(true);
  f.setPointSizeF(f.pointSizeF() * 1.15);
  cabecalho->setFont(f);
  layout->addWidget(cabecalho);
  // The content sits in a widget of its own: a layout nested in the header's
  // layout would take its zero spacing, and labels would touch their fields.
  auto *area = new QWidget(this);
  area->setObjectName(nome + QStringLiteral("Corpo"));
  corpo = new QVBoxLayout(area);
  corpo->setContentsMargins(12, 12, 12, 8);
  layout->addWidget(area, 1);
}

void Pagina::AcionadaPeloMenu(const QString &) { ctx.MostraPagina(this); }

QLabel *Pagina::AdicionaNota(const QString &texto) {
  auto *nota = new QLabel(texto, this);
  nota->setObjectName(objectName() + QStringLiteral("Nota"));
  nota->setAlignment(Qt::AlignCenter);
  nota->setWordWrap(true);
  nota->setFocusPolicy(Qt::NoFocus);
  nota->setContentsMargins(16, 4, 16, 10);
  QPalette p = nota->palette();
  p.setColor(QPalette::WindowText, QColor(0, 128, 0));
  nota->setPalette(p);
  QFont f = nota->font();
  f.setBold(true);
  nota->setFont(f);
  static_cast<QVBoxLayout *>(layout())->addWidget(nota);
  return nota;
}

QTextEdit *Pagina::AdicionaNotaMemo(const QString &nome, const QStringList &linhas) {
  auto *memo = new QTextEdit(this);
  memo->setObjectName(nome);
  memo->setReadOnly(true);
  memo->setFocusPolicy(Qt::NoFocus);
  memo->setFrameShape(QFrame::NoFrame);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // One text, not append() per line: append() fills the empty first paragraph,
  // which would drop a leading empty line.
  memo->setPlainText(linhas.join(u'\n'));
  QTextCursor tudo(memo->document());
  tudo.select(QTextCursor::Document);
  QTextBlockFormat centrado;
  centrado.setAlignment(Qt::AlignCenter);
  tudo.mergeBlockFormat(centrado);
  QTextCharFormat verde;
  verde.setForeground(QColor(0, 128, 0));
  tudo.mergeCharFormat(verde);
  memo->setFixedHeight(memo->fontMetrics().lineSpacing() * (linhas.size() + 1));
  QPalette p = memo->palette();
  p.setColor(QPalette::Base, palette().color(QPalette::Window));
  memo->setPalette(p);
  static_cast<QVBoxLayout *>(layout())->addWidget(memo);
  return memo;
}

void Pagina::DefineBotaoPadrao(QPushButton *botao) {
  botaoPadrao = botao;
  botao->setDefault(true);
}

void Pagina::keyPressEvent(QKeyEvent *evento) {
  // A page is not a dialog, so Qt does not route Enter to its default button:
  // the fields ignore Enter and it arrives here, as in a dialog.
  const bool enter = evento->key() == Qt::Key_Return || evento->key() == Qt::Key_Enter;
  const bool simples = evento->modifiers() == Qt::NoModifier ||
                       (evento->modifiers() == Qt::KeypadModifier && evento->key() == Qt::Key_Enter);
  if (!enter || !simples || !botaoPadrao) {
    QWidget::keyPressEvent(evento);
    return;
  }
  // Enter on another of the page's buttons clicks that one, not the default.
  auto *focado = qobject_cast<QPushButton *>(focusWidget());
  QPushButton *alvo = focado && isAncestorOf(focado) ? focado : botaoPadrao;
  if (alvo->isVisibleTo(this) && alvo->isEnabled()) alvo->click();
  evento->accept();
}

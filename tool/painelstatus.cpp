#include "painelstatus.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QStyle>
#include <QTextDocument>

namespace {

// A tooltip is read as rich text when it looks like markup; a reply that does
// is escaped, so that it shows as received.
QString DicaTextual(const QString &texto) {
  if (!Qt::mightBeRichText(texto)) return texto;
  return QStringLiteral("<p style=\"white-space:pre-wrap\">") + texto.toHtmlEscaped() + QStringLiteral("</p>");
}

}  // namespace

TPainelStatus::TPainelStatus(QWidget *pai) : QLabel(pai) {
  copiar = new QAction(QStringLiteral("Copiar resposta"), this);
  copiar->setObjectName(QStringLiteral("CopiarResposta"));
  copiar->setEnabled(false);
  connect(copiar, &QAction::triggered, this, &TPainelStatus::Copia);
  addAction(copiar);
  setContextMenuPolicy(Qt::ActionsContextMenu);
}

void TPainelStatus::Mostra(const QString &texto, const QString &todo) {
  inteiro = todo;
  setText(texto);
  setToolTip(DicaTextual(todo));
  copiar->setEnabled(!todo.isEmpty());
}

QString TPainelStatus::TextoVisivel() const {
  return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

void TPainelStatus::Copia() const {
  if (!inteiro.isEmpty()) QGuiApplication::clipboard()->setText(inteiro);
}

QSize TPainelStatus::sizeHint() const { return {minimumWidth(), QLabel::sizeHint().height()}; }

QSize TPainelStatus::minimumSizeHint() const { return {minimumWidth(), QLabel::minimumSizeHint().height()}; }

void TPainelStatus::paintEvent(QPaintEvent *) {
  QPainter pintor(this);
  style()->drawItemText(&pintor, contentsRect(), Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(),
                        TextoVisivel(), foregroundRole());
}

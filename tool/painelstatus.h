// The status bar's panel: shows a text on one line, elided with "…" where the
// window is too narrow for it, with the whole reply in its tooltip and a
// context-menu action that copies it.
#pragma once

#include <QLabel>

class QAction;

class TPainelStatus : public QLabel {
  Q_OBJECT
 public:
  explicit TPainelStatus(QWidget *pai = nullptr);

  // texto is what the panel shows; inteiro what the tooltip and "Copiar resposta" give.
  void Mostra(const QString &texto, const QString &inteiro = QString());
  const QString &Inteiro() const { return inteiro; }
  // The part of the text that fits the panel's width.
  QString TextoVisivel() const;
  // The whole text to the clipboard.
  void Copia() const;

  // The panel does not ask for the width of its text: a long reply must not widen the window.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent *evento) override;

 private:
  QString inteiro;
  QAction *copiar;
};

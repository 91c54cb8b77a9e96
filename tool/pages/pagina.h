// Base of the pages of the main window's page area: a grey header bar with
// the title, the page's own content, and optionally a green note at the foot.
#pragma once

#include <QWidget>

class QKeyEvent;
class QLabel;
class QPushButton;
class QTextEdit;
class QVBoxLayout;
class Contexto;

class Pagina : public QWidget {
  Q_OBJECT
 public:
  // nome: the page's objectName ("TabNorvi"); nomeCabecalho: the header's
  // objectName when other code changes its text ("Panel4"), else empty.
  Pagina(Contexto &ctx, const QString &nome, const QString &titulo, const QString &nomeCabecalho = QString(),
         QWidget *pai = nullptr);

  // Entry step: runs when the page has just become the visible one.
  virtual void AoEntrar() {}
  // A menu button chose this page; botao is its objectName. By default the page is shown.
  virtual void AcionadaPeloMenu(const QString &botao);

  QLabel *Cabecalho() const { return cabecalho; }

 protected:
  // Content goes into this layout, below the header.
  QVBoxLayout *Corpo() const { return corpo; }
  // The green, centred note at the foot of the page, outside the tab order.
  QLabel *AdicionaNota(const QString &texto);
  // The same as a text area of fixed-pitch lines (Memo1, Memo5).
  QTextEdit *AdicionaNotaMemo(const QString &nome, const QStringList &linhas);
  // The page's default button: Enter in any field of the page clicks it.
  void DefineBotaoPadrao(QPushButton *botao);
  void keyPressEvent(QKeyEvent *evento) override;

  Contexto &ctx;

 private:
  QLabel *cabecalho;
  QVBoxLayout *corpo;
  QPushButton *botaoPadrao = nullptr;
};

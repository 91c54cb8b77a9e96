// Page TabStatus: the device's operational status listing.
#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

#include "pagina.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class TabStatus : public Pagina {
  Q_OBJECT
 public:
  explicit TabStatus(Contexto &ctx, QWidget *pai = nullptr);

  // "Status": asks for the code in TFValida, shows the page and requests the status.
  void AcionadaPeloMenu(const QString &botao) override;
  // The hidden "Solicitar Status".
  void SolicitarStatus();

  QPlainTextEdit *MemoStatus;
  QLineEdit *EdtCodAtiv4;  // hidden, carries the code
  QPushButton *BtnStatus;  // hidden
};

// The listing of a successful ConsultarStatusOperacional reply: a line with one
// space, then one line per named field from position 5 on. Fields past the
// name table are not listed; a state that is not 0 to 4 is shown as received.
QStringList ListagemStatus(const QList<QByteArray> &campos);

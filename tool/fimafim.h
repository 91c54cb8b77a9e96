// TFFimAFim: the parameters of the end-to-end tests.
#pragma once

#include <QDialog>

#include "assinatura.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class Dialogos;
class TParametros;
struct EstadoFerramenta;

class TFFimAFim : public QDialog, public EntradaAssinatura {
  Q_OBJECT
 public:
  explicit TFFimAFim(QWidget *pai = nullptr);

  // Loads the stored taxpayer CNPJ, software-house CNPJ and signature, shows
  // the window modally and sets DialogoCancelado unless "Ok" closed it.
  // Throws ErroDados when the stored values cannot be read.
  void Mostra(EstadoFerramenta &estado, const TParametros &cds, Dialogos &dialogos);
  // Production enables the inputs beyond the taxpayer's CNPJ; activation disables them.
  void HabilitaProducao(bool producao);

  // Values: the controls' texts without leading and trailing blanks, masks'
  // punctuation left out.
  QString CNPJContribuinte() const;
  QString IEContribuinte() const;
  QString CNPJSoftwareHouse() const;
  QString Assinatura() const;

  QLineEdit *EdtCNPJContrib2;
  QLineEdit *EdtIEContrib;
  QLineEdit *EdtCNPJSw;
  QPushButton *BtnOk;

  // The file dialog of "..." goes through the modal seam; set by Mostra.
  Dialogos *dialogos = nullptr;

 private:
  void Procura();
 protected:
  void showEvent(QShowEvent *evento) override;
};

// Page TabAtivar: activation of the device with the taxpayer's CNPJ and state.
#pragma once

#include "pagina.h"

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TabAtivar : public Pagina {
  Q_OBJECT
 public:
  explicit TabAtivar(Contexto &ctx, QWidget *pai = nullptr);

  // "Ativação do SAT": fills the page from the parameter table.
  void AcionadaPeloMenu(const QString &botao) override;
  void AoEntrar() override;
  // "&Ativar".
  void Ativar();

  QLineEdit *EdtCodAtiv2;
  QLineEdit *EdtCodAtiv2Conf;
  QLineEdit *EdtCNPJContrib;
  QComboBox *cbo;
  QGroupBox *rgTipoCert;
  QRadioButton *rbACSAT;
  QPushButton *BtnAtivar;

 private:
  void Recomeca(QLineEdit *foco);
};

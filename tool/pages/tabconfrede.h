// Page TabConfRede: the device's network settings, kept in the parameter
// table, written to "ConfRede.xml" and sent to the device.
#pragma once

#include "pagina.h"

class QComboBox;
class QLineEdit;
class QPushButton;

class TabConfRede : public Pagina {
  Q_OBJECT
 public:
  explicit TabConfRede(Contexto &ctx, QWidget *pai = nullptr);

  // Loads the values of the parameter table.
  void AoEntrar() override;
  // "Enviar ao SAT".
  void Enviar();

  QComboBox *CbotipoInter;
  QComboBox *CbotipoLan;
  QLineEdit *EdtlanIP;
  QLineEdit *EdtlanMask;
  QLineEdit *EdtlanGW;
  QLineEdit *EdtlanDNS1;
  QLineEdit *EdtlanDNS2;
  QComboBox *cboProxy;
  QLineEdit *Edtproxy_ip;
  QLineEdit *Edtproxy_porta;
  QLineEdit *Edtproxy_user;
  QLineEdit *Edtproxy_senha;
  QLineEdit *LblEdtCodRede;
  QPushButton *BitBtn4;
  // Hidden: their values travel between the table and the page unchanged.
  QLineEdit *EdtSSID;
  QComboBox *Cboseg;
  QLabel *LblSeg;
  QLineEdit *Edtcod;
  QLineEdit *Edtusuario;
  QLineEdit *Edtsenha;

 private:
  void ReageInterface();
  void ReageSeguranca();
  void ReageTipoLan();
  void ReageProxy();
  void Grava();
  // False, with a message naming the field, when a value holds characters
  // that the parameter table cannot keep.
  bool ValoresCabem();
};

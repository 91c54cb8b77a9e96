// Page TabNorvi, the start page: the device's state and "Consultar SAT".
#pragma once

#include "pagina.h"

class QPushButton;

class TabNorvi : public Pagina {
  Q_OBJECT
 public:
  explicit TabNorvi(Contexto &ctx, QWidget *pai = nullptr);

  // BtnPrincipal queries the device.
  void AcionadaPeloMenu(const QString &botao) override;
  // "Consultar SAT": asks the device whether it is in operation.
  void ConsultarSAT();

  QLabel *lbloperante;
  QLabel *ImgSAT;
  QPushButton *BitBtn6;
  QLabel *LblNorvi;
  QLabel *LblVersao;

 protected:
  void resizeEvent(QResizeEvent *evento) override;

 private:
  void MostraEstado(bool operante);
};

// TFValida: asks for the current activation code before a workflow calls the device.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class Dialogos;
struct EstadoFerramenta;

class TFValida : public QDialog {
  Q_OBJECT
 public:
  TFValida(EstadoFerramenta &estado, Dialogos &dialogos, QWidget *pai = nullptr);

  // Shows the dialog modally. Afterwards DialogoCancelado is false and
  // CodigoValidado holds the trimmed code when "Validar" was pressed;
  // otherwise DialogoCancelado is true and CodigoValidado empty.
  void Mostra();

  QLineEdit *EdtCodigo;
  QPushButton *BtnValidar;

 private:
  void Validar();

  EstadoFerramenta &estado;
  Dialogos &dialogos;
 protected:
  void showEvent(QShowEvent *evento) override;
};

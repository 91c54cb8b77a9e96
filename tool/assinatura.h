// The signature entry of the association page and of the end-to-end test window:
// "Forma de envio:" (Texto or Arquivo), the field under its title, and "..." to
// pick a file, shown only for Arquivo.
#pragma once

#include <functional>

class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

class EntradaAssinatura {
 public:
  QGroupBox *rgAssinatura = nullptr;
  QRadioButton *rbTexto = nullptr;
  QRadioButton *rbArquivo = nullptr;
  QLabel *LblAssinatura = nullptr;
  QLineEdit *EdtAssinatura = nullptr;
  QPushButton *Button3 = nullptr;

 protected:
  // What the owner lays out: the title above the field, and the row of label, field and "...".
  struct Disposicao {
    QLabel *titulo;
    QHBoxLayout *linha;
  };
  // Builds the controls as children of dono; procura runs when "..." is clicked.
  Disposicao CriaAssinatura(QWidget *dono, std::function<void()> procura);

 private:
  // Texto or Arquivo chosen: the field is emptied and "..." shown only for a file.
  void FormaDeEnvio();
};

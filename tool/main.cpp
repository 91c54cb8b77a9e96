// cfetool: the desktop activation tool for SAT devices.
#include <QApplication>

#include "ativacao.h"
#include "dialogos.h"
#include "figuras.h"

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  // The name titles the message boxes. No display name: Qt would append it to
  // every window's caption ("SAT - NORVI (...) — cfetool").
  QApplication::setApplicationName(QStringLiteral("cfetool"));
  QApplication::setWindowIcon(IconeJanela());
  DialogosQt dialogos;
  TFAtivacao janela(Ambiente::Padrao(dialogos));
  if (janela.PedidoEncerramento()) {
    janela.close();  // writes the parameter table back like any end of the program
    return 1;
  }
  janela.show();
  return app.exec();
}

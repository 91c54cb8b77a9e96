// Page TabLog: extraction of the device's log, shown whole or as its last
// SuperLog section, and saved to a file.
#pragma once

#include "pagina.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class TabLog : public Pagina {
  Q_OBJECT
 public:
  explicit TabLog(Contexto &ctx, QWidget *pai = nullptr);

  // "Extrair Logs" (mode 1) or "SuperLog" (mode 2): asks for the code, shows
  // the page and extracts the log.
  void AcionadaPeloMenu(const QString &botao) override;
  // The hidden "Extrair Logs".
  void Extrair();
  // "..." and "Salvar".
  void Procura();
  void Salva();

  // 1: the whole log; any other value: the last SuperLog section. Also kept as
  // the header's "Tag" property.
  int Modo() const { return modo; }

  QLabel *Panel11;
  QLineEdit *EdtCodAtiv5;  // hidden, carries the code
  QPushButton *BtnLogs;    // hidden
  QPlainTextEdit *MemoLogs;
  QLineEdit *EdtLogs;
  QPushButton *BtnLog1;  // "..."
  QPushButton *BtnLog2;  // "Salvar"

 private:
  void DefineModo(int m, const QString &cabecalho);
  int modo = 0;
};

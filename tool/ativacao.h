// TFAtivacao: the main window. Its creation runs the tool's start-up: version,
// driver binding, the parameter file and the start page.
#pragma once

#include <QMainWindow>

#include <memory>

#include "contexto.h"

class QPushButton;
class TFFimAFim;
class TFMSefaz;
class TFValida;

class TFAtivacao : public QMainWindow {
  Q_OBJECT
 public:
  explicit TFAtivacao(const Ambiente &ambiente, QWidget *pai = nullptr);
  ~TFAtivacao() override;

  Contexto &contexto() { return *ctx; }
  // Start-up failed (no library, or it could not be loaded): the program ends
  // without running any workflow.
  bool PedidoEncerramento() const { return pedidoEncerramento; }

 protected:
  void closeEvent(QCloseEvent *evento) override;

 private:
  void CriaJanela();
  QWidget *CriaMenu();
  void Inicia();

  std::unique_ptr<Contexto> ctx;
  bool pedidoEncerramento = false;
};

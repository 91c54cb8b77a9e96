// Page TabTeste: end-to-end tests, session look-ups and the CFe text. Holds
// the session field Edit1 that every driver call fills.
#pragma once

#include "pagina.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class TabTeste : public Pagina {
  Q_OBJECT
 public:
  explicit TabTeste(Contexto &ctx, QWidget *pai = nullptr);

  // "Testes": empties the header and the memo, disables "Abrir no Navegador".
  void AcionadaPeloMenu(const QString &botao) override;

  // "Consulta Sessão" and "Consulta Sessão Fiscal".
  void ConsultaSessao();
  void ConsultaSessaoFiscal();
  // "Abrir no Navegador".
  void AbreNavegador();
  // "FimAFim Produção" and "FimAFim Ativação".
  void TesteFimAFim(bool producao);

  QLabel *Panel4;   // header, text set by the workflows
  QLineEdit *Edit1;  // "Sessão:"
  QPlainTextEdit *MemoCFe;
  QPushButton *BtnSessao;
  QPushButton *BtnSessaoFiscal;
  QPushButton *BtnNaveg;
  QPushButton *BtnTesteProducao;
  QPushButton *BtnTesteAtivacao;

 private:
  // Asks for the code and sets the header; false when the dialog was not
  // confirmed or the code is short.
  bool PedeCodigo(const QString &cabecalho);
  void AvaliaConsulta();
  void AvaliaTeste();
  void Adiciona(const QString &linha);
  // Scrolls the memo back to its first line.
  void MostraDoInicio();
};

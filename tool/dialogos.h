// The one seam for everything modal that a person answers: message and
// confirmation boxes, file dialogs, the desktop's "open" action and the
// tool's own modal windows. DialogosQt shows real dialogs; tests install a
// scripted implementation that answers and records what was shown.
#pragma once

#include <QString>

#include <memory>

class QDialog;
class QMessageBox;
class QWidget;

class Dialogos {
 public:
  enum class Icone { Nenhum, Informacao, Aviso, Erro, Pergunta };

  virtual ~Dialogos() = default;

  // A box with one OK button. dono may be nullptr (a box without owner).
  virtual void Mensagem(QWidget *dono, const QString &titulo, const QString &texto, Icone icone) = 0;
  // A box with OK and Cancel; true for OK.
  virtual bool Confirma(QWidget *dono, const QString &titulo, const QString &texto, Icone icone) = 0;
  // The chosen file's full name, or empty when cancelled. filtro as in QFileDialog, may be empty.
  virtual QString AbreArquivo(QWidget *dono, const QString &titulo, const QString &filtro) = 0;
  virtual QString SalvaArquivo(QWidget *dono, const QString &titulo, const QString &filtro) = 0;
  // Opens a file or address with the desktop's default handler; false when no
  // handler could be started (no opener or browser installed).
  virtual bool OpenURL(const QString &alvo) = 0;
  // Shows one of the tool's own windows modally and returns when it is closed.
  virtual void MostraModal(QDialog &janela) = 0;
};

// Places a window in the middle of its screen (the tool's windows open there,
// not over the main window).
void CentraNaTela(QWidget &janela);

class DialogosQt : public Dialogos {
 public:
  void Mensagem(QWidget *dono, const QString &titulo, const QString &texto, Icone icone) override;
  bool Confirma(QWidget *dono, const QString &titulo, const QString &texto, Icone icone) override;
  QString AbreArquivo(QWidget *dono, const QString &titulo, const QString &filtro) override;
  QString SalvaArquivo(QWidget *dono, const QString &titulo, const QString &filtro) override;
  bool OpenURL(const QString &alvo) override;
  void MostraModal(QDialog &janela) override;

  // The box of Mensagem (OK) and Confirma (OK and Cancel). Its text is shown
  // as written: replies and file contents are never read as rich text.
  static std::unique_ptr<QMessageBox> Caixa(QWidget *dono, const QString &titulo, const QString &texto, Icone icone,
                                            bool comCancelar);
};

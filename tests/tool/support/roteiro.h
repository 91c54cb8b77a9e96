// Test support for the tool: the scripted modal seam, the fake driver's
// controls and a main window built in a temporary folder.
#pragma once

#include <QByteArray>
#include <QLibrary>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

#include "ativacao.h"
#include "dialogos.h"

// Answers every modal question from a script and records what was shown.
class DialogosRoteirizados : public Dialogos {
 public:
  struct Registro {
    QString tipo;    // "mensagem", "confirma", "abre", "salva", "url", "janela"
    QString titulo;  // box title, dialog title, or the window's objectName
    QString texto;   // box text, URL; empty for windows
  };

  void Mensagem(QWidget *dono, const QString &titulo, const QString &texto, Icone icone) override;
  bool Confirma(QWidget *dono, const QString &titulo, const QString &texto, Icone icone) override;
  QString AbreArquivo(QWidget *dono, const QString &titulo, const QString &filtro) override;
  QString SalvaArquivo(QWidget *dono, const QString &titulo, const QString &filtro) override;
  // The next answer of respostasURL (default: opened).
  bool OpenURL(const QString &alvo) override;
  // Runs the next scripted action on the window (it may type and click in
  // it); with none queued, the window is closed without confirming.
  void MostraModal(QDialog &janela) override;

  // The texts of the message and confirmation boxes, in order.
  QStringList Textos() const;
  // The objectNames of the windows shown modally, in order.
  QStringList Janelas() const;
  void Limpa() { registros.clear(); }

  QList<Registro> registros;
  QList<bool> respostasConfirma;        // default: Cancel
  QStringList respostasArquivo;         // default: cancelled
  QList<bool> respostasURL;             // default: opened
  QList<std::function<void(QDialog &)>> roteiroModal;
};

// Controls of the fake driver library at a given path.
class FakeDriver {
 public:
  explicit FakeDriver(const QString &caminho);
  void Resposta(const QByteArray &texto);
  // The calls since Limpa, one per entry: "Nome|arg|arg...".
  QList<QByteArray> Chamadas() const;
  // Runs g inside every following call (nullptr: none); Limpa removes it.
  void Gancho(void (*g)());
  void Limpa();

 private:
  QLibrary biblioteca;
  void (*define)(const char *) = nullptr;
  const char *(*chamadas)() = nullptr;
  void (*limpa)() = nullptr;
  void (*gancho)(void (*)()) = nullptr;
};

// Folders of the fake libraries, from the build.
QString PastaFakeCompleto();
QString PastaFakeIncompleto();

// A main window over a program folder, with Parametros.xml in a temporary
// working folder and the scripted seam.
struct Ferramenta {
  explicit Ferramenta(const QString &pastaPrograma, GeradorSessao::Relogio relogio = &QTime::currentTime);
  // Closes the window (writing the table back) and opens a new one over the same folders.
  void Reinicia();

  template <typename T>
  T *Filho(const char *nome) const {
    return janela->findChild<T *>(QString::fromLatin1(nome));
  }
  Contexto &ctx() { return janela->contexto(); }
  QString Status() const;

  QTemporaryDir trabalho;
  QTemporaryDir dados;  // the user's data folder
  QString pastaPrograma;
  QString bibliotecaDoSistema;  // empty: no lookup on the system's library path
  GeradorSessao::Relogio relogio;
  DialogosRoteirizados dialogos;
  std::unique_ptr<TFAtivacao> janela;
};

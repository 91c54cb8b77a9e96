// What every page shares: the bound driver, the parameter table, the
// tool-wide state, the modal seam, the status bar and the common road of a
// driver call.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <exception>
#include <tuple>
#include <type_traits>

#include "campos.h"
#include "dialogos.h"
#include "driver.h"
#include "parametros.h"

class QLabel;
class QLineEdit;
class QMainWindow;
class QStackedWidget;
class QWidget;
class TFFimAFim;
class TFMSefaz;
class TFValida;
class TPainelStatus;

struct EstadoFerramenta {
  QString SessaoAtual;               // six digits, session of the latest driver call
  QByteArray UltimaResposta;         // copy of the latest reply, bytes as received
  QList<QByteArray> CamposResposta;  // UltimaResposta split at "|", empty fields kept
  QString CodigoValidado;            // code typed in TFValida
  bool DialogoCancelado = true;      // TFValida or TFFimAFim not confirmed
};

// Reading a reply field that the reply does not have. A workflow catches it
// around its evaluation, which then ends quietly.
class CampoAusente : public std::exception {
 public:
  const char *what() const noexcept override { return "campo ausente na resposta"; }
};

// What the world around the tool provides; tests give their own.
struct Ambiente {
  QString pastaPrograma;      // holds the driver library, ConfRede.xml and CFe.xml
  QString arquivoParametros;  // Parametros.xml, in the working folder
  // Looked up on the system's library path when the program's folder has no
  // library (installed in /usr/bin); empty: not looked up.
  QString bibliotecaDoSistema;
  // The user's data folder: ConfRede.xml when the program's folder cannot be written.
  QString pastaDados;
  Dialogos *dialogos = nullptr;
  GeradorSessao::Relogio relogio = &QTime::currentTime;

  // The program's own folder, the working folder, the library's SONAME and the user's data folder.
  static Ambiente Padrao(Dialogos &dialogos);
};

class Contexto {
 public:
  explicit Contexto(const Ambiente &ambiente);

  TDriverSAT driver;
  TParametros cds;
  EstadoFerramenta estado;
  GeradorSessao sessoes;
  Dialogos &dialogos;
  const QString pastaPrograma;
  const QString bibliotecaDoSistema;
  const QString pastaDados;

  // Windows and controls, set by the main window when it creates them.
  QMainWindow *janela = nullptr;
  QStackedWidget *PageControl = nullptr;
  TPainelStatus *painelStatus = nullptr;
  QLineEdit *Edit1 = nullptr;  // session field of the tests page
  TFValida *valida = nullptr;
  TFMSefaz *msefaz = nullptr;
  TFFimAFim *fimafim = nullptr;

  // A file in the program's folder.
  QString ArquivoPrograma(const QString &nome) const;
  // A file the program writes and reads back: in the program's folder, or in
  // the user's data folder (created when missing) when the program's folder
  // cannot be written, as /usr/bin for a user.
  QString ArquivoGravavel(const QString &nome) const;

  // Message box with OK (title: the program's name), owned by the main window.
  void Mensagem(const QString &texto);
  // Confirmation box with OK and Cancel; true for OK.
  bool Confirma(const QString &texto, Dialogos::Icone icone = Dialogos::Icone::Pergunta);

  void CursorWait();
  void CursorDefault();
  // Shows reply bytes decoded as UTF-8 in the status panel, cut after 110 characters;
  // the whole reply stays in the panel's tooltip.
  void mostrastatus(const QByteArray &texto);
  // Shows the SEFAZ code and message of CamposResposta in TFMSefaz, when there are any.
  void MostraMSefaz();

  // Field i of CamposResposta; throws CampoAusente when the reply has no such field.
  QByteArray Campo(int i) const;
  // The same decoded as UTF-8.
  QString CampoTexto(int i) const;
  // Field 1 + ": " + field 2, decoded as UTF-8; throws CampoAusente.
  QString MensagemResposta() const;
  void LiberaCampos() { estado.CamposResposta.clear(); }

  // Steps 2 to 9 of the common road: busy indication, a fresh SessaoAtual,
  // the call with the session first and the arguments converted (QString to
  // the library's code page, QByteArray and int as they are), the reply copied into UltimaResposta,
  // Edit1, the status bar and CamposResposta. When the library lacks the entry
  // point, says so and returns false without calling anything.
  template <typename Fn, typename... Args>
  bool ChamaDriver(const Entrada<Fn> &entrada, const Args &...args);

  // Navigation: shows the page and runs its entry step when it was not the visible one.
  void MostraPagina(QWidget *pagina);
  QWidget *PaginaVisivel() const;
  template <typename T>
  T *PaginaDe() const {
    for (QWidget *w : paginas) {
      if (auto *p = qobject_cast<T *>(w)) return p;
    }
    return nullptr;
  }
  QList<QWidget *> paginas;

 private:
  void EntradaAusente(const char *nome);
  void IniciaChamada();
  void TerminaChamada(const char *resposta);

  static QByteArray Converte(const QString &s) { return TextoParaDriver(s); }
  // Bytes go as they are: a document that declares its own encoding.
  static QByteArray Converte(const QByteArray &b) { return b; }
  static int Converte(int v) { return v; }
  static const char *Argumento(const QByteArray &b) { return b.constData(); }
  static int Argumento(int v) { return v; }
};

template <typename Fn, typename... Args>
bool Contexto::ChamaDriver(const Entrada<Fn> &entrada, const Args &...args) {
  if (!entrada) {
    EntradaAusente(entrada.nome);
    return false;
  }
  IniciaChamada();
  const auto convertidos = std::make_tuple(Converte(args)...);
  const int sessao = estado.SessaoAtual.toInt();
  const char *resposta = std::apply(
      [&](const auto &...c) { return entrada.fn(sessao, Argumento(c)...); }, convertidos);
  TerminaChamada(resposta);  // copies the reply before anything else can call the library
  return true;
}

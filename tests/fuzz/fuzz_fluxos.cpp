// Fuzz target for every workflow's reading of a reply: the real main window,
// offscreen, whose driver entry points answer with the input's bytes. Byte 0
// picks the workflow (status listing, session look-up, last fiscal session,
// both end-to-end tests, whole log, SuperLog, code change); the rest is the
// reply, in which "@@@@@@" stands for the call's own session number.
//
// What must hold: no crash; the wait cursor is given back; the reply's fields
// are released after the evaluation; the status bar shows at most 110
// characters and " ...".
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "ativacao.h"
#include "contexto.h"
#include "dialogos.h"
#include "fimafim.h"
#include "painelstatus.h"
#include "valida.h"

namespace {

// Answers every modal window as a person who fills it in and confirms.
class DialogosFuzz : public Dialogos {
 public:
  void Mensagem(QWidget *, const QString &, const QString &, Icone) override {}
  bool Confirma(QWidget *, const QString &, const QString &, Icone) override { return true; }
  QString AbreArquivo(QWidget *, const QString &, const QString &) override { return {}; }
  QString SalvaArquivo(QWidget *, const QString &, const QString &) override { return {}; }
  bool OpenURL(const QString &) override { return true; }
  void MostraModal(QDialog &janela) override {
    if (auto *v = qobject_cast<TFValida *>(&janela)) {
      v->findChild<QLineEdit *>(QStringLiteral("EdtCodigo"))->setText(QStringLiteral("12345678"));
      v->findChild<QPushButton *>(QStringLiteral("BtnValidar"))->click();
    } else if (auto *f = qobject_cast<TFFimAFim *>(&janela)) {
      f->EdtCNPJContrib2->setText(QStringLiteral("11222333000181"));
      if (f->EdtIEContrib->isEnabled()) f->EdtIEContrib->setText(QStringLiteral("123456789012"));
      if (f->EdtCNPJSw->isEnabled()) f->EdtCNPJSw->setText(QStringLiteral("16716114000172"));
      if (f->EdtAssinatura->isEnabled()) f->EdtAssinatura->setText(QStringLiteral("SGVsbG8="));
      f->BtnOk->click();
    }
  }
};

QByteArray g_resposta;  // the input's reply
QByteArray g_devolvida;  // the text handed to the tool, valid until the next call

const char *Responde(int sessao) {
  QByteArray s = QByteArray::number(sessao).rightJustified(6, '0');
  g_devolvida = g_resposta;
  g_devolvida.replace("@@@@@@", s);
  return g_devolvida.constData();
}

const char *CFE_CALL Status(int s, const char *) { return Responde(s); }
const char *CFE_CALL NumeroSessao(int s, const char *, int) { return Responde(s); }
const char *CFE_CALL SessaoFiscal(int s, const char *) { return Responde(s); }
const char *CFE_CALL FimAFim(int s, const char *, const char *) { return Responde(s); }
const char *CFE_CALL Logs(int s, const char *) { return Responde(s); }
const char *CFE_CALL Troca(int s, const char *, int, const char *, const char *) { return Responde(s); }

struct Bancada {
  QTemporaryDir pasta;
  DialogosFuzz dialogos;
  std::unique_ptr<TFAtivacao> janela;

  Bancada() {
    Ambiente a;
    a.pastaPrograma = pasta.path();
    a.arquivoParametros = QDir(pasta.path()).filePath(QStringLiteral("Parametros.xml"));
    a.dialogos = &dialogos;
    int passo = 0;
    a.relogio = [passo]() mutable { return QTime(10, 30, 15).addMSecs(passo++); };
    janela = std::make_unique<TFAtivacao>(a);
    TDriverSAT &d = janela->contexto().driver;
    d.ConsultarStatusOperacional.fn = Status;
    d.ConsultarNumeroSessao.fn = NumeroSessao;
    d.ConsultarUltimaSessaoFiscal.fn = SessaoFiscal;
    d.TesteFimAFim.fn = FimAFim;
    d.ExtrairLogs.fn = Logs;
    d.TrocarCodigoDeAtivacao.fn = Troca;
  }
  template <typename T = QPushButton>
  T *Filho(const char *nome) {
    return janela->findChild<T *>(QString::fromLatin1(nome));
  }
  void Clica(const char *botao) { Filho(botao)->click(); }
};

Bancada *g_bancada = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(*argc, *argv);
  g_bancada = new Bancada;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  Bancada &b = *g_bancada;
  g_resposta = QByteArray(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
  switch (data[0] % 8) {
    case 0:
      b.Clica("BitBtnStatus");
      break;
    case 1:
      b.Clica("BtnTestefimafim");
      b.Filho<QLineEdit>("Edit1")->setText(QStringLiteral("123"));
      b.Clica("BtnSessao");
      break;
    case 2:
      b.Clica("BtnTestefimafim");
      b.Clica("BtnSessaoFiscal");
      break;
    case 3:
      b.Clica("BtnTestefimafim");
      b.Clica("BtnTesteProducao");
      break;
    case 4:
      b.Clica("BtnTestefimafim");
      b.Clica("BtnTesteAtivacao");
      break;
    case 5:
      b.Clica("BitLogs");
      break;
    case 6:
      b.Clica("BitSuperLog");
      break;
    case 7:
      b.Clica("BtnCodAtivacao");
      b.Filho<QCheckBox>("CheckMudaCodigo")->setChecked(true);
      b.Filho<QLineEdit>("EdtCodigo")->setText(QStringLiteral("12345678"));
      b.Filho<QLineEdit>("EdtNovoCodigo")->setText(QStringLiteral("87654321"));
      b.Filho<QLineEdit>("EdtNovoCodigo2")->setText(QStringLiteral("87654321"));
      b.Clica("BtnTrocarCod");
      break;
  }
  // What a running program's event loop does between two clicks: without it the
  // posted events (layout and scroll-bar updates) pile up over the runs.
  QCoreApplication::sendPostedEvents();
  Contexto &ctx = b.janela->contexto();
  if (QApplication::overrideCursor()) abort();
  if (!ctx.estado.CamposResposta.isEmpty()) abort();
  const QString status = ctx.painelStatus->text();
  if (status.toUcs4().size() > 114 || (status.toUcs4().size() > 110 && !status.endsWith(QStringLiteral(" ..."))))
    abort();
  return 0;
}

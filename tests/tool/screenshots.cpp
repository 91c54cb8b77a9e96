// Photographs the windows of cfetool as a person sees them: the real windows
// with the frames and titles that the window manager draws, each reached
// through the workflow that shows it, against the fake driver.
// Usage: cfetool_screenshots OUTPUT_FOLDER   (on an X display with a window manager;
// scripts/screenshots.sh starts both)
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

#include "fimafim.h"
#include "fluxos.h"
#include "roteiro.h"

namespace {

QDir pasta;
bool ok = true;

void Falha(const QString &texto) {
  std::fprintf(stderr, "cfetool_screenshots: %s\n", qPrintable(texto));
  ok = false;
}

// The rectangle of the frame that the window manager put around a window, in
// screen coordinates: the window's ancestor just below the root window. Empty
// while the window manager has not framed it yet.
QRect Moldura(QWidget *janela) {
  auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11) return {};
  xcb_connection_t *x = x11->connection();
  const auto cliente = static_cast<xcb_window_t>(janela->winId());
  xcb_window_t w = cliente;
  for (;;) {
    xcb_query_tree_reply_t *arvore = xcb_query_tree_reply(x, xcb_query_tree(x, w), nullptr);
    if (!arvore) return {};
    const bool noTopo = arvore->parent == arvore->root;
    const xcb_window_t pai = arvore->parent;
    std::free(arvore);
    if (noTopo) break;
    w = pai;
  }
  if (w == cliente) return {};
  xcb_get_geometry_reply_t *g = xcb_get_geometry_reply(x, xcb_get_geometry(x, w), nullptr);
  if (!g) return {};
  const QRect r(g->x, g->y, g->width + 2 * g->border_width, g->height + 2 * g->border_width);
  std::free(g);
  return r;
}

// The window as the screen shows it, frame and title included. The window
// manager frames a window some time after it is mapped and may resize the
// frame a few times: the picture is taken once the frame holds still.
void Foto(QWidget *janela, const QString &nome) {
  if (!QTest::qWaitForWindowExposed(janela, 10000)) return Falha(nome + QStringLiteral(": the window was not shown"));
  janela->raise();
  janela->activateWindow();
  QElapsedTimer relogio;
  relogio.start();
  QRect q;
  int iguais = 0;
  while (iguais < 5 && relogio.elapsed() < 10000) {
    QTest::qWait(40);
    const QRect agora = Moldura(janela);
    const bool emoldurada = agora.width() > janela->width() && agora.height() > janela->height();
    iguais = emoldurada && agora == q && janela->isActiveWindow() ? iguais + 1 : 0;
    q = agora;
  }
  if (iguais < 5) return Falha(nome + QStringLiteral(": no window frame; is a window manager running?"));
  QTest::qWait(300);  // the last paints of the window and of its frame
  const QString arquivo = pasta.filePath(nome + QStringLiteral(".png"));
  const QPixmap foto = janela->screen()->grabWindow(0, q.x(), q.y(), q.width(), q.height());
  if (foto.size() != q.size()) {
    return Falha(QStringLiteral("%1: the screen gave %2x%3 for a window of %4x%5")
                     .arg(nome).arg(foto.width()).arg(foto.height()).arg(q.width()).arg(q.height()));
  }
  if (!foto.save(arquivo)) return Falha(QStringLiteral("cannot write ") + arquivo);
  std::printf("%s\n", qPrintable(arquivo));
}

// The scripted answers of the tests, with the message boxes shown for real
// (the tool's own boxes) where a picture of them is asked for.
class DialogosDeFoto : public DialogosRoteirizados {
 public:
  QStringList fotosDeCaixa;  // name of the picture of each next box; empty: none taken

  void Mensagem(QWidget *dono, const QString &titulo, const QString &texto, Icone icone) override {
    DialogosRoteirizados::Mensagem(dono, titulo, texto, icone);
    Fotografa(dono, titulo, texto, icone, false);
  }
  bool Confirma(QWidget *dono, const QString &titulo, const QString &texto, Icone icone) override {
    const bool resposta = DialogosRoteirizados::Confirma(dono, titulo, texto, icone);
    Fotografa(dono, titulo, texto, icone, true);
    return resposta;
  }

 private:
  void Fotografa(QWidget *dono, const QString &titulo, const QString &texto, Icone icone, bool comCancelar) {
    if (fotosDeCaixa.isEmpty()) return;
    const QString nome = fotosDeCaixa.takeFirst();
    if (nome.isEmpty()) return;
    const auto caixa = DialogosQt::Caixa(dono, titulo, texto, icone, comCancelar);
    caixa->show();
    Foto(caixa.get(), nome);
    caixa->hide();
  }
};

// Made-up but plausible device data, fixed so that the pictures do not change between runs.
const QByteArray kChave = "CFe35240311222333000181599000040190001234567891";

QByteArray RespostaStatus(const QByteArray &sessao) {
  return sessao + "|10000|Resposta com Sucesso.|||900004019|IPFIX|192.168.10.25|00:1A:2B:3C:4D:5E|255.255.255.0|"
                  "192.168.10.1|8.8.8.8|8.8.4.4|CONECTADO|ALTO|4 GB|1 MB|20240315103015|01.05.02|00.08|" +
         kChave + "|CFe35240311222333000181599000040190000010000010|" + kChave +
         "|20240315101244|20240315102710|20240110|20290110|0";
}

// A production end-to-end test's CFe as the device signs it.
const QByteArray kCFe =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe><infCFe Id=\"" + kChave + "\" versao=\"0.08\" versaoDadosEnt=\"0.08\" "
    "versaoSB=\"010502\"><ide><cUF>35</cUF><cNF>456789</cNF><mod>59</mod><nserieSAT>900004019</nserieSAT>"
    "<nCFe>000123</nCFe><dEmi>20240315</dEmi><hEmi>103016</hEmi><cDV>1</cDV><tpAmb>1</tpAmb>"
    "<CNPJ>22333444000181</CNPJ><signAC>SGR-SAT SISTEMA DE GESTAO E RETAGUARDA DO SAT</signAC>"
    "<numeroCaixa>099</numeroCaixa></ide><emit><CNPJ>11222333000181</CNPJ><xNome>MERCEARIA BOA VISTA LTDA</xNome>"
    "<xFant>MERCEARIA BOA VISTA</xFant><enderEmit><xLgr>RUA DAS FLORES</xLgr><nro>120</nro><xBairro>CENTRO</xBairro>"
    "<xMun>SÃO PAULO</xMun><CEP>01001000</CEP></enderEmit><IE>111111111111</IE><cRegTrib>3</cRegTrib>"
    "<indRatISSQN>N</indRatISSQN></emit><dest/><det nItem=\"1\"><prod><cProd>001</cProd><xProd>CAFÉ TORRADO 500G</xProd>"
    "<CFOP>5102</CFOP><uCom>UN</uCom><qCom>1.0000</qCom><vUnCom>18.90</vUnCom><vProd>18.90</vProd>"
    "<indRegra>A</indRegra><vItem>18.90</vItem></prod></det><total><vCFe>18.90</vCFe></total>"
    "<pgto><MP><cMP>01</cMP><vMP>20.00</vMP></MP><vTroco>1.10</vTroco></pgto></infCFe></CFe>";

// A device log with two SuperLog sections; "SuperLog" shows the last one.
QByteArray LogDoSAT() {
  const QByteArray cab = "SAT|info|================= SuperLog NORVI ==================";
  const QByteArray fim = "SAT|info|===================================================";
  const char *const linhas[][2] = {
      {"2024/03/15 09:58:01.112", "SAT|info|Equipamento iniciado"},
      {"2024/03/15 09:58:01.530", "SAT|info|Versao do SB: 01.05.02"},
      {"2024/03/15 09:58:02.004", "COM|info|Interface de rede ETHE, IPFIX 192.168.10.25"},
      {"2024/03/15 10:00:00.000", nullptr},
      {"2024/03/15 10:00:00.001", "SAT|info|Serie: 900004019"},
      {"2024/03/15 10:00:00.002", "SAT|info|Estado: DESBLOQUEADO"},
      {"2024/03/15 10:00:00.003", "SAT|info|CFe emitidos hoje: 12"},
      {"2024/03/15 10:00:00.004", ""},
      {"2024/03/15 10:12:44.870", "CMD|info|EnviarDadosVenda sessao 552301: 06000"},
      {"2024/03/15 10:27:10.215", "SEF|info|Lote transmitido: 12 CFe, retorno 100"},
      {"2024/03/15 10:30:00.000", nullptr},
      {"2024/03/15 10:30:00.001", "SAT|info|Serie: 900004019"},
      {"2024/03/15 10:30:00.002", "SAT|info|Estado: DESBLOQUEADO"},
      {"2024/03/15 10:30:00.003", "SAT|info|Certificado valido ate 10/01/2029"},
      {"2024/03/15 10:30:00.004", "SAT|info|Memoria usada: 1 MB de 4 GB"},
      {"2024/03/15 10:30:00.005", "SAT|info|Ultima comunicacao com a SEFAZ: 15/03/2024 10:27:10"},
      {"2024/03/15 10:30:00.006", "SAT|info|CFe emitidos hoje: 13"},
      {"2024/03/15 10:30:00.007", ""},
      {"2024/03/15 10:30:16.050", "CMD|info|ConsultarStatusOperacional: 10000"},
  };
  QByteArray log;
  for (const auto &l : linhas) {
    // nullptr opens a section, "" closes it.
    const QByteArray texto = !l[1] ? cab : (*l[1] ? QByteArray(l[1]) : fim);
    log += QByteArray(l[0]) + "|" + texto + "\n";
  }
  return log;
}

// A page or dialog that should show content but is empty means a workflow went another way.
void ExigeTexto(QWidget *janela, const char *memo) {
  auto *m = janela->findChild<QPlainTextEdit *>(QString::fromLatin1(memo));
  if (!m || m->toPlainText().trimmed().isEmpty()) Falha(QString::fromLatin1(memo) + QStringLiteral(" is empty"));
}

void Digita(QWidget *janela, const char *campo, const QString &texto) {
  auto *e = janela->findChild<QLineEdit *>(QString::fromLatin1(campo));
  e->setFocus();
  e->selectAll();
  QTest::keyClicks(e, texto);
}

}  // namespace

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  // As the program itself does.
  QApplication::setApplicationName(QStringLiteral("cfetool"));
  // A steady text cursor: the same pictures on every run.
  QApplication::setCursorFlashTime(0);
  if (argc != 2) {
    std::fprintf(stderr, "usage: cfetool_screenshots OUTPUT_FOLDER\n");
    return 2;
  }
  if (QGuiApplication::platformName() != u"xcb") {
    std::fprintf(stderr, "cfetool_screenshots: needs an X display with a window manager (platform is %s)\n",
                 qPrintable(QGuiApplication::platformName()));
    return 2;
  }
  pasta.setPath(QString::fromLocal8Bit(argv[1]));
  if (!pasta.mkpath(QStringLiteral("."))) return 1;

  const QString biblioteca = QDir(PastaFakeCompleto()).filePath(QStringLiteral("libcfedriver.so"));
  FakeDriver fake(biblioteca);
  fake.Limpa();
  // A program folder and a working folder of their own: "CFe.xml", "ConfRede.xml" and a fresh
  // "Parametros.xml" land in temporary folders.
  QTemporaryDir programa;
  QTemporaryDir trabalho;
  if (!programa.isValid() || !trabalho.isValid() ||
      !QFile::link(biblioteca, QDir(programa.path()).filePath(QStringLiteral("libcfedriver.so")))) {
    std::fprintf(stderr, "cfetool_screenshots: cannot prepare the program folder\n");
    return 1;
  }
  // A clock that starts at a fixed time and moves one millisecond per reading:
  // the same session numbers on every run, so the pictures only change when the windows do.
  int leituras = 0;
  const QTime inicio(10, 30, 15, 500);
  DialogosDeFoto dialogos;
  Ambiente ambiente;
  ambiente.pastaPrograma = programa.path();
  ambiente.arquivoParametros = QDir(trabalho.path()).filePath(QStringLiteral("Parametros.xml"));
  ambiente.dialogos = &dialogos;
  ambiente.relogio = [&leituras, inicio] { return inicio.addMSecs(leituras++); };
  TFAtivacao janela(ambiente);
  auto proximaSessao = [&leituras, inicio] { return GeradorSessao::NumeroDoHorario(inicio.addMSecs(leituras)).toLatin1(); };
  auto menu = [&janela](const char *botao) { QTest::mouseClick(janela.findChild<QAbstractButton *>(QString::fromLatin1(botao)), Qt::LeftButton); };
  auto clica = menu;
  // The next modal window: shown, photographed when nome is given, then acao (which may type and
  // confirm); without acao it is closed as with its close box.
  auto modal = [&dialogos](const QString &nome, std::function<void(QDialog &)> acao = {}) {
    dialogos.roteiroModal << [nome, acao](QDialog &d) {
      d.show();
      if (!nome.isEmpty()) Foto(&d, nome);
      if (acao) acao(d);
      d.hide();
    };
  };
  // TFValida: the code typed, then "Validar".
  auto validar = [](QDialog &d) {
    QTest::keyClicks(d.findChild<QLineEdit *>(QStringLiteral("EdtCodigo")), QStringLiteral("12345678"));
    QTest::mouseClick(d.findChild<QPushButton *>(QStringLiteral("BtnValidar")), Qt::LeftButton);
  };

  // The pointer out of the way: Xvfb puts it in the middle of the screen, over the dialogs.
  QCursor::setPos(janela.screen(), QPoint(0, 0));
  janela.show();
  // ---- Each page as its menu button first shows it -------------------------------------
  Foto(&janela, QStringLiteral("TabNorvi"));
  menu("BtnConfRede");
  Foto(&janela, QStringLiteral("TabConfRede"));
  menu("BtnAtivacao");
  Foto(&janela, QStringLiteral("TabAtivar"));
  menu("BtnAssocAssin");
  Foto(&janela, QStringLiteral("TabAssocAss"));
  menu("BtnTestefimafim");
  Foto(&janela, QStringLiteral("TabTeste"));
  // The code dialog with a code typed, then closed with its close box: the page shows, empty.
  modal(QString(), [](QDialog &d) {
    QTest::keyClicks(d.findChild<QLineEdit *>(QStringLiteral("EdtCodigo")), QStringLiteral("12345678"));
    Foto(&d, QStringLiteral("TFValida"));
  });
  menu("BitBtnStatus");
  Foto(&janela, QStringLiteral("TabStatus"));
  modal(QString());
  menu("BitLogs");
  Foto(&janela, QStringLiteral("TabLog"));
  menu("BtnCodAtivacao");
  Foto(&janela, QStringLiteral("TabCodAtiva"));
  menu("BtnBloquearSAT");
  Foto(&janela, QStringLiteral("TabBloq"));
  menu("BitAtualizaSW");
  Foto(&janela, QStringLiteral("TavAtualizaSW"));

  // ---- "Consultar SAT", in operation and not ---------------------------------------------
  fake.Resposta(proximaSessao() + "|08000|SAT em operação||");
  menu("BtnPrincipal");
  Foto(&janela, QStringLiteral("TabNorvi-operante"));
  fake.Resposta(proximaSessao() + "|08098|SAT em processamento. Tente novamente.||");
  clica("BitBtn6");
  Foto(&janela, QStringLiteral("TabNorvi-inoperante"));
  fake.Resposta(proximaSessao() + "|08000|SAT em operação||");
  clica("BitBtn6");

  // ---- Activation: the page filled in, the confirmation, the reply and the SEFAZ window ------
  menu("BtnAtivacao");
  Digita(&janela, "EdtCodAtiv2", QStringLiteral("12345678"));
  Digita(&janela, "EdtCodAtiv2Conf", QStringLiteral("12345678"));
  Digita(&janela, "EdtCNPJContrib", QStringLiteral("11222333000181"));
  Foto(&janela, QStringLiteral("TabAtivar-preenchida"));
  dialogos.respostasConfirma << true;
  dialogos.fotosDeCaixa << QStringLiteral("TabAtivar-confirmacao") << QStringLiteral("TabAtivar-ativado");
  modal(QStringLiteral("TFMSefaz"));
  fake.Resposta(proximaSessao() + "|04000|Ativado corretamente|0000|Certificado AC-SAT transmitido à SEFAZ.|");
  clica("BtnAtivar");

  // ---- The code change unlocked with the emergency code ---------------------------------
  menu("BtnCodAtivacao");
  // A check box is clicked on its box, at its left end.
  auto marca = [&janela](const char *nome) {
    auto *caixa = janela.findChild<QCheckBox *>(QString::fromLatin1(nome));
    QTest::mouseClick(caixa, Qt::LeftButton, {}, QPoint(caixa->height() / 2, caixa->height() / 2));
  };
  marca("CheckMudaCodigo");
  marca("Checkemergencia");
  Foto(&janela, QStringLiteral("TabCodAtiva-emergencia"));

  // ---- The network page with a static address and a proxy -------------------------------
  menu("BtnConfRede");
  auto escolhe = [&janela](const char *nome, int posicao) {
    auto *c = janela.findChild<QComboBox *>(QString::fromLatin1(nome));
    c->setCurrentIndex(posicao);
    emit c->activated(posicao);  // as a choice in the open list does
  };
  escolhe("CbotipoLan", 1);
  Digita(&janela, "EdtlanIP", QStringLiteral("192.168.10.25"));
  Digita(&janela, "EdtlanMask", QStringLiteral("255.255.255.0"));
  Digita(&janela, "EdtlanGW", QStringLiteral("192.168.10.1"));
  Digita(&janela, "EdtlanDNS1", QStringLiteral("8.8.8.8"));
  Digita(&janela, "EdtlanDNS2", QStringLiteral("8.8.4.4"));
  escolhe("cboProxy", 1);
  Digita(&janela, "Edtproxy_ip", QStringLiteral("192.168.10.5"));
  Digita(&janela, "Edtproxy_porta", QStringLiteral("3128"));
  Digita(&janela, "Edtproxy_user", QStringLiteral("loja"));
  Digita(&janela, "Edtproxy_senha", QStringLiteral("senha123"));
  Digita(&janela, "LblEdtCodRede", QStringLiteral("12345678"));
  Foto(&janela, QStringLiteral("TabConfRede-preenchida"));

  // ---- The status listing ----------------------------------------------------------------
  modal(QString(), validar);
  fake.Resposta(RespostaStatus(proximaSessao()));
  menu("BitBtnStatus");
  ExigeTexto(&janela, "MemoStatus");
  Foto(&janela, QStringLiteral("TabStatus-listagem"));

  // ---- A production end-to-end test: its window as it opens and filled in, then the CFe ----
  menu("BtnTestefimafim");
  modal(QString(), validar);
  modal(QStringLiteral("TFFimAFim"), [](QDialog &d) {
    Digita(&d, "EdtIEContrib", QStringLiteral("111111111111"));
    Digita(&d, "EdtCNPJSw", QStringLiteral("22333444000181"));
    Digita(&d, "EdtAssinatura", QStringLiteral("SGR-SAT SISTEMA DE GESTAO E RETAGUARDA DO SAT"));
    d.findChild<QLineEdit *>(QStringLiteral("EdtAssinatura"))->setCursorPosition(0);  // its start, not its end
    Foto(&d, QStringLiteral("TFFimAFim-preenchida"));
    QTest::mouseClick(d.findChild<QPushButton *>(QStringLiteral("BtnOk")), Qt::LeftButton);
  });
  modal(QString());  // the SEFAZ window of the reply
  fake.Resposta(proximaSessao() + "|09000|Emitido com sucesso|0000|Autorizado|" + Base64ComQuebras(kCFe) +
                "|20240315103016|" + kChave + "|18.90||QRCODE");
  clica("BtnTesteProducao");
  ExigeTexto(&janela, "MemoCFe");
  Foto(&janela, QStringLiteral("TabTeste-cfe"));

  // ---- The device's log: its last SuperLog section, then the whole log -----------------------
  const QByteArray log = Base64ComQuebras(LogDoSAT());
  modal(QString(), validar);
  fake.Resposta(proximaSessao() + "|15000|Transferência completa|||" + log);
  menu("BitSuperLog");
  ExigeTexto(&janela, "MemoLogs");
  Foto(&janela, QStringLiteral("TabLog-superlog"));
  modal(QString(), validar);
  fake.Resposta(proximaSessao() + "|15000|Transferência completa|||" + log);
  menu("BitLogs");
  ExigeTexto(&janela, "MemoLogs");
  Foto(&janela, QStringLiteral("TabLog-logs"));

  // Every workflow ran as scripted: each message the tool showed is listed.
  for (const auto &r : dialogos.registros) {
    if (r.tipo == u"mensagem" || r.tipo == u"confirma") std::printf("  message: %s\n", qPrintable(r.texto));
  }
  if (!dialogos.roteiroModal.isEmpty() || !dialogos.fotosDeCaixa.isEmpty()) Falha(QStringLiteral("a scripted window was never shown"));
  janela.close();
  return ok ? 0 : 1;
}

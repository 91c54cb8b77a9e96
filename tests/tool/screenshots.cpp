// Renders every page of the main window and every dialog to PNG files, so
// that the windows can be looked at without running the tool.
// Usage: cfetool_screenshots OUTPUT_FOLDER   (run offscreen; scripts/screenshots.sh)
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#include "fimafim.h"
#include "fluxos.h"
#include "msefaz.h"
#include "pages/tabnorvi.h"
#include "roteiro.h"
#include "valida.h"

namespace {

bool Grava(QWidget *w, const QDir &pasta, const QString &nome) {
  QApplication::processEvents();
  const QString arquivo = pasta.filePath(nome + QStringLiteral(".png"));
  if (!w->grab().save(arquivo)) {
    std::fprintf(stderr, "cfetool_screenshots: cannot write %s\n", qPrintable(arquivo));
    return false;
  }
  std::printf("%s\n", qPrintable(arquivo));
  return true;
}

// A page that should show content but is empty means a workflow went another way: said, and the run fails.
bool TemTexto(QWidget *janela, const char *memo) {
  auto *m = janela->findChild<QPlainTextEdit *>(QString::fromLatin1(memo));
  if (m && !m->toPlainText().trimmed().isEmpty()) return true;
  std::fprintf(stderr, "cfetool_screenshots: %s is empty\n", memo);
  return false;
}

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

}  // namespace

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName(QStringLiteral("cfetool"));
  if (argc != 2) {
    std::fprintf(stderr, "usage: cfetool_screenshots OUTPUT_FOLDER\n");
    return 2;
  }
  QDir pasta(QString::fromLocal8Bit(argv[1]));
  if (!pasta.mkpath(QStringLiteral("."))) return 1;

  const QString biblioteca = QDir(PastaFakeCompleto()).filePath(QStringLiteral("libcfedriver.so"));
  FakeDriver fake(biblioteca);
  fake.Limpa();
  // A program folder of its own, so that "CFe.xml" and "ConfRede.xml" land in a temporary folder.
  QTemporaryDir programa;
  if (!programa.isValid() || !QFile::link(biblioteca, QDir(programa.path()).filePath(QStringLiteral("libcfedriver.so")))) {
    std::fprintf(stderr, "cfetool_screenshots: cannot prepare the program folder\n");
    return 1;
  }
  // A clock that starts at a fixed time and moves one millisecond per reading:
  // the same session numbers on every run, so the pictures only change when the windows do.
  int leituras = 0;
  const QTime inicio(10, 30, 15, 500);
  Ferramenta f(programa.path(), [&leituras, inicio] { return inicio.addMSecs(leituras++); });
  auto proximaSessao = [&leituras, inicio] { return GeradorSessao::NumeroDoHorario(inicio.addMSecs(leituras)).toLatin1(); };
  // The next TFValida: the code is typed and "Validar" pressed.
  auto pedeCodigo = [&f] {
    f.dialogos.roteiroModal << [](QDialog &d) {
      QTest::keyClicks(d.findChild<QLineEdit *>(QStringLiteral("EdtCodigo")), QStringLiteral("12345678"));
      d.findChild<QPushButton *>(QStringLiteral("BtnValidar"))->click();
    };
  };
  auto menu = [&f](const char *botao) { f.Filho<QPushButton>(botao)->click(); };
  TFAtivacao *janela = f.janela.get();
  janela->show();
  bool ok = true;

  Contexto &ctx = f.ctx();
  for (QWidget *pagina : ctx.paginas) {
    ctx.PageControl->setCurrentWidget(pagina);
    ok &= Grava(janela, pasta, pagina->objectName());
  }

  // The start page after "Consultar SAT", in operation and not.
  fake.Resposta("728306|08000|SAT em operação||");
  QTest::mouseClick(f.Filho<QPushButton>("BitBtn6"), Qt::LeftButton);
  ok &= Grava(janela, pasta, QStringLiteral("TabNorvi-operante"));
  fake.Resposta("728307|08098|SAT em processamento. Tente novamente.||");
  QTest::mouseClick(f.Filho<QPushButton>("BitBtn6"), Qt::LeftButton);
  ok &= Grava(janela, pasta, QStringLiteral("TabNorvi-inoperante"));

  auto *valida = janela->findChild<TFValida *>();
  valida->show();
  valida->EdtCodigo->setText(QStringLiteral("12345678"));
  ok &= Grava(valida, pasta, QStringLiteral("TFValida"));
  valida->hide();

  auto *msefaz = janela->findChild<TFMSefaz *>();
  msefaz->MemoSefaz->setPlainText(QStringLiteral("Código: 0000\n\nMensagem da SEFAZ de exemplo."));
  msefaz->show();
  ok &= Grava(msefaz, pasta, QStringLiteral("TFMSefaz"));
  msefaz->hide();

  auto *fimafim = janela->findChild<TFFimAFim *>();
  fimafim->show();
  ok &= Grava(fimafim, pasta, QStringLiteral("TFFimAFim"));
  fimafim->hide();

  // ---- The pages with content, through the real workflows ------------------------------

  // A device in operation again, so that the start button is green on the pages below.
  fake.Resposta("728306|08000|SAT em operação||");
  QTest::mouseClick(f.Filho<QPushButton>("BitBtn6"), Qt::LeftButton);

  // The network page with a static address and a proxy chosen, so that their fields show.
  menu("BtnConfRede");
  auto escolhe = [&f](const char *nome, int posicao) {
    auto *c = f.Filho<QComboBox>(nome);
    c->setCurrentIndex(posicao);
    emit c->activated(posicao);
  };
  escolhe("CbotipoLan", 1);
  f.Filho<QLineEdit>("EdtlanIP")->setText(QStringLiteral("192.168.10.25"));
  f.Filho<QLineEdit>("EdtlanMask")->setText(QStringLiteral("255.255.255.0"));
  f.Filho<QLineEdit>("EdtlanGW")->setText(QStringLiteral("192.168.10.1"));
  f.Filho<QLineEdit>("EdtlanDNS1")->setText(QStringLiteral("8.8.8.8"));
  f.Filho<QLineEdit>("EdtlanDNS2")->setText(QStringLiteral("8.8.4.4"));
  escolhe("cboProxy", 1);
  f.Filho<QLineEdit>("Edtproxy_ip")->setText(QStringLiteral("192.168.10.5"));
  f.Filho<QLineEdit>("Edtproxy_porta")->setText(QStringLiteral("3128"));
  f.Filho<QLineEdit>("Edtproxy_user")->setText(QStringLiteral("loja"));
  f.Filho<QLineEdit>("Edtproxy_senha")->setText(QStringLiteral("senha123"));
  f.Filho<QLineEdit>("LblEdtCodRede")->setText(QStringLiteral("12345678"));
  ok &= Grava(janela, pasta, QStringLiteral("TabConfRede-preenchida"));

  // The activation page with the codes, the taxpayer's CNPJ and the state typed in.
  menu("BtnAtivacao");
  f.Filho<QLineEdit>("EdtCodAtiv2")->setText(QStringLiteral("12345678"));
  f.Filho<QLineEdit>("EdtCodAtiv2Conf")->setText(QStringLiteral("12345678"));
  f.Filho<QLineEdit>("EdtCNPJContrib")->setText(QStringLiteral("11222333000181"));
  f.Filho<QComboBox>("cbo")->setCurrentText(QStringLiteral("SP"));
  ok &= Grava(janela, pasta, QStringLiteral("TabAtivar-preenchida"));

  // The status listing of a device in operation.
  pedeCodigo();
  fake.Resposta(RespostaStatus(proximaSessao()));
  menu("BitBtnStatus");
  ok &= TemTexto(janela, "MemoStatus");
  ok &= Grava(janela, pasta, QStringLiteral("TabStatus-listagem"));

  // A production end-to-end test: its parameters typed in TFFimAFim, then the CFe on the tests page.
  menu("BtnTestefimafim");
  pedeCodigo();
  f.dialogos.roteiroModal << [&](QDialog &d) {
    auto *j = static_cast<TFFimAFim *>(&d);
    j->EdtCNPJContrib2->setText(QStringLiteral("11222333000181"));
    j->EdtIEContrib->setText(QStringLiteral("111111111111"));
    j->EdtCNPJSw->setText(QStringLiteral("22333444000181"));
    j->EdtAssinatura->setText(QStringLiteral("SGR-SAT SISTEMA DE GESTAO E RETAGUARDA DO SAT"));
    j->EdtAssinatura->setCursorPosition(0);  // the signature's start, not its end
    j->show();
    ok &= Grava(j, pasta, QStringLiteral("TFFimAFim-preenchida"));
    j->hide();
    j->BtnOk->click();
  };
  fake.Resposta(proximaSessao() + "|09000|Emitido com sucesso|0000|Autorizado|" + Base64ComQuebras(kCFe) +
                "|20240315103016|" + kChave + "|18.90||QRCODE");
  QTest::mouseClick(f.Filho<QPushButton>("BtnTesteProducao"), Qt::LeftButton);
  // The memo follows the last line added; the picture shows the CFe from its start.
  f.Filho<QPlainTextEdit>("MemoCFe")->moveCursor(QTextCursor::Start);
  ok &= TemTexto(janela, "MemoCFe");
  ok &= Grava(janela, pasta, QStringLiteral("TabTeste-cfe"));

  // The device's log: its last SuperLog section, then the whole log.
  const QByteArray log = Base64ComQuebras(LogDoSAT());
  pedeCodigo();
  fake.Resposta(proximaSessao() + "|15000|Transferência completa|||" + log);
  menu("BitSuperLog");
  ok &= TemTexto(janela, "MemoLogs");
  ok &= Grava(janela, pasta, QStringLiteral("TabLog-superlog"));
  pedeCodigo();
  fake.Resposta(proximaSessao() + "|15000|Transferência completa|||" + log);
  menu("BitLogs");
  ok &= TemTexto(janela, "MemoLogs");
  ok &= Grava(janela, pasta, QStringLiteral("TabLog-logs"));

  // Every workflow ran as scripted: each message the tool showed is listed.
  for (const auto &r : f.dialogos.registros) {
    if (r.tipo == u"mensagem" || r.tipo == u"confirma") std::printf("  message: %s\n", qPrintable(r.texto));
  }
  return ok ? 0 : 1;
}

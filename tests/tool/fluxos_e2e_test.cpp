// The workflows of cfetool with the real libcfedriver.so and the device
// emulator on a pseudo-terminal: activate, associate, configure the network,
// both end-to-end tests, status, last fiscal session, log and SuperLog,
// block and unblock, with the emulator's state followed along.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "fimafim.h"
#include "roteiro.h"
#include "sat_emulator.h"

class FluxosE2eTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    QVERIFY(emulador.Start());
    const QString ini = QDir(pasta.path()).filePath(QStringLiteral("sat.ini"));
    QVERIFY(emulador.WriteIni(ini.toStdString()));
    qputenv("CFEDRIVER_INI", QFile::encodeName(ini));
    qputenv("CFEDRIVER_LOG", QFile::encodeName(QDir(pasta.path()).filePath(QStringLiteral("driver.log"))));
    // The program's folder of its own, so that CFe.xml and ConfRede.xml land here.
    QVERIFY(QFile::link(QDir(QStringLiteral(CFETOOL_PASTA_DRIVER)).filePath(QStringLiteral("libcfedriver.so")),
                        QDir(programa.path()).filePath(QStringLiteral("libcfedriver.so"))));
  }
  void cleanupTestCase() { emulador.Stop(); }

  void TodosOsFluxos();

 private:
  void Valida(Ferramenta &f, const QString &codigo) {
    f.dialogos.roteiroModal << [codigo](QDialog &d) {
      d.findChild<QLineEdit *>(QStringLiteral("EdtCodigo"))->setText(codigo);
      d.findChild<QPushButton *>(QStringLiteral("BtnValidar"))->click();
    };
  }
  QString Arquivo(const QString &nome) { return QDir(programa.path()).filePath(nome); }

  QTemporaryDir pasta;
  QTemporaryDir programa;
  satemu::SatEmulator emulador;
};

void FluxosE2eTest::TodosOsFluxos() {
  emulador.SetActivated(false);
  Ferramenta f(programa.path());
  QCOMPARE(f.dialogos.Textos(), QStringList{});
  const auto clica = [&](const char *nome) { f.Filho<QPushButton>(nome)->click(); };
  const auto ultima = [&] { return f.dialogos.Textos().value(f.dialogos.Textos().size() - 1); };

  // Activation.
  clica("BtnAtivacao");
  f.Filho<QLineEdit>("EdtCodAtiv2")->setText(QStringLiteral("abcd1234"));
  f.Filho<QLineEdit>("EdtCodAtiv2Conf")->setText(QStringLiteral("abcd1234"));
  f.Filho<QLineEdit>("EdtCNPJContrib")->setText(QStringLiteral("11222333000181"));
  f.dialogos.respostasConfirma << true;
  clica("BtnAtivar");
  QCOMPARE(ultima(), QStringLiteral("SAT Ativado corretamente, faltando associá-lo ao Aplic. Comercial."));
  QVERIFY(emulador.Activated());
  QCOMPARE(emulador.ActivationCode(), std::string("abcd1234"));

  // Association.
  clica("BtnAssocAssin");
  f.Filho<QLineEdit>("EdtCNPJSw")->setText(QStringLiteral("22333444000181"));
  f.Filho<QLineEdit>("EdtAssinatura")->setText(QStringLiteral("SGR-SAT SISTEMA DE GESTAO E RETAGUARDA DO SAT"));
  f.Filho<QLineEdit>("EdtCodAtiv3")->setText(QStringLiteral("abcd1234"));
  clica("BitAssociar");
  QCOMPARE(ultima(), QStringLiteral("13000: Assinatura do AC Registrada"));
  QVERIFY(QByteArray::fromStdString(emulador.Requests().back()).contains("|2233344400018111222333000181|SGR-SAT"));

  // Network: a fixed address, which the status then reports.
  clica("BtnConfRede");
  f.Filho<QComboBox>("CbotipoLan")->setCurrentIndex(1);
  f.Filho<QLineEdit>("EdtlanIP")->setText(QStringLiteral("10.1.2.3"));
  f.Filho<QLineEdit>("EdtlanMask")->setText(QStringLiteral("255.255.255.0"));
  f.Filho<QLineEdit>("LblEdtCodRede")->setText(QStringLiteral("abcd1234"));
  clica("BitBtn4");
  QCOMPARE(ultima(), QStringLiteral("12000: Rede Configurada com Sucesso"));
  QVERIFY(QFile::exists(Arquivo(QStringLiteral("ConfRede.xml"))));

  // Both end-to-end tests.
  clica("BtnTestefimafim");
  for (const char *botao : {"BtnTesteAtivacao", "BtnTesteProducao"}) {
    QFile::remove(Arquivo(QStringLiteral("CFe.xml")));
    Valida(f, QStringLiteral("abcd1234"));
    f.dialogos.roteiroModal << [](QDialog &d) {
      auto &j = static_cast<TFFimAFim &>(d);
      if (j.EdtIEContrib->isEnabled()) j.EdtIEContrib->setText(QStringLiteral("111111111111"));
      j.BtnOk->click();
    };
    clica(botao);
    QCOMPARE(ultima(), QStringLiteral("09000: Emitido com sucesso"));
    const QByteArray cfe = [&] {
      QFile a(Arquivo(QStringLiteral("CFe.xml")));
      return a.open(QIODevice::ReadOnly) ? a.readAll() : QByteArray();
    }();
    QVERIFY2(cfe.startsWith("<?xml") && cfe.endsWith("</CFe>\r\n"), cfe.constData());
    QVERIFY(cfe.contains("<CNPJ>11222333000181</CNPJ>"));
    QVERIFY(f.Filho<QPlainTextEdit>("MemoCFe")->toPlainText().contains(QStringLiteral("  <infCFe")));
    QVERIFY(f.Filho<QPushButton>("BtnNaveg")->isEnabled());
  }
  QVERIFY(QByteArray::fromStdString(emulador.Requests().back()).contains("<IE>111111111111</IE>"));

  // Status: the network settings and the state.
  Valida(f, QStringLiteral("abcd1234"));
  clica("BitBtnStatus");
  QStringList status = f.Filho<QPlainTextEdit>("MemoStatus")->toPlainText().split(u'\n');
  QCOMPARE(status.size(), 24);
  QCOMPARE(status[2], QStringLiteral(" TIPO_LAN ......... IPFIX"));
  QCOMPARE(status[3], QStringLiteral(" LAN_IP ........... 10.1.2.3"));
  QCOMPARE(status[23], QStringLiteral(" ESTADO_OPERACAO .. DESBLOQUEADO"));

  // A sale through the library, then the last fiscal session recovers its CFe.
  const QByteArray venda = "<CFe><infCFe versaoDadosEnt=\"0.08\"><emit><CNPJ>11222333000181</CNPJ></emit>"
                           "<det nItem=\"1\"><prod><qCom>1.0000</qCom><vUnCom>10.00</vUnCom></prod></det></infCFe></CFe>";
  const QByteArray vendida = f.ctx().driver.EnviarDadosVenda.fn(4242, "abcd1234", venda.constData());
  QVERIFY2(vendida.startsWith("004242|06000|"), vendida.constData());
  clica("BtnTestefimafim");
  Valida(f, QStringLiteral("abcd1234"));
  clica("BtnSessaoFiscal");
  const QString memo = f.Filho<QPlainTextEdit>("MemoCFe")->toPlainText();
  QVERIFY2(memo.contains(QStringLiteral("Sessão: 004242")), qPrintable(memo));
  QVERIFY(memo.contains(QStringLiteral("Chave: CFe35")));
  QFile cfe(Arquivo(QStringLiteral("CFe.xml")));
  QVERIFY(cfe.open(QIODevice::ReadOnly));
  QVERIFY(cfe.readAll().contains("<vCFe>10.00</vCFe></total>"));

  // Log and SuperLog.
  Valida(f, QStringLiteral("abcd1234"));
  clica("BitLogs");
  QVERIFY(f.Filho<QPlainTextEdit>("MemoLogs")->toPlainText().contains(QStringLiteral("|SAT|info|Teste fim a fim: CFe")));
  Valida(f, QStringLiteral("abcd1234"));
  clica("BitSuperLog");
  const QStringList superlog = f.Filho<QPlainTextEdit>("MemoLogs")->toPlainText().split(u'\n');
  QCOMPARE(superlog.value(1), QStringLiteral("   SAT|info|================= SuperLog NORVI =================="));
  QCOMPARE(superlog.value(3), QStringLiteral("   SAT|info|Ativado: sim"));
  QCOMPARE(superlog.last(), QStringLiteral("   SAT|info|==================================================="));

  // Block and unblock.
  clica("BtnBloquearSAT");
  f.Filho<QLineEdit>("EdtCodAtiv6")->setText(QStringLiteral("abcd1234"));
  clica("BitBloquSAT");
  QCOMPARE(ultima(), QStringLiteral("16000: Equipamento SAT será bloqueado."));
  QVERIFY(emulador.Blocked());
  Valida(f, QStringLiteral("abcd1234"));
  clica("BitBtnStatus");
  status = f.Filho<QPlainTextEdit>("MemoStatus")->toPlainText().split(u'\n');
  QCOMPARE(status.value(23), QStringLiteral(" ESTADO_OPERACAO .. BLOQUEIO CONTRIBUINTE"));
  clica("BtnBloquearSAT");
  f.Filho<QLineEdit>("EdtCodAtiv6")->setText(QStringLiteral("abcd1234"));
  clica("BitBtn5");
  QCOMPARE(ultima(), QStringLiteral("17000: Equipamento SAT será desbloqueado."));
  QVERIFY(!emulador.Blocked());
}

QTEST_MAIN(FluxosE2eTest)
#include "fluxos_e2e_test.moc"

// The tool's small routines: CNPJ test, session numbers, state table, reply
// splitter, XML re-indenting, entry rules, text conversion and version.
#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>

#include "campos.h"
#include "driver.h"
#include "versao.h"

class CamposTest : public QObject {
  Q_OBJECT
 private slots:
  void isCNPJ_data();
  void isCNPJ();
  void Apara();
  void CodigoValido();
  void TabelaUF();
  void SessaoValoresCalculados();
  void SessaoNaoRepeteNoMesmoMilissegundo();
  void SessaoVoltaDepoisDeCemNumeros();
  void ExtractStrings2_data();
  void ExtractStrings2();
  void ExtractStrings2AcrescentaNaLista();
  void FormatXMLStringByteAByte();
  void FormatXMLStringDeclaracao_data();
  void FormatXMLStringDeclaracao();
  void FormatXMLStringReindentaEEscapa();
  void FormatXMLStringGuardaNamespaces();
  void FormatXMLStringMalFormado();
  void ValorCNPJ();
  void TextoDoEParaODriver();
  void Versao();
};

void CamposTest::isCNPJ_data() {
  QTest::addColumn<QString>("v");
  QTest::addColumn<bool>("valido");
  QTest::newRow("exemplo valido") << "11222333000181" << true;
  QTest::newRow("segundo digito errado") << "11222333000182" << false;
  QTest::newRow("primeiro digito errado") << "11222333000191" << false;
  QTest::newRow("outro valido") << "48291736000192" << true;
  QTest::newRow("13 digitos") << "1122233300018" << false;
  QTest::newRow("15 digitos") << "112223330001810" << false;
  QTest::newRow("espaco no meio") << "1122233 000181" << false;
  QTest::newRow("letra") << "1122233300018a" << false;
  QTest::newRow("pontuacao") << "11.222.333/0001-81" << false;
  QTest::newRow("zeros") << "00000000000000" << false;
  QTest::newRow("noves") << "99999999999999" << false;
  QTest::newRow("vazio") << "" << false;
}

void CamposTest::isCNPJ() {
  QFETCH(QString, v);
  QFETCH(bool, valido);
  QCOMPARE(::isCNPJ(v), valido);
}

void CamposTest::Apara() {
  QCOMPARE(::Apara(QStringLiteral("\t\x01  abc def \r\n")), QStringLiteral("abc def"));
  QCOMPARE(::Apara(QStringLiteral(" \x1f ")), QString());
  // Only codes up to 32 are trimmed.
  QCOMPARE(::Apara(QStringLiteral("\u00a0x\u00a0")), QStringLiteral("\u00a0x\u00a0"));
}

void CamposTest::CodigoValido() {
  QVERIFY(!::CodigoValido(QStringLiteral(" 1234567 ")));
  QVERIFY(::CodigoValido(QStringLiteral("  12345678  ")));
  QVERIFY(!::CodigoValido(QString()));
}

void CamposTest::TabelaUF() {
  QCOMPARE(::TabelaUF.size(), size_t(27));
  QCOMPARE(QByteArray(::TabelaUF[0].codigo), QByteArray("AC"));
  QCOMPARE(QByteArray(::TabelaUF[0].numero), QByteArray("12"));
  QCOMPARE(QByteArray(::TabelaUF[25].codigo), QByteArray("SP"));
  QCOMPARE(QByteArray(::TabelaUF[25].numero), QByteArray("35"));
  QCOMPARE(QByteArray(::TabelaUF[26].codigo), QByteArray("TO"));
  QCOMPARE(QByteArray(::TabelaUF[26].numero), QByteArray("17"));
}

void CamposTest::SessaoValoresCalculados() {
  QCOMPARE(GeradorSessao::NumeroDoHorario(QTime(10, 30, 15, 500)), QStringLiteral("728306"));
  QCOMPARE(GeradorSessao::NumeroDoHorario(QTime(0, 0, 0, 0)), QStringLiteral("000001"));
}

namespace {
// A clock that returns the given times in order, then stays on the last.
GeradorSessao::Relogio Relogio(QList<QTime> horas, int *leituras) {
  return [horas, leituras]() mutable {
    const int i = (*leituras)++;
    return horas.at(qMin(i, int(horas.size()) - 1));
  };
}
QTime Ms(int ms) { return QTime(0, 0).addMSecs(ms); }
}  // namespace

void CamposTest::SessaoNaoRepeteNoMesmoMilissegundo() {
  int leituras = 0;
  const QTime t = QTime(10, 30, 15, 500);
  GeradorSessao g(Relogio({t, t, t, t.addMSecs(1)}, &leituras));
  QCOMPARE(g.geranumsessao(), QStringLiteral("728306"));
  const QString segundo = g.geranumsessao();
  QCOMPARE(segundo, GeradorSessao::NumeroDoHorario(t.addMSecs(1)));
  QVERIFY(segundo != QStringLiteral("728306"));
  QCOMPARE(leituras, 4);  // the second call waited for the clock to move on
}

void CamposTest::SessaoVoltaDepoisDeCemNumeros() {
  QSet<QString> distintos;
  for (int k = 0; k <= 100; ++k) distintos.insert(GeradorSessao::NumeroDoHorario(Ms(k)));
  QCOMPARE(distintos.size(), 101);

  // 99 further numbers: the first one is still remembered.
  QList<QTime> horas;
  for (int k = 0; k <= 99; ++k) horas << Ms(k);
  horas << Ms(0) << Ms(100);
  int leituras = 0;
  GeradorSessao quase(Relogio(horas, &leituras));
  for (int k = 0; k <= 99; ++k) quase.geranumsessao();
  QCOMPARE(quase.geranumsessao(), GeradorSessao::NumeroDoHorario(Ms(100)));

  // 100 further numbers: the ring has forgotten it.
  horas.clear();
  for (int k = 0; k <= 100; ++k) horas << Ms(k);
  horas << Ms(0);
  leituras = 0;
  GeradorSessao volta(Relogio(horas, &leituras));
  for (int k = 0; k <= 100; ++k) volta.geranumsessao();
  QCOMPARE(volta.geranumsessao(), GeradorSessao::NumeroDoHorario(Ms(0)));
}

void CamposTest::ExtractStrings2_data() {
  QTest::addColumn<QByteArray>("texto");
  QTest::addColumn<QByteArray>("brancos");
  QTest::addColumn<QList<QByteArray>>("campos");
  QTest::newRow("vazio") << QByteArray() << QByteArray() << QList<QByteArray>{};
  QTest::newRow("a|b||") << QByteArray("a|b||") << QByteArray() << QList<QByteArray>{"a", "b", "", ""};
  QTest::newRow("sem separador") << QByteArray("abc def") << QByteArray() << QList<QByteArray>{"abc def"};
  QTest::newRow("so separador") << QByteArray("|") << QByteArray() << QList<QByteArray>{"", ""};
  QTest::newRow("nada aparado") << QByteArray(" a | b ") << QByteArray() << QList<QByteArray>{" a ", " b "};
  QTest::newRow("brancos no inicio") << QByteArray(" a | b ") << QByteArray(" ") << QList<QByteArray>{"a ", "b "};
  QTest::newRow("bytes altos") << QByteArray("\xe7|\xff") << QByteArray() << QList<QByteArray>{"\xe7", "\xff"};
}

void CamposTest::ExtractStrings2() {
  QFETCH(QByteArray, texto);
  QFETCH(QByteArray, brancos);
  QFETCH(QList<QByteArray>, campos);
  QList<QByteArray> lista;
  QCOMPARE(::ExtractStrings2("|", brancos, texto, lista), int(campos.size()));
  QCOMPARE(lista, campos);
}

void CamposTest::ExtractStrings2AcrescentaNaLista() {
  QList<QByteArray> lista{"x"};
  QCOMPARE(::ExtractStrings2("|", QByteArray(), "a|b", lista), 2);
  QCOMPARE(lista, (QList<QByteArray>{"x", "a", "b"}));
}

void CamposTest::FormatXMLStringByteAByte() {
  const QString entrada = QStringLiteral(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe><infCFe versaoDadosEnt=\"0.08\"><ide><CNPJ>11222333000181"
      "</CNPJ><numeroCaixa>099</numeroCaixa></ide><dest/><det nItem=\"1\"><prod><xProd>MiniPc Norvi</xProd>"
      "</prod></det></infCFe></CFe>");
  const QString esperado = QStringLiteral(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
      "<CFe>\r\n"
      "  <infCFe versaoDadosEnt=\"0.08\">\r\n"
      "    <ide>\r\n"
      "      <CNPJ>11222333000181</CNPJ>\r\n"
      "      <numeroCaixa>099</numeroCaixa>\r\n"
      "    </ide>\r\n"
      "    <dest/>\r\n"
      "    <det nItem=\"1\">\r\n"
      "      <prod>\r\n"
      "        <xProd>MiniPc Norvi</xProd>\r\n"
      "      </prod>\r\n"
      "    </det>\r\n"
      "  </infCFe>\r\n"
      "</CFe>\r\n");
  QCOMPARE(FormatXMLString(entrada), esperado);
}

void CamposTest::FormatXMLStringDeclaracao_data() {
  QTest::addColumn<QString>("entrada");
  QTest::addColumn<QString>("esperado");
  QTest::newRow("sem declaracao") << "<a><b>x</b></a>" << "<a>\r\n  <b>x</b>\r\n</a>\r\n";
  QTest::newRow("so versao") << "<?xml version=\"1.0\"?><a/>" << "<?xml version=\"1.0\"?>\r\n<a/>\r\n";
  QTest::newRow("standalone") << "<?xml version='1.0' encoding='utf-8' standalone='yes'?><a/>"
                              << "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>\r\n<a/>\r\n";
}

void CamposTest::FormatXMLStringDeclaracao() {
  QFETCH(QString, entrada);
  QFETCH(QString, esperado);
  QCOMPARE(FormatXMLString(entrada), esperado);
}

void CamposTest::FormatXMLStringReindentaEEscapa() {
  const QString entrada = QStringLiteral("<a>\r\n        <b x=\"1 &amp; 2\">R&amp;D &lt;ok&gt;</b>\n\t<c>ção</c></a>");
  QCOMPARE(FormatXMLString(entrada),
           QStringLiteral("<a>\r\n  <b x=\"1 &amp; 2\">R&amp;D &lt;ok&gt;</b>\r\n  <c>ção</c>\r\n</a>\r\n"));
}

void CamposTest::FormatXMLStringGuardaNamespaces() {
  // A CFe's signature sits in the xmldsig default namespace; prefixed ones stay as written.
  const QString entrada = QStringLiteral(
      "<CFe><infCFe Id=\"CFe1\"/><Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\"><SignedInfo/></Signature>"
      "<p:x xmlns:p=\"urn:p\" p:a=\"1\">t</p:x></CFe>");
  QCOMPARE(FormatXMLString(entrada),
           QStringLiteral("<CFe>\r\n  <infCFe Id=\"CFe1\"/>\r\n  <Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\">\r\n"
                          "    <SignedInfo/>\r\n  </Signature>\r\n  <p:x xmlns:p=\"urn:p\" p:a=\"1\">t</p:x>\r\n</CFe>\r\n"));
}

void CamposTest::FormatXMLStringMalFormado() {
  QVERIFY_THROWS_EXCEPTION(ErroXml, FormatXMLString(QStringLiteral("<a><b></a>")));
  QVERIFY_THROWS_EXCEPTION(ErroXml, FormatXMLString(QStringLiteral("texto")));
}

void CamposTest::ValorCNPJ() {
  QLineEdit campo;
  ConfiguraCampoCNPJ(&campo);
  QCOMPARE(::ValorCNPJ(&campo), QString());
  QCOMPARE(campo.displayText(), QStringLiteral("__.___.___/____-__"));

  QTest::keyClicks(&campo, QStringLiteral("112223330001"));
  QCOMPARE(::ValorCNPJ(&campo), QStringLiteral("112223330001"));  // twelve characters
  QVERIFY(!::isCNPJ(::Apara(::ValorCNPJ(&campo))));
  QTest::keyClicks(&campo, QStringLiteral("81"));
  QCOMPARE(campo.displayText(), QStringLiteral("11.222.333/0001-81"));
  QCOMPARE(::ValorCNPJ(&campo), QStringLiteral("11222333000181"));

  // An unfilled position inside the value reads as a space.
  campo.clear();
  campo.setCursorPosition(3);
  QTest::keyClicks(&campo, QStringLiteral("222333000181"));
  QCOMPARE(::ValorCNPJ(&campo), QStringLiteral("  222333000181"));

  campo.setText(QStringLiteral("48291736000192"));
  QCOMPARE(::ValorCNPJ(&campo), QStringLiteral("48291736000192"));
}

void CamposTest::TextoDoEParaODriver() {
  QCOMPARE(TextoParaDriver(QStringLiteral("Código ção €")), QByteArray("C\xf3" "digo \xe7\xe3o ?"));
  QCOMPARE(TextoDoDriver(QByteArray("ok \xc3\xa7 \xff!")), QStringLiteral("ok ç \ufffd!"));
}

void CamposTest::Versao() {
  QCOMPARE(GetEXEVersionData(QCoreApplication::applicationFilePath()), QStringLiteral("3.0.0.4"));
  QCOMPARE(GetEXEVersionData(QStringLiteral("/etc/hostname")), QString());
  QCOMPARE(GetEXEVersionData(QStringLiteral("/nao/existe")), QString());
  QCOMPARE(TamanhoPalavra(), sizeof(void *) == 8 ? QStringLiteral("(64 bits)") : QStringLiteral("(32 bits)"));
}

QTEST_MAIN(CamposTest)
#include "campos_test.moc"

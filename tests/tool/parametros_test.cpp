// The parameter table and its file "Parametros.xml".
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "parametros.h"

namespace {

const QByteArray kArquivoInicial =
    "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
    "<FIELD attrname=\"tipoInter\" fieldtype=\"string\" WIDTH=\"4\"/>"
    "<FIELD attrname=\"SSID\" fieldtype=\"string\" WIDTH=\"32\"/>"
    "<FIELD attrname=\"seg\" fieldtype=\"string\" WIDTH=\"8\"/>"
    "<FIELD attrname=\"codigo\" fieldtype=\"string\" WIDTH=\"64\"/>"
    "<FIELD attrname=\"tipoLan\" fieldtype=\"string\" WIDTH=\"8\"/>"
    "<FIELD attrname=\"lanIP\" fieldtype=\"string\" WIDTH=\"15\"/>"
    "<FIELD attrname=\"lanMask\" fieldtype=\"string\" WIDTH=\"15\"/>"
    "<FIELD attrname=\"lanGW\" fieldtype=\"string\" WIDTH=\"15\"/>"
    "<FIELD attrname=\"lanDNS1\" fieldtype=\"string\" WIDTH=\"15\"/>"
    "<FIELD attrname=\"lanDNS2\" fieldtype=\"string\" WIDTH=\"15\"/>"
    "<FIELD attrname=\"usuario\" fieldtype=\"string\" WIDTH=\"64\"/>"
    "<FIELD attrname=\"senha\" fieldtype=\"string\" WIDTH=\"64\"/>"
    "<FIELD attrname=\"proxy\" fieldtype=\"string\" WIDTH=\"1\"/>"
    "<FIELD attrname=\"proxy_ip\" fieldtype=\"string\" WIDTH=\"15\"/>"
    "<FIELD attrname=\"proxy_porta\" fieldtype=\"string\" WIDTH=\"5\"/>"
    "<FIELD attrname=\"proxy_user\" fieldtype=\"string\" WIDTH=\"64\"/>"
    "<FIELD attrname=\"proxy_senha\" fieldtype=\"string\" WIDTH=\"64\"/>"
    "<FIELD attrname=\"CNPJContribuinte\" fieldtype=\"string\" WIDTH=\"14\"/>"
    "<FIELD attrname=\"uf\" fieldtype=\"string\" WIDTH=\"2\"/>"
    "<FIELD attrname=\"assinatura\" fieldtype=\"string\" WIDTH=\"344\"/>"
    "<FIELD attrname=\"CNPJSH\" fieldtype=\"string\" WIDTH=\"14\"/>"
    "</FIELDS><PARAMS CHANGE_LOG=\"1 0 4\"/></METADATA><ROWDATA>"
    "<ROW RowState=\"4\" tipoInter=\"ETHE\" tipoLan=\"DHCP\" proxy=\"0\" uf=\"25\"/></ROWDATA></DATAPACKET>";

// A file written by another program: other letter case, another type, an extra
// column, and the row in two versions (inserted, then modified).
const QByteArray kArquivoEstrangeiro =
    "<?xml version=\"1.0\" standalone=\"yes\"?>\n<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
    "<FIELD attrname=\"TIPOINTER\" fieldtype=\"string\" WIDTH=\"4\"/>"
    "<FIELD attrname=\"UF\" fieldtype=\"i4\"/>"
    "<FIELD attrname=\"Assinatura\" fieldtype=\"string\" WIDTH=\"344\"/>"
    "<FIELD attrname=\"extra\" fieldtype=\"string\" WIDTH=\"10\" SUBTYPE=\"Text\"/>"
    "</FIELDS><PARAMS CHANGE_LOG=\"1 0 4 2 1 8\" LCID=\"1046\"/></METADATA><ROWDATA>"
    "<ROW RowState=\"4\" TIPOINTER=\"WIFI\" UF=\"7\" Assinatura=\"abc\" extra=\"x\"/>"
    "<ROW RowState=\"8\" UF=\"9\"/>"
    "</ROWDATA></DATAPACKET>\n";

QByteArray Le(const QString &caminho) {
  QFile f(caminho);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

void Grava(const QString &caminho, const QByteArray &dados) {
  QFile f(caminho);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(dados);
}

}  // namespace

class ParametrosTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    pasta.reset(new QTemporaryDir);
    arquivo = QDir(pasta->path()).filePath(QStringLiteral("Parametros.xml"));
  }

  void PrimeiraExecucaoCriaArquivo() {
    TParametros cds(arquivo);
    cds.CriaSeAusente();
    QVERIFY(!cds.Aberta());
    QCOMPARE(Le(arquivo), kArquivoInicial);
    QCOMPARE(TParametros::PacoteInicial(), kArquivoInicial);
  }

  void ArquivoExistenteNaoEhTocado() {
    Grava(arquivo, "qualquer coisa");
    TParametros cds(arquivo);
    cds.CriaSeAusente();
    QCOMPARE(Le(arquivo), QByteArray("qualquer coisa"));
  }

  void LeValoresIniciais() {
    TParametros cds(arquivo);
    cds.CriaSeAusente();
    cds.Abre();
    QCOMPARE(cds.Texto(QStringLiteral("tipoInter")), QStringLiteral("ETHE"));
    QCOMPARE(cds.Inteiro(QStringLiteral("UF")), 25);
    QCOMPARE(cds.Inteiro(QStringLiteral("proxy")), 0);
    QVERIFY(!cds.TemValor(QStringLiteral("SSID")));
    QCOMPARE(cds.Texto(QStringLiteral("ssid")), QString());
    // Opened and closed without a post: the file is not rewritten.
    Grava(arquivo, Le(arquivo) + " ");
    cds.Fecha();
    QCOMPARE(Le(arquivo), kArquivoInicial + " ");
  }

  void ValorAlteradoLidoDepoisDeReiniciar() {
    {
      TParametros cds(arquivo);
      cds.CriaSeAusente();
      cds.Abre();
      cds.Edita();
      cds.DefineTexto(QStringLiteral("CNPJContribuinte"), QStringLiteral("11222333000181"));
      cds.DefineInteiro(QStringLiteral("UF"), 7);
      cds.DefineTexto(QStringLiteral("ssid"), QStringLiteral("rede \"<&>\" ção"));
      cds.Posta();
      QCOMPARE(Le(arquivo), kArquivoInicial);  // a post reaches the file only when closing
      cds.Fecha();
    }
    TParametros depois(arquivo);
    depois.Abre();
    QCOMPARE(depois.Texto(QStringLiteral("CNPJContribuinte")), QStringLiteral("11222333000181"));
    QCOMPARE(depois.Inteiro(QStringLiteral("uf")), 7);
    QCOMPARE(depois.Texto(QStringLiteral("SSID")), QStringLiteral("rede \"<&>\" ção"));
    QCOMPARE(depois.Texto(QStringLiteral("tipoLan")), QStringLiteral("DHCP"));
    QVERIFY(Le(arquivo).contains("<ROW RowState=\"4\" tipoInter=\"ETHE\" SSID=\"rede &quot;&lt;&amp;&gt;&quot; ção\""));
  }

  void ValoresCortadosNaLargura() {
    TParametros cds(arquivo);
    cds.CriaSeAusente();
    cds.Abre();
    cds.Edita();
    cds.DefineTexto(QStringLiteral("SSID"), QString(40, u's'));
    cds.DefineTexto(QStringLiteral("assinatura"), QString(400, u'a'));
    cds.DefineTexto(QStringLiteral("proxy"), QStringLiteral("12"));
    cds.Posta();
    QCOMPARE(cds.Texto(QStringLiteral("SSID")), QString(32, u's'));
    cds.Fecha();
    cds.Abre();
    QCOMPARE(cds.Texto(QStringLiteral("SSID")), QString(32, u's'));
    QCOMPARE(cds.Texto(QStringLiteral("assinatura")), QString(344, u'a'));
    QCOMPARE(cds.Texto(QStringLiteral("proxy")), QStringLiteral("1"));
  }

  void CaracteresForaDoConjuntoViramInterrogacao() {
    TParametros cds(arquivo);
    cds.CriaSeAusente();
    cds.Abre();
    cds.Edita();
    cds.DefineTexto(QStringLiteral("usuario"), QStringLiteral("ação €"));
    cds.Posta();
    QCOMPARE(cds.Texto(QStringLiteral("usuario")), QStringLiteral("ação ?"));
  }

  void EdicaoCanceladaNaoGrava() {
    TParametros cds(arquivo);
    cds.CriaSeAusente();
    cds.Abre();
    cds.Edita();
    cds.DefineTexto(QStringLiteral("SSID"), QStringLiteral("x"));
    QCOMPARE(cds.Texto(QStringLiteral("SSID")), QStringLiteral("x"));
    cds.Cancela();
    QVERIFY(!cds.TemValor(QStringLiteral("SSID")));
    cds.Fecha();
    QCOMPARE(Le(arquivo), kArquivoInicial);
    QVERIFY_THROWS_EXCEPTION(ErroDados, cds.Texto(QStringLiteral("SSID")));  // closed
  }

  void ArquivoApagadoEhReescritoAoFechar() {
    TParametros cds(arquivo);
    cds.CriaSeAusente();
    cds.Abre();
    QVERIFY(QFile::remove(arquivo));
    cds.Fecha();
    QCOMPARE(Le(arquivo), kArquivoInicial);
  }

  void ArquivoEstrangeiro() {
    Grava(arquivo, kArquivoEstrangeiro);
    TParametros cds(arquivo);
    cds.CriaSeAusente();
    cds.Abre();
    QCOMPARE(cds.Texto(QStringLiteral("tipoInter")), QStringLiteral("WIFI"));
    QCOMPARE(cds.Inteiro(QStringLiteral("uf")), 9);  // the later version of the row wins
    QCOMPARE(cds.Texto(QStringLiteral("assinatura")), QStringLiteral("abc"));
    QCOMPARE(cds.Texto(QStringLiteral("EXTRA")), QStringLiteral("x"));
    try {
      cds.Texto(QStringLiteral("SSID"));
      QFAIL("a column missing from the file was found");
    } catch (const ErroDados &e) {
      QCOMPARE(e.texto, QStringLiteral("Campo 'SSID' não encontrado."));
    }

    cds.Edita();
    cds.DefineTexto(QStringLiteral("extra"), QStringLiteral("0123456789abc"));
    cds.Posta();
    cds.Fecha();
    const QByteArray escrito = Le(arquivo);
    QVERIFY(escrito.contains("<FIELD attrname=\"UF\" fieldtype=\"i4\"/>"));
    QVERIFY(escrito.contains("<FIELD attrname=\"extra\" fieldtype=\"string\" WIDTH=\"10\" SUBTYPE=\"Text\"/>"));
    QVERIFY(escrito.contains("<PARAMS CHANGE_LOG=\"1 0 4\" LCID=\"1046\"/>"));
    QVERIFY(escrito.contains("<ROW RowState=\"4\" TIPOINTER=\"WIFI\" UF=\"9\" Assinatura=\"abc\" extra=\"0123456789\"/>"));

    TParametros depois(arquivo);
    depois.Abre();
    QCOMPARE(depois.Texto(QStringLiteral("extra")), QStringLiteral("0123456789"));
  }

  void ColunaComPrefixoLidaDepoisDeGravada() {
    // Found by fuzz_parametros (corpus/parametros/ColunaComPrefixo): the file the
    // tool wrote back could not be read again.
    QByteArray dados = kArquivoInicial;
    dados.replace("<FIELD attrname=\"SSID\" fieldtype=\"string\" WIDTH=\"32\"/>",
                  "<FIELD attrname=\"x:y\" fieldtype=\"string\" WIDTH=\"32\"/>");
    dados.replace("<ROW RowState=\"4\"", "<ROW xmlns:x=\"urn:x\" x:y=\"v\" RowState=\"4\"");
    Grava(arquivo, dados);
    TParametros cds(arquivo);
    cds.Abre();
    QCOMPARE(cds.Texto(QStringLiteral("x:y")), QStringLiteral("v"));
    cds.Edita();
    cds.Posta();
    cds.Fecha();
    TParametros depois(arquivo);
    depois.Abre();
    QCOMPARE(depois.Texto(QStringLiteral("x:y")), QStringLiteral("v"));
    QCOMPARE(depois.Texto(QStringLiteral("tipoInter")), QStringLiteral("ETHE"));
  }

  void DoisParamsLidosDepoisDeGravado() {
    // Found by fuzz_parametros (corpus/parametros/DoisParams): two PARAMS with the
    // same attribute were written back as one PARAMS holding it twice, which the
    // next start could not read.
    QByteArray dados = kArquivoInicial;
    dados.replace("<PARAMS CHANGE_LOG=\"1 0 4\"/>",
                  "<PARAMS CHANGE_LOG=\"1 0 4\" LCID=\"1033\"/><PARAMS LCID=\"1046\"/>");
    Grava(arquivo, dados);
    TParametros cds(arquivo);
    cds.Abre();
    cds.Edita();
    cds.Posta();
    cds.Fecha();
    QVERIFY(Le(arquivo).contains("<PARAMS CHANGE_LOG=\"1 0 4\" LCID=\"1046\"/>"));
    TParametros depois(arquivo);
    depois.Abre();
    QCOMPARE(depois.Texto(QStringLiteral("tipoInter")), QStringLiteral("ETHE"));
  }

  void ErrosDeConversao_data() {
    QTest::addColumn<QString>("valor");
    QTest::newRow("vazio") << QString();
    QTest::newRow("texto") << QStringLiteral("SP");
  }

  void ErrosDeConversao() {
    QFETCH(QString, valor);
    TParametros cds(arquivo);
    cds.CriaSeAusente();
    cds.Abre();
    cds.Edita();
    cds.DefineTexto(QStringLiteral("uf"), valor);
    cds.Posta();
    try {
      cds.Inteiro(QStringLiteral("uf"));
      QFAIL("no conversion error");
    } catch (const ErroDados &e) {
      QCOMPARE(e.texto, QStringLiteral("'%1' não é um valor inteiro válido.").arg(valor));
    }
    QVERIFY_THROWS_EXCEPTION(ErroDados, cds.Inteiro(QStringLiteral("SSID")));  // no value
  }

  void ArquivoInvalido_data() {
    QTest::addColumn<QByteArray>("conteudo");
    QTest::newRow("nao xml") << QByteArray("isto não é xml");
    QTest::newRow("outra raiz") << QByteArray("<?xml version=\"1.0\"?><config/>");
    QTest::newRow("sem FIELDS") << QByteArray("<DATAPACKET Version=\"2.0\"><ROWDATA/></DATAPACKET>");
    QTest::newRow("cortado") << kArquivoInicial.left(300);
    QTest::newRow("codificacao desconhecida")
        << QByteArray("<?xml version=\"1.0\" encoding=\"x-nenhuma\"?><DATAPACKET Version=\"2.0\"><METADATA><FIELDS/></METADATA></DATAPACKET>");
  }

  void ArquivoInvalido() {
    QFETCH(QByteArray, conteudo);
    Grava(arquivo, conteudo);
    TParametros cds(arquivo);
    try {
      cds.Abre();
      QFAIL("a broken file was read");
    } catch (const ErroDados &e) {
      QVERIFY2(e.texto.startsWith(QStringLiteral("Parametros.xml não é um pacote de dados válido")), qPrintable(e.texto));
    }
    QVERIFY(!cds.Aberta());
    QCOMPARE(Le(arquivo), conteudo);
  }

  void Codificacao_data() {
    QTest::addColumn<QByteArray>("declaracao");
    QTest::addColumn<QByteArray>("usuario");   // the bytes of "usuário" in that encoding
    QTest::addColumn<QByteArray>("acao");      // and of "ação"
    const QByteArray sem = "<?xml version=\"1.0\" standalone=\"yes\"?>";
    const auto com = [](const char *nome) {
      return QByteArray("<?xml version=\"1.0\" encoding=\"") + nome + "\" standalone=\"yes\"?>";
    };
    QTest::newRow("8 bits sem declarar") << sem << QByteArray("usu\xe1rio") << QByteArray("a\xe7\xe3o");
    QTest::newRow("utf-8 sem declarar") << sem << QByteArray("usu\xc3\xa1rio") << QByteArray("a\xc3\xa7\xc3\xa3o");
    QTest::newRow("ISO-8859-1") << com("ISO-8859-1") << QByteArray("usu\xe1rio") << QByteArray("a\xe7\xe3o");
    QTest::newRow("windows-1252") << com("windows-1252") << QByteArray("usu\xe1rio") << QByteArray("a\xe7\xe3o");
    QTest::newRow("UTF-8") << com("UTF-8") << QByteArray("usu\xc3\xa1rio") << QByteArray("a\xc3\xa7\xc3\xa3o");
  }

  void Codificacao() {
    // Read in the encoding the file names, or as 8-bit text when it names none
    // and is not UTF-8; written back the same way.
    QFETCH(QByteArray, declaracao);
    QFETCH(QByteArray, usuario);
    QFETCH(QByteArray, acao);
    const auto pacote = [&](const QByteArray &linha) {
      return declaracao + "  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                          "<FIELD attrname=\"usuario\" fieldtype=\"string\" WIDTH=\"64\"/>"
                          "<FIELD attrname=\"SSID\" fieldtype=\"string\" WIDTH=\"32\"/></FIELDS>"
                          "<PARAMS CHANGE_LOG=\"1 0 4\"/></METADATA><ROWDATA><ROW RowState=\"4\" " +
             linha + "/></ROWDATA></DATAPACKET>";
    };
    Grava(arquivo, pacote("usuario=\"" + usuario + "\""));
    TParametros cds(arquivo);
    cds.Abre();
    QCOMPARE(cds.Texto(QStringLiteral("usuario")), QStringLiteral("usuário"));
    cds.Edita();
    cds.DefineTexto(QStringLiteral("SSID"), QStringLiteral("ação"));
    cds.Posta();
    cds.Fecha();
    QCOMPARE(Le(arquivo), pacote("usuario=\"" + usuario + "\" SSID=\"" + acao + "\""));
    cds.Abre();
    QCOMPARE(cds.Texto(QStringLiteral("usuario")), QStringLiteral("usuário"));
    QCOMPARE(cds.Texto(QStringLiteral("SSID")), QStringLiteral("ação"));
  }

  void ArquivoAusenteAoAbrir() {
    TParametros cds(arquivo);
    QVERIFY_THROWS_EXCEPTION(ErroDados, cds.Abre());
  }

 private:
  std::unique_ptr<QTemporaryDir> pasta;
  QString arquivo;
};

QTEST_GUILESS_MAIN(ParametrosTest)
#include "parametros_test.moc"

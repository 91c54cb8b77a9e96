// Activation and code change, signature association, network configuration,
// block/unblock/deactivate/update and the log page against the fake driver.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>

#include "fluxos.h"
#include "parametros.h"

namespace {
const QString kCNPJ = QStringLiteral("11222333000181");
const QString kCNPJSH = QStringLiteral("22333444000181");
const QString kCurto = QStringLiteral("Código de Ativação deve ter no mínimo 8 caracteres.");
const QString kAviso = QStringLiteral(
    "Atenção:\n\rVerifique se após finalizar esta função o LED \"SAT Bloqueado\" está piscando.\n\r"
    "Isto indica que o processo de DESATIVAÇÂO foi concluído na retaguarda da SEFAZ.\n\r"
    "Para que o SAT recupere as configurações de fábrica você deve agora pressionar o botão reset por 5 segundos.\n\r"
    "Por favor aguarde.\n\rEsta função pode demorar alguns minutos.\n\n\rClique OK para continuar.");
}  // namespace

class CadastroTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    fake.Limpa();
    b.reset(new Bancada);
  }
  void cleanup() { b.reset(); }

  void AtivarChecagens_data();
  void AtivarChecagens();
  void AtivarRespostas_data();
  void AtivarRespostas();
  void AtivarCanceladoGuardaParametros();
  void AtivarUFGuardada_data();
  void AtivarUFGuardada();
  void AtivarSemColunaUF();

  void TrocaTravaEDestrava();
  void TrocaChecagens_data();
  void TrocaChecagens();
  void TrocaRespostas_data();
  void TrocaRespostas();

  void AssociarChecagens_data();
  void AssociarChecagens();
  void AssociarTexto_data();
  void AssociarTexto();
  void AssociarArquivo();
  void AssociarArquivoAusente_data();
  void AssociarArquivoAusente();

  void RedeDocumento_data();
  void RedeDocumento();
  void RedeWifiGuardado_data();
  void RedeWifiGuardado();
  void RedePPPoEGuardado();
  void RedeDocumentoEmUtf8();
  void RedeValorForaDoConjunto();
  void RedeParametrosEmOitoBits();
  void RedeProxyForaDaLista_data();
  void RedeProxyForaDaLista();
  void RedeChecagemERespostas_data();
  void RedeChecagemERespostas();
  void RedeArquivoInacessivel_data();
  void RedeArquivoInacessivel();

  void BloqueioComandos_data();
  void BloqueioComandos();
  void Desativar();

  void LogModos_data();
  void LogModos();
  void LogRespostas_data();
  void LogRespostas();
  void LogSalvar();

 private:
  template <typename T>
  T *W(const char *nome) { return b->f->Filho<T>(nome); }
  QStringList Textos() { return b->f->dialogos.Textos(); }
  QString Sessao() { return QString::number(b->Sessao().toInt()); }
  QByteArray S() { return Sessao().toLatin1(); }
  Contexto &ctx() { return b->f->ctx(); }
  void Guarda(const QString &coluna, const QString &valor) {
    ctx().cds.Abre();
    ctx().cds.Edita();
    ctx().cds.DefineTexto(coluna, valor);
    ctx().cds.Posta();
  }
  void PreencheAtivacao(const QString &c1, const QString &c2, const QString &cnpj) {
    b->Menu("BtnAtivacao");
    W<QLineEdit>("EdtCodAtiv2")->setText(c1);
    W<QLineEdit>("EdtCodAtiv2Conf")->setText(c2);
    W<QLineEdit>("EdtCNPJContrib")->setText(cnpj);
  }

  FakeDriver fake{CaminhoFake()};
  std::unique_ptr<Bancada> b;
};

// ---- Activation --------------------------------------------------------------------

void CadastroTest::AtivarChecagens_data() {
  QTest::addColumn<QString>("c1");
  QTest::addColumn<QString>("c2");
  QTest::addColumn<QString>("cnpj");
  QTest::addColumn<int>("uf");
  QTest::addColumn<QString>("mensagem");
  QTest::addColumn<QString>("foco");
  QTest::addColumn<QString>("c1Depois");
  QTest::addColumn<QString>("c2Depois");
  QTest::newRow("codigo curto") << "1234567" << "12345678" << kCNPJ << 25 << kCurto << "EdtCodAtiv2" << "" << "12345678";
  QTest::newRow("confirmacao curta") << "12345678" << " 1234567 " << kCNPJ << 25 << kCurto << "EdtCodAtiv2Conf" << "12345678" << "";
  QTest::newRow("caixa difere") << "abcdefgh" << "ABCDEFGH" << kCNPJ << 25 << "Erro na confirmação do Código de Ativação." << "EdtCodAtiv2" << "" << "";
  QTest::newRow("cnpj invalido") << "12345678" << "12345678" << "11222333000182" << 25 << "CNPJ inválido." << "EdtCNPJContrib" << "12345678" << "12345678";
  QTest::newRow("cnpj curto") << "12345678" << "12345678" << "112223330001" << 25 << "CNPJ inválido." << "EdtCNPJContrib" << "12345678" << "12345678";
  QTest::newRow("sem uf") << "12345678" << "12345678" << kCNPJ << -1 << "UF inválida." << "cbo" << "12345678" << "12345678";
}

void CadastroTest::AtivarChecagens() {
  QFETCH(QString, c1);
  QFETCH(QString, c2);
  QFETCH(QString, cnpj);
  QFETCH(int, uf);
  QFETCH(QString, mensagem);
  QFETCH(QString, foco);
  QFETCH(QString, c1Depois);
  QFETCH(QString, c2Depois);
  b->f->janela->show();
  QVERIFY(QTest::qWaitForWindowActive(b->f->janela.get()));
  PreencheAtivacao(c1, c2, cnpj);
  W<QComboBox>("cbo")->setCurrentIndex(uf);
  b->Clica("BtnAtivar");
  QCOMPARE(Textos(), QStringList{mensagem});
  QCOMPARE(QApplication::focusWidget()->objectName(), foco);
  QCOMPARE(W<QLineEdit>("EdtCodAtiv2")->text(), c1Depois);
  QCOMPARE(W<QLineEdit>("EdtCodAtiv2Conf")->text(), c2Depois);
  QCOMPARE(fake.Chamadas().size(), 0);
}

void CadastroTest::AtivarRespostas_data() {
  QTest::addColumn<QByteArray>("resposta");
  QTest::addColumn<QStringList>("mensagens");
  QTest::newRow("sucesso") << QByteArray("1|04000|Ativado corretamente|0000|Autorizado|CSR")
                           << QStringList{QStringLiteral("SAT Ativado corretamente, faltando associá-lo ao Aplic. Comercial.")};
  QTest::newRow("ja ativado") << QByteArray("1|04003|SAT já ativado|||") << QStringList{QStringLiteral("04003: SAT já ativado")};
  QTest::newRow("ocupado") << QByteArray("1|04098|SAT em processamento. Tente novamente.||") << QStringList{QStringLiteral("04098: SAT em processamento. Tente novamente.")};
  QTest::newRow("curta") << QByteArray("1|04000") << QStringList{};
}

void CadastroTest::AtivarRespostas() {
  QFETCH(QByteArray, resposta);
  QFETCH(QStringList, mensagens);
  PreencheAtivacao(QStringLiteral("  abcdefgh "), QStringLiteral("abcdefgh"), kCNPJ);
  W<QComboBox>("cbo")->setCurrentIndex(18);  // RJ
  b->f->dialogos.respostasConfirma << true;
  fake.Resposta(resposta);
  b->Clica("BtnAtivar");
  QCOMPARE(fake.Chamadas(), QList<QByteArray>{"AtivarSAT|" + S() + "|1|abcdefgh|11222333000181|33"});
  const QString confirmacao = QStringLiteral("Por favor aguarde.\n\rEsta função pode demorar alguns minutos.\n\n\rClique OK para continuar.");
  QCOMPARE(Textos(), QStringList{confirmacao} + mensagens);
  QCOMPARE(W<QLineEdit>("Edit1")->text(), b->Sessao());
}

void CadastroTest::AtivarCanceladoGuardaParametros() {
  // First run: the parameter file holds the default row.
  QCOMPARE(LeArquivo(ctx().cds.Arquivo()), TParametros::PacoteInicial());
  PreencheAtivacao(QStringLiteral("abcdefgh"), QStringLiteral("abcdefgh"), kCNPJ);
  QCOMPARE(W<QComboBox>("cbo")->currentText(), QStringLiteral("SP"));
  W<QComboBox>("cbo")->setCurrentIndex(0);
  b->Clica("BtnAtivar");  // Cancel in the confirmation
  QCOMPARE(fake.Chamadas().size(), 0);
  QCOMPARE(W<QLineEdit>("EdtCodAtiv2")->text(), QString());
  QCOMPARE(W<QLineEdit>("EdtCodAtiv2Conf")->text(), QString());
  b->f->Reinicia();
  QByteArray esperado = TParametros::PacoteInicial();
  esperado.replace("uf=\"25\"", "CNPJContribuinte=\"11222333000181\" uf=\"0\"");
  QCOMPARE(LeArquivo(b->f->ctx().cds.Arquivo()), esperado);
  b->Menu("BtnAtivacao");
  QCOMPARE(W<QComboBox>("cbo")->currentText(), QStringLiteral("AC"));
  QCOMPARE(ValorCNPJ(W<QLineEdit>("EdtCNPJContrib")), kCNPJ);
}

void CadastroTest::AtivarUFGuardada_data() {
  QTest::addColumn<QString>("uf");
  QTest::addColumn<QString>("mensagem");  // empty: the page shows
  QTest::newRow("fora da lista") << QStringLiteral("35") << QString();
  QTest::newRow("negativa") << QStringLiteral("-1") << QString();
  QTest::newRow("vazia") << QString() << QStringLiteral("'' não é um valor inteiro válido.");
  QTest::newRow("texto") << QStringLiteral("SP") << QStringLiteral("'SP' não é um valor inteiro válido.");
}

void CadastroTest::AtivarUFGuardada() {
  QFETCH(QString, uf);
  QFETCH(QString, mensagem);
  Guarda(QStringLiteral("uf"), uf);
  b->Menu("BtnAtivacao");
  if (!mensagem.isEmpty()) {
    // Not a number: the conversion's message, and the page is not shown.
    QCOMPARE(Textos(), QStringList{mensagem});
    QCOMPARE(ctx().PaginaVisivel()->objectName(), QStringLiteral("TabNorvi"));
    return;
  }
  // A number outside the list: the page shows with no state; activating asks for one.
  QCOMPARE(ctx().PaginaVisivel()->objectName(), QStringLiteral("TabAtivar"));
  QCOMPARE(W<QComboBox>("cbo")->currentIndex(), -1);
  QCOMPARE(Textos(), QStringList{});
  W<QLineEdit>("EdtCodAtiv2")->setText(QStringLiteral("12345678"));
  W<QLineEdit>("EdtCodAtiv2Conf")->setText(QStringLiteral("12345678"));
  W<QLineEdit>("EdtCNPJContrib")->setText(kCNPJ);
  b->Clica("BtnAtivar");
  QCOMPARE(Textos(), QStringList{QStringLiteral("UF inválida.")});
  QCOMPARE(fake.Chamadas().size(), 0);
}

void CadastroTest::AtivarSemColunaUF() {
  // A parameter file from elsewhere that lacks the column: the data layer's message, no page.
  QByteArray pacote = TParametros::PacoteInicial();
  pacote.replace("<FIELD attrname=\"uf\" fieldtype=\"string\" WIDTH=\"2\"/>", "").replace(" uf=\"25\"", "");
  GravaArquivo(ctx().cds.Arquivo(), pacote);
  b->Menu("BtnAtivacao");
  QCOMPARE(Textos(), QStringList{QStringLiteral("Campo 'uf' não encontrado.")});
  QCOMPARE(ctx().PaginaVisivel()->objectName(), QStringLiteral("TabNorvi"));
}

// ---- Code change ------------------------------------------------------------------------

void CadastroTest::TrocaTravaEDestrava() {
  b->Menu("BtnCodAtivacao");
  const QStringList cinco{"EdtCodigo", "EdtNovoCodigo", "EdtNovoCodigo2", "Checkemergencia", "BtnTrocarCod"};
  for (const QString &n : cinco) QVERIFY(!b->f->janela->findChild<QWidget *>(n)->isEnabled());
  W<QCheckBox>("CheckMudaCodigo")->setChecked(true);
  for (const QString &n : cinco) QVERIFY(b->f->janela->findChild<QWidget *>(n)->isEnabled());
  W<QCheckBox>("Checkemergencia")->setChecked(true);
  QCOMPARE(W<QLabel>("LblCodigo")->text(), QStringLiteral("Digite o Código de Ativação de Emergência:"));
  QCOMPARE(W<QLabel>("LblCodigo")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  // The menu button empties the three code fields.
  W<QLineEdit>("EdtCodigo")->setText(QStringLiteral("x"));
  W<QLineEdit>("EdtNovoCodigo")->setText(QStringLiteral("y"));
  b->Menu("BtnCodAtivacao");
  QCOMPARE(W<QLineEdit>("EdtCodigo")->text() + W<QLineEdit>("EdtNovoCodigo")->text(), QString());
}

void CadastroTest::TrocaChecagens_data() {
  QTest::addColumn<QString>("novo");
  QTest::addColumn<QString>("novo2");
  QTest::addColumn<QString>("mensagem");
  QTest::newRow("curto") << "1234567" << "1234567" << "Novo código de ativação deve ter no mínimo 8 caracteres.";
  QTest::newRow("difere") << "abcdefgh" << "abcdefgH" << "Erro na confirmação do novo Código de Ativação.";
}

void CadastroTest::TrocaChecagens() {
  QFETCH(QString, novo);
  QFETCH(QString, novo2);
  QFETCH(QString, mensagem);
  b->Menu("BtnCodAtivacao");
  W<QCheckBox>("CheckMudaCodigo")->setChecked(true);
  W<QLineEdit>("EdtCodigo")->setText(QStringLiteral("12345678"));
  W<QLineEdit>("EdtNovoCodigo")->setText(novo);
  W<QLineEdit>("EdtNovoCodigo2")->setText(novo2);
  b->Clica("BtnTrocarCod");
  QCOMPARE(Textos(), QStringList{mensagem});
  QCOMPARE(W<QLineEdit>("EdtNovoCodigo")->text() + W<QLineEdit>("EdtNovoCodigo2")->text(), QString());
  QCOMPARE(W<QLineEdit>("EdtCodigo")->text(), QStringLiteral("12345678"));
  QCOMPARE(fake.Chamadas().size(), 0);
}

void CadastroTest::TrocaRespostas_data() {
  QTest::addColumn<bool>("emergencia");
  QTest::addColumn<QByteArray>("resposta");
  QTest::addColumn<QStringList>("mensagens");
  QTest::addColumn<bool>("travada");
  QTest::addColumn<QString>("codigoDepois");
  QTest::newRow("sucesso emergencia") << true << QByteArray("1|18000|Código de ativação alterado com sucesso.|||")
                                      << QStringList{QStringLiteral("18000: Código de ativação alterado com sucesso.")} << true << QString();
  QTest::newRow("recusa") << false << QByteArray("1|18001|Código de ativação inválido.|||")
                          << QStringList{QStringLiteral("18001: Código de ativação inválido.")} << false << QString();
  QTest::newRow("ocupado") << false << QByteArray("1|18098|SAT em processamento. Tente novamente.||")
                           << QStringList{QStringLiteral("18098: SAT em processamento. Tente novamente.")} << false << QString();
  // Whether the code changed cannot be told: said plainly, the page stays as typed.
  QTest::newRow("curta") << false << QByteArray("1|18000")
                         << QStringList{QStringLiteral("Resposta incompleta do SAT: \"1|18000\". Não foi possível saber se o código foi alterado.")}
                         << false << QStringLiteral(" velho123 ");
}

void CadastroTest::TrocaRespostas() {
  QFETCH(bool, emergencia);
  QFETCH(QByteArray, resposta);
  QFETCH(QStringList, mensagens);
  QFETCH(bool, travada);
  QFETCH(QString, codigoDepois);
  b->Menu("BtnCodAtivacao");
  W<QCheckBox>("CheckMudaCodigo")->setChecked(true);
  W<QCheckBox>("Checkemergencia")->setChecked(emergencia);
  W<QLineEdit>("EdtCodigo")->setText(QStringLiteral(" velho123 "));
  W<QLineEdit>("EdtNovoCodigo")->setText(QStringLiteral(" novo1234"));
  W<QLineEdit>("EdtNovoCodigo2")->setText(QStringLiteral("novo1234 "));
  fake.Resposta(resposta);
  b->Clica("BtnTrocarCod");
  QCOMPARE(fake.Chamadas(), QList<QByteArray>{"TrocarCodigoDeAtivacao|" + S() + "|velho123|" + (emergencia ? "2" : "1") + "|novo1234|novo1234"});
  QCOMPARE(Textos(), mensagens);
  QCOMPARE(W<QLineEdit>("EdtCodigo")->text(), codigoDepois);
  QCOMPARE(!W<QLineEdit>("EdtCodigo")->isEnabled(), travada);
  QCOMPARE(!W<QCheckBox>("CheckMudaCodigo")->isChecked(), travada);
  QVERIFY(!W<QCheckBox>("Checkemergencia")->isChecked() || !travada);
  QCOMPARE(W<QLabel>("LblCodigo")->text(), emergencia && !travada ? QStringLiteral("Digite o Código de Ativação de Emergência:")
                                                                  : QStringLiteral("Digite o Código de Ativação atual:"));
}

// ---- Association ------------------------------------------------------------------------

void CadastroTest::AssociarChecagens_data() {
  QTest::addColumn<QString>("contribuinte");
  QTest::addColumn<QString>("sh");
  QTest::addColumn<QString>("assinatura");
  QTest::addColumn<QString>("codigo");
  QTest::addColumn<QString>("mensagem");
  QTest::newRow("contribuinte") << "11222333000182" << kCNPJSH << "SIG" << "12345678" << "CNPJ Contribuinte inválido.";
  QTest::newRow("sh") << kCNPJ << "2233344400018" << "SIG" << "12345678" << "CNPJ Software House inválido.";
  QTest::newRow("codigo") << kCNPJ << kCNPJSH << "SIG" << " 1234567 " << kCurto;
  QTest::newRow("assinatura") << kCNPJ << kCNPJSH << "  " << "12345678" << "O campo \"Assinatura da Aplic. Comercial\" deve ser preenchido!";
}

void CadastroTest::AssociarChecagens() {
  QFETCH(QString, contribuinte);
  QFETCH(QString, sh);
  QFETCH(QString, assinatura);
  QFETCH(QString, codigo);
  QFETCH(QString, mensagem);
  b->Menu("BtnAssocAssin");
  W<QLineEdit>("EdtCNPJContrib2")->setText(contribuinte);
  W<QLineEdit>("EdtCNPJSw")->setText(sh);
  W<QLineEdit>("EdtAssinatura")->setText(assinatura);
  W<QLineEdit>("EdtCodAtiv3")->setText(codigo);
  b->Clica("BitAssociar");
  QCOMPARE(Textos(), QStringList{mensagem});
  QCOMPARE(fake.Chamadas().size(), 0);
  QVERIFY(!ctx().cds.TemValor(QStringLiteral("CNPJSH")));
}

void CadastroTest::AssociarTexto_data() {
  QTest::addColumn<QByteArray>("resposta");
  QTest::addColumn<QStringList>("mensagens");
  QTest::addColumn<QStringList>("janelas");
  QTest::newRow("sucesso") << QByteArray("1|13000|0000|Assinatura do AC Registrada|||") << QStringList{QStringLiteral("13000: Assinatura do AC Registrada")} << QStringList{};
  QTest::newRow("recusa com codigo") << QByteArray("1|13004|1234|CNPJ difere|0101|Rejeição") << QStringList{QStringLiteral("13004: [1234] CNPJ difere")} << QStringList{QStringLiteral("TFMSefaz")};
  QTest::newRow("ocupado") << QByteArray("1|13098|SAT em processamento. Tente novamente.||") << QStringList{QStringLiteral("13098: [SAT em processamento. Tente novamente.] ")} << QStringList{};
  QTest::newRow("curta") << QByteArray("1|13000|0000") << QStringList{} << QStringList{};
}

void CadastroTest::AssociarTexto() {
  QFETCH(QByteArray, resposta);
  QFETCH(QStringList, mensagens);
  QFETCH(QStringList, janelas);
  b->Menu("BtnAssocAssin");
  W<QLineEdit>("EdtCNPJContrib2")->setText(kCNPJ);
  W<QLineEdit>("EdtCNPJSw")->setText(kCNPJSH);
  const QString assinatura = QString(340, u'A') + QStringLiteral("BCDEFG");  // 346 characters
  W<QLineEdit>("EdtAssinatura")->setText(QStringLiteral("  ") + assinatura + QStringLiteral(" "));
  W<QLineEdit>("EdtCodAtiv3")->setText(QStringLiteral(" 12345678 "));
  fake.Resposta(resposta);
  b->Clica("BitAssociar");
  // Software house first, then the taxpayer; the signature whole.
  QCOMPARE(fake.Chamadas(), QList<QByteArray>{"AssociarAssinatura|" + S() + "|12345678|2233344400018111222333000181|" + assinatura.toLatin1()});
  QCOMPARE(Textos(), mensagens);
  QCOMPARE(b->f->dialogos.Janelas(), janelas);
  // Stored cut to its column's width; the taxpayer's CNPJ is not stored here.
  QCOMPARE(ctx().cds.Texto(QStringLiteral("Assinatura")), assinatura.left(344));
  QCOMPARE(ctx().cds.Texto(QStringLiteral("CNPJSH")), kCNPJSH);
  QVERIFY(!ctx().cds.TemValor(QStringLiteral("CNPJContribuinte")));
}

void CadastroTest::AssociarArquivo() {
  const QString arquivo = b->Arquivo(QStringLiteral("assinatura.txt"));
  GravaArquivo(arquivo, "ABC\r\nDEF\nGHI \r\n");
  b->Menu("BtnAssocAssin");
  W<QRadioButton>("rbArquivo")->setChecked(true);
  QCOMPARE(W<QLabel>("LblAssinatura")->text(), QStringLiteral("Arquivo"));
  QVERIFY(W<QPushButton>("Button3")->isVisibleTo(b->f->janela.get()));
  b->f->dialogos.respostasArquivo << arquivo;
  b->Clica("Button3");
  QCOMPARE(b->f->dialogos.registros.last().titulo, QStringLiteral("Selecione o Certificado"));
  QCOMPARE(W<QLineEdit>("EdtAssinatura")->text(), arquivo);
  W<QLineEdit>("EdtCNPJContrib2")->setText(kCNPJ);
  W<QLineEdit>("EdtCNPJSw")->setText(kCNPJSH);
  W<QLineEdit>("EdtCodAtiv3")->setText(QStringLiteral("12345678"));
  fake.Resposta("1|13000|0000|Assinatura do AC Registrada|||");
  b->Clica("BitAssociar");
  QCOMPARE(fake.Chamadas().value(0), "AssociarAssinatura|" + S() + "|12345678|2233344400018111222333000181|ABCDEFGHI ");
  QCOMPARE(Textos(), (QStringList{QStringLiteral("ABCDEFGHI "), QStringLiteral("13000: Assinatura do AC Registrada")}));
  // Back through the menu: the stored signature is taken as a file name.
  b->f->dialogos.Limpa();
  fake.Limpa();
  b->Menu("BtnAssocAssin");
  QCOMPARE(W<QLineEdit>("EdtAssinatura")->text(), QStringLiteral("ABCDEFGHI "));
  W<QLineEdit>("EdtCNPJContrib2")->setText(kCNPJ);  // the taxpayer's CNPJ is not stored by the association
  W<QLineEdit>("EdtCodAtiv3")->setText(QStringLiteral("12345678"));
  b->Clica("BitAssociar");
  QCOMPARE(Textos(), QStringList{QStringLiteral("Arquivo especificado não foi encontrado!")});
  QCOMPARE(fake.Chamadas().size(), 0);
}

void CadastroTest::AssociarArquivoAusente_data() {
  QTest::addColumn<QString>("nome");
  QTest::newRow("pasta") << QStringLiteral(".");  // the program's folder, given as the file
  QTest::newRow("ausente") << QStringLiteral("nao-existe.txt");
}

void CadastroTest::AssociarArquivoAusente() {
  QFETCH(QString, nome);
  b->Menu("BtnAssocAssin");
  W<QRadioButton>("rbArquivo")->setChecked(true);
  W<QLineEdit>("EdtAssinatura")->setText(QDir(b->programa.path()).filePath(nome));
  W<QLineEdit>("EdtCNPJContrib2")->setText(kCNPJ);
  W<QLineEdit>("EdtCNPJSw")->setText(kCNPJSH);
  W<QLineEdit>("EdtCodAtiv3")->setText(QStringLiteral("12345678"));
  b->Clica("BitAssociar");
  QCOMPARE(Textos(), QStringList{QStringLiteral("Arquivo especificado não foi encontrado!")});
  QCOMPARE(fake.Chamadas().size(), 0);
  QVERIFY(!ctx().cds.TemValor(QStringLiteral("CNPJSH")));
}

// ---- Network ---------------------------------------------------------------------------------

void CadastroTest::RedeDocumento_data() {
  QTest::addColumn<int>("lan");
  QTest::addColumn<int>("proxy");
  QTest::addColumn<QByteArray>("meio");
  const QByteArray cab = "<?xml version=\"1.0\" encoding=\"utf-8\"?><config><tipoInter>ETHE</tipoInter>";
  QTest::newRow("dhcp") << 0 << 0 << cab + "<tipoLan>DHCP</tipoLan><proxy>0</proxy></config>";
  QTest::newRow("ip fixo") << 1 << 0
                           << cab + "<tipoLan>IPFIX</tipoLan><lanIP>10.0.0.2</lanIP><lanMask>255.0.0.0</lanMask><lanGW>10.0.0.1</lanGW>"
                                    "<lanDNS1>1.1.1.1</lanDNS1><lanDNS2>8.8.8.8</lanDNS2><proxy>0</proxy></config>";
  QTest::newRow("transparente") << 0 << 2 << cab + "<tipoLan>DHCP</tipoLan><proxy>2</proxy></config>";
  QTest::newRow("com configuracao") << 0 << 1
                                    << cab + "<tipoLan>DHCP</tipoLan><proxy>1</proxy><proxy_ip>10.0.0.9</proxy_ip><proxy_porta>3128</proxy_porta>"
                                             "<proxy_user>u&amp;v</proxy_user><proxy_senha>s</proxy_senha></config>";
}

void CadastroTest::RedeDocumento() {
  QFETCH(int, lan);
  QFETCH(int, proxy);
  QFETCH(QByteArray, meio);
  b->Menu("BtnConfRede");
  // A fresh table: DHCP, no proxy, the address fields disabled.
  QCOMPARE(W<QComboBox>("CbotipoLan")->currentIndex(), 0);
  QVERIFY(!W<QLineEdit>("EdtlanIP")->isEnabled());
  QVERIFY(!W<QLineEdit>("Edtproxy_ip")->isEnabled());
  QVERIFY(!W<QLineEdit>("EdtSSID")->isVisibleTo(b->f->janela.get()));
  W<QLineEdit>("EdtlanIP")->setText(QStringLiteral("10.0.0.2"));
  W<QLineEdit>("EdtlanMask")->setText(QStringLiteral("255.0.0.0"));
  W<QLineEdit>("EdtlanGW")->setText(QStringLiteral("10.0.0.1"));
  W<QLineEdit>("EdtlanDNS1")->setText(QStringLiteral("1.1.1.1"));
  W<QLineEdit>("EdtlanDNS2")->setText(QStringLiteral("8.8.8.8"));
  W<QLineEdit>("Edtproxy_ip")->setText(QStringLiteral("10.0.0.9"));
  W<QLineEdit>("Edtproxy_porta")->setText(QStringLiteral("3128"));
  W<QLineEdit>("Edtproxy_user")->setText(QStringLiteral("u&v"));
  W<QLineEdit>("Edtproxy_senha")->setText(QStringLiteral("s"));
  W<QComboBox>("CbotipoLan")->setCurrentIndex(lan);
  W<QComboBox>("CbotipoLan")->activated(lan);
  QCOMPARE(W<QLineEdit>("EdtlanIP")->isEnabled(), lan == 1);
  W<QComboBox>("cboProxy")->setCurrentIndex(proxy);
  W<QComboBox>("cboProxy")->activated(proxy);
  QCOMPARE(W<QLineEdit>("Edtproxy_ip")->isEnabled(), proxy == 1);
  W<QLineEdit>("LblEdtCodRede")->setText(QStringLiteral(" 12345678 "));
  fake.Resposta("1|12000|Rede Configurada com Sucesso|||");
  b->Clica("BitBtn4");
  // The code exactly as typed; the text without line breaks.
  QCOMPARE(fake.Chamadas(), QList<QByteArray>{"ConfigurarInterfaceDeRede|" + S() + "| 12345678 |" + meio});
  QByteArray arquivo = meio;
  arquivo.insert(arquivo.indexOf("?>") + 2, "\r\n");
  QCOMPARE(LeArquivo(b->Arquivo(QStringLiteral("ConfRede.xml"))), arquivo + "\r\n");
  QCOMPARE(Textos(), QStringList{QStringLiteral("12000: Rede Configurada com Sucesso")});
  QCOMPARE(W<QLineEdit>("LblEdtCodRede")->text(), QString());
  QCOMPARE(b->f->Status(), QStringLiteral("1|12000|Rede Configurada com Sucesso|||"));
  // Disabled fields are stored too.
  QCOMPARE(ctx().cds.Texto(QStringLiteral("lanIP")), QStringLiteral("10.0.0.2"));
  QCOMPARE(ctx().cds.Texto(QStringLiteral("proxy")), QString::number(proxy));
}

void CadastroTest::RedeWifiGuardado_data() {
  QTest::addColumn<QString>("seg");
  QTest::addColumn<int>("posicao");  // Cboseg after entering the page
  QTest::addColumn<int>("escolha");  // the position chosen before sending
  QTest::addColumn<QByteArray>("enviado");
  QTest::newRow("NONE") << "NONE" << 0 << 0 << QByteArray("<seg>NONE</seg>");
  QTest::newRow("WEP") << "WEP" << 1 << 1 << QByteArray("<seg>WEP</seg><codigo>chave</codigo>");
  QTest::newRow("WPA-PERS para WPA PROF") << "WPA-PERS" << 2 << 3 << QByteArray("<seg>WPA PROF</seg><codigo>chave</codigo>");
  QTest::newRow("WPA PROF para WPA-PERS") << "WPA PROF" << 3 << 2 << QByteArray("<seg>WPA-PERS</seg><codigo>chave</codigo>");
}

void CadastroTest::RedeWifiGuardado() {
  QFETCH(QString, seg);
  QFETCH(int, posicao);
  QFETCH(int, escolha);
  QFETCH(QByteArray, enviado);
  Guarda(QStringLiteral("tipoInter"), QStringLiteral("WIFI"));
  Guarda(QStringLiteral("SSID"), QStringLiteral("loja"));
  Guarda(QStringLiteral("seg"), seg);
  Guarda(QStringLiteral("codigo"), QStringLiteral("chave"));
  b->Menu("BtnConfRede");
  QCOMPARE(W<QComboBox>("CbotipoInter")->currentIndex(), -1);
  QCOMPARE(W<QComboBox>("Cboseg")->currentIndex(), posicao);
  QCOMPARE(W<QLineEdit>("Edtcod")->isEnabled(), posicao != 0);
  W<QComboBox>("Cboseg")->setCurrentIndex(escolha);
  W<QLineEdit>("LblEdtCodRede")->setText(QStringLiteral("12345678"));
  fake.Resposta("1|12000|ok|||");
  b->Clica("BitBtn4");
  QCOMPARE(fake.Chamadas().value(0), "ConfigurarInterfaceDeRede|" + S() + "|12345678|<?xml version=\"1.0\" encoding=\"utf-8\"?><config>"
                                     "<tipoInter>WIFI</tipoInter><SSID>loja</SSID>" + enviado +
                                     "<tipoLan>DHCP</tipoLan><proxy>0</proxy></config>");
  QCOMPARE(ctx().cds.Texto(QStringLiteral("tipoInter")), QStringLiteral("WIFI"));
}

void CadastroTest::RedePPPoEGuardado() {
  // A PPPoE table from an earlier file, and a Tipo de Rede box without a position:
  // the column keeps PPPoE and the hidden user and password are sent.
  Guarda(QStringLiteral("tipoLan"), QStringLiteral("PPPoE"));
  Guarda(QStringLiteral("usuario"), QStringLiteral("loja"));
  Guarda(QStringLiteral("senha"), QStringLiteral("s3"));
  Guarda(QStringLiteral("lanIP"), QStringLiteral("10.0.0.2"));
  b->Menu("BtnConfRede");
  QCOMPARE(W<QLineEdit>("Edtusuario")->text(), QStringLiteral("loja"));
  W<QComboBox>("CbotipoLan")->setCurrentIndex(-1);
  W<QLineEdit>("LblEdtCodRede")->setText(QStringLiteral("12345678"));
  fake.Resposta("1|12000|ok|||");
  b->Clica("BitBtn4");
  QCOMPARE(fake.Chamadas().value(0), "ConfigurarInterfaceDeRede|" + S() + "|12345678|<?xml version=\"1.0\" encoding=\"utf-8\"?><config>"
                                     "<tipoInter>ETHE</tipoInter><tipoLan>PPPoE</tipoLan><usuario>loja</usuario><senha>s3</senha>"
                                     "<proxy>0</proxy></config>");
  QCOMPARE(ctx().cds.Texto(QStringLiteral("tipoLan")), QStringLiteral("PPPoE"));
}

void CadastroTest::RedeDocumentoEmUtf8() {
  // The document says utf-8: the device gets the same bytes as the file.
  b->Menu("BtnConfRede");
  W<QComboBox>("cboProxy")->setCurrentIndex(1);
  W<QLineEdit>("Edtproxy_ip")->setText(QStringLiteral("10.0.0.9"));
  W<QLineEdit>("Edtproxy_porta")->setText(QStringLiteral("3128"));
  W<QLineEdit>("Edtproxy_user")->setText(QStringLiteral("usuário"));
  W<QLineEdit>("Edtproxy_senha")->setText(QStringLiteral("çé"));
  W<QLineEdit>("LblEdtCodRede")->setText(QStringLiteral("12345678"));
  fake.Resposta("1|12000|ok|||");
  b->Clica("BitBtn4");
  const QByteArray proxy = "<proxy>1</proxy><proxy_ip>10.0.0.9</proxy_ip><proxy_porta>3128</proxy_porta>"
                           "<proxy_user>usu\xc3\xa1rio</proxy_user><proxy_senha>\xc3\xa7\xc3\xa9</proxy_senha></config>";
  QVERIFY2(fake.Chamadas().value(0).endsWith("<tipoLan>DHCP</tipoLan>" + proxy), fake.Chamadas().value(0).constData());
  QVERIFY(LeArquivo(b->Arquivo(QStringLiteral("ConfRede.xml"))).endsWith(proxy + "\r\n"));
}

void CadastroTest::RedeValorForaDoConjunto() {
  // A character that the parameter table cannot keep is said, not turned into "?".
  b->Menu("BtnConfRede");
  W<QComboBox>("cboProxy")->setCurrentIndex(1);
  W<QComboBox>("cboProxy")->activated(1);
  W<QLineEdit>("Edtproxy_user")->setText(QStringLiteral("usuário€"));
  W<QLineEdit>("LblEdtCodRede")->setText(QStringLiteral("12345678"));
  b->Clica("BitBtn4");
  QCOMPARE(Textos(), QStringList{QStringLiteral(
                         "O campo \"Usuário do Proxy\" tem caracteres que não podem ser guardados nem enviados ao SAT: €")});
  QCOMPARE(fake.Chamadas().size(), 0);
  QVERIFY(!ctx().cds.TemValor(QStringLiteral("proxy_user")));
  QVERIFY(!QFile::exists(b->Arquivo(QStringLiteral("ConfRede.xml"))));
  QCOMPARE(W<QLineEdit>("Edtproxy_user")->text(), QStringLiteral("usuário€"));  // nothing typed is lost
}

void CadastroTest::RedeParametrosEmOitoBits() {
  // A Parametros.xml of 8-bit text, as another program writing the data packet
  // makes it: read, sent in the document's UTF-8, and written back in 8 bits.
  const QString parametros = QDir(b->f->trabalho.path()).filePath(QStringLiteral("Parametros.xml"));
  QByteArray pacote = TParametros::PacoteInicial();
  pacote.replace("proxy=\"0\"", "proxy=\"1\" proxy_user=\"usu\xe1rio\"");
  GravaArquivo(parametros, pacote);
  b->Menu("BtnConfRede");
  QCOMPARE(Textos(), QStringList{});
  QCOMPARE(W<QLineEdit>("Edtproxy_user")->text(), QStringLiteral("usuário"));
  W<QLineEdit>("LblEdtCodRede")->setText(QStringLiteral("12345678"));
  fake.Resposta("1|12000|ok|||");
  b->Clica("BitBtn4");
  QVERIFY(fake.Chamadas().value(0).contains("<proxy_user>usu\xc3\xa1rio</proxy_user>"));
  b->f->Reinicia();
  const QByteArray escrito = LeArquivo(parametros);
  QVERIFY2(escrito.contains("proxy_user=\"usu\xe1rio\""), escrito.constData());
  QVERIFY(escrito.startsWith("<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET"));
}

void CadastroTest::RedeProxyForaDaLista_data() {
  QTest::addColumn<QString>("proxy");
  QTest::addColumn<QStringList>("mensagens");
  QTest::newRow("7") << QStringLiteral("7") << QStringList{};
  QTest::newRow("letra") << QStringLiteral("x") << QStringList{QStringLiteral("O proxy guardado em Parametros.xml (\"x\") não é um número. Escolha o proxy.")};
}

void CadastroTest::RedeProxyForaDaLista() {
  QFETCH(QString, proxy);
  QFETCH(QStringList, mensagens);
  Guarda(QStringLiteral("proxy"), proxy);
  Guarda(QStringLiteral("proxy_ip"), QStringLiteral("10.0.0.9"));
  b->Menu("BtnConfRede");
  QCOMPARE(Textos(), mensagens);
  // The page loaded its proxy fields and stays usable.
  QCOMPARE(W<QComboBox>("cboProxy")->currentIndex(), -1);
  QCOMPARE(W<QLineEdit>("Edtproxy_ip")->text(), QStringLiteral("10.0.0.9"));
  // With no choice made the send stops and asks for one: nothing stored, written or sent.
  b->f->dialogos.Limpa();
  W<QLineEdit>("LblEdtCodRede")->setText(QStringLiteral("12345678"));
  W<QLineEdit>("EdtlanIP")->setText(QStringLiteral("10.1.1.1"));
  fake.Resposta("1|12000|ok|||");
  b->Clica("BitBtn4");
  QCOMPARE(Textos(), QStringList{QStringLiteral("Escolha uma opção em \"Proxy:\".")});
  QCOMPARE(fake.Chamadas().size(), 0);
  QVERIFY(!QFile::exists(b->Arquivo(QStringLiteral("ConfRede.xml"))));
  QCOMPARE(ctx().cds.Texto(QStringLiteral("proxy")), proxy);
  QCOMPARE(ctx().cds.Texto(QStringLiteral("lanIP")), QString());
  QCOMPARE(W<QLineEdit>("LblEdtCodRede")->text(), QStringLiteral("12345678"));
  // Choosing a position afterwards stores and sends it.
  b->f->dialogos.Limpa();
  W<QComboBox>("cboProxy")->setCurrentIndex(2);
  b->Clica("BitBtn4");
  QVERIFY(fake.Chamadas().value(0).endsWith("<tipoLan>DHCP</tipoLan><proxy>2</proxy></config>"));
  QCOMPARE(Textos(), QStringList{QStringLiteral("12000: ok")});
  QCOMPARE(ctx().cds.Texto(QStringLiteral("proxy")), QStringLiteral("2"));
}

void CadastroTest::RedeChecagemERespostas_data() {
  QTest::addColumn<QString>("codigo");
  QTest::addColumn<QByteArray>("resposta");
  QTest::addColumn<QStringList>("mensagens");
  QTest::newRow("codigo curto") << QStringLiteral(" 1234567 ") << QByteArray() << QStringList{kCurto};
  QTest::newRow("com codigo de 4") << QStringLiteral("12345678") << QByteArray("1|12002|1234|Dados fornecidos inválidos|0100|Rejeitado") << QStringList{QStringLiteral("12002: Dados fornecidos inválidos")};
  QTest::newRow("ocupado") << QStringLiteral("12345678") << QByteArray("1|12098|SAT em processamento. Tente novamente.||") << QStringList{QStringLiteral("12098: SAT em processamento. Tente novamente.")};
  QTest::newRow("curta") << QStringLiteral("12345678") << QByteArray("1|12000") << QStringList{};
}

void CadastroTest::RedeChecagemERespostas() {
  QFETCH(QString, codigo);
  QFETCH(QByteArray, resposta);
  QFETCH(QStringList, mensagens);
  b->Menu("BtnConfRede");
  W<QLineEdit>("LblEdtCodRede")->setText(codigo);
  fake.Resposta(resposta);
  b->Clica("BitBtn4");
  QCOMPARE(Textos(), mensagens);
  QCOMPARE(fake.Chamadas().size(), resposta.isEmpty() ? 0 : 1);
  QCOMPARE(W<QLineEdit>("LblEdtCodRede")->text(), QString());
  QCOMPARE(QFile::exists(b->Arquivo(QStringLiteral("ConfRede.xml"))), !resposta.isEmpty());
}

void CadastroTest::RedeArquivoInacessivel_data() {
  QTest::addColumn<bool>("pasta");
  QTest::newRow("pasta no caminho") << true;
  // An earlier file that cannot be replaced (its target lies where nothing can be
  // created) is readable: its old settings must not be sent.
  QTest::newRow("arquivo antigo fixo") << false;
}

void CadastroTest::RedeArquivoInacessivel() {
  QFETCH(bool, pasta);
  // The settings stay stored, nothing is sent.
  const QString arquivo = b->Arquivo(QStringLiteral("ConfRede.xml"));
  if (pasta) QVERIFY(QDir(b->programa.path()).mkdir(QStringLiteral("ConfRede.xml")));
  else QVERIFY(QFile::link(QStringLiteral("/proc/version"), arquivo));
  b->Menu("BtnConfRede");
  W<QLineEdit>("EdtlanIP")->setText(QStringLiteral("10.0.0.5"));
  W<QLineEdit>("LblEdtCodRede")->setText(QStringLiteral("12345678"));
  b->Clica("BitBtn4");
  QCOMPARE(Textos(), QStringList{QStringLiteral("Erro ao tentar acessar o arquivo ConfRede.xml!")});
  QCOMPARE(fake.Chamadas().size(), 0);
  QCOMPARE(ctx().cds.Texto(QStringLiteral("lanIP")), QStringLiteral("10.0.0.5"));
}

// ---- Block, unblock, deactivate, update -----------------------------------------------------

void CadastroTest::BloqueioComandos_data() {
  QTest::addColumn<QString>("menu");
  QTest::addColumn<QString>("campo");
  QTest::addColumn<QString>("botao");
  QTest::addColumn<QByteArray>("funcao");
  QTest::addColumn<QByteArray>("resposta");
  QTest::addColumn<QStringList>("mensagens");
  const QString m = QStringLiteral("BtnBloquearSAT");
  QTest::newRow("bloquear") << m << "EdtCodAtiv6" << "BitBloquSAT" << QByteArray("BloquearSAT") << QByteArray("1|16000|Equipamento SAT será bloqueado.|||") << QStringList{QStringLiteral("16000: Equipamento SAT será bloqueado.")};
  QTest::newRow("bloquear recusa") << m << "EdtCodAtiv6" << "BitBloquSAT" << QByteArray("BloquearSAT") << QByteArray("1|16002|Equipamento SAT já está bloqueado.|||") << QStringList{QStringLiteral("16002: Equipamento SAT já está bloqueado.")};
  QTest::newRow("desbloquear ocupado") << m << "EdtCodAtiv6" << "BitBtn5" << QByteArray("DesbloquearSAT") << QByteArray("1|17098|SAT em processamento. Tente novamente.||") << QStringList{QStringLiteral("17098: SAT em processamento. Tente novamente.")};
  QTest::newRow("desbloquear curta") << m << "EdtCodAtiv6" << "BitBtn5" << QByteArray("DesbloquearSAT") << QByteArray("1|17000") << QStringList{};
  QTest::newRow("atualizar") << QStringLiteral("BitAtualizaSW") << "EdtCodAtiv7" << "BtnAtualizarSW" << QByteArray("AtualizarSoftwareSAT") << QByteArray("1|14000|Software Atualizado com Sucesso|0000|Msg") << QStringList{QStringLiteral("14000: Software Atualizado com Sucesso")};
}

void CadastroTest::BloqueioComandos() {
  QFETCH(QString, menu);
  QFETCH(QString, campo);
  QFETCH(QString, botao);
  QFETCH(QByteArray, funcao);
  QFETCH(QByteArray, resposta);
  QFETCH(QStringList, mensagens);
  auto *codigo = b->f->janela->findChild<QLineEdit *>(campo);
  auto *memoLogs = W<QPlainTextEdit>("MemoLogs");
  b->f->janela->findChild<QPushButton *>(menu)->click();
  // Seven characters: the message, no call, the input emptied.
  codigo->setText(QStringLiteral("1234567 "));
  b->f->janela->findChild<QPushButton *>(botao)->click();
  QCOMPARE(Textos(), QStringList{kCurto});
  QCOMPARE(codigo->text(), QString());
  QCOMPARE(fake.Chamadas().size(), 0);
  b->f->dialogos.Limpa();
  memoLogs->setPlainText(QStringLiteral("log anterior"));
  codigo->setText(QStringLiteral(" 12345678 "));
  fake.Resposta(resposta);
  b->f->janela->findChild<QPushButton *>(botao)->click();
  QCOMPARE(fake.Chamadas(), QList<QByteArray>{funcao + "|" + S() + "|12345678"});
  QCOMPARE(Textos(), mensagens);
  QCOMPARE(codigo->text(), QString());
  QCOMPARE(memoLogs->toPlainText(), QString());
}

void CadastroTest::Desativar() {
  b->Menu("BtnBloquearSAT");
  W<QLineEdit>("EdtCodAtiv6")->setText(QStringLiteral("12345678"));
  b->Clica("BitDesatSAT");  // Cancel
  QCOMPARE(Textos(), QStringList{kAviso});
  QCOMPARE(fake.Chamadas().size(), 0);
  b->f->dialogos.Limpa();
  b->f->dialogos.respostasConfirma << true;
  fake.Resposta("1|16000|Equipamento SAT será bloqueado.|||");
  b->Clica("BitDesatSAT");
  QCOMPARE(fake.Chamadas(), QList<QByteArray>{"BloquearSAT|" + S() + "|12345678"});
  QCOMPARE(Textos(), (QStringList{kAviso, QStringLiteral("16000: Equipamento SAT será bloqueado.")}));
  // OK with an empty input: the warning, then the code message.
  b->f->dialogos.Limpa();
  b->f->dialogos.respostasConfirma << true;
  b->Clica("BitDesatSAT");
  QCOMPARE(Textos(), (QStringList{kAviso, kCurto}));
}

// ---- Log --------------------------------------------------------------------------------------

namespace {
const QByteArray kCab = "SAT|info|================= SuperLog NORVI ==================";
const QByteArray kCabSimples = "SAT|info|==================== SuperLog =====================";
const QByteArray kFim = "SAT|info|===================================================";
QByteArray L(const QByteArray &texto) { return "2024/01/02 03:04:05.678|" + texto + "\n"; }
}  // namespace

void CadastroTest::LogModos_data() {
  QTest::addColumn<QString>("botao");
  QTest::addColumn<QByteArray>("log");
  QTest::addColumn<QStringList>("memo");
  const QString n = QStringLiteral("Não foi encontrado SuperLog neste trecho do Log");
  const QString s = QString(54, u'-');
  QTest::newRow("completo") << "BitLogs" << QByteArray("a\r\nb ç\n") << QStringList{"a", "b ç", "", s};
  QTest::newRow("completo sem LF final") << "BitLogs" << QByteArray("a\nb") << QStringList{"a", "b", s};
  QTest::newRow("duas secoes") << "BitSuperLog" << L("x") + L(kCab) + L("SAT|info|um") + L(kFim) + L(kCab) + L("SAT|info|dois") + L(kFim) + L("y")
                               << QStringList{"", "   " + QString::fromLatin1(kCab), "   SAT|info|dois", "   " + QString::fromLatin1(kFim)};
  QTest::newRow("ultima sem fim") << "BitSuperLog" << L(kCab) + L("SAT|info|um") + L(kFim) + L(kCabSimples) + L("SAT|info|dois")
                                  << QStringList{"", "", n, "", ""};
  QTest::newRow("forma simples na primeira linha") << "BitSuperLog" << L(kCabSimples) + "curta\r\n" + L(kFim)
                                                   << QStringList{"", "   " + QString::fromLatin1(kCabSimples), "   ", "   " + QString::fromLatin1(kFim)};
  QTest::newRow("sem cabecalho") << "BitSuperLog" << L("SAT|info|nada") << QStringList{"", "", n, "", ""};
}

void CadastroTest::LogModos() {
  QFETCH(QString, botao);
  QFETCH(QByteArray, log);
  QFETCH(QStringList, memo);
  b->Valida(QStringLiteral("12345678"));
  fake.Resposta("1|15000|Transferência completa|||" + Base64ComQuebras(log));
  b->f->janela->findChild<QPushButton *>(botao)->click();
  QCOMPARE(fake.Chamadas(), QList<QByteArray>{"ExtrairLogs|" + S() + "|12345678"});
  QCOMPARE(W<QPlainTextEdit>("MemoLogs")->toPlainText(), memo.join(u'\n'));
  QCOMPARE(W<QLabel>("Panel11")->text(), botao == u"BitLogs" ? QStringLiteral("EXTRAÇÃO DOS LOGS") : QStringLiteral("SuperLog NORVI"));
  QCOMPARE(W<QLabel>("Panel11")->property("Tag").toInt(), botao == u"BitLogs" ? 1 : 2);
  QCOMPARE(Textos(), QStringList{});
}

void CadastroTest::LogRespostas_data() {
  QTest::addColumn<bool>("confirma");
  QTest::addColumn<QString>("codigo");
  QTest::addColumn<QByteArray>("resposta");
  QTest::addColumn<QStringList>("mensagens");
  QTest::newRow("fechada") << false << QString() << QByteArray() << QStringList{};
  QTest::newRow("codigo curto") << true << QStringLiteral("1234567") << QByteArray() << QStringList{kCurto};
  QTest::newRow("recusa") << true << QStringLiteral("12345678") << QByteArray("1|15001|Código de ativação inválido.|||") << QStringList{QStringLiteral("15001: Código de ativação inválido.")};
  QTest::newRow("ocupado") << true << QStringLiteral("12345678") << QByteArray("1|15098|SAT em processamento. Tente novamente.||") << QStringList{QStringLiteral("15098: SAT em processamento. Tente novamente.")};
  QTest::newRow("curta") << true << QStringLiteral("12345678") << QByteArray("1|15000|ok||") << QStringList{};
  QTest::newRow("nao base64") << true << QStringLiteral("12345678") << QByteArray("1|15000|ok|||a b c") << QStringList{};
}

void CadastroTest::LogRespostas() {
  QFETCH(bool, confirma);
  QFETCH(QString, codigo);
  QFETCH(QByteArray, resposta);
  QFETCH(QStringList, mensagens);
  if (confirma) b->Valida(codigo);
  else b->Fecha();
  fake.Resposta(resposta);
  b->Menu("BitSuperLog");
  QCOMPARE(ctx().PaginaVisivel()->objectName(), QStringLiteral("TabLog"));
  QCOMPARE(Textos(), mensagens);
  QCOMPARE(fake.Chamadas().size(), resposta.isEmpty() ? 0 : 1);
  QCOMPARE(W<QPlainTextEdit>("MemoLogs")->toPlainText(), QString());
}

void CadastroTest::LogSalvar() {
  b->Valida(QStringLiteral("12345678"));
  fake.Resposta("1|15000|ok|||" + QByteArray("linha ç\nfim\n").toBase64());
  b->Menu("BitLogs");
  b->Clica("BtnLog2");
  QCOMPARE(Textos(), QStringList{QStringLiteral("O nome do arquivo não foi especificado")});
  const QString nome = b->Arquivo(QStringLiteral("log.txt"));
  b->f->dialogos.respostasArquivo << nome;
  b->Clica("BtnLog1");
  QCOMPARE(W<QLineEdit>("EdtLogs")->text(), nome);
  b->f->dialogos.Limpa();
  b->Clica("BtnLog2");
  QCOMPARE(Textos(), QStringList{QStringLiteral("Arquivo ") + nome + QStringLiteral(" salvo com sucesso")});
  QCOMPARE(LeArquivo(nome), "linha \xe7\r\nfim\r\n\r\n" + QByteArray(54, '-') + "\r\n");
  // A folder that does not exist.
  const QString ruim = b->Arquivo(QStringLiteral("nao/existe.txt"));
  W<QLineEdit>("EdtLogs")->setText(ruim);
  b->f->dialogos.Limpa();
  b->Clica("BtnLog2");
  QCOMPARE(Textos(), QStringList{QStringLiteral("Erro ao tentar salvar o arquivo: ") + ruim});
}

QTEST_MAIN(CadastroTest)
#include "cadastro_test.moc"

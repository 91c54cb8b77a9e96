// Status listing, session look-ups, "Abrir no Navegador" and the end-to-end
// tests against the fake driver.
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStackedWidget>

#include "cfe.h"
#include "fimafim.h"
#include "fluxos.h"

namespace {

const QByteArray kCodigo = "12345678";

// A CFe as the device returns it, with a character outside ASCII.
const QByteArray kCFe =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe><infCFe Id=\"CFe1\"><ide><cUF>35</cUF></ide>"
    "<emit><xNome>JOÃO</xNome></emit></infCFe></CFe>";

QStringList Linhas(const QPlainTextEdit *memo) { return memo->toPlainText().split(u'\n'); }

// A stored sale reply of 12 fields: session, 06000, code, message, SEFAZ code and message, CFe, time, key...
QByteArray VendaArmazenada(const QByteArray &sessao, const QByteArray &base64, const QByteArray &mensagemSefaz = "") {
  return sessao + "|06000|0000|Emitido com sucesso + conteúdo notas.||" + mensagemSefaz + "|" + base64 +
         "|20240102030405|CFe35240111222333000181590009000040190000011234567|654.32||QRCODE";
}

}  // namespace

class ConsultasTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    fake.Limpa();
    b.reset(new Bancada);
  }
  void cleanup() { b.reset(); }

  void StatusListagemCompleta();
  void StatusRespostas_data();
  void StatusRespostas();
  void StatusChecagens();

  void ConsultaSessaoChecagens_data();
  void ConsultaSessaoChecagens();
  void ConsultaSessaoVenda_data();
  void ConsultaSessaoVenda();
  void ConsultaSessaoPropriaSessao();
  void ConsultaSessaoOutraResposta();
  void ConsultaSessaoFiscal();
  void ConsultaSessaoVendaInvalida_data();
  void ConsultaSessaoVendaInvalida();
  void AbrirNoNavegador();

  void FimAFimXml();
  void FimAFimProducaoChecagens_data();
  void FimAFimProducaoChecagens();
  void FimAFimAtivacaoChecagens();
  void FimAFimSucesso();
  void FimAFimRecarregaGuardados();
  void FimAFimFalhaApagaCFe_data();
  void FimAFimFalhaApagaCFe();
  void FimAFimJanelaFechada();
  void FimAFimArquivoNaoBase64();

 private:
  QPlainTextEdit *MemoStatus() { return b->f->Filho<QPlainTextEdit>("MemoStatus"); }
  QPlainTextEdit *MemoCFe() { return b->f->Filho<QPlainTextEdit>("MemoCFe"); }
  QString Pagina() { return b->f->ctx().PaginaVisivel()->objectName(); }
  // Enters the tests page and runs "Consulta Sessão" with the session typed.
  void ConsultaSessao(const QString &sessao, const QByteArray &resposta) {
    b->Menu("BtnTestefimafim");
    b->f->Filho<QLineEdit>("Edit1")->setText(sessao);
    b->Valida(QString::fromLatin1(kCodigo));
    fake.Resposta(resposta);
    b->Clica("BtnSessao");
  }
  // The parameters typed in TFFimAFim, then "Ok".
  void PreencheFimAFim(const QString &contribuinte, const QString &ie, const QString &sh, const QString &assinatura) {
    b->f->dialogos.roteiroModal << [=](QDialog &d) {
      auto *j = static_cast<TFFimAFim *>(&d);
      j->EdtCNPJContrib2->setText(contribuinte);
      if (j->EdtIEContrib->isEnabled()) j->EdtIEContrib->setText(ie);
      if (j->EdtCNPJSw->isEnabled()) j->EdtCNPJSw->setText(sh);
      if (j->EdtAssinatura->isEnabled()) j->EdtAssinatura->setText(assinatura);
      j->BtnOk->click();
    };
  }

  FakeDriver fake{CaminhoFake()};
  std::unique_ptr<Bancada> b;
};

// ---- Status -------------------------------------------------------------------

namespace {
QByteArray RespostaStatus(const QByteArray &sessao, const QByteArray &estado, const QByteArray &extra = "") {
  return sessao + "|10000|Resposta com Sucesso.|||900004019|DHCP|192.168.1.2|00:1A:2B:3C:4D:5E|255.255.255.0|"
                  "192.168.1.1|8.8.8.8|8.8.4.4|CONECTADO|ALTO|4 GB|12 KB|20150714101112|01.00.00|00.08|"
                  "CFe1|CFe0|CFe1|20150714091011|2015071408|20240101|20290131|" +
         estado + extra;
}
}  // namespace

void ConsultasTest::StatusListagemCompleta() {
  b->Valida(QStringLiteral("  12345678  "));
  const QByteArray sessao = b->ProximaSessao().toLatin1();
  fake.Resposta(RespostaStatus(sessao, "0"));
  b->Menu("BitBtnStatus");
  QCOMPARE(Pagina(), QStringLiteral("TabStatus"));
  QCOMPARE(fake.Chamadas(), QList<QByteArray>{"ConsultarStatusOperacional|" + QByteArray::number(sessao.toInt()) + "|12345678"});
  const QStringList linhas = Linhas(MemoStatus());
  QCOMPARE(linhas.size(), 24);
  QCOMPARE(linhas[0], QStringLiteral(" "));
  QCOMPARE(linhas[1], QStringLiteral(" NSERIE ........... 900004019"));
  QCOMPARE(linhas[10], QStringLiteral(" NIVEL_BATERIA .... ALTO"));
  QCOMPARE(linhas[13], QStringLiteral(" DH_ATUAL ......... 14/07/2015 - 10:11:12"));
  QCOMPARE(linhas[16], QStringLiteral(" ULTIMO_CF-E-SAT .. CFe1"));
  // A short date and time gives short parts, no error.
  QCOMPARE(linhas[20], QStringLiteral(" DH_ULTIMA ........ 14/07/2015 - 08::"));
  QCOMPARE(linhas[21], QStringLiteral(" CERT_EMISSAO ..... 01/01/2024"));
  QCOMPARE(linhas[23], QStringLiteral(" ESTADO_OPERACAO .. DESBLOQUEADO"));
  QCOMPARE(b->f->dialogos.Textos(), QStringList{});
  QCOMPARE(b->f->dialogos.Janelas(), QStringList{QStringLiteral("TFValida")});
}

void ConsultasTest::StatusRespostas_data() {
  QTest::addColumn<QByteArray>("resposta");
  QTest::addColumn<QStringList>("mensagens");
  QTest::addColumn<int>("linhas");
  QTest::addColumn<QString>("ultima");
  QTest::newRow("recusa") << QByteArray("000001|10001|Código de ativação inválido.|||") << QStringList{QStringLiteral("10001: Código de ativação inválido.")} << 0 << QString();
  QTest::newRow("ocupado") << QByteArray("000001|10098|SAT em processamento. Tente novamente.||") << QStringList{QStringLiteral("10098: SAT em processamento. Tente novamente.")} << 0 << QString();
  QTest::newRow("curta") << QByteArray("000001|") << QStringList{} << 0 << QString();
  QTest::newRow("vazia") << QByteArray() << QStringList{} << 0 << QString();
  // Past the name table nothing is listed.
  QTest::newRow("longa") << RespostaStatus("000001", "2", "|extra|mais") << QStringList{} << 24 << QStringLiteral(" ESTADO_OPERACAO .. BLOQUEIO CONTRIBUINTE");
  QTest::newRow("estado 4") << RespostaStatus("000001", "4") << QStringList{} << 24 << QStringLiteral(" ESTADO_OPERACAO .. BLOQUEIO PARA DESATIVACAO");
  QTest::newRow("estado desconhecido") << RespostaStatus("000001", "7") << QStringList{} << 24 << QStringLiteral(" ESTADO_OPERACAO .. 7");
  QTest::newRow("estado negativo") << RespostaStatus("000001", "-1") << QStringList{} << 24 << QStringLiteral(" ESTADO_OPERACAO .. -1");
  // Not a number: the listing ends silently before ESTADO_OPERACAO.
  QTest::newRow("estado nao numerico") << RespostaStatus("000001", "X") << QStringList{} << 23 << QStringLiteral(" CERT_VENCIMENTO .. 31/01/2029");
  QTest::newRow("estado vazio") << RespostaStatus("000001", "") << QStringList{} << 23 << QStringLiteral(" CERT_VENCIMENTO .. 31/01/2029");
  QTest::newRow("sucesso curto") << QByteArray("000001|10000|ok|||900004019|DHCP") << QStringList{} << 3 << QStringLiteral(" TIPO_LAN ......... DHCP");
}

void ConsultasTest::StatusRespostas() {
  QFETCH(QByteArray, resposta);
  QFETCH(QStringList, mensagens);
  QFETCH(int, linhas);
  QFETCH(QString, ultima);
  b->Valida(QString::fromLatin1(kCodigo));
  fake.Resposta(resposta);
  b->Menu("BitBtnStatus");
  QCOMPARE(b->f->dialogos.Textos(), mensagens);
  if (linhas == 0) {
    QCOMPARE(MemoStatus()->toPlainText(), QString());
  } else {
    QCOMPARE(Linhas(MemoStatus()).size(), linhas);
    QCOMPARE(Linhas(MemoStatus()).last(), ultima);
  }
  QCOMPARE(b->f->Filho<QLineEdit>("Edit1")->text(), b->Sessao());
}

void ConsultasTest::StatusChecagens() {
  // Closed without "Validar": the page shows, nothing is called.
  b->Fecha();
  b->Menu("BitBtnStatus");
  QCOMPARE(Pagina(), QStringLiteral("TabStatus"));
  QCOMPARE(fake.Chamadas().size(), 0);
  QCOMPARE(b->f->dialogos.Textos(), QStringList{});
  // Seven characters: the message of the new code, no call.
  b->Valida(QStringLiteral("1234567"));
  b->Menu("BitBtnStatus");
  QCOMPARE(b->f->dialogos.Textos(), QStringList{QStringLiteral("Novo código de ativação deve ter no mínimo 8 caracteres.")});
  QCOMPARE(fake.Chamadas().size(), 0);
}

// ---- Session look-ups ------------------------------------------------------------------

void ConsultasTest::ConsultaSessaoChecagens_data() {
  QTest::addColumn<bool>("confirma");
  QTest::addColumn<QString>("codigo");
  QTest::addColumn<QString>("sessao");
  QTest::addColumn<QStringList>("mensagens");
  QTest::addColumn<QString>("cabecalho");
  QTest::newRow("fechada") << false << QString() << QStringLiteral("1") << QStringList{} << QString();
  QTest::newRow("codigo curto") << true << QStringLiteral("1234567") << QStringLiteral("1")
                                << QStringList{QStringLiteral("Código de Ativação deve ter no mínimo 8 caracteres.")}
                                << QStringLiteral("CONSULTAR NÚMERO DE SESSÃO");
  QTest::newRow("sessao vazia") << true << QStringLiteral("12345678") << QString()
                                << QStringList{QStringLiteral("Número de sessão consultada inválida.")}
                                << QStringLiteral("CONSULTAR NÚMERO DE SESSÃO");
}

void ConsultasTest::ConsultaSessaoChecagens() {
  QFETCH(bool, confirma);
  QFETCH(QString, codigo);
  QFETCH(QString, sessao);
  QFETCH(QStringList, mensagens);
  QFETCH(QString, cabecalho);
  b->Menu("BtnTestefimafim");
  b->f->Filho<QLineEdit>("Edit1")->setText(sessao);
  if (confirma) b->Valida(codigo);
  b->Clica("BtnSessao");
  QCOMPARE(b->f->dialogos.Textos(), mensagens);
  QCOMPARE(b->f->Filho<QLabel>("Panel4")->text(), cabecalho);
  QCOMPARE(fake.Chamadas().size(), 0);
}

void ConsultasTest::ConsultaSessaoVenda_data() {
  QTest::addColumn<QByteArray>("base64");
  QTest::addColumn<QByteArray>("mensagemSefaz");
  QTest::newRow("uma linha") << kCFe.toBase64() << QByteArray();
  // Devices in the field break the field with CR LF.
  QTest::newRow("com CR LF") << Base64ComQuebras(kCFe + QByteArray(200, 'x')) << QByteArray();
  // The CFe starts after the SEFAZ message: a message (even one of Base64
  // characters only) is not taken into it.
  QTest::newRow("mensagem SEFAZ") << kCFe.toBase64() << QByteArray("Lote recebido com sucesso");
  QTest::newRow("mensagem SEFAZ de Base64") << kCFe.toBase64() << QByteArray("Rejeicao");
}

void ConsultasTest::ConsultaSessaoVenda() {
  QFETCH(QByteArray, base64);
  QFETCH(QByteArray, mensagemSefaz);
  const QByteArray cfe = QByteArray::fromBase64(QByteArray(base64).replace("\r\n", ""));
  QVERIFY(cfe.startsWith(kCFe));
  GravaArquivo(b->Arquivo(QStringLiteral("CFe.xml")), "antigo");
  const QByteArray resposta = VendaArmazenada("004321", base64, mensagemSefaz);
  ConsultaSessao(QStringLiteral(" 4321"), resposta);
  QCOMPARE(fake.Chamadas(), QList<QByteArray>{"ConsultarNumeroSessao|" + QByteArray::number(b->Sessao().toInt()) + "|12345678|4321"});
  QCOMPARE(b->f->Filho<QLineEdit>("Edit1")->text(), b->Sessao());
  QCOMPARE(b->f->dialogos.Textos(), QStringList{});
  QCOMPARE(b->f->dialogos.Janelas(), QStringList{QStringLiteral("TFValida")});  // no SEFAZ window
  QStringList esperado{Separador(), QString::fromUtf8(resposta), Separador(), QStringLiteral("Sessão: 004321"),
                       QStringLiteral("Chave: CFe35240111222333000181590009000040190000011234567"), Separador()};
  QByteArray arquivo;
  for (const QByteArray &l : DivideLinhas(cfe)) {
    esperado << QString::fromUtf8(l);
    arquivo += l + "\r\n";
  }
  esperado << Separador();
  // The reply's own CR LF become lines of the memo.
  QCOMPARE(MemoCFe()->toPlainText().remove(u'\r'), esperado.join(u'\n').remove(u'\r'));
  QCOMPARE(LeArquivo(b->Arquivo(QStringLiteral("CFe.xml"))), arquivo);
}

void ConsultasTest::ConsultaSessaoPropriaSessao() {
  GravaArquivo(b->Arquivo(QStringLiteral("CFe.xml")), "antigo");
  const QByteArray sessao = b->ProximaSessao().toLatin1();
  ConsultaSessao(QStringLiteral("4321"), sessao + "|11003|Sessão não existe.|||");
  QCOMPARE(b->f->dialogos.Textos(), QStringList{QStringLiteral("11003: Sessão não existe.")});
  QCOMPARE(MemoCFe()->toPlainText(), QString());
  QCOMPARE(LeArquivo(b->Arquivo(QStringLiteral("CFe.xml"))), QByteArray("antigo"));
}

void ConsultasTest::ConsultaSessaoOutraResposta() {
  const QByteArray resposta = "004321|07000|0000|Cupom cancelado com sucesso|||Q0ZF|20240102";
  ConsultaSessao(QStringLiteral("4321"), resposta);
  QCOMPARE(Linhas(MemoCFe()), (QStringList{Separador(), QString::fromUtf8(resposta)}));
  QCOMPARE(LeArquivo(b->Arquivo(QStringLiteral("CFe.xml"))),
           QByteArray("004321\r\n07000\r\n0000\r\nCupom cancelado com sucesso\r\n\r\n\r\nQ0ZF\r\n20240102\r\n"));
  QCOMPARE(b->f->dialogos.Textos(), QStringList{});
}

void ConsultasTest::ConsultaSessaoFiscal() {
  b->Menu("BtnTestefimafim");
  b->f->Filho<QLineEdit>("Edit1")->clear();  // not needed here
  b->Valida(QStringLiteral("12345678"));
  fake.Resposta(VendaArmazenada("000777", kCFe.toBase64()));
  b->Clica("BtnSessaoFiscal");
  QCOMPARE(b->f->Filho<QLabel>("Panel4")->text(), QStringLiteral("CONSULTAR ÚLTIMA SESSÃO FISCAL"));
  QCOMPARE(fake.Chamadas(), QList<QByteArray>{"ConsultarUltimaSessaoFiscal|" + QByteArray::number(b->Sessao().toInt()) + "|12345678"});
  QVERIFY(MemoCFe()->toPlainText().contains(QStringLiteral("Sessão: 000777")));
  QCOMPARE(LeArquivo(b->Arquivo(QStringLiteral("CFe.xml"))), kCFe + "\r\n");
}

void ConsultasTest::ConsultaSessaoVendaInvalida_data() {
  QTest::addColumn<QByteArray>("resposta");
  QTest::addColumn<int>("linhas");
  // Fewer than 9 fields: no key.
  QTest::newRow("curta") << QByteArray("004321|06000|0000|ok|||" + kCFe.toBase64() + "|2024") << 2;
  QTest::newRow("nao base64") << VendaArmazenada("004321", "não é base64!") << 2;
}

void ConsultasTest::ConsultaSessaoVendaInvalida() {
  QFETCH(QByteArray, resposta);
  QFETCH(int, linhas);
  GravaArquivo(b->Arquivo(QStringLiteral("CFe.xml")), "antigo");
  ConsultaSessao(QStringLiteral("4321"), resposta);
  QCOMPARE(Linhas(MemoCFe()).size(), linhas);
  QCOMPARE(LeArquivo(b->Arquivo(QStringLiteral("CFe.xml"))), QByteArray("antigo"));
  QCOMPARE(b->f->dialogos.Textos(), QStringList{});
}

void ConsultasTest::AbrirNoNavegador() {
  const QString cfe = b->Arquivo(QStringLiteral("CFe.xml"));
  ConsultaSessao(QStringLiteral("4321"), VendaArmazenada("004321", kCFe.toBase64()));
  // The look-ups leave the button as entering the page set it.
  QVERIFY(!b->f->Filho<QPushButton>("BtnNaveg")->isEnabled());
  b->f->Filho<QPushButton>("BtnNaveg")->setEnabled(true);
  b->Clica("BtnNaveg");
  QCOMPARE(b->f->dialogos.registros.last().tipo, QStringLiteral("url"));
  QCOMPARE(b->f->dialogos.registros.last().texto, cfe);
  // A new visit clears the memo: nothing opens, although the file exists.
  b->Menu("BtnTestefimafim");
  b->f->Filho<QPushButton>("BtnNaveg")->setEnabled(true);
  b->f->dialogos.Limpa();
  b->Clica("BtnNaveg");
  QVERIFY(QFile::exists(cfe));
  QCOMPARE(b->f->dialogos.registros.size(), 0);
}

// ---- End-to-end tests -----------------------------------------------------------------

namespace {
const QByteArray kMeio =
    "<det nItem=\"1\"><prod><cProd>001</cProd><xProd>MiniPc Norvi</xProd><CFOP>5001</CFOP><uCom>UN</uCom>"
    "<qCom>1.0000</qCom><vUnCom>654.320</vUnCom><indRegra>A</indRegra></prod><imposto><vItem12741>1.00</vItem12741>"
    "<ICMS><ICMS00><Orig>0</Orig><CST>00</CST><pICMS>12.00</pICMS></ICMS00></ICMS><PIS><PISAliq><CST>01</CST>"
    "<vBC>654.32</vBC><pPIS>0.0600</pPIS></PISAliq></PIS><COFINS><COFINSAliq><CST>01</CST><vBC>654.32</vBC>"
    "<pCOFINS>0.0400</pCOFINS></COFINSAliq></COFINS></imposto></det><total><vCFeLei12741>1.00</vCFeLei12741></total>"
    "<pgto><MP><cMP>01</cMP><vMP>2000.00</vMP></MP></pgto></infCFe></CFe>";
}  // namespace

void ConsultasTest::FimAFimXml() {
  const QByteArray producao =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe><infCFe versaoDadosEnt=\"0.08\"><ide><CNPJ>22333444000150</CNPJ>"
      "<signAC>ASSINATURA&x</signAC><numeroCaixa>099</numeroCaixa></ide><emit><CNPJ>11222333000182</CNPJ>"
      "<IE>123456789012</IE><cRegTribISSQN>1</cRegTribISSQN><indRatISSQN>N</indRatISSQN></emit>"
      "<dest><CNPJ>48291736000192</CNPJ></dest>" + kMeio;
  const QByteArray ativacao =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe><infCFe versaoDadosEnt=\"0.08\"><ide><CNPJ>00000000000000</CNPJ>"
      "<signAC>" + QByteArray(344, '0') + "</signAC><numeroCaixa>099</numeroCaixa></ide><emit><CNPJ>11222333000181</CNPJ>"
      "<IE>000000000000</IE><cRegTribISSQN>1</cRegTribISSQN><indRatISSQN>N</indRatISSQN></emit><dest/>" + kMeio;

  // Production sends a taxpayer CNPJ with wrong check digits unchanged, and the signature unescaped.
  b->Menu("BtnTestefimafim");
  b->Valida(QStringLiteral("12345678"));
  PreencheFimAFim(QStringLiteral("11222333000182"), QStringLiteral("123456789012"), QStringLiteral("22333444000150"),
                  QStringLiteral(" ASSINATURA&x "));
  b->Clica("BtnTesteProducao");
  QCOMPARE(b->f->Filho<QLabel>("Panel4")->text(), QStringLiteral("FIM-A-FIM PRODUÇÃO"));
  QCOMPARE(fake.Chamadas().value(0), "TesteFimAFim|" + QByteArray::number(b->Sessao().toInt()) + "|12345678|" + producao);

  // Activation: only the taxpayer's CNPJ can be edited.
  fake.Limpa();
  b->Valida(QStringLiteral("12345678"));
  PreencheFimAFim(QStringLiteral("11222333000181"), QString(), QString(), QString());
  b->Clica("BtnTesteAtivacao");
  QCOMPARE(b->f->Filho<QLabel>("Panel4")->text(), QStringLiteral("FIM-A-FIM ATIVAÇÃO"));
  auto *janela = b->f->janela->findChild<TFFimAFim *>();
  QVERIFY(!janela->EdtCNPJSw->isEnabled() && !janela->EdtIEContrib->isEnabled() && !janela->EdtAssinatura->isEnabled());
  QVERIFY(janela->EdtCNPJContrib2->isEnabled());
  QCOMPARE(fake.Chamadas().value(0), "TesteFimAFim|" + QByteArray::number(b->Sessao().toInt()) + "|12345678|" + ativacao);
}

void ConsultasTest::FimAFimProducaoChecagens_data() {
  QTest::addColumn<QString>("contribuinte");
  QTest::addColumn<QString>("ie");
  QTest::addColumn<QString>("sh");
  QTest::addColumn<QString>("assinatura");
  QTest::addColumn<QString>("mensagem");
  QTest::newRow("tudo vazio") << QString() << QString() << QString() << QString() << QStringLiteral("CNPJ do Contribuinte inválido.");
  QTest::newRow("ie vazia") << QStringLiteral("11222333000181") << QString() << QStringLiteral("11222333000181") << QStringLiteral("A") << QStringLiteral("IE do Contribuinte inválido.");
  QTest::newRow("sh vazio") << QStringLiteral("11222333000181") << QStringLiteral("1") << QString() << QStringLiteral("A") << QStringLiteral("CNPJ da Software House inválido.");
  QTest::newRow("assinatura em branco") << QStringLiteral("11222333000181") << QStringLiteral("1") << QStringLiteral("1") << QStringLiteral("   ") << QStringLiteral("Assinatura não pode estar em branco.");
}

void ConsultasTest::FimAFimProducaoChecagens() {
  QFETCH(QString, contribuinte);
  QFETCH(QString, ie);
  QFETCH(QString, sh);
  QFETCH(QString, assinatura);
  QFETCH(QString, mensagem);
  b->Menu("BtnTestefimafim");
  b->Valida(QStringLiteral("12345678"));
  PreencheFimAFim(contribuinte, ie, sh, assinatura);
  b->Clica("BtnTesteProducao");
  QCOMPARE(b->f->dialogos.Textos(), QStringList{mensagem});
  QCOMPARE(fake.Chamadas().size(), 0);
}

void ConsultasTest::FimAFimAtivacaoChecagens() {
  b->Menu("BtnTestefimafim");
  b->Valida(QStringLiteral("1234567"));
  b->Clica("BtnTesteAtivacao");
  QCOMPARE(b->f->dialogos.Textos(), QStringList{QStringLiteral("Código de Ativação deve ter no mínimo 8 caracteres.")});
  b->f->dialogos.Limpa();
  for (const QString &cnpj : {QString(), QStringLiteral("11222333000182"), QStringLiteral("112223330001")}) {
    b->Valida(QStringLiteral("12345678"));
    PreencheFimAFim(cnpj, QString(), QString(), QString());
    b->Clica("BtnTesteAtivacao");
  }
  QCOMPARE(b->f->dialogos.Textos(), QStringList(3, QStringLiteral("CNPJ do Contribuinte inválido.")));
  QCOMPARE(fake.Chamadas().size(), 0);
}

void ConsultasTest::FimAFimSucesso() {
  // The stored values fill the window when it is shown.
  Contexto &ctx = b->f->ctx();
  ctx.cds.Abre();
  ctx.cds.Edita();
  ctx.cds.DefineTexto(QStringLiteral("CNPJContribuinte"), QStringLiteral("11222333000181"));
  ctx.cds.Posta();
  b->Menu("BtnTestefimafim");
  b->Valida(QStringLiteral("12345678"));
  QString mostrado;
  b->f->dialogos.roteiroModal << [&](QDialog &d) {
    auto *j = static_cast<TFFimAFim *>(&d);
    mostrado = ValorCNPJ(j->EdtCNPJContrib2);
    j->BtnOk->click();
  };
  fake.Resposta("000001|09000|Emitido com sucesso|0000|Autorizado|" + Base64ComQuebras(kCFe) + "|20240102|000001|CFe1");
  b->Clica("BtnTesteAtivacao");
  QCOMPARE(mostrado, QStringLiteral("11222333000181"));
  QCOMPARE(b->f->dialogos.Textos(), QStringList{QStringLiteral("09000: Emitido com sucesso")});
  QCOMPARE(b->f->dialogos.Janelas(), (QStringList{QStringLiteral("TFValida"), QStringLiteral("TFFimAFim"), QStringLiteral("TFMSefaz")}));
  QCOMPARE(MemoCFe()->toPlainText(), Separador() + QStringLiteral("\n"
                                                                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                                                  "<CFe>\n"
                                                                  "  <infCFe Id=\"CFe1\">\n"
                                                                  "    <ide>\n"
                                                                  "      <cUF>35</cUF>\n"
                                                                  "    </ide>\n"
                                                                  "    <emit>\n"
                                                                  "      <xNome>JOÃO</xNome>\n"
                                                                  "    </emit>\n"
                                                                  "  </infCFe>\n"
                                                                  "</CFe>\n") +
                                         Separador());
  // The unformatted CFe in the 8-bit code page, lines ending in CR LF.
  QCOMPARE(LeArquivo(b->Arquivo(QStringLiteral("CFe.xml"))), QString::fromUtf8(kCFe).toLatin1() + "\r\n");
  QVERIFY(b->f->Filho<QPushButton>("BtnNaveg")->isEnabled());
  b->Clica("BtnNaveg");
  QCOMPARE(b->f->dialogos.registros.last().texto, b->Arquivo(QStringLiteral("CFe.xml")));
}

void ConsultasTest::FimAFimRecarregaGuardados() {
  // Each showing of TFFimAFim reloads the stored CNPJs and signature over what
  // the window held; the IE is not stored and keeps what was typed.
  auto *janela = b->f->janela->findChild<TFFimAFim *>();
  janela->EdtCNPJSw->setText(QStringLiteral("99999999999999"));
  janela->EdtAssinatura->setText(QStringLiteral("antiga"));
  janela->EdtIEContrib->setText(QStringLiteral("123456789012"));
  Contexto &ctx = b->f->ctx();
  ctx.cds.Abre();
  ctx.cds.Edita();
  ctx.cds.DefineTexto(QStringLiteral("CNPJContribuinte"), QStringLiteral("11222333000181"));
  ctx.cds.DefineTexto(QStringLiteral("CNPJSH"), QStringLiteral("22333444000181"));
  ctx.cds.DefineTexto(QStringLiteral("assinatura"), QStringLiteral("SIGNAC"));
  ctx.cds.Posta();
  b->Menu("BtnTestefimafim");
  b->Valida(QStringLiteral("12345678"));
  QStringList mostrado;
  b->f->dialogos.roteiroModal << [&](QDialog &d) {
    auto *j = static_cast<TFFimAFim *>(&d);
    mostrado << ValorCNPJ(j->EdtCNPJContrib2) << ValorCNPJ(j->EdtCNPJSw) << j->EdtAssinatura->text() << j->EdtIEContrib->text();
    j->BtnOk->click();
  };
  fake.Resposta("000001|09001|recusado|||");
  b->Clica("BtnTesteProducao");
  QCOMPARE(mostrado, (QStringList{QStringLiteral("11222333000181"), QStringLiteral("22333444000181"), QStringLiteral("SIGNAC"),
                                  QStringLiteral("123.456.789.012")}));
  const QByteArray chamada = fake.Chamadas().value(0);
  QVERIFY2(chamada.contains("<ide><CNPJ>22333444000181</CNPJ><signAC>SIGNAC</signAC>"), chamada.constData());
  QVERIFY(chamada.contains("<emit><CNPJ>11222333000181</CNPJ><IE>123456789012</IE>"));
}

void ConsultasTest::FimAFimFalhaApagaCFe_data() {
  QTest::addColumn<QByteArray>("resposta");
  QTest::addColumn<QStringList>("mensagens");
  QTest::newRow("recusa") << QByteArray("000001|09001|Código de ativação inválido.|||") << QStringList{QStringLiteral("09001: Código de ativação inválido.")};
  QTest::newRow("ocupado") << QByteArray("000001|09098|SAT em processamento. Tente novamente.||") << QStringList{QStringLiteral("09098: SAT em processamento. Tente novamente.")};
  QTest::newRow("curta") << QByteArray("000001") << QStringList{};
}

void ConsultasTest::FimAFimFalhaApagaCFe() {
  QFETCH(QByteArray, resposta);
  QFETCH(QStringList, mensagens);
  GravaArquivo(b->Arquivo(QStringLiteral("CFe.xml")), "anterior");
  b->Menu("BtnTestefimafim");
  b->Valida(QStringLiteral("12345678"));
  PreencheFimAFim(QStringLiteral("11222333000181"), QString(), QString(), QString());
  fake.Resposta(resposta);
  b->Clica("BtnTesteAtivacao");
  QCOMPARE(b->f->dialogos.Textos(), mensagens);
  QVERIFY(!QFile::exists(b->Arquivo(QStringLiteral("CFe.xml"))));
  QVERIFY(!b->f->Filho<QPushButton>("BtnNaveg")->isEnabled());
}

void ConsultasTest::FimAFimJanelaFechada() {
  b->Menu("BtnTestefimafim");
  b->Valida(QStringLiteral("12345678"));
  b->f->dialogos.roteiroModal << [](QDialog &d) {
    static_cast<TFFimAFim &>(d).EdtCNPJContrib2->setText(QStringLiteral("11222333000181"));
  };
  b->Clica("BtnTesteAtivacao");
  QCOMPARE(fake.Chamadas().size(), 0);
  QCOMPARE(b->f->dialogos.Textos(), QStringList{});
}

void ConsultasTest::FimAFimArquivoNaoBase64() {
  GravaArquivo(b->Arquivo(QStringLiteral("CFe.xml")), "anterior");
  b->Menu("BtnTestefimafim");
  b->Valida(QStringLiteral("12345678"));
  PreencheFimAFim(QStringLiteral("11222333000181"), QString(), QString(), QString());
  fake.Resposta("000001|09000|Emitido com sucesso|||não é base64|x");
  b->Clica("BtnTesteAtivacao");
  QCOMPARE(b->f->dialogos.Textos(), QStringList{QStringLiteral("09000: Emitido com sucesso")});
  QCOMPARE(MemoCFe()->toPlainText(), QString());
  QCOMPARE(LeArquivo(b->Arquivo(QStringLiteral("CFe.xml"))), QByteArray("anterior"));
  QVERIFY(!b->f->Filho<QPushButton>("BtnNaveg")->isEnabled());
}

QTEST_MAIN(ConsultasTest)
#include "consultas_test.moc"

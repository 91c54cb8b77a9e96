// The main window against the fake driver: start-up, menu, the common road of
// a driver call, the reply display, the code dialog and "Consultar SAT".
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

#include "fimafim.h"
#include "msefaz.h"
#include "pages/pagina.h"
#include "pages/tabnorvi.h"
#include "roteiro.h"
#include "valida.h"

namespace {

QString CaminhoFake() { return QDir(PastaFakeCompleto()).filePath(QStringLiteral("libcfedriver.so")); }

QColor CorTexto(const QWidget *w, QPalette::ColorRole papel) { return w->palette().color(papel); }

const QColor kVerde(0, 128, 0);
const QColor kVermelho(255, 0, 0);

}  // namespace

class JanelaTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    fake.Limpa();
    f.reset(new Ferramenta(PastaFakeCompleto()));
  }
  void cleanup() { f.reset(); }

  void InicioNormal();
  void InicioSemBiblioteca();
  void PastasPadrao();
  void InicioComBibliotecaDoSistema();
  void InicioBibliotecaInvalida();
  void EntradaAusenteNaoEhChamada();
  void ControlesComRotulo();
  void MenuTrocaPaginas_data();
  void MenuTrocaPaginas();
  void EntradaDaPaginaSoAoMudar();
  void NotasDasPaginas_data();
  void NotasDasPaginas();
  void SairFechaEGravaParametros();
  void RedimensionarCentraFigura();

  void ConsultarSATEmOperacao();
  void ConsultarSATRespostas_data();
  void ConsultarSATRespostas();
  void BtnPrincipalConsulta();
  void SessaoEmEdit1ACadaChamada();
  void RegraDos110Caracteres_data();
  void RegraDos110Caracteres();
  void RespostaEmUtf8ComBytesInvalidos();
  void JanelaSefaz_data();
  void JanelaSefaz();
  void TextoVaiEmIso88591();
  void CursorEsperaDuranteChamada();

  void ValidaConfirmada();
  void ValidaFechadaSemValidar();

  void EnterAcionaBotaoPadrao_data();
  void EnterAcionaBotaoPadrao();
  void EnterNoutroBotaoClicaEsse();
  void EnterNasJanelas();
  void TextosSemFormatacao();
  void JanelasTamanhoBordaECentro_data();
  void JanelasTamanhoBordaECentro();

 private:
  QLabel *Operante() const { return f->Filho<QLabel>("lbloperante"); }
  void Consulta(const QByteArray &resposta) {
    fake.Resposta(resposta);
    QTest::mouseClick(f->Filho<QPushButton>("BitBtn6"), Qt::LeftButton);
  }

  FakeDriver fake{CaminhoFake()};
  std::unique_ptr<Ferramenta> f;
};

void JanelaTest::InicioNormal() {
  QCOMPARE(f->dialogos.registros.size(), 0);
  QVERIFY(!f->janela->PedidoEncerramento());
  QCOMPARE(f->janela->windowTitle(), QStringLiteral("SAT - NORVI (Ativação - Versão: 3.0.0.4)"));
  QCOMPARE(f->Filho<QLabel>("LblVersao")->text(),
           sizeof(void *) == 8 ? QStringLiteral("Versão: 3.0.0.4 (64 bits)") : QStringLiteral("Versão: 3.0.0.4 (32 bits)"));
  QCOMPARE(f->Filho<QLabel>("LblNorvi")->text(), QStringLiteral("Norvi Informática EIRELI"));
  QCOMPARE(f->ctx().PaginaVisivel()->objectName(), QStringLiteral("TabNorvi"));
  QVERIFY(!Operante()->isVisibleTo(f->janela.get()));
  QCOMPARE(f->Status(), QString());
  QVERIFY(f->ctx().estado.CodigoValidado.isEmpty());
  QVERIFY(QFile::exists(QDir(f->trabalho.path()).filePath(QStringLiteral("Parametros.xml"))));
  QVERIFY(f->ctx().driver.ConsultarSAT);
  QVERIFY(f->ctx().driver.SetDriver);
  QCOMPARE(f->janela->size(), QSize(684, 465));
  QVERIFY(!f->janela->windowIcon().isNull());
  // The other three windows exist from the start.
  QVERIFY(f->janela->findChild<TFFimAFim *>(QStringLiteral("TFFimAFim")));
  QCOMPARE(f->janela->findChild<TFMSefaz *>()->windowTitle(), QStringLiteral("cfetool (Mensagem Sefaz)"));
  QCOMPARE(f->janela->findChild<TFValida *>()->windowTitle(), QStringLiteral("SAT - NORVI (Valida Cód. Ativação)"));
  QCOMPARE(fake.Chamadas().size(), 0);  // start-up calls nothing
}

void JanelaTest::InicioSemBiblioteca() {
  QTemporaryDir vazia;
  Ferramenta g(vazia.path());
  const QString aoLado = QDir(vazia.path()).filePath(QStringLiteral("libcfedriver.so"));
  QCOMPARE(g.dialogos.Textos(),
           QStringList{QStringLiteral("Erro: libcfedriver.so não foi encontrada.\nProcurada em ") + aoLado + "."});
  // Also looked up by its SONAME: the message names both places.
  g.bibliotecaDoSistema = QStringLiteral("libcfedriver-ausente.so.3");
  g.dialogos.Limpa();
  g.Reinicia();
  QCOMPARE(g.dialogos.Textos(),
           QStringList{QStringLiteral("Erro: libcfedriver.so não foi encontrada.\nProcurada em ") + aoLado +
                       QStringLiteral(" e, como libcfedriver-ausente.so.3, nas pastas de bibliotecas do sistema.")});
  QVERIFY(g.janela->PedidoEncerramento());
  // The remaining start-up steps still ran.
  QVERIFY(QFile::exists(QDir(g.trabalho.path()).filePath(QStringLiteral("Parametros.xml"))));
  QCOMPARE(g.ctx().PaginaVisivel()->objectName(), QStringLiteral("TabNorvi"));
}

void JanelaTest::PastasPadrao() {
  // The library and the program's files come from the program's folder;
  // Parametros.xml from the working folder, wherever the program was started.
  QTemporaryDir trabalho;
  const QString antes = QDir::currentPath();
  QVERIFY(QDir::setCurrent(trabalho.path()));
  const Ambiente a = Ambiente::Padrao(f->dialogos);
  QDir::setCurrent(antes);
  QCOMPARE(a.pastaPrograma, QCoreApplication::applicationDirPath());
  QCOMPARE(QDir(QFileInfo(a.arquivoParametros).absolutePath()).canonicalPath(), QDir(trabalho.path()).canonicalPath());
  QCOMPARE(QFileInfo(a.arquivoParametros).fileName(), QStringLiteral("Parametros.xml"));
  QCOMPARE(a.dialogos, &f->dialogos);
  QCOMPARE(a.bibliotecaDoSistema, QStringLiteral("libcfedriver.so.3"));
  QVERIFY(!a.pastaDados.isEmpty());
}

void JanelaTest::InicioComBibliotecaDoSistema() {
  // Installed in /usr/bin: no library beside the program, the system's is loaded by name
  // (here the fake's path stands for the SONAME). ConfRede.xml goes to the user's data folder,
  // because the program's folder cannot be written.
  Ferramenta g(QStringLiteral("/sem-pasta-do-programa"));
  g.bibliotecaDoSistema = CaminhoFake();
  g.dialogos.Limpa();
  g.Reinicia();
  QCOMPARE(g.dialogos.Textos(), QStringList());
  QVERIFY(!g.janela->PedidoEncerramento());
  QVERIFY(g.ctx().driver.ConsultarSAT);
  QCOMPARE(g.ctx().ArquivoGravavel(QStringLiteral("ConfRede.xml")), QDir(g.dados.path()).filePath(QStringLiteral("ConfRede.xml")));

  g.Filho<QPushButton>("BtnConfRede")->click();
  g.Filho<QLineEdit>("LblEdtCodRede")->setText(QStringLiteral("12345678"));
  fake.Resposta("1|12000|Rede Configurada com Sucesso|||");
  g.Filho<QPushButton>("BitBtn4")->click();
  QCOMPARE(g.dialogos.Textos(), QStringList{QStringLiteral("12000: Rede Configurada com Sucesso")});
  QVERIFY(QFile::exists(QDir(g.dados.path()).filePath(QStringLiteral("ConfRede.xml"))));

  // A program folder that can be written keeps the file.
  QCOMPARE(f->ctx().ArquivoGravavel(QStringLiteral("ConfRede.xml")), QDir(PastaFakeCompleto()).filePath(QStringLiteral("ConfRede.xml")));
}

void JanelaTest::InicioBibliotecaInvalida() {
  QTemporaryDir pasta;
  const QString caminho = QDir(pasta.path()).filePath(QStringLiteral("libcfedriver.so"));
  QFile arquivo(caminho);
  QVERIFY(arquivo.open(QIODevice::WriteOnly));
  arquivo.write("isto não é uma biblioteca\n");
  arquivo.close();
  Ferramenta g(pasta.path());
  QCOMPARE(g.dialogos.registros.size(), 2);
  QCOMPARE(g.dialogos.registros[0].titulo, QStringLiteral("Erro!"));
  QCOMPARE(g.dialogos.registros[0].texto, QStringLiteral("Erro ao carregar a DLL: ") + caminho);
  QCOMPARE(g.dialogos.registros[1].texto, QStringLiteral("Falha na carga da DLL. Encerrando aplicação ..."));
  QVERIFY(g.janela->PedidoEncerramento());
  QVERIFY(QFile::exists(QDir(g.trabalho.path()).filePath(QStringLiteral("Parametros.xml"))));
}

void JanelaTest::EntradaAusenteNaoEhChamada() {
  FakeDriver incompleto(QDir(PastaFakeIncompleto()).filePath(QStringLiteral("libcfedriver.so")));
  incompleto.Limpa();
  Ferramenta g(PastaFakeIncompleto());
  QCOMPARE(g.dialogos.registros.size(), 0);  // nothing at start-up
  QVERIFY(!g.ctx().driver.ConsultarSAT);
  QVERIFY(g.ctx().driver.ConsultarStatusOperacional);
  QTest::mouseClick(g.Filho<QPushButton>("BitBtn6"), Qt::LeftButton);
  QCOMPARE(g.dialogos.Textos(),
           QStringList{QStringLiteral("Erro: a função ConsultarSAT não foi encontrada em libcfedriver.so.")});
  QCOMPARE(incompleto.Chamadas().size(), 0);
  QVERIFY(g.ctx().estado.SessaoAtual.isEmpty());
  QVERIFY(!g.Filho<QLabel>("lbloperante")->isVisibleTo(g.janela.get()));
}

void JanelaTest::ControlesComRotulo() {
  // Every input is named by its visible label.
  QList<QWidget *> entradas;
  for (auto *e : f->janela->findChildren<QLineEdit *>()) entradas << e;
  QVERIFY(!entradas.isEmpty());
  const auto rotulos = f->janela->findChildren<QLabel *>();
  for (QWidget *e : entradas) {
    const bool temRotulo = std::any_of(rotulos.begin(), rotulos.end(), [e](QLabel *l) { return l->buddy() == e; });
    QVERIFY2(temRotulo, qPrintable(e->objectName()));
  }
  QCOMPARE(f->Filho<QLineEdit>("Edit1")->maxLength(), 6);
}

void JanelaTest::MenuTrocaPaginas_data() {
  QTest::addColumn<QString>("botao");
  QTest::addColumn<QString>("legenda");
  QTest::addColumn<QString>("pagina");
  QTest::addColumn<QString>("titulo");
  QTest::newRow("1") << "BtnPrincipal" << "SAT - NORVI" << "TabNorvi" << "SAT NORVI";
  QTest::newRow("2") << "BtnConfRede" << "Config. da Rede" << "TabConfRede" << "CONFIGURAÇÕES DE REDE";
  QTest::newRow("3") << "BtnAtivacao" << "Ativação do SAT" << "TabAtivar" << "ATIVAÇÃO DO SAT";
  QTest::newRow("4") << "BtnAssocAssin" << "Associar Aplic. Comercial" << "TabAssocAss" << "ASSOCIAR APLIC. COMERCIAL";
  QTest::newRow("5") << "BtnTestefimafim" << "Testes" << "TabTeste" << "";
  QTest::newRow("6") << "BitBtnStatus" << "Status" << "TabStatus" << "STATUS OPERACIONAL";
  QTest::newRow("7") << "BitLogs" << "Extrair Logs" << "TabLog" << "EXTRAÇÃO DOS LOGS";
  QTest::newRow("8") << "BtnCodAtivacao" << "Trocar Cód. Ativação" << "TabCodAtiva" << "CÓDIGO DE ATIVAÇÃO";
  QTest::newRow("9") << "BtnBloquearSAT" << "Bloquear/Desbloquear" << "TabBloq" << "BLOQUEAR/DESBLOQUEAR";
  QTest::newRow("10") << "BitAtualizaSW" << "Atualizar SW Básico" << "TavAtualizaSW" << "ATUALIZAR SOFTWARE BÁSICO";
  QTest::newRow("11") << "BitSuperLog" << "SuperLog" << "TabLog" << "SuperLog NORVI";
}

void JanelaTest::MenuTrocaPaginas() {
  QFETCH(QString, botao);
  QFETCH(QString, legenda);
  QFETCH(QString, pagina);
  QFETCH(QString, titulo);
  // Start from a page that no button shows.
  f->ctx().PageControl->setCurrentWidget(f->janela->findChild<QWidget *>(QStringLiteral("TabBloq")));
  auto *b = f->janela->findChild<QPushButton *>(botao);
  QVERIFY(b);
  QCOMPARE(b->text(), legenda);
  QVERIFY(b->isEnabled());
  if (pagina == u"TabBloq") f->ctx().PageControl->setCurrentIndex(0);
  // The log page's header is set by its two buttons: start from neither caption.
  f->janela->findChild<Pagina *>(QStringLiteral("TabLog"))->Cabecalho()->setText(QStringLiteral("-"));
  QTest::mouseClick(b, Qt::LeftButton);
  auto *visivel = qobject_cast<Pagina *>(f->ctx().PaginaVisivel());
  QCOMPARE(visivel->objectName(), pagina);
  QCOMPARE(visivel->Cabecalho()->text(), titulo);
}

void JanelaTest::EntradaDaPaginaSoAoMudar() {
  // A page that counts its entry steps.
  class Contadora : public Pagina {
   public:
    using Pagina::Pagina;
    void AoEntrar() override { ++entradas; }
    int entradas = 0;
  };
  auto *p = new Contadora(f->ctx(), QStringLiteral("TabContadora"), QStringLiteral("X"));
  f->ctx().PageControl->addWidget(p);
  f->ctx().MostraPagina(p);
  f->ctx().MostraPagina(p);
  QCOMPARE(p->entradas, 1);
  f->ctx().MostraPagina(f->ctx().paginas.first());
  f->ctx().MostraPagina(p);
  QCOMPARE(p->entradas, 2);
}

void JanelaTest::NotasDasPaginas_data() {
  QTest::addColumn<QString>("nota");
  QTest::addColumn<QString>("texto");
  const QString depois = QStringLiteral("ATENÇÃO:\nESTA FUNÇÃO DEVE SER UTILIZADA APENAS APÓS O SAT ESTAR ATIVADO.");
  QTest::newRow("TabAtivar") << "TabAtivarNota" << "ATENÇÃO:\nESTA FUNÇÃO DEVE SER USADA APENAS ENQUANTO O SAT NÃO ESTIVER ATIVADO.";
  QTest::newRow("TabCodAtiva") << "TabCodAtivaNota" << depois;
  QTest::newRow("TabAssocAss") << "TabAssocAssNota" << depois;
  // Line by line, the empty first and last lines and the double spaces included.
  QTest::newRow("Memo1") << "Memo1"
                         << "\nATENÇÃO: \nESTAS OPÇÕES REFEREM-SE APENAS AO BLOQUEIO PELO CONTRIBUINTE. AS \n"
                            "MESMAS NÃO TEM  EFEITO PARA CASOS  DE BLOQUEIO PELA SEFAZ, OU \n"
                            "BLOQUEIO AUTONOMO OU BLOQUEIO DEVIDO A ERRO DO CÓDIGO DE \nATIVAÇÃO.\n\n";
  QTest::newRow("Memo5") << "Memo5" << "\nATENÇÃO:\n \nESTA FUNÇÃO DEVE SER UTILIZADA APENAS APÓS O SAT ESTAR ATIVADO. \n";
}

void JanelaTest::NotasDasPaginas() {
  QFETCH(QString, nota);
  QFETCH(QString, texto);
  QWidget *w = f->janela->findChild<QWidget *>(nota);
  QVERIFY(w);
  QCOMPARE(w->focusPolicy(), Qt::NoFocus);
  if (auto *memo = qobject_cast<QTextEdit *>(w)) {
    QCOMPARE(memo->toPlainText(), texto);
    for (QTextBlock b = memo->document()->begin(); b.isValid(); b = b.next()) {
      QCOMPARE(b.blockFormat().alignment(), Qt::AlignCenter);
      for (auto it = b.begin(); !it.atEnd(); ++it) QCOMPARE(it.fragment().charFormat().foreground().color(), kVerde);
    }
  } else {
    auto *rotulo = qobject_cast<QLabel *>(w);
    QCOMPARE(rotulo->text(), texto);
    QCOMPARE(rotulo->alignment(), Qt::AlignCenter);
    QCOMPARE(CorTexto(rotulo, QPalette::WindowText), kVerde);
  }
}

void JanelaTest::SairFechaEGravaParametros() {
  f->janela->show();
  Contexto &c = f->ctx();
  c.cds.Abre();
  c.cds.Edita();
  c.cds.DefineTexto(QStringLiteral("CNPJContribuinte"), QStringLiteral("11222333000181"));
  c.cds.DefineInteiro(QStringLiteral("uf"), 3);
  c.cds.Posta();
  QTest::mouseClick(f->Filho<QPushButton>("BtnSair"), Qt::LeftButton);
  QVERIFY(!f->janela->isVisible());
  f->Reinicia();
  f->ctx().cds.Abre();
  QCOMPARE(f->ctx().cds.Texto(QStringLiteral("CNPJContribuinte")), QStringLiteral("11222333000181"));
  QCOMPARE(f->ctx().cds.Inteiro(QStringLiteral("UF")), 3);
}

void JanelaTest::RedimensionarCentraFigura() {
  f->janela->show();
  for (const QSize tamanho : {QSize(684, 465), QSize(1001, 777), QSize(750, 500)}) {
    f->janela->resize(tamanho);
    QCoreApplication::processEvents();
    auto *pagina = f->ctx().PaginaDe<TabNorvi>();
    QTRY_COMPARE(pagina->ImgSAT->x(), (pagina->width() - pagina->ImgSAT->width()) / 2);
    QCOMPARE(pagina->ImgSAT->y(), (pagina->height() - pagina->ImgSAT->height()) * 2 / 3);
    QCOMPARE(pagina->BitBtn6->x(), (pagina->width() - pagina->BitBtn6->width()) / 2);
  }
}

void JanelaTest::ConsultarSATEmOperacao() {
  Consulta("123456|08000|SAT em operação||");
  QVERIFY(Operante()->isVisibleTo(f->janela.get()));
  QCOMPARE(Operante()->text(), QStringLiteral("SAT em operação"));
  QCOMPARE(CorTexto(Operante(), QPalette::WindowText), kVerde);
  QCOMPARE(CorTexto(f->Filho<QPushButton>("BtnPrincipal"), QPalette::ButtonText), kVerde);
  QCOMPARE(f->dialogos.registros.size(), 0);
  QCOMPARE(f->Status(), QStringLiteral("123456|08000|SAT em operação||"));
  QCOMPARE(f->ctx().PaginaVisivel()->objectName(), QStringLiteral("TabNorvi"));
  QVERIFY(f->ctx().estado.CamposResposta.isEmpty());  // released at the end
  QCOMPARE(f->ctx().estado.UltimaResposta, QByteArray("123456|08000|SAT em operação||"));

  // A later failure turns both red again.
  Consulta("123456|08098|SAT em processamento. Tente novamente.||");
  QCOMPARE(Operante()->text(), QStringLiteral("SAT inoperante"));
  QCOMPARE(CorTexto(Operante(), QPalette::WindowText), kVermelho);
  QCOMPARE(CorTexto(f->Filho<QPushButton>("BtnPrincipal"), QPalette::ButtonText), kVermelho);
}

void JanelaTest::ConsultarSATRespostas_data() {
  QTest::addColumn<QByteArray>("resposta");
  QTest::addColumn<QStringList>("mensagens");
  QTest::newRow("08097") << QByteArray("000001|08097|SAT não está ativo||") << QStringList{"08097: SAT não está ativo"};
  QTest::newRow("ocupado") << QByteArray("000001|08098|SAT em processamento. Tente novamente.||") << QStringList{};
  QTest::newRow("vazia") << QByteArray() << QStringList{};
  QTest::newRow("so sessao") << QByteArray("000001") << QStringList{};
  QTest::newRow("08097 sem mensagem") << QByteArray("000001|08097") << QStringList{};
  QTest::newRow("outro codigo") << QByteArray("000001|08001|erro") << QStringList{};
}

void JanelaTest::ConsultarSATRespostas() {
  QFETCH(QByteArray, resposta);
  QFETCH(QStringList, mensagens);
  Consulta(resposta);
  QCOMPARE(f->dialogos.Textos(), mensagens);
  QVERIFY(Operante()->isVisibleTo(f->janela.get()));
  QCOMPARE(Operante()->text(), QStringLiteral("SAT inoperante"));
  QCOMPARE(CorTexto(Operante(), QPalette::WindowText), kVermelho);
  QCOMPARE(CorTexto(f->Filho<QPushButton>("BtnPrincipal"), QPalette::ButtonText), kVermelho);
  QCOMPARE(f->Status(), TextoDoDriver(resposta));
  QCOMPARE(f->dialogos.Janelas(), QStringList{});
}

void JanelaTest::BtnPrincipalConsulta() {
  f->ctx().PageControl->setCurrentWidget(f->janela->findChild<QWidget *>(QStringLiteral("TabLog")));
  fake.Resposta("1|08000|ok||");
  QTest::mouseClick(f->Filho<QPushButton>("BtnPrincipal"), Qt::LeftButton);
  QCOMPARE(fake.Chamadas().size(), 1);
  QVERIFY(fake.Chamadas().first().startsWith("ConsultarSAT|"));
  QCOMPARE(f->ctx().PaginaVisivel()->objectName(), QStringLiteral("TabNorvi"));
  QCOMPARE(Operante()->text(), QStringLiteral("SAT em operação"));
}

void JanelaTest::SessaoEmEdit1ACadaChamada() {
  QStringList sessoes;
  for (int i = 0; i < 3; ++i) {
    Consulta("x|08000|");
    const QByteArray chamada = fake.Chamadas().last();
    const QString enviada = QString::fromLatin1(chamada.mid(chamada.indexOf('|') + 1));
    const QString edit1 = f->Filho<QLineEdit>("Edit1")->text();
    QCOMPARE(edit1.size(), 6);
    QCOMPARE(edit1.toInt(), enviada.toInt());
    QCOMPARE(edit1, f->ctx().estado.SessaoAtual);
    sessoes << edit1;
  }
  QCOMPARE(QSet<QString>(sessoes.begin(), sessoes.end()).size(), 3);
}

void JanelaTest::RegraDos110Caracteres_data() {
  QTest::addColumn<int>("tamanho");
  QTest::addColumn<bool>("cortado");
  QTest::newRow("110") << 110 << false;
  QTest::newRow("111") << 111 << true;
  QTest::newRow("300") << 300 << true;
}

void JanelaTest::RegraDos110Caracteres() {
  QFETCH(int, tamanho);
  QFETCH(bool, cortado);
  // Characters, not bytes: "ç" takes two bytes.
  QByteArray resposta = "123456|08000|";
  while (TextoDoDriver(resposta).size() < tamanho) resposta += TextoDoDriver(resposta).size() % 2 ? "ç" : "a";
  const QString texto = TextoDoDriver(resposta);
  Consulta(resposta);
  QCOMPARE(f->Status(), cortado ? texto.left(110) + QStringLiteral(" ...") : texto);
}

void JanelaTest::RespostaEmUtf8ComBytesInvalidos() {
  Consulta("123456|08097|Fun\xc3\xa7\xc3\xa3o \xe7 inv\xe1lida|0000|");
  QCOMPARE(f->Status(), QStringLiteral("123456|08097|Função \ufffd inv\ufffdlida|0000|"));
  QCOMPARE(f->dialogos.Textos(), QStringList{QStringLiteral("08097: Função \ufffd inv\ufffdlida")});
}

void JanelaTest::JanelaSefaz_data() {
  QTest::addColumn<QByteArray>("resposta");
  QTest::addColumn<QString>("memo");  // empty: no window
  QTest::newRow("codigo e mensagem") << QByteArray("1|08000|ok|0000|Mensagem da \xc3\xa7 Sefaz")
                                     << "Código: 0000\n\nMensagem da ç Sefaz";
  QTest::newRow("codigo sem mensagem") << QByteArray("1|08000|ok|1234") << "Código: 1234\n\n";
  QTest::newRow("codigo vazio") << QByteArray("1|08000|ok||msg") << "";
  QTest::newRow("tres campos") << QByteArray("1|08000|ok") << "";
  QTest::newRow("um campo") << QByteArray("1") << "";
  QTest::newRow("13000 campo 4 vazio") << QByteArray("1|13000|0000|ok|||") << "";
  QTest::newRow("13000 so ate o 3") << QByteArray("1|13000|0000|ok") << "";
  QTest::newRow("13000 com campo 4") << QByteArray("1|13000|0000|ok|0001|Sefaz ok") << "Código: 0001\n\nSefaz ok";
  QTest::newRow("13001 campo 3 ignorado") << QByteArray("1|13001|0000|texto|") << "";
}

void JanelaTest::JanelaSefaz() {
  QFETCH(QByteArray, resposta);
  QFETCH(QString, memo);
  QString visto;
  f->dialogos.roteiroModal << [&visto](QDialog &janela) {
    visto = janela.findChild<QPlainTextEdit *>(QStringLiteral("MemoSefaz"))->toPlainText();
  };
  Consulta(resposta);
  if (memo.isEmpty()) {
    QCOMPARE(f->dialogos.Janelas(), QStringList{});
  } else {
    QCOMPARE(f->dialogos.Janelas(), QStringList{QStringLiteral("TFMSefaz")});
    QCOMPARE(visto, memo);
  }
}

void JanelaTest::TextoVaiEmIso88591() {
  // The road with a text argument: converted to ISO-8859-1, session first.
  fake.Resposta("1|10000|ok");
  QVERIFY(f->ctx().ChamaDriver(f->ctx().driver.ConsultarStatusOperacional, QStringLiteral("Código€1")));
  QCOMPARE(fake.Chamadas().size(), 1);
  const QByteArray esperado = "ConsultarStatusOperacional|" + QByteArray::number(f->ctx().estado.SessaoAtual.toInt()) +
                              "|C\xf3" "digo?1";
  QCOMPARE(fake.Chamadas().first(), esperado);
  QCOMPARE(f->ctx().estado.CamposResposta, (QList<QByteArray>{"1", "10000", "ok"}));

  fake.Resposta("1|14000|ok");
  QVERIFY(f->ctx().ChamaDriver(f->ctx().driver.ConsultarNumeroSessao, QStringLiteral("abcdefgh"), 42));
  QVERIFY(fake.Chamadas().last().endsWith("|abcdefgh|42"));
}

void JanelaTest::CursorEsperaDuranteChamada() {
  // What the user sees while the library works: looked at from inside the call.
  static QLabel *painel;
  static int cursor;
  static QString texto;
  painel = f->janela->findChild<QLabel *>(QStringLiteral("StatusPanel"));
  cursor = -1;
  fake.Gancho([] {
    cursor = QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor;
    texto = painel->text();
  });
  Consulta("1|08000|");
  fake.Gancho(nullptr);
  QCOMPARE(cursor, int(Qt::WaitCursor));
  QCOMPARE(texto, QStringLiteral("Aguardando retorno do SAT ..."));
  // Afterwards the cursor is back and the panel shows the reply.
  QVERIFY(!QApplication::overrideCursor());
  QCOMPARE(f->Status(), QStringLiteral("1|08000|"));
}

void JanelaTest::ValidaConfirmada() {
  auto *valida = f->janela->findChild<TFValida *>();
  f->ctx().estado.CodigoValidado = QStringLiteral("antigo");
  valida->EdtCodigo->setText(QStringLiteral("restos"));
  f->dialogos.roteiroModal << [](QDialog &janela) {
    auto *campo = janela.findChild<QLineEdit *>(QStringLiteral("EdtCodigo"));
    QCOMPARE(campo->text(), QString());  // emptied when shown
    QCOMPARE(campo->echoMode(), QLineEdit::Password);
    QTest::keyClicks(campo, QStringLiteral("  abcdefgh  "));
    QTest::mouseClick(janela.findChild<QPushButton *>(QStringLiteral("BtnValidar")), Qt::LeftButton);
  };
  valida->Mostra();
  QCOMPARE(f->dialogos.Janelas(), QStringList{QStringLiteral("TFValida")});
  QVERIFY(!f->ctx().estado.DialogoCancelado);
  QCOMPARE(f->ctx().estado.CodigoValidado, QStringLiteral("abcdefgh"));
  QCOMPARE(valida->EdtCodigo->maxLength(), 32);
  QVERIFY(valida->BtnValidar->isDefault());
}

void JanelaTest::ValidaFechadaSemValidar() {
  auto *valida = f->janela->findChild<TFValida *>();
  f->dialogos.roteiroModal << [](QDialog &janela) {
    QTest::keyClicks(janela.findChild<QLineEdit *>(QStringLiteral("EdtCodigo")), QStringLiteral("abcdefgh"));
    janela.reject();  // the close box
  };
  valida->Mostra();
  QVERIFY(f->ctx().estado.DialogoCancelado);
  QVERIFY(f->ctx().estado.CodigoValidado.isEmpty());
  // Confirmed once, then shown again and closed: cancelled again.
  f->dialogos.roteiroModal << [](QDialog &janela) { janela.findChild<QPushButton *>(QStringLiteral("BtnValidar"))->click(); };
  valida->Mostra();
  QVERIFY(!f->ctx().estado.DialogoCancelado);
  valida->Mostra();
  QVERIFY(f->ctx().estado.DialogoCancelado);
}

namespace {

// The inputs of a window or page that a person can reach with the keyboard.
QList<QWidget *> Campos(QWidget *dono) {
  QList<QWidget *> campos;
  for (QWidget *w : dono->findChildren<QWidget *>()) {
    const bool entrada = (qobject_cast<QLineEdit *>(w) && !qobject_cast<QComboBox *>(w->parentWidget())) ||
                         qobject_cast<QComboBox *>(w) || qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w);
    if (entrada && w->isVisibleTo(dono) && w->isEnabled()) campos << w;
  }
  return campos;
}

}  // namespace

void JanelaTest::EnterAcionaBotaoPadrao_data() {
  QTest::addColumn<QString>("menu");
  QTest::addColumn<QString>("pagina");
  QTest::addColumn<QString>("botao");
  QTest::addColumn<int>("campos");  // at least this many inputs are tried
  QTest::newRow("ativacao") << "BtnAtivacao" << "TabAtivar" << "BtnAtivar" << 4;
  QTest::newRow("associacao") << "BtnAssocAssin" << "TabAssocAss" << "BitAssociar" << 6;
  QTest::newRow("rede") << "BtnConfRede" << "TabConfRede" << "BitBtn4" << 13;
  QTest::newRow("codigo") << "BtnCodAtivacao" << "TabCodAtiva" << "BtnTrocarCod" << 5;
  QTest::newRow("bloqueio") << "BtnBloquearSAT" << "TabBloq" << "BitBtn5" << 1;
  QTest::newRow("atualizacao") << "BitAtualizaSW" << "TavAtualizaSW" << "BtnAtualizarSW" << 1;
}

void JanelaTest::EnterAcionaBotaoPadrao() {
  QFETCH(QString, menu);
  QFETCH(QString, pagina);
  QFETCH(QString, botao);
  QFETCH(int, campos);
  f->janela->findChild<QPushButton *>(menu)->click();
  auto *p = f->janela->findChild<QWidget *>(pagina);
  auto *padrao = p->findChild<QPushButton *>(botao);
  QVERIFY(padrao->isDefault());
  // The code-change page unlocked; the network page's address and proxy fields enabled.
  if (auto *muda = p->findChild<QCheckBox *>(QStringLiteral("CheckMudaCodigo"))) muda->setChecked(true);
  if (pagina == u"TabConfRede") {
    for (auto *e : p->findChildren<QLineEdit *>()) e->setEnabled(true);
  }
  const QList<QWidget *> entradas = Campos(p);
  QVERIFY2(entradas.size() >= campos, qPrintable(QString::number(entradas.size())));
  for (QWidget *campo : entradas) {
    QSignalSpy cliques(padrao, &QPushButton::clicked);
    campo->setFocus();
    QTest::keyClick(campo, Qt::Key_Return);
    QVERIFY2(cliques.size() == 1, qPrintable(campo->objectName()));  // once, not also through returnPressed
    QTest::keyClick(campo, Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY2(cliques.size() == 2, qPrintable(campo->objectName()));
  }
  // Each Enter ran the page's workflow: its first check failed, nothing was sent.
  QCOMPARE(f->dialogos.Textos().size(), 2 * entradas.size());
  QCOMPARE(fake.Chamadas().size(), 0);
}

void JanelaTest::EnterNoutroBotaoClicaEsse() {
  f->janela->show();
  QVERIFY(QTest::qWaitForWindowActive(f->janela.get()));
  f->Filho<QPushButton>("BtnBloquearSAT")->click();
  auto *bloquear = f->Filho<QPushButton>("BitBloquSAT");
  QSignalSpy desbloqueios(f->Filho<QPushButton>("BitBtn5"), &QPushButton::clicked);
  QSignalSpy bloqueios(bloquear, &QPushButton::clicked);
  bloquear->setFocus();
  QTest::keyClick(bloquear, Qt::Key_Return);
  QCOMPARE(bloqueios.size(), 1);
  QCOMPARE(desbloqueios.size(), 0);
  // With the code-change page locked, Enter on its check box does nothing.
  f->Filho<QPushButton>("BtnCodAtivacao")->click();
  QSignalSpy trocas(f->Filho<QPushButton>("BtnTrocarCod"), &QPushButton::clicked);
  QTest::keyClick(f->Filho<QCheckBox>("CheckMudaCodigo"), Qt::Key_Return);
  QCOMPARE(trocas.size(), 0);
}

void JanelaTest::EnterNasJanelas() {
  // The two dialogs with fields: Enter in any of them confirms.
  auto *valida = f->janela->findChild<TFValida *>();
  auto *fimafim = f->janela->findChild<TFFimAFim *>();
  for (QDialog *janela : std::initializer_list<QDialog *>{valida, fimafim}) {
    const QList<QWidget *> entradas = Campos(janela);
    QVERIFY(entradas.size() >= (janela == valida ? 1 : 5));
    for (QWidget *campo : entradas) {
      janela->show();
      QSignalSpy aceito(janela, &QDialog::accepted);
      QTest::keyClick(campo, Qt::Key_Return);
      QVERIFY2(aceito.size() == 1, qPrintable(janela->objectName() + u' ' + campo->objectName()));
      QVERIFY(!janela->isVisible());
    }
  }
  QVERIFY(!f->ctx().estado.DialogoCancelado);  // "Validar" ran
}

void JanelaTest::TextosSemFormatacao() {
  // Markup in a reply is text: the status panel and the boxes show it as received.
  const QByteArray resposta = "1|08097|<b>Bloqueado</b> &lt;SEFAZ&gt;";
  Consulta(resposta);
  auto *painel = f->janela->findChild<QLabel *>(QStringLiteral("StatusPanel"));
  QCOMPARE(painel->textFormat(), Qt::PlainText);
  QCOMPARE(painel->text(), QString::fromLatin1(resposta));
  // The tooltip, read the way a tooltip is (rich text when it looks like markup), gives the reply too.
  QTextDocument dica;
  if (Qt::mightBeRichText(painel->toolTip())) dica.setHtml(painel->toolTip());
  else dica.setPlainText(painel->toolTip());
  QCOMPARE(dica.toPlainText(), QString::fromLatin1(resposta));
  QCOMPARE(f->dialogos.Textos(), QStringList{QStringLiteral("08097: <b>Bloqueado</b> &lt;SEFAZ&gt;")});
  for (bool comCancelar : {false, true}) {
    const auto caixa = DialogosQt::Caixa(f->janela.get(), QString(), f->dialogos.Textos().first(), Dialogos::Icone::Nenhum,
                                         comCancelar);
    QCOMPARE(caixa->textFormat(), Qt::PlainText);
    QCOMPARE(caixa->text(), QStringLiteral("08097: <b>Bloqueado</b> &lt;SEFAZ&gt;"));
    QCOMPARE(caixa->buttons().size(), comCancelar ? 2 : 1);
  }
}

void JanelaTest::JanelasTamanhoBordaECentro_data() {
  QTest::addColumn<QString>("janela");
  QTest::addColumn<QSize>("tamanho");
  QTest::addColumn<bool>("fixa");
  QTest::addColumn<bool>("porCima");
  QTest::newRow("TFFimAFim") << "TFFimAFim" << QSize(368, 286) << true << true;
  QTest::newRow("TFMSefaz") << "TFMSefaz" << QSize(447, 129) << false << false;
  QTest::newRow("TFValida") << "TFValida" << QSize(380, 120) << true << true;  // its whole caption in the title bar
}

void JanelaTest::JanelasTamanhoBordaECentro() {
  QFETCH(QString, janela);
  QFETCH(QSize, tamanho);
  QFETCH(bool, fixa);
  QFETCH(bool, porCima);
  auto *d = f->janela->findChild<QDialog *>(janela);
  const Qt::WindowFlags flags = d->windowFlags();
  // Only the system menu among the border icons; stays on top as asked.
  QVERIFY(flags & Qt::WindowSystemMenuHint);
  QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
  QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
  QCOMPARE(bool(flags & Qt::WindowStaysOnTopHint), porCima);
  QCOMPARE(bool(flags & Qt::MSWindowsFixedSizeDialogHint), fixa);
  QCOMPARE(d->minimumSize() == d->maximumSize(), fixa);
  // The main window away from the middle: the dialog still opens in the middle of the screen.
  f->janela->move(0, 0);
  f->janela->show();
  QVERIFY(QTest::qWaitForWindowExposed(f->janela.get()));
  d->show();
  QVERIFY(QTest::qWaitForWindowExposed(d));
  QCOMPARE(d->size(), tamanho);
  const QPoint meio = d->screen()->availableGeometry().center();
  const QPoint centro = d->frameGeometry().center();
  QVERIFY2((centro - meio).manhattanLength() <= 2,
           qPrintable(QStringLiteral("%1,%2 != %3,%4").arg(centro.x()).arg(centro.y()).arg(meio.x()).arg(meio.y())));
  d->hide();
}

QTEST_MAIN(JanelaTest)
#include "janela_test.moc"

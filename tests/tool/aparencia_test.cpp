// What a person sees of the windows: password fields, field limits, spacing
// between controls, the status bar and the CFe memo, against the fake driver.
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>

#include <climits>

#include "fimafim.h"
#include "parametros.h"
#include "fluxos.h"
#include "painelstatus.h"
#include "valida.h"

namespace {

// Where a field sits: the main window's pages, or one of the dialogs.
QString Dono(const QWidget *w) { return w->window()->objectName(); }

// Distance between two rectangles: negative when they overlap, 0 when they touch.
int Distancia(const QRect &a, const QRect &b) {
  const int dx = std::max(b.left() - a.right(), a.left() - b.right()) - 1;
  const int dy = std::max(b.top() - a.bottom(), a.top() - b.bottom()) - 1;
  return std::max(dx, dy);
}

bool Controle(const QWidget *w) {
  return qobject_cast<const QLabel *>(w) || qobject_cast<const QLineEdit *>(w) ||
         qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QComboBox *>(w);
}

// Every pair of visible controls of a window closer than minimo pixels, as "A / B (distance)".
QStringList Encostados(QWidget *janela, int minimo) {
  QList<QWidget *> controles;
  for (QWidget *w : janela->findChildren<QWidget *>()) {
    if (Controle(w) && w->isVisibleTo(janela) && !w->size().isEmpty()) controles << w;
  }
  QStringList achados;
  for (qsizetype i = 0; i < controles.size(); ++i) {
    for (qsizetype j = i + 1; j < controles.size(); ++j) {
      QWidget *a = controles[i];
      QWidget *b = controles[j];
      if (a->isAncestorOf(b) || b->isAncestorOf(a)) continue;
      const QRect ra(a->mapTo(janela, QPoint(0, 0)), a->size());
      const QRect rb(b->mapTo(janela, QPoint(0, 0)), b->size());
      const int d = Distancia(ra, rb);
      if (d < minimo) {
        const auto nome = [](QWidget *w) {
          const auto *l = qobject_cast<QLabel *>(w);
          return w->objectName().isEmpty() && l ? QStringLiteral("\"%1\"").arg(l->text()) : w->objectName();
        };
        achados << QStringLiteral("%1 / %2 (%3)").arg(nome(a), nome(b)).arg(d);
      }
    }
  }
  return achados;
}

}  // namespace

class AparenciaTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    fake.Limpa();
    b.reset(new Bancada);
  }
  void cleanup() { b.reset(); }

  void SenhasMostramAsterisco();
  void LimitesDosCampos();
  void AssinaturaEnormeInteira();
  void ControlesNaoSeEncostam();
  void EmergenciaNaoMoveOsCampos();
  void StatusCortaOQueNaoCabe();
  void StatusCopiaARespostaInteira();
  void MemoCFeAbreNoInicio();
  void CNPJMascaradoNaoEscondeODigito();
  void NavegadorAusenteAvisa();

 private:
  template <typename T>
  T *W(const char *nome) { return b->f->Filho<T>(nome); }
  TFAtivacao *Janela() { return b->f->janela.get(); }
  QList<QLineEdit *> Campos() {
    QList<QLineEdit *> campos = Janela()->findChildren<QLineEdit *>();
    // Line edits inside combo boxes belong to the boxes.
    campos.removeIf([](QLineEdit *e) { return qobject_cast<QComboBox *>(e->parentWidget()); });
    return campos;
  }

  // "FimAFim Ativação" from the tests page, answered with success and the CFe given.
  void TesteAtivacaoComSucesso(const QByteArray &cfe) {
    b->Menu("BtnTestefimafim");
    b->Valida(QStringLiteral("12345678"));
    b->f->dialogos.roteiroModal << [](QDialog &d) {
      auto *j = static_cast<TFFimAFim *>(&d);
      j->EdtCNPJContrib2->setText(QStringLiteral("11222333000181"));
      j->BtnOk->click();
    };
    fake.Resposta(b->ProximaSessao().toLatin1() + "|09000|Emitido|||" + Base64ComQuebras(cfe) + "|20240315103016|chave");
    b->Clica("BtnTesteAtivacao");
  }

  FakeDriver fake{CaminhoFake()};
  std::unique_ptr<Bancada> b;
};

void AparenciaTest::SenhasMostramAsterisco() {
  QStringList senhas;
  for (QLineEdit *e : Campos()) {
    if (e->echoMode() != QLineEdit::Password) continue;
    senhas << Dono(e) + u'.' + e->objectName();
    e->setText(QStringLiteral("ab1 ç"));
    QCOMPARE(e->displayText(), QStringLiteral("*****"));
  }
  senhas.sort();
  const QStringList esperadas = {
      "TFAtivacao.EdtCodAtiv2", "TFAtivacao.EdtCodAtiv2Conf", "TFAtivacao.EdtCodAtiv3", "TFAtivacao.EdtCodAtiv4",
      "TFAtivacao.EdtCodAtiv5", "TFAtivacao.EdtCodAtiv6",     "TFAtivacao.EdtCodAtiv7", "TFAtivacao.EdtCodigo",
      "TFAtivacao.EdtNovoCodigo", "TFAtivacao.EdtNovoCodigo2", "TFAtivacao.Edtcod",     "TFAtivacao.Edtproxy_senha",
      "TFAtivacao.Edtsenha",  "TFAtivacao.LblEdtCodRede",     "TFValida.EdtCodigo"};
  QCOMPARE(senhas, esperadas);
}

void AparenciaTest::LimitesDosCampos() {
  // The activation codes of the code pages and of TFValida take 32 characters, the session 6 and
  // the end-to-end test's signature 344; every other field takes its whole text. A masked field
  // is as long as its mask.
  const QStringList trinta_e_dois = {"TFAtivacao.EdtCodAtiv2", "TFAtivacao.EdtCodAtiv2Conf", "TFAtivacao.EdtCodigo",
                                     "TFAtivacao.EdtNovoCodigo", "TFAtivacao.EdtNovoCodigo2", "TFValida.EdtCodigo"};
  int vistos = 0;
  for (QLineEdit *e : Campos()) {
    if (!e->inputMask().isEmpty()) continue;
    const QString nome = Dono(e) + u'.' + e->objectName();
    int limite = INT_MAX;
    if (trinta_e_dois.contains(nome)) limite = 32;
    else if (nome == u"TFAtivacao.Edit1") limite = 6;
    else if (nome == u"TFFimAFim.EdtAssinatura") limite = 344;
    QVERIFY2(e->maxLength() == limite, qPrintable(QStringLiteral("%1: %2").arg(nome).arg(e->maxLength())));
    ++vistos;
  }
  QCOMPARE(vistos, 29);
}

void AparenciaTest::AssinaturaEnormeInteira() {
  // A pasted signature far beyond QLineEdit's default 32767 characters is sent whole.
  QString assinatura(100000, u'A');
  assinatura[99999] = u'Z';
  b->Menu("BtnAssocAssin");
  W<QLineEdit>("EdtCNPJContrib2")->setText(QStringLiteral("11222333000181"));
  W<QLineEdit>("EdtCNPJSw")->setText(QStringLiteral("22333444000181"));
  auto *campo = b->f->janela->findChild<QWidget *>(QStringLiteral("TabAssocAss"))->findChild<QLineEdit *>(QStringLiteral("EdtAssinatura"));
  campo->clear();
  campo->insert(assinatura);  // what a paste does
  QCOMPARE(campo->text().size(), 100000);
  W<QLineEdit>("EdtCodAtiv3")->setText(QStringLiteral("12345678"));
  fake.Resposta("1|13000|0000|ok|||");
  b->Clica("BitAssociar");
  QCOMPARE(fake.Chamadas().size(), 1);
  QVERIFY(fake.Chamadas().first().endsWith("|2233344400018111222333000181|" + assinatura.toLatin1()));
}

void AparenciaTest::ControlesNaoSeEncostam() {
  // With the platform's spacing no two controls touch: labels and their fields, rows, buttons.
  const int minimo = 4;
  Janela()->show();
  QVERIFY(QTest::qWaitForWindowExposed(Janela()));
  // Every page, then the two dialogs with fields.
  for (QWidget *pagina : b->f->ctx().paginas) {
    b->f->ctx().PageControl->setCurrentWidget(pagina);
    QApplication::processEvents();
    const QStringList achados = Encostados(pagina, minimo);
    QVERIFY2(achados.isEmpty(), qPrintable(pagina->objectName() + QStringLiteral(": ") + achados.join(u", ")));
  }
  for (QDialog *d : std::initializer_list<QDialog *>{Janela()->findChild<TFValida *>(), Janela()->findChild<TFFimAFim *>()}) {
    d->show();
    QVERIFY(QTest::qWaitForWindowExposed(d));
    const QStringList achados = Encostados(d, minimo);
    d->hide();
    QVERIFY2(achados.isEmpty(), qPrintable(d->objectName() + QStringLiteral(": ") + achados.join(u", ")));
  }
}

void AparenciaTest::EmergenciaNaoMoveOsCampos() {
  Janela()->show();
  QVERIFY(QTest::qWaitForWindowExposed(Janela()));
  b->Menu("BtnCodAtivacao");
  W<QCheckBox>("CheckMudaCodigo")->setChecked(true);
  auto *campo = W<QLineEdit>("EdtCodigo");
  auto *rotulo = W<QLabel>("LblCodigo");
  QApplication::processEvents();
  const QRect antes = campo->geometry();
  W<QCheckBox>("Checkemergencia")->setChecked(true);
  QApplication::processEvents();
  QCOMPARE(rotulo->text(), QStringLiteral("Digite o Código de Ativação de Emergência:"));
  QCOMPARE(campo->geometry(), antes);
  // The longer text fits its label whole.
  QVERIFY(rotulo->width() >= rotulo->fontMetrics().horizontalAdvance(rotulo->text()));
  W<QCheckBox>("Checkemergencia")->setChecked(false);
  QApplication::processEvents();
  QCOMPARE(campo->geometry(), antes);
}

void AparenciaTest::StatusCortaOQueNaoCabe() {
  Janela()->show();
  QVERIFY(QTest::qWaitForWindowExposed(Janela()));
  auto *painel = Janela()->findChild<TPainelStatus *>(QStringLiteral("StatusPanel"));
  const QSize tamanho = Janela()->size();
  QByteArray resposta = "123456|08000|";
  while (resposta.size() < 300) resposta += "Mensagem longa do SAT ";
  fake.Resposta(resposta);
  QTest::mouseClick(W<QPushButton>("BitBtn6"), Qt::LeftButton);
  QApplication::processEvents();
  // The 110-character rule holds for the text; what does not fit the panel ends in "…".
  const QString regra = QString::fromLatin1(resposta.left(110)) + QStringLiteral(" ...");
  QCOMPARE(painel->text(), regra);
  const QString visivel = painel->TextoVisivel();
  QVERIFY2(visivel.endsWith(u'…'), qPrintable(visivel));
  QVERIFY(regra.startsWith(visivel.chopped(1)));
  QVERIFY(painel->fontMetrics().horizontalAdvance(visivel) <= painel->contentsRect().width());
  QVERIFY(painel->geometry().right() < Janela()->width());
  QCOMPARE(Janela()->size(), tamanho);  // the window did not grow for the text
  QCOMPARE(painel->toolTip(), QString::fromLatin1(resposta));
  // A wider window shows more of the same text.
  Janela()->resize(1400, tamanho.height());
  QApplication::processEvents();
  QCOMPARE(painel->TextoVisivel(), regra);
  // A short reply fits whole.
  fake.Resposta("123456|08000|ok");
  QTest::mouseClick(W<QPushButton>("BitBtn6"), Qt::LeftButton);
  QCOMPARE(painel->TextoVisivel(), QStringLiteral("123456|08000|ok"));
  QCOMPARE(painel->toolTip(), QStringLiteral("123456|08000|ok"));
}

void AparenciaTest::StatusCopiaARespostaInteira() {
  auto *painel = Janela()->findChild<TPainelStatus *>(QStringLiteral("StatusPanel"));
  auto *copiar = painel->findChild<QAction *>(QStringLiteral("CopiarResposta"));
  QVERIFY(copiar);
  QVERIFY(painel->actions().contains(copiar));
  QCOMPARE(painel->contextMenuPolicy(), Qt::ActionsContextMenu);
  QVERIFY(!copiar->isEnabled());  // nothing to copy yet
  QByteArray resposta = "123456|08097|Fun\xc3\xa7\xc3\xa3o ";
  while (resposta.size() < 200) resposta += "x";
  fake.Resposta(resposta);
  QTest::mouseClick(W<QPushButton>("BitBtn6"), Qt::LeftButton);
  QVERIFY(copiar->isEnabled());
  QGuiApplication::clipboard()->clear();
  copiar->trigger();
  QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromUtf8(resposta));
  // The waiting text is nothing to copy.
  b->f->ctx().CursorWait();
  QVERIFY(!copiar->isEnabled());
  QCOMPARE(painel->toolTip(), QString());
  b->f->ctx().CursorDefault();
}

void AparenciaTest::MemoCFeAbreNoInicio() {
  Janela()->show();
  QVERIFY(QTest::qWaitForWindowExposed(Janela()));
  QByteArray cfe = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe><infCFe>";
  for (int i = 0; i < 60; ++i) cfe += "<det nItem=\"" + QByteArray::number(i) + "\"><xProd>Item</xProd></det>";
  cfe += "</infCFe></CFe>";
  TesteAtivacaoComSucesso(cfe);
  auto *memo = W<QPlainTextEdit>("MemoCFe");
  QApplication::processEvents();
  QVERIFY(memo->toPlainText().contains(QStringLiteral("<det nItem=\"59\">")));
  QVERIFY(memo->verticalScrollBar()->maximum() > 0);
  QCOMPARE(memo->verticalScrollBar()->value(), 0);
  QCOMPARE(memo->textCursor().position(), 0);
}

void AparenciaTest::CNPJMascaradoNaoEscondeODigito() {
  // The dialog gives its first field the focus as a Tab would: the stored CNPJ is selected
  // whole, not covered by the mask's block cursor at its first digit.
  TParametros &cds = b->f->ctx().cds;
  cds.Abre();
  cds.Edita();
  cds.DefineTexto(QStringLiteral("CNPJContribuinte"), QStringLiteral("11222333000181"));
  cds.Posta();
  b->Menu("BtnTestefimafim");
  b->Valida(QStringLiteral("12345678"));
  QString selecionado;
  QString mostrado;
  b->f->dialogos.roteiroModal << [&](QDialog &d) {
    auto *j = static_cast<TFFimAFim *>(&d);
    j->show();
    QVERIFY(QTest::qWaitForWindowExposed(j));
    selecionado = j->EdtCNPJContrib2->selectedText();
    mostrado = j->EdtCNPJContrib2->displayText();
    j->hide();
  };
  b->Clica("BtnTesteAtivacao");
  QCOMPARE(mostrado, QStringLiteral("11.222.333/0001-81"));
  QCOMPARE(selecionado, mostrado);
  // The same on the pages' CNPJ fields when tabbed into.
  auto *cnpj = W<QLineEdit>("EdtCNPJContrib");
  cnpj->setText(QStringLiteral("11222333000181"));
  cnpj->setCursorPosition(0);
  QFocusEvent tab(QEvent::FocusIn, Qt::TabFocusReason);
  QApplication::sendEvent(cnpj, &tab);
  QCOMPARE(cnpj->selectedText(), QStringLiteral("11.222.333/0001-81"));
}

void AparenciaTest::NavegadorAusenteAvisa() {
  // A successful test, then "Abrir no Navegador" where no opener can be started.
  TesteAtivacaoComSucesso("<CFe/>");
  QVERIFY(W<QPushButton>("BtnNaveg")->isEnabled());
  b->f->dialogos.Limpa();
  b->f->dialogos.respostasURL << false << true;
  b->Clica("BtnNaveg");
  const QString cfe = b->Arquivo(QStringLiteral("CFe.xml"));
  QCOMPARE(b->f->dialogos.Textos(),
           QStringList{QStringLiteral("Não foi possível abrir o arquivo %1: nenhum navegador ou programa para abri-lo foi "
                                      "encontrado.")
                           .arg(cfe)});
  // Where it opens, nothing is said.
  b->f->dialogos.Limpa();
  b->Clica("BtnNaveg");
  QCOMPARE(b->f->dialogos.Textos(), QStringList{});
  QCOMPARE(b->f->dialogos.registros.value(0).texto, cfe);
}

QTEST_MAIN(AparenciaTest)
#include "aparencia_test.moc"

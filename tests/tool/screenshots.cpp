// Renders every page of the main window and every dialog to PNG files, so
// that the windows can be looked at without running the tool.
// Usage: cfetool_screenshots OUTPUT_FOLDER   (run offscreen; scripts/screenshots.sh)
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

#include <cstdio>

#include "fimafim.h"
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

  FakeDriver fake(QDir(PastaFakeCompleto()).filePath(QStringLiteral("libcfedriver.so")));
  fake.Limpa();
  // A clock that starts at a fixed time and moves one millisecond per reading:
  // the same session numbers on every run, so the pictures only change when the windows do.
  int leituras = 0;
  Ferramenta f(PastaFakeCompleto(), [&leituras] { return QTime(10, 30, 15, 500).addMSecs(leituras++); });
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

  return ok ? 0 : 1;
}

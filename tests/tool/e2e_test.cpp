// cfetool's main window with the real libcfedriver.so and the device emulator
// on a pseudo-terminal: "Consultar SAT" along the whole road.
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "roteiro.h"
#include "sat_emulator.h"

class E2eTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    QVERIFY(emulador.Start());
    // The library reads its settings when it is loaded, so they must be in place first.
    const QString ini = QDir(pasta.path()).filePath(QStringLiteral("sat.ini"));
    QVERIFY(emulador.WriteIni(ini.toStdString()));
    qputenv("CFEDRIVER_INI", QFile::encodeName(ini));
    qputenv("CFEDRIVER_LOG", QFile::encodeName(QDir(pasta.path()).filePath(QStringLiteral("driver.log"))));
  }
  void cleanupTestCase() { emulador.Stop(); }

  void ConsultarSATFicaVerde() {
    Ferramenta f(QStringLiteral(CFETOOL_PASTA_DRIVER));
    QCOMPARE(f.dialogos.Textos(), QStringList{});
    QTest::mouseClick(f.Filho<QPushButton>("BitBtn6"), Qt::LeftButton);

    auto *operante = f.Filho<QLabel>("lbloperante");
    QCOMPARE(operante->text(), QStringLiteral("SAT em operação"));
    QCOMPARE(operante->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    QCOMPARE(f.dialogos.Textos(), QStringList{});
    const QString sessao = f.Filho<QLineEdit>("Edit1")->text();
    QCOMPARE(sessao.size(), 6);
    QVERIFY2(f.Status().startsWith(sessao + QStringLiteral("|08000|")), qPrintable(f.Status()));

    // The emulator received the request with the session shown in Edit1.
    const auto pedidos = emulador.Requests();
    QVERIFY(!pedidos.empty());
    QCOMPARE(QByteArray::fromStdString(pedidos.back()), QByteArray("|05|" + sessao.toLatin1() + "|\x03"));
  }

 private:
  QTemporaryDir pasta;
  satemu::SatEmulator emulador;
};

QTEST_MAIN(E2eTest)
#include "e2e_test.moc"

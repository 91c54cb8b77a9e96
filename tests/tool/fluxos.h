// What the workflow tests share: the main window over a program folder of its
// own (a link to the fake driver, so that "CFe.xml" and "ConfRede.xml" land
// in a temporary folder), a clock that moves 1 ms per reading, and helpers
// for the modal windows.
#pragma once

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "roteiro.h"

inline QString CaminhoFake() { return QDir(PastaFakeCompleto()).filePath(QStringLiteral("libcfedriver.so")); }

inline QByteArray LeArquivo(const QString &caminho) {
  QFile f(caminho);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<ausente>");
}

inline void GravaArquivo(const QString &caminho, const QByteArray &dados) {
  QFile f(caminho);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(dados);
}

// Base64 broken with CR LF every 76 characters, as devices in the field send it.
inline QByteArray Base64ComQuebras(const QByteArray &dados) {
  const QByteArray b = dados.toBase64();
  QByteArray saida;
  for (qsizetype i = 0; i < b.size(); i += 76) {
    if (i) saida += "\r\n";
    saida += b.mid(i, 76);
  }
  return saida;
}

class Bancada {
 public:
  Bancada() {
    QFile::link(CaminhoFake(), QDir(programa.path()).filePath(QStringLiteral("libcfedriver.so")));
    auto passo = tempo;
    f = std::make_unique<Ferramenta>(programa.path(), [passo] { return QTime(10, 30, 15, 0).addMSecs((*passo)++); });
  }

  // The session number the next driver call will take.
  QString ProximaSessao() const { return GeradorSessao::NumeroDoHorario(QTime(10, 30, 15, 0).addMSecs(*tempo)); }
  QString Arquivo(const QString &nome) const { return QDir(programa.path()).filePath(nome); }
  QString Sessao() { return f->ctx().estado.SessaoAtual; }

  // The next TFValida: the code is typed and "Validar" pressed.
  void Valida(const QString &codigo) {
    f->dialogos.roteiroModal << [codigo](QDialog &d) {
      QTest::keyClicks(d.findChild<QLineEdit *>(QStringLiteral("EdtCodigo")), codigo);
      d.findChild<QPushButton *>(QStringLiteral("BtnValidar"))->click();
    };
  }
  // The next modal window is closed without confirming.
  void Fecha() {
    f->dialogos.roteiroModal << [](QDialog &) {};
  }
  void Clica(const char *botao) { QTest::mouseClick(f->Filho<QPushButton>(botao), Qt::LeftButton); }
  // A menu button: click() so that a disabled-looking page does not matter.
  void Menu(const char *botao) { f->Filho<QPushButton>(botao)->click(); }

  QTemporaryDir programa;
  std::shared_ptr<int> tempo = std::make_shared<int>(0);
  std::unique_ptr<Ferramenta> f;
};

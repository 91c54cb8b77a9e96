#include "roteiro.h"

#include <QDialog>
#include <QDir>
#include <QLabel>

void DialogosRoteirizados::Mensagem(QWidget *, const QString &titulo, const QString &texto, Icone) {
  registros.append({QStringLiteral("mensagem"), titulo, texto});
}

bool DialogosRoteirizados::Confirma(QWidget *, const QString &titulo, const QString &texto, Icone) {
  registros.append({QStringLiteral("confirma"), titulo, texto});
  return respostasConfirma.isEmpty() ? false : respostasConfirma.takeFirst();
}

QString DialogosRoteirizados::AbreArquivo(QWidget *, const QString &titulo, const QString &) {
  registros.append({QStringLiteral("abre"), titulo, QString()});
  return respostasArquivo.isEmpty() ? QString() : respostasArquivo.takeFirst();
}

QString DialogosRoteirizados::SalvaArquivo(QWidget *, const QString &titulo, const QString &) {
  registros.append({QStringLiteral("salva"), titulo, QString()});
  return respostasArquivo.isEmpty() ? QString() : respostasArquivo.takeFirst();
}

bool DialogosRoteirizados::OpenURL(const QString &alvo) {
  registros.append({QStringLiteral("url"), QString(), alvo});
  return respostasURL.isEmpty() ? true : respostasURL.takeFirst();
}

void DialogosRoteirizados::MostraModal(QDialog &janela) {
  registros.append({QStringLiteral("janela"), janela.objectName(), QString()});
  if (!roteiroModal.isEmpty()) roteiroModal.takeFirst()(janela);
}

QStringList DialogosRoteirizados::Textos() const {
  QStringList t;
  for (const auto &r : registros) {
    if (r.tipo == u"mensagem" || r.tipo == u"confirma") t << r.texto;
  }
  return t;
}

QStringList DialogosRoteirizados::Janelas() const {
  QStringList t;
  for (const auto &r : registros) {
    if (r.tipo == u"janela") t << r.titulo;
  }
  return t;
}

FakeDriver::FakeDriver(const QString &caminho) : biblioteca(caminho) {
  biblioteca.load();
  define = reinterpret_cast<void (*)(const char *)>(biblioteca.resolve("FakeDefineResposta"));
  chamadas = reinterpret_cast<const char *(*)()>(biblioteca.resolve("FakeChamadas"));
  limpa = reinterpret_cast<void (*)()>(biblioteca.resolve("FakeLimpa"));
  gancho = reinterpret_cast<void (*)(void (*)())>(biblioteca.resolve("FakeDefineGancho"));
  Q_ASSERT_X(define && chamadas && limpa && gancho, "FakeDriver", qPrintable(biblioteca.errorString()));
}

void FakeDriver::Resposta(const QByteArray &texto) { define(texto.constData()); }

QList<QByteArray> FakeDriver::Chamadas() const {
  QList<QByteArray> lista = QByteArray(chamadas()).split('\n');
  if (!lista.isEmpty() && lista.last().isEmpty()) lista.removeLast();
  return lista;
}

void FakeDriver::Gancho(void (*g)()) { gancho(g); }

void FakeDriver::Limpa() { limpa(); }

QString PastaFakeCompleto() { return QStringLiteral(CFETOOL_FAKE_COMPLETO); }
QString PastaFakeIncompleto() { return QStringLiteral(CFETOOL_FAKE_INCOMPLETO); }

Ferramenta::Ferramenta(const QString &pasta, GeradorSessao::Relogio r) : pastaPrograma(pasta), relogio(std::move(r)) {
  Reinicia();
}

void Ferramenta::Reinicia() {
  if (janela) janela->close();
  janela.reset();
  Ambiente a;
  a.pastaPrograma = pastaPrograma;
  a.bibliotecaDoSistema = bibliotecaDoSistema;
  a.pastaDados = dados.path();
  a.arquivoParametros = QDir(trabalho.path()).filePath(QStringLiteral("Parametros.xml"));
  a.dialogos = &dialogos;
  a.relogio = relogio;
  janela = std::make_unique<TFAtivacao>(a);
}

QString Ferramenta::Status() const { return janela->findChild<QLabel *>(QStringLiteral("StatusPanel"))->text(); }

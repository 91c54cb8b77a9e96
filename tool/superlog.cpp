#include "superlog.h"

#include "cfe.h"
#include "driver.h"

namespace {

const QByteArray kCabecalhoProprio = QByteArrayLiteral("SAT|info|================= SuperLog NORVI ==================");
const QByteArray kCabecalhoSimples = QByteArrayLiteral("SAT|info|==================== SuperLog =====================");
const QByteArray kFechamento = QByteArrayLiteral("SAT|info|===================================================");

// The bytes of a log line as shown: decoded as UTF-8, without the CR that a
// CR LF log leaves at its end (the memo ends its own lines).
QString Mostra(const QByteArray &linha) {
  QByteArray l = linha;
  if (l.endsWith('\r')) l.chop(1);
  return TextoDoDriver(l);
}

}  // namespace

QList<QByteArray> LinhasDoLog(const QByteArray &log) { return log.split('\n'); }

std::optional<QStringList> SecaoSuperLog(const QList<QByteArray> &linhas) {
  qsizetype cabecalho = -1;
  for (qsizetype i = linhas.size() - 1; i >= 0; --i) {
    if (linhas[i].contains(kCabecalhoProprio) || linhas[i].contains(kCabecalhoSimples)) {
      cabecalho = i;
      break;
    }
  }
  if (cabecalho < 0) return std::nullopt;
  qsizetype fechamento = -1;
  for (qsizetype i = cabecalho; i < linhas.size(); ++i) {
    if (linhas[i].contains(kFechamento)) {
      fechamento = i;
      break;
    }
  }
  if (fechamento < 0) return std::nullopt;
  QStringList secao;
  // The first 24 bytes of a line are the device's time stamp.
  for (qsizetype i = cabecalho; i <= fechamento; ++i) secao << QStringLiteral("   ") + Mostra(linhas[i].mid(24));
  return secao;
}

QStringList TextoSuperLog(const QList<QByteArray> &linhas) {
  if (auto secao = SecaoSuperLog(linhas)) return QStringList{QString()} + *secao;
  return {QString(), QString(), QStringLiteral("Não foi encontrado SuperLog neste trecho do Log"), QString(), QString()};
}

QStringList TextoLogCompleto(const QList<QByteArray> &linhas) {
  QStringList texto;
  for (const QByteArray &l : linhas) texto << Mostra(l);
  texto << Separador();
  return texto;
}

#include "versao.h"

#include <QByteArrayView>
#include <QFile>

namespace {

// The version record. CFETOOL_VERSAO comes from the project version in CMake,
// and only this file is compiled with it. The record is kept in the binary
// even though no code reads the variable: GetEXEVersionData finds it in the file.
[[gnu::used]] constexpr char kRegistroVersao[] = "\nCFETOOL:FileVersion=" CFETOOL_VERSAO "\n";

constexpr QByteArrayView kChave = "CFETOOL:FileVersion=";

bool CaractereDeVersao(char c) { return (c >= '0' && c <= '9') || c == '.'; }

}  // namespace

QString GetEXEVersionData(const QString &arquivo) {
  QFile f(arquivo);
  if (!f.open(QIODevice::ReadOnly)) return {};
  const qint64 tamanho = f.size();
  uchar *mapa = f.map(0, tamanho);
  if (!mapa) return {};
  const QByteArrayView conteudo(reinterpret_cast<const char *>(mapa), tamanho);
  QString versao;
  // The key's own text is in the file too; the record is the one followed by a version.
  for (qsizetype i = conteudo.indexOf(kChave); i >= 0; i = conteudo.indexOf(kChave, i + 1)) {
    qsizetype fim = i + kChave.size();
    while (fim < conteudo.size() && CaractereDeVersao(conteudo[fim])) ++fim;
    if (fim > i + kChave.size() && fim < conteudo.size() && conteudo[fim] == '\n') {
      versao = QString::fromLatin1(conteudo.sliced(i + kChave.size(), fim - i - kChave.size()));
      break;
    }
  }
  f.unmap(mapa);
  return versao;
}

QString TamanhoPalavra() { return QStringLiteral("(%1 bits)").arg(sizeof(void *) * 8); }

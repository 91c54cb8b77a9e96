// Fuzz target for reading "ConfRede.xml" back before it is sent: its lines
// joined without separators.
//
// What must hold: the text sent is the file's bytes without CR and LF,
// decoded as UTF-8.
#include <QByteArray>
#include <QString>
#include <QUtf8StringView>

#include <cstdint>
#include <cstdlib>

#include "confrede.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QByteArray conteudo(reinterpret_cast<const char *>(data), qsizetype(size));
  QByteArray semQuebras = conteudo;
  semQuebras.replace('\r', QByteArray()).replace('\n', QByteArray());
  // A line break inside a broken UTF-8 sequence changes where the replacement
  // characters fall; the rule is held for the texts the tool writes, valid UTF-8.
  if (!QUtf8StringView(conteudo).isValidUtf8()) return 0;
  if (JuntaLinhas(conteudo) != QString::fromUtf8(semQuebras)) abort();
  if (JuntaLinhas(ArquivoConfRede(QString::fromUtf8(semQuebras))) != QString::fromUtf8(semQuebras)) abort();
  return 0;
}

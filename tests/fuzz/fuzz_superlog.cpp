// Fuzz target for the log page's reading of the device's log: its lines, the
// whole log as shown, and the last SuperLog section.
//
// What must hold: the lines are the pieces between line feeds; the whole log
// shows one line for each and the separator; a SuperLog section, when found,
// begins with a header line and ends with a closing line, each line shown
// after three spaces.
#include <QByteArray>
#include <QList>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

#include "cfe.h"
#include "superlog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QByteArray log(reinterpret_cast<const char *>(data), qsizetype(size));
  const QList<QByteArray> linhas = LinhasDoLog(log);
  if (linhas.join('\n') != log) abort();

  const QStringList completo = TextoLogCompleto(linhas);
  if (completo.size() != linhas.size() + 1 || completo.last() != Separador()) abort();

  const QStringList superlog = TextoSuperLog(linhas);
  if (const auto secao = SecaoSuperLog(linhas)) {
    if (secao->size() > linhas.size()) abort();
    for (const QString &l : *secao)
      if (!l.startsWith(QStringLiteral("   "))) abort();
    if (superlog.size() != secao->size() + 1) abort();
  } else if (superlog.size() != 5) {
    abort();
  }
  return 0;
}

// Fuzz target for the split of a reply into its fields and for the status
// listing made of them.
//
// What must hold: split at "|" the fields are exactly the pieces between the
// separators, empty ones included, and joined again they give the reply;
// with blanks to skip, each field is the piece without its leading blanks;
// the listing has one line for each status field the reply carries (positions
// 5 to 27) after its first, blank line, the last one (the state) left out
// when it is not a number.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "campos.h"
#include "pages/tabstatus.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QByteArray resposta(reinterpret_cast<const char *>(data), qsizetype(size));

  QList<QByteArray> campos;
  const int n = ExtractStrings2(QByteArrayLiteral("|"), QByteArray(), resposta, campos);
  if (n != campos.size()) abort();
  if (resposta.isEmpty() ? n != 0 : campos != resposta.split('|')) abort();
  if (campos.join('|') != resposta) abort();

  QList<QByteArray> semBrancos;
  const QByteArray brancos(" \t\r\n", 4);
  ExtractStrings2(QByteArrayLiteral("|;"), brancos, resposta, semBrancos);
  qsizetype pedacos = 0;
  for (const QByteArray &c : semBrancos) {
    if (c.contains('|') || c.contains(';') || (!c.isEmpty() && brancos.contains(c.at(0)))) abort();
    pedacos += c.size();
  }
  if (pedacos > resposta.size()) abort();

  const QStringList listagem = ListagemStatus(campos);
  const qsizetype esperadas = 1 + std::clamp<qsizetype>(campos.size() - 5, 0, 23);
  bool estadoNumerico = true;
  if (campos.size() > 27) QString::fromUtf8(campos[27]).toInt(&estadoNumerico);
  if (listagem.size() != esperadas - (estadoNumerico ? 0 : 1) || listagem.first() != u" ") abort();
  return 0;
}

// Fuzz target for the Base64 fields of the replies (the CFe of an end-to-end
// test, the device's log, the CFe inside a stored sale reply) and for the
// split of the decoded text into lines.
//
// What must hold: a field decodes when it is Base64 once its line breaks are
// dropped, and what it decodes to encodes back to a field that decodes to the
// same bytes; the lines hold every byte of the text but its line breaks; the
// CFe taken from a stored sale reply is made of that reply's bytes.
#include <QByteArray>
#include <QList>

#include <cstdint>
#include <cstdlib>

#include "cfe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QByteArray campo(reinterpret_cast<const char *>(data), qsizetype(size));

  if (const auto bytes = DecodificaBase64(campo)) {
    if (DecodificaBase64(bytes->toBase64()) != *bytes) abort();
    QByteArray limpo = campo;
    limpo.replace('\r', QByteArray()).replace('\n', QByteArray());
    if (bytes->size() > limpo.size()) abort();
  }

  const QList<QByteArray> linhas = DivideLinhas(campo);
  qsizetype total = 0;
  for (const QByteArray &l : linhas) {
    if (l.contains('\r') || l.contains('\n')) abort();
    total += l.size();
  }
  QByteArray semQuebras = campo;
  semQuebras.replace('\r', QByteArray()).replace('\n', QByteArray());
  if (total != semQuebras.size() || linhas.join() != semQuebras) abort();

  const QByteArray cfe = CFeDaRespostaDeVenda(campo);
  if (cfe.size() > campo.size() || cfe.contains('|') || cfe.contains('\n')) abort();
  if (!cfe.isEmpty() && !semQuebras.replace('|', QByteArray()).contains(cfe)) abort();
  DecodificaBase64(cfe);
  return 0;
}

// Fuzz target for FormatXMLString, the re-indenting of the CFe shown after an
// end-to-end test.
//
// What must hold: a text that is not well-formed is refused with ErroXml and
// nothing else; a formatted text ends its lines with CR LF, is well-formed,
// and formatted again stays the same. A text with a DTD is left out of the
// last rule: its entities are expanded by the first formatting, and Qt's
// reader takes a DTD even inside an element, where no CFe has one.
#include <QString>
#include <QXmlStreamReader>

#include <cstdint>
#include <cstdlib>

#include "campos.h"

namespace {

bool BemFormado(const QString &xml) {
  QXmlStreamReader r(xml);
  while (!r.atEnd()) r.readNext();
  return !r.hasError();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QString xml = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
  QString formatado;
  try {
    formatado = FormatXMLString(xml);
  } catch (const ErroXml &) {
    return 0;
  }
  if (!formatado.endsWith(QStringLiteral("\r\n"))) abort();
  if (formatado.count(u'\n') != formatado.count(QStringLiteral("\r\n"))) abort();
  QString semCR = formatado;
  semCR.remove(u'\r');
  if (!BemFormado(semCR)) abort();
  QString deNovo;
  try {
    deNovo = FormatXMLString(formatado);
  } catch (const ErroXml &) {
    abort();  // its own output is refused
  }
  if (deNovo != formatado && !formatado.contains(QStringLiteral("<!DOCTYPE"))) abort();
  return 0;
}

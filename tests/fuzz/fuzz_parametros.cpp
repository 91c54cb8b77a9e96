// Fuzz target for reading "Parametros.xml": the file is opened as the tool
// opens it, every column of the table is read, the network document is built
// from it, and the table is written back and read again.
//
// What must hold: a damaged file is refused with ErroDados, nothing else; what
// the tool writes back it reads again with the same columns and values (the
// table is not lost once the tool has written it); the network document
// is well-formed, and read back from "ConfRede.xml" it is the same text.
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <cstdint>
#include <cstdlib>
#include <optional>

#include "confrede.h"
#include "parametros.h"

namespace {

const char *const kColunas[] = {"tipoInter", "SSID",     "seg",        "codigo",      "tipoLan",          "lanIP",
                                "lanMask",   "lanGW",    "lanDNS1",    "lanDNS2",     "usuario",          "senha",
                                "proxy",     "proxy_ip", "proxy_porta", "proxy_user", "proxy_senha",      "CNPJContribuinte",
                                "uf",        "assinatura", "CNPJSH"};

// Each column's value, or nothing when the column is missing.
QList<std::optional<QString>> Valores(const TParametros &t) {
  QList<std::optional<QString>> v;
  for (const char *c : kColunas) {
    try {
      const QString nome = QString::fromLatin1(c);
      v << (t.TemValor(nome) ? std::optional<QString>(t.Texto(nome)) : std::optional<QString>(QString()));
      try {
        t.Inteiro(nome);
      } catch (const ErroDados &) {
      }
    } catch (const ErroDados &) {
      v << std::nullopt;
    }
  }
  return v;
}

bool BemFormado(const QString &xml) {
  QXmlStreamReader r(xml);
  while (!r.atEnd()) r.readNext();
  return !r.hasError();
}

QTemporaryDir *g_pasta = nullptr;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (!g_pasta) g_pasta = new QTemporaryDir;
  const QString arquivo = QDir(g_pasta->path()).filePath(QStringLiteral("Parametros.xml"));
  {
    QFile f(arquivo);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) abort();
    f.write(reinterpret_cast<const char *>(data), qint64(size));
  }
  TParametros cds(arquivo);
  try {
    cds.Abre();
  } catch (const ErroDados &) {
    return 0;
  }
  const auto antes = Valores(cds);

  try {
    const QString documento = geraxml(cds);
    if (!BemFormado(documento)) abort();
    if (JuntaLinhas(ArquivoConfRede(documento)) != QString(documento).remove(u'\r').remove(u'\n')) abort();
  } catch (const ErroDados &) {
    // a column the document needs is missing
  }

  // Written back as the tool writes it after an edit, then read again.
  cds.Edita();
  cds.Posta();
  try {
    cds.Fecha();
  } catch (const ErroDados &) {
    abort();  // the folder is writable
  }
  TParametros deNovo(arquivo);
  try {
    deNovo.Abre();
  } catch (const ErroDados &) {
    abort();  // the tool cannot read what it wrote
  }
  if (Valores(deNovo) != antes) abort();
  return 0;
}

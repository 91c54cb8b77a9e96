#include "confrede.h"

#include <QXmlStreamWriter>

#include "cfe.h"
#include "parametros.h"

namespace {

const QString kDeclaracao = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>");

}  // namespace

QString geraxml(const TParametros &cds) {
  QString corpo;
  QXmlStreamWriter w(&corpo);
  const auto elemento = [&](const char *coluna) {
    const QString nome = QString::fromLatin1(coluna);
    w.writeTextElement(nome, cds.Texto(nome));
  };
  w.writeStartElement(QStringLiteral("config"));
  elemento("tipoInter");
  if (cds.Texto(QStringLiteral("tipoInter")) == u"WIFI") {
    elemento("SSID");
    elemento("seg");
    if (cds.Texto(QStringLiteral("seg")) != u"NONE") elemento("codigo");
  }
  elemento("tipoLan");
  const QString tipoLan = cds.Texto(QStringLiteral("tipoLan"));
  if (tipoLan == u"IPFIX") {
    for (const char *c : {"lanIP", "lanMask", "lanGW", "lanDNS1", "lanDNS2"}) elemento(c);
  } else if (tipoLan == u"PPPoE") {
    elemento("usuario");
    elemento("senha");
  }
  elemento("proxy");
  // A proxy value that is not a number is not 1: the document is still built.
  bool numero = false;
  if (cds.Texto(QStringLiteral("proxy")).toInt(&numero) == 1 && numero) {
    for (const char *c : {"proxy_ip", "proxy_porta", "proxy_user", "proxy_senha"}) elemento(c);
  }
  w.writeEndElement();
  return kDeclaracao + corpo;
}

QByteArray ArquivoConfRede(const QString &documento) {
  QString texto = documento;
  if (texto.startsWith(kDeclaracao)) texto.insert(kDeclaracao.size(), QStringLiteral("\r\n"));
  return texto.toUtf8() + "\r\n";
}

QByteArray JuntaLinhas(const QByteArray &conteudo) {
  QByteArray junto;
  for (const QByteArray &l : DivideLinhas(conteudo)) junto += l;
  return junto;
}

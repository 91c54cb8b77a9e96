// The network configuration document "ConfRede.xml", built from the
// parameter table.
#pragma once

#include <QByteArray>
#include <QString>

class TParametros;

// The document's text, without indentation: declaration (version 1.0,
// encoding utf-8) and the element config with the children that the
// interface, address mode and proxy call for. Throws ErroDados when a column is missing.
QString geraxml(const TParametros &cds);

// The bytes written to "ConfRede.xml": the declaration on a line of its own,
// then the element, lines ending in CR LF, no byte-order mark.
QByteArray ArquivoConfRede(const QString &documento);

// The file read back, its lines joined without separators: the bytes sent to
// the device, in the encoding that the document declares.
QByteArray JuntaLinhas(const QByteArray &conteudo);

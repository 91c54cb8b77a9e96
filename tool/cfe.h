// The CFe texts of the tests page: Base64 fields as devices send them, the
// CFe recovered from a stored sale reply, the end-to-end test sale and the
// file "CFe.xml".
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Decodes a Base64 field. Devices in the field break long fields with CR LF,
// so line breaks are dropped first; anything else outside the alphabet makes
// the field invalid (nothing).
std::optional<QByteArray> DecodificaBase64(const QByteArray &campo);

// Splits bytes into lines: a line ends at CR, LF or CR LF; empty lines count
// and a final line break makes no extra line.
QList<QByteArray> DivideLinhas(const QByteArray &texto);

// The Base64 text of the CFe in a stored sale reply (return code 06000): with
// every "|" turned into a line break, the lines from the one after the SEFAZ
// message (6) through count - 6, joined. Lines that the device's own line
// breaks add inside the Base64 field are taken with it. Empty when the reply
// has 11 lines or fewer.
QByteArray CFeDaRespostaDeVenda(const QByteArray &resposta);

// Writes the lines to "CFe.xml" (or any file), each followed by CR LF, no
// byte-order mark, replacing an earlier file. False when it cannot be written.
bool GravaLinhasCRLF(const QString &arquivo, const QList<QByteArray> &linhas);

// The test sale of the end-to-end tests, one line without whitespace between
// the tags. producao: the real software house, signature and IE; otherwise
// zeros in their place and an empty <dest/>. Values go in unchanged.
QString XmlVendaTeste(bool producao, const QString &cnpjContribuinte, const QString &ieContribuinte,
                      const QString &cnpjSoftwareHouse, const QString &assinatura);

// The separator line of the memos: 54 "-".
QString Separador();

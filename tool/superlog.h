// The device's log as the log page shows it: split into lines at LF, the
// whole log or only its last SuperLog section.
#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <optional>

// Pieces between line feeds, empty ones included; a CR before an LF stays at
// the end of its line, and a final LF gives a last, empty line.
QList<QByteArray> LinhasDoLog(const QByteArray &log);

// The last SuperLog section: from the last header line (own or plain form)
// to the first closing line after it, each shown as three spaces and the line
// without its first 24 bytes. Nothing when there is no header, or no closing
// line after the last one.
std::optional<QStringList> SecaoSuperLog(const QList<QByteArray> &linhas);

// What the log page shows in SuperLog mode: an empty line and the section, or
// the five lines around "Não foi encontrado SuperLog neste trecho do Log".
QStringList TextoSuperLog(const QList<QByteArray> &linhas);

// What the log page shows for the whole log: the lines as text, then the separator.
QStringList TextoLogCompleto(const QList<QByteArray> &linhas);

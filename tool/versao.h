// The program's version text, embedded in the executable by the build and
// read back from the file at run time.
#pragma once

#include <QString>

// The version recorded in the given program file ("3.0.0.4"), or empty text
// when the file holds no version record.
QString GetEXEVersionData(const QString &arquivo);

// "(64 bits)" or "(32 bits)": the word size of this build.
QString TamanhoPalavra();

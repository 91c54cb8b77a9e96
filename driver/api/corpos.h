// The bodies of the seventeen exported functions, each named and typed as its
// export: a body gives the call's reply text. The C shells around them, which
// keep every failure from crossing the C boundary, are api/exports.cpp.
#pragma once

#include <string>

#include "cfedriver_funcoes.h"

namespace cfe::corpo {

#define CFE_DECLARA_CORPO(nome, parametros, ...) std::string nome parametros;
CFE_FUNCOES(CFE_DECLARA_CORPO, CFE_DECLARA_CORPO)
#undef CFE_DECLARA_CORPO

}  // namespace cfe::corpo

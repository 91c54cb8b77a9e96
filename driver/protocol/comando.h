// The constants of the sixteen SAT functions as the device knows them, made
// from the table of functions (cfedriver_funcoes.h).
#pragma once

#include "core/state.h"

namespace cfe {

// How the reception treats a reply's head.
enum class Recepcao {
  ChecaSessao,  // a complete reply of another session is discarded
  SemChecagem,  // any reply is taken
};

// The fields of the busy reply.
enum class FormaOcupado {
  Curta,          // session|busy code|message||
  ComCampoExtra,  // session|busy code|0000|message|| (sale and cancellation)
};

// The constants of one SAT function.
struct Comando {
  Funcao funcao;              // entry of the time-out table
  const char *nome;           // name in the log
  const char *codigo;         // command code of the request, "01" ... "20"
  const char *ocupado;        // busy code, "04098" ...
  Recepcao recepcao;
  FormaOcupado formaOcupado;
};

// One per function, named after it: kCmdAtivarSAT ...
#define CFE_DECLARA_COMANDO(nome, ...) extern const Comando kCmd##nome;
#define CFE_SEM_COMANDO(...)
CFE_FUNCOES(CFE_DECLARA_COMANDO, CFE_SEM_COMANDO)
#undef CFE_DECLARA_COMANDO
#undef CFE_SEM_COMANDO

}  // namespace cfe

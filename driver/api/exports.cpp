// The seventeen exported C functions, made from the table of functions
// (cfedriver_funcoes.h). Each shell runs its body (api/corpos.h) and hands the
// text back through the calling thread's reply text; no failure crosses the C
// boundary: a SAT function then answers with its busy reply, SetDriver with "FALHA".
#include <cstdint>
#include <string>

#include "api/corpos.h"
#include "api/startup.h"
#include "api/textos.h"
#include "cfedriver.h"
#include "protocol/mensagem.h"

namespace cfe {

namespace {

const char *DevolveOcupado(uint64_t inicio, const Comando &c, int sessao) {
  try {
    return GuardaRespostaSat(inicio, RespostaOcupado(c, sessao));
  } catch (...) {
    return "";  // not even the busy reply could be built (out of memory)
  }
}

template <typename Corpo>
const char *RespondeSat(const Comando &c, int sessao, Corpo &&corpo) {
  GaranteInicializacao();
  const uint64_t inicio = InicioDeChamada();
  try {
    return GuardaRespostaSat(inicio, corpo());
  } catch (...) {
    return DevolveOcupado(inicio, c, sessao);
  }
}

// RespostaDriver: the calling thread's own text, apart from its SAT reply, so
// that neither a SAT call nor another thread rewrites it.
template <typename Corpo>
const char *RespondeDriver(Corpo &&corpo) {
  GaranteInicializacao();
  const uint64_t inicio = InicioDeChamada();
  try {
    return GuardaRespostaDriver(inicio, corpo());
  } catch (...) {
    return GuardaRespostaDriver(inicio, "FALHA");  // only a failure to allocate gets here
  }
}

}  // namespace

}  // namespace cfe

// Every SAT function's first parameter is the session number, numeroSessao.
#define CFE_EXPORTA_SAT(nome, parametros, argumentos, ...)                                                 \
  const char *CFE_CALL nome parametros {                                                                   \
    return cfe::RespondeSat(cfe::kCmd##nome, numeroSessao, [&] { return cfe::corpo::nome argumentos; }); \
  }
#define CFE_EXPORTA_CONTROLE(nome, parametros, argumentos, ...) \
  const char *CFE_CALL nome parametros { return cfe::RespondeDriver([&] { return cfe::corpo::nome argumentos; }); }

extern "C" {
CFE_FUNCOES(CFE_EXPORTA_SAT, CFE_EXPORTA_CONTROLE)
}

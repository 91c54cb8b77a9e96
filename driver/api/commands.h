// What the sixteen SAT functions have in common: the call lock around a call,
// the mended cancellation reply, and the reply text handed back.
#pragma once

#include <string>
#include <string_view>

#include "core/state.h"
#include "api/textos.h"
#include "protocol/mensagem.h"

namespace cfe {

// A null text argument is an empty text.
std::string Texto(const char *p);
// The same without a copy, for texts of any size that live for the call.
std::string_view Vista(const char *p);
// A successful cancellation reply (code 07000) of exactly eleven fields gains the
// empty field the device leaves out, before its last field; any other reply stays
// as it is. CancelarUltimaVenda and the two session look-ups, which hand back the
// same stored reply, all apply it.
std::string EditaRespostaCancelamento(const std::string &resposta);

// Holds the call lock for one call: waits for it when the lock switch is on,
// and always frees it at the end, also when the call fails.
class ChamadaTravada {
 public:
  ChamadaTravada();
  ~ChamadaTravada();
  ChamadaTravada(const ChamadaTravada &) = delete;
  ChamadaTravada &operator=(const ChamadaTravada &) = delete;
};

// Hands a SAT function's text back through the calling thread's reply text
// (RespostaSat, api/textos.h); inicio is the call's number from InicioDeChamada.
const char *DevolveResposta(uint64_t inicio, std::string texto);
const char *DevolveOcupado(uint64_t inicio, const Comando &c, int sessao, bool comExtra);

// Runs a SAT function's body and hands its text back. Nothing escapes: any
// failure becomes the busy reply.
template <typename Corpo>
const char *Responde(const Comando &c, int sessao, bool comExtra, Corpo &&corpo) {
  const uint64_t inicio = InicioDeChamada();
  try {
    return DevolveResposta(inicio, corpo());
  } catch (...) {
    return DevolveOcupado(inicio, c, sessao, comExtra);
  }
}

}  // namespace cfe

// What the sixteen SAT functions have in common: the call lock around a call
// and the mended cancellation reply.
#pragma once

#include <string>
#include <string_view>

#include "core/state.h"
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

}  // namespace cfe

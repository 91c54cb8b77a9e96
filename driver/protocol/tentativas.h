// The attempts of a call that repeats its exchange: the four repeating queries
// and the sale and cancellation recovery.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/state.h"

namespace cfe {

// Runs tentativa(n) for n = 1, 2, ... while n <= N_TENT, pausing TMP_TENT seconds
// between two attempts, until an attempt returns true (its result is final).
// N_TENT and TMP_TENT are read at each step, as SetDriver may change them.
struct FimDasTentativas {
  int n;        // the last attempt's number, or N_TENT + 1 when they ran out
  bool final_;  // an attempt ended the call
};
template <typename Tentativa>
FimDasTentativas RepeteTentativas(Tentativa &&tentativa) {
  int n = 1;
  while (n <= G().NTent) {
    if (tentativa(n)) return {n, true};
    ++n;
    if (n <= G().NTent) Pausa(int64_t(G().TmpTent) * 1000);
  }
  return {n, false};
}

// The answer of a call whose attempts ran out: the result an attempt set, or,
// when every attempt ended on a busy reply of the device, the last such reply,
// or else the busy reply.
inline std::string RespostaDasTentativas(const std::optional<std::string> &resultado,
                                         const std::string &ultimaOcupada, const std::string &ocupado) {
  if (resultado) return *resultado;
  return ultimaOcupada.empty() ? ocupado : ultimaOcupada;
}

}  // namespace cfe

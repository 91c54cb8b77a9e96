// The library's clock. Every pause and reply deadline of the library goes
// through here. Tests set a divisor so that a 6 s pause or a 20 s deadline
// takes a fraction of the time; the rules themselves are unchanged.
#pragma once

#include <cstdint>

namespace cfe {

int64_t AgoraMs();             // monotonic clock
void Pausa(int64_t ms);        // sleep (divided in tests)
int64_t EscalaMs(int64_t ms);  // a duration as the library waits it

struct RelogioTeste {
  int divisor = 1;                          // every pause and deadline divided by this
  void (*ao_pausar)(int64_t ms) = nullptr;  // told of every pause, with its undivided length
};
void DefineRelogioTeste(RelogioTeste r);

}  // namespace cfe

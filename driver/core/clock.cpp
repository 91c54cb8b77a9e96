#include "core/clock.h"

#include <algorithm>
#include <atomic>

#include "platform/platform.h"

namespace cfe {

namespace {
std::atomic<int> g_divisor{1};
std::atomic<void (*)(int64_t)> g_ao_pausar{nullptr};
}  // namespace

void DefineRelogioTeste(RelogioTeste r) {
  g_divisor = std::max(1, r.divisor);
  g_ao_pausar = r.ao_pausar;
}

int64_t AgoraMs() { return platform::MonotonicMs(); }

int64_t EscalaMs(int64_t ms) { return ms / g_divisor.load(); }

void Pausa(int64_t ms) {
  if (auto hook = g_ao_pausar.load()) hook(ms);
  platform::SleepMs(EscalaMs(ms));
}

}  // namespace cfe

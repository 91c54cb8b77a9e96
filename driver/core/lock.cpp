#include "core/lock.h"

#include "core/state.h"
#include "platform/platform.h"

namespace cfe {

bool AguardaLock() { return G().LockFlag.exchange(true); }

void LiberaLock() { G().LockFlag = false; }

void EntraLock() {
  if (!G().LockLigado) return;
  while (AguardaLock()) platform::SleepMs(EscalaMs(100));
}

}  // namespace cfe

#include "core/lock.h"

#include "core/state.h"

namespace cfe {

bool AguardaLock() { return G().LockFlag.exchange(true); }

void LiberaLock() {
  G().LockFlag = false;
  G().LockFlag.notify_all();
}

void EntraLock() {
  if (!G().LockLigado) return;
  // Woken by every free; whoever wins the exchange takes the lock, the others sleep again.
  while (AguardaLock()) G().LockFlag.wait(true);
}

}  // namespace cfe

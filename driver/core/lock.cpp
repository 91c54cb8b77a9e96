#include "core/lock.h"

#include <condition_variable>
#include <mutex>
#include <new>

#include "core/state.h"

namespace cfe {

namespace {

// The waiting calls sleep on a condition variable rather than on the atomic
// flag itself: atomic wait/notify of the mingw-w64 C++ library can lose a
// wake-up, which left a waiting call asleep for good. The flag is freed under
// the mutex, so a call that saw it held and goes to sleep cannot miss its free.
struct Espera {
  std::mutex mutex;
  std::condition_variable livre;
};

// Never destroyed: a call may still wait while static destructors run at exit.
Espera &E() {
  alignas(Espera) static unsigned char memoria[sizeof(Espera)];
  static Espera *espera = new (memoria) Espera;
  return *espera;
}

}  // namespace

bool AguardaLock() { return G().LockFlag.exchange(true); }

void LiberaLock() {
  Espera &e = E();
  {
    std::lock_guard<std::mutex> guarda(e.mutex);
    G().LockFlag = false;
  }
  e.livre.notify_all();
}

void EntraLock() {
  if (!G().LockLigado) return;
  // Woken by every free; whoever wins the exchange takes the lock, the others sleep again.
  Espera &e = E();
  std::unique_lock<std::mutex> guarda(e.mutex);
  e.livre.wait(guarda, [] { return !AguardaLock(); });
}

}  // namespace cfe

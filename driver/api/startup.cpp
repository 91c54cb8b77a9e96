#include "api/startup.h"

#include "api/lock.h"
#include "api/state.h"

namespace cfe {

void Inicializa() {
  AguardaLock();
  LiberaLock();
}

void Finaliza() { RestauraPadroes(); }

}  // namespace cfe

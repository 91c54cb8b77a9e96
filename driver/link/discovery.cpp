// Choosing the device's port among the ports the system lists (platform layer):
// a USB serial port present now that belongs to the device.
#include "link/discovery.h"

#include <algorithm>

#include "core/log.h"
#include "core/state.h"
#include "platform/platform.h"

namespace cfe {

Varredura VarrePortas() {
  Varredura v;
  if (!platform::ListDevicePorts(v.P, v.A)) {
    v.falhou = true;
    v.P.clear();
    v.A.clear();
  }
  v.usavel = !v.falhou && !v.A.empty() && !v.P.empty();
  return v;
}

int BuscaPortaSerial() {
  bool fixa;
  {
    std::lock_guard<std::mutex> guarda(G().mutex);
    fixa = G().PortaFixa;
  }
  if (!fixa) {
    GravaTexto(&Estado::PortaSerial, "");
    Log("Fazendo busca da porta serial ...");
  }
  int resultado = 0;
  if (LeTexto(&Estado::PortaSerial).empty()) {
    Varredura v = VarrePortas();
    if (v.falhou) {
      resultado = 6;
    } else if (!v.usavel) {
      resultado = 5;
    } else {
      // The last attached port of the device wins, as in the listing's order.
      std::string escolhida;
      for (const std::string &a : v.A) {
        if (std::find(v.P.begin(), v.P.end(), a) != v.P.end()) escolhida = a;
      }
      GravaTexto(&Estado::PortaSerial, escolhida);
    }
  }
  Log("Usando interface: " + LeTexto(&Estado::PortaSerial));
  return resultado;
}

}  // namespace cfe

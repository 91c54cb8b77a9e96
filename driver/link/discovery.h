// Finding the device's port: USB serial ports present now that belong to a
// device with vendor 0525 and product A4A7.
#pragma once

#include <string>
#include <vector>

namespace cfe {

struct Varredura {
  std::vector<std::string> P;  // device ports
  std::vector<std::string> A;  // attached USB serial ports
  bool usavel = false;         // usable
  bool falhou = false;         // the listing itself failed (the "registry" error)
};

Varredura VarrePortas();
// 0: search done (port found or not) or port fixed; 5: nothing to match; 6: listing failed.
int BuscaPortaSerial();

}  // namespace cfe

// Sales and cancellations against the worst device: the emulator issues every
// coupon it receives, a repeated session included, and loses, drops, delays,
// refuses as busy or misaddresses requests and replies at random (seeded). A
// driver that retransmits a coupon the device already issued is caught by the
// device's own count of coupons per session.
//
// Used by the CI test (tests/recovery) and by the long hand-run program
// (bench/soak_recovery.cpp); it needs only the library's code and the emulator.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace recuperacao {

struct ConfigSoak {
  int vendas = 100;
  int cancelamentos = 100;
  uint32_t semente = 1;
};

// The figures of one function.
struct Contagem {
  int tentadas = 0;           // calls made
  int emitidasUmaVez = 0;     // sessions the device issued exactly once
  int emitidasDuasVezes = 0;  // sessions the device issued twice or more (must be 0)
  int ocupadas = 0;           // calls that returned the busy reply (the library's or the device's)
  int emitidasComSucesso = 0; // calls that returned the session's own success reply
};

struct ResultadoSoak {
  Contagem vendas, cancelamentos;
  std::vector<std::string> falhas;  // every broken rule, one line each
  double segundos = 0;
};

// Runs the soak with N_TENT = 3. Restarts the library (settings file in a
// temporary folder, CFEDRIVER_INI / CFEDRIVER_LOG pointed at it) and sets the
// test clock; both are reset at the end.
ResultadoSoak RodaSoak(const ConfigSoak &config);
void Imprime(std::ostream &out, const ConfigSoak &config, const ResultadoSoak &r);

}  // namespace recuperacao

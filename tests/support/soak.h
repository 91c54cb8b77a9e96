// Sales and cancellations against the worst device: the emulator issues every
// coupon it receives, a repeated session included, and loses, drops, delays,
// refuses as busy or misaddresses requests and replies at random (seeded). A
// driver that retransmits a coupon the device already issued is caught by the
// device's own count of coupons per session.
//
// A point-of-sale program drives it the way a shop's would: a sale (or a
// cancellation) answered with the busy reply is sent again in a new session, up
// to three times, since that reply says that nothing was issued. Coupons are then
// counted per sale as well as per session. Now and then the device becomes
// unreachable for the whole time-out right after it issued a coupon (an outage):
// the one case in which the driver cannot know the coupon's fate.
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
  int nTent = 3;         // N_TENT
  int intervaloQueda = 50;  // every so many items, an outage right after the coupon is issued (0: none)
  int reenvios = 3;      // how often the point-of-sale program sends an item answered busy again
};

// The figures of one function. An item is one sale (or cancellation) of the
// point-of-sale program, sent in one session and, after busy replies, in new ones.
struct Contagem {
  int itens = 0;                // items
  int chamadas = 0;             // calls made, resends included
  int reenvios = 0;             // calls that sent an item again after a busy reply
  int emitidasUmaVez = 0;       // items the device issued exactly once
  int emitidasDuasVezes = 0;    // items issued twice or more, in one session or in two (must be 0)
  int emitidaMasOcupada = 0;    // calls answered busy although the device had issued their
                                // session, outside an outage (must be 0)
  int semResposta = 0;          // items never answered because the device was unreachable for the
                                // whole time-out (an outage): issued once, answered busy
  int nuncaEmitidas = 0;        // items the device never issued (every send answered busy)
  int ocupadas = 0;             // calls that returned the busy reply (the library's or the device's)
  int comSucesso = 0;           // items that got their session's own success reply
};

struct ResultadoSoak {
  Contagem vendas, cancelamentos;
  std::vector<std::string> falhas;  // every broken rule, one line each
  double segundos = 0;
};

// Restarts the library (settings file in a temporary folder, CFEDRIVER_INI /
// CFEDRIVER_LOG pointed at it) and sets the test clock; both are reset at the end.
ResultadoSoak RodaSoak(const ConfigSoak &config);
void Imprime(std::ostream &out, const ConfigSoak &config, const ResultadoSoak &r);

}  // namespace recuperacao

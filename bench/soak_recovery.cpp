// The long recovery soak, run by hand: soak_recovery [count] [seed] [N_TENT]
// makes `count` sales and `count` cancellations (default 1000 each, N_TENT 3)
// against the emulator as the worst device with seeded random faults and an
// outage every 50 items, sent by a point-of-sale program that sends an item
// answered busy again in a new session (up to three times), and prints the
// figures. Exit status 1 when a coupon was issued twice, an item got two
// coupons, an issued coupon was answered busy outside an outage, or a call
// returned a reply that was not its own.
#include <cstdlib>
#include <iostream>
#include <string>

#include "soak.h"

int main(int argc, char **argv) {
  recuperacao::ConfigSoak config;
  config.vendas = config.cancelamentos = 1000;
  config.semente = 1;
  try {
    if (argc > 1) config.vendas = config.cancelamentos = std::stoi(argv[1]);
    if (argc > 2) config.semente = static_cast<uint32_t>(std::stoul(argv[2]));
    if (argc > 3) config.nTent = std::stoi(argv[3]);
    if (argc > 4 || config.vendas < 1 || config.vendas > 100000 || config.nTent < 1 || config.nTent > 99)
      throw std::invalid_argument("arguments");
  } catch (const std::exception &) {
    std::cerr << "usage: soak_recovery [count 1..100000] [seed] [N_TENT 1..99]\n";
    return 2;
  }
  const recuperacao::ResultadoSoak r = recuperacao::RodaSoak(config);
  recuperacao::Imprime(std::cout, config, r);
  return r.falhas.empty() ? 0 : 1;
}

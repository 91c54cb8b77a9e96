// The long recovery soak, run by hand: soak_recovery [count] [seed]
// makes `count` sales and `count` cancellations (default 1000 each) against the
// emulator as the worst device with seeded random faults, and prints the figures.
// Exit status 1 when a coupon was issued twice or a call returned a reply that
// was not its own.
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
    if (argc > 3 || config.vendas < 1 || config.vendas > 400000) throw std::invalid_argument("count");
  } catch (const std::exception &) {
    std::cerr << "usage: soak_recovery [count 1..400000] [seed]\n";
    return 2;
  }
  const recuperacao::ResultadoSoak r = recuperacao::RodaSoak(config);
  recuperacao::Imprime(std::cout, config, r);
  return r.falhas.empty() ? 0 : 1;
}

// The platform layer of the library's fuzz targets: a virtual clock, files in
// memory and a scripted device behind the serial port, so that a whole
// exchange runs the library's real code in microseconds and the same input
// always runs the same way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace fuzzdev {

// One packet of a reply: it arrives `atraso` ms after the wait for it begins.
struct Pacote {
  int64_t atraso = 1;
  std::string bytes;
};

// Back to a clean state: clock at zero, no files, no script, one device attached.
void Reinicia();

// The reply to the next request frame (a request ending in ETX). Requests
// beyond the script get no answer. Packets not read in time are still on their
// way during the next exchange, as on a real line.
void Responde(std::vector<Pacote> pacotes);
// The outcome of the next opening of the port (true: it opens). Openings
// beyond the list succeed.
void Abertura(bool abre);
// Bytes that arrive right after the port has been configured (stale input).
void Lixo(std::string bytes);
// When the script's packets are used up, the line hangs up instead of staying silent.
void DesligaNoFim(bool desliga);

// The settings file: present with the given bytes.
void Ini(std::string conteudo);
// Environment variables the library sees (nothing else is read from the real environment).
void Ambiente(const std::string &nome, const std::string &valor);
// The ports that port listing finds (the device's and every USB serial port);
// the listing fails when `falha`.
void Portas(std::vector<std::string> doDispositivo, std::vector<std::string> usb, bool falha = false);

// What the library did.
const std::vector<std::string> &Pedidos();  // request frames as written
const std::string &Log();                   // the debug log's bytes
int PortasAbertas();                        // ports open now
int64_t Agora();                            // the virtual clock, ms

}  // namespace fuzzdev

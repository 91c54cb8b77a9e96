// Connection to the device's port and the exchange of one framed request and reply.
// The port is open for exactly one exchange: opened by VerificaConexao, closed by RecebeDoSat.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "link/serialchannel.h"  // CanalSerial()

namespace cfe {

// 0 when the port named by PortaSerial is open and configured, 1 otherwise.
int ConectaSat();
// Searches for the port when none is known, then connects.
// True when the device cannot be reached.
bool VerificaConexao();
// Discards stale input and sends request + "|" + ETX. Always true.
bool EnviaParaSat(const std::string &requisicao);
// Collects the reply until a packet ends in ETX or PrazoResposta passes, and closes
// the port. The text holds the reply's bytes and, in the ETX's place, one zero byte;
// empty when no reply came. With an expected session, replies of other sessions are dropped.
std::string RecebeDoSat(std::optional<int> sessaoEsperada = std::nullopt);

// Largest reply kept (64 MiB); past it the reply counts as not received. Tests lower it.
void DefineLimiteResposta(size_t bytes);

}  // namespace cfe

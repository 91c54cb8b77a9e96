// Fuzz target for one exchange with a device that answers arbitrary bytes:
// connection, discard of stale input, request, and the reception of the reply
// (frame end, session check, the reply bound, packets that carry stray bytes).
//
// Input: one byte of switches, then sections separated by 0xFE (a byte that
// UTF-8 replies never hold). The first section is stale input that arrives
// once the port is configured; each further section is one packet of the
// reply, arriving 1 ms after the wait for it begins, plus 1 s for each 0xFF
// it starts with (the reply deadline is 3 s).
//
// What must hold: the reply is empty, or it ends with the zero byte that took
// the place of an ETX ending a packet, and what precedes it came in the
// packets; it never exceeds the bound; with the session check it never begins
// with six digits of another session; a single complete packet of the session
// in time is always returned; the port is closed afterwards.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/state.h"
#include "dispositivo.h"
#include "link/connection.h"
#include "link/serialchannel.h"

using namespace cfe;

namespace {

enum : uint8_t {
  kComSessao = 1,
  kDesliga = 2,
  kLimitePequeno = 4,
  kDebug = 8,
  kSemDispositivo = 16,
};
constexpr size_t kLimitePequenoBytes = 64;
constexpr size_t kLimiteNormal = size_t(64) << 20;
const std::string kSessao = "000123";

std::vector<std::string> Secoes(std::string_view resto) {
  std::vector<std::string> secoes(1);
  for (char c : resto) {
    if (static_cast<unsigned char>(c) == 0xFE) secoes.emplace_back();
    else secoes.back() += c;
  }
  return secoes;
}

fuzzdev::Pacote Pacote(const std::string &secao) {
  fuzzdev::Pacote p;
  size_t i = 0;
  while (i < secao.size() && static_cast<unsigned char>(secao[i]) == 0xFF) ++i;
  p.atraso = 1 + 1000 * int64_t(i);
  p.bytes = secao.substr(i);
  return p;
}

bool SeisDigitos(std::string_view s) {
  if (s.size() < 6) return false;
  for (size_t i = 0; i < 6; ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}

void Falha(const char *) { abort(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  const uint8_t chaves = data[0];
  const std::vector<std::string> secoes = Secoes(std::string_view(reinterpret_cast<const char *>(data) + 1, size - 1));

  fuzzdev::Reinicia();
  RestauraPadroes();
  G().ModoDebug = (chaves & kDebug) != 0;
  const size_t limite = (chaves & kLimitePequeno) ? kLimitePequenoBytes : kLimiteNormal;
  DefineLimiteResposta(limite);
  GravaTexto(&Estado::PortaSerial, "/dev/ttyACM0");
  if (chaves & kSemDispositivo) fuzzdev::Abertura(false);
  fuzzdev::Lixo(secoes[0]);
  std::vector<fuzzdev::Pacote> pacotes;
  for (size_t i = 1; i < secoes.size(); ++i) pacotes.push_back(Pacote(secoes[i]));
  fuzzdev::Responde(pacotes);
  fuzzdev::DesligaNoFim((chaves & kDesliga) != 0);

  std::string resposta;
  if (!VerificaConexao()) {
    G().PrazoResposta = AgoraMs() + 3000;
    EnviaParaSat("|05|" + kSessao);
    resposta = (chaves & kComSessao) ? RecebeDoSat(123) : RecebeDoSat();
  }

  if (fuzzdev::PortasAbertas() != 0 || CanalSerial().InstanceActive()) Falha("port left open");
  if (resposta.size() > limite) Falha("reply above the bound");
  if (!resposta.empty()) {
    if (resposta.back() != '\0') Falha("reply without its final zero byte");
    // What precedes the zero byte ends where a packet ended with ETX.
    const std::string corpo = resposta.substr(0, resposta.size() - 1) + '\x03';
    std::string linha;
    bool achou = false;
    for (const auto &p : pacotes) {
      linha += p.bytes;
      if (!p.bytes.empty() && p.bytes.back() == '\x03' && linha.size() >= corpo.size() &&
          linha.compare(linha.size() - corpo.size(), corpo.size(), corpo) == 0)
        achou = true;
    }
    if (!achou) Falha("reply not made of the packets");
    if ((chaves & kComSessao) && SeisDigitos(resposta) && resposta.compare(0, 6, kSessao) != 0)
      Falha("reply of another session");
  }
  // One packet of the session, complete and in time, is the reply.
  if (!(chaves & kSemDispositivo) && pacotes.size() == 1 && pacotes[0].atraso < 3000) {
    const std::string &b = pacotes[0].bytes;
    if (b.size() >= 7 && b.compare(0, 7, kSessao + "|") == 0 && b.back() == '\x03' && b.size() <= limite &&
        resposta != b.substr(0, b.size() - 1) + '\0')
      Falha("the session's reply was lost");
  }
  CanalSerial().SetRaiseExcept(false);
  CanalSerial().CloseSocket();
  return 0;
}

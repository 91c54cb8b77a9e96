// Fuzz target for EnviarDadosVenda and CancelarUltimaVenda against a device
// that answers each request with arbitrary bytes: the attempts, the session
// query and the reading of its reply's head, retransmission and the reply
// edit of the cancellation.
//
// Input: byte 0 holds switches (bit 0 cancellation, bits 1-2 N_TENT - 1,
// bit 3 debug log, bit 4 correction of the sale text); byte 1 says which of
// the first eight openings of the port fail (bit i: opening i + 1); then one
// section per request, separated by 0xFE: the device's reply to it as one
// packet, or silence when the section begins with 0xFF.
//
// What must hold: the result begins with the session and the function's
// return-code prefix (it is the busy reply, or a reply of this session); it is
// the busy reply or a reply the device sent, from its head on (for a
// cancellation, possibly with its empty field added); the coupon is
// transmitted again only when the device said it issued nothing since the last
// transmission: a busy reply to that transmission, or a session query answered
// for this session with no coupon and not busy; a call makes at most two
// requests per attempt and one final session query.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "api/recovery.h"
#include "core/state.h"
#include "cfedriver.h"
#include "dispositivo.h"
#include "link/serialchannel.h"

using namespace cfe;

namespace {

const std::string S = "000042";
const std::string kVenda = "<CFe><infCFe>&#65;&#x42;&#39;</infCFe></CFe>";

// The reply as the library keeps it: without the frame end, up to a zero byte.
std::string Recebida(const std::string &pacote) {
  std::string r = pacote.substr(0, pacote.size() - 1);
  return r.substr(0, r.find('\0'));
}

// The reply from the head of this session's coupon reply (S|06 / S|07) on, which
// stray bytes before it do not hide (a head right after a digit or "-" belongs
// to another number); the reply itself when it holds no such head.
std::string DaCabeca(const std::string &r, const std::string &prefixo) {
  for (size_t p = r.find(prefixo); p != std::string::npos; p = r.find(prefixo, p + 1)) {
    if (p == 0 || !(std::isdigit(static_cast<unsigned char>(r[p - 1])) || r[p - 1] == '-')) return r.substr(p);
  }
  return r;
}

std::string Codigo(const std::string &r) {
  size_t barra = r.find('|');
  return barra == std::string::npos ? "" : r.substr(barra + 1, 5);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 2) return 0;
  const bool cancelamento = data[0] & 1;
  const int nTent = 1 + ((data[0] >> 1) & 3);
  std::vector<std::string> secoes(1);
  for (size_t i = 2; i < size; ++i) {
    if (data[i] == 0xFE) secoes.emplace_back();
    else secoes.back() += char(data[i]);
  }

  fuzzdev::Reinicia();
  RestauraPadroes();
  CanalSerial().SetRaiseExcept(false);
  CanalSerial().CloseSocket();
  G().ModoDebug = (data[0] & 8) != 0;
  G().Correcao = (data[0] & 16) != 0;
  G().NTent = nTent;
  // Deadlines of 2 s: the same attempts, in fewer polls of a silent line.
  for (Funcao f : {kEnviarDadosVenda, kCancelarUltimaVenda, kConsultarNumeroSessao}) {
    G().timeouts[f].minutos = 0;
    G().timeouts[f].segundos = 2;
  }
  GravaTexto(&Estado::PortaSerial, "/dev/ttyACM0");
  for (int i = 0; i < 8; ++i) fuzzdev::Abertura(!(data[1] & (1 << i)));
  std::vector<std::string> respostas;  // "" for silence
  for (const std::string &s : secoes) {
    const bool silencio = s.empty() || static_cast<unsigned char>(s[0]) == 0xFF;
    respostas.push_back(silencio ? "" : s);
    fuzzdev::Responde(silencio ? std::vector<fuzzdev::Pacote>{} : std::vector<fuzzdev::Pacote>{{1, s}});
  }

  const std::string resultado = cancelamento ? CancelarUltimaVenda(42, "12345678", "CFe35240111", "<CFeCanc/>")
                                             : EnviarDadosVenda(42, "12345678", kVenda.c_str());

  const std::string prefixo = S + (cancelamento ? "|07" : "|06");
  const std::string ocupado = prefixo + "098|0000|SAT em processamento. Tente novamente.||";
  if (resultado.compare(0, prefixo.size(), prefixo) != 0) abort();

  const std::vector<std::string> &pedidos = fuzzdev::Pedidos();
  if (pedidos.size() > size_t(2 * nTent + 1)) abort();
  const std::string transmissao = cancelamento ? "|04|" : "|03|";
  bool deOutroJeito = resultado == ocupado;
  bool algumaTransmissao = false;
  bool podeReenviar = false;  // since the last transmission the device said it issued nothing
  for (size_t i = 0; i < pedidos.size(); ++i) {
    const bool completa = i < respostas.size() && !respostas[i].empty() && respostas[i].back() == '\x03';
    const std::string r = completa ? DaCabeca(Recebida(respostas[i]), prefixo) : "";
    if (pedidos[i].compare(0, 4, transmissao) == 0) {
      if (algumaTransmissao && !podeReenviar) abort();  // a second coupon may be issued
      algumaTransmissao = true;
      podeReenviar = r.compare(0, prefixo.size() + 3, prefixo + "098") == 0;
    } else if (pedidos[i].compare(0, 4, "|08|") == 0) {
      if (!r.empty() && Codigo(r) != "11098" && r.compare(0, 6, S) == 0 && r.compare(0, 9, prefixo) != 0)
        podeReenviar = true;
    } else {
      abort();  // no other request belongs to these calls
    }
    if (!r.empty() && (resultado == r || (cancelamento && resultado == EditaRespostaCancelamento(r))))
      deOutroJeito = true;
  }
  if (!deOutroJeito) abort();  // a result the device never sent
  CanalSerial().SetRaiseExcept(false);
  CanalSerial().CloseSocket();
  return 0;
}

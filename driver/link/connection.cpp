// Connection to the device and the exchange of one framed request and reply.
// The channel raises only while its exception switch is on; every raise ends
// here, in a log line, and never leaves these functions.
#include "link/connection.h"

#include <algorithm>
#include <atomic>
#include <charconv>

#include "core/log.h"
#include "core/state.h"
#include "core/text.h"
#include "link/discovery.h"
#include "link/serialchannel.h"

namespace cfe {

namespace {

constexpr char kETX = '\x03';
constexpr int kEsperaPacote = 200;     // ms, for the rest of a packet already arriving
constexpr int64_t kFatiaEspera = 500;  // ms; the channel is held at most this long per wait

// A device that never ends its frame fills memory only up to this much.
std::atomic<size_t> g_limiteResposta{size_t(64) << 20};

struct BaudInvalido {};

bool PortaEhFixa() {
  std::lock_guard<std::mutex> guarda(G().mutex);
  return G().PortaFixa;
}

// Throws away whatever is waiting, logging it after the prefix. The bytes are
// there already, so a short read time-out changes nothing for one caller; it
// only keeps a second caller (call lock off) that took them first from waiting
// for good. Stops when a read yields nothing (a failing port) or after the
// reply bound, so that a babbling device cannot hold the caller here either.
void Descarta(TSerialChannel &canal, const char *prefixo) {
  size_t total = 0;
  for (int n = canal.WaitingDataEx(); n != 0; n = canal.WaitingDataEx()) {
    std::string lixo = canal.RecvBufferStr(n, kEsperaPacote);
    if (lixo.empty()) break;
    Log(prefixo + lixo);
    total += lixo.size();
    if (total > g_limiteResposta) break;
  }
}

// Steps 2.1 to 2.4 of a send: discard quietly, then write with the switch on.
void Transmite(TSerialChannel &canal, const std::string &requisicao, const char *prefixo) {
  canal.SetRaiseExcept(false);
  Descarta(canal, prefixo);
  canal.SetRaiseExcept(true);
  // The frame's tail goes as a write of its own: a sale's request of megabytes is not copied for it.
  canal.SendString(requisicao);
  canal.SendString(std::string{'|', kETX});
  canal.Flush();
}

void FechaQuieto(TSerialChannel &canal) {
  canal.SetRaiseExcept(false);
  try {
    canal.CloseSocket();
  } catch (...) {
  }
  canal.SetRaiseExcept(true);
}

// The session number at the start of a reply: its first six characters.
bool LeSessao(const std::string &resposta, int &sessao) {
  return LeDecimal(std::string_view(resposta).substr(0, 6), sessao);
}

}  // namespace

void DefineLimiteResposta(size_t bytes) { g_limiteResposta = bytes; }

int ConectaSat() {
  const std::string porta = LeTexto(&Estado::PortaSerial);
  if (porta.empty()) {
    Log("Interface SAT nao esta presente.");
    return 1;
  }
  Log("Configurando " + porta + " ...");
  TSerialChannel &canal = CanalSerial();
  try {
    canal.CloseSocket();
    canal.SetLinuxLock(false);
    canal.SetDeadlockTimeout(15000);
    Log("Conectando " + porta + " ...");
    canal.Connect(porta);
    for (int i = 0; i < 21 && !canal.InstanceActive(); ++i) Pausa(5);
    if (!canal.InstanceActive()) {
      Log(porta + ": Falha na tentativa de conexao.");
      return 1;
    }
    int baud = 0;
    if (!LeDecimal(LeTexto(&Estado::BAUDRATE), baud)) throw BaudInvalido{};
    canal.Config(baud, 8, 'N', 0, false, true);
    canal.RTS(true);
    canal.DTR(true);
    canal.SetRaiseExcept(false);
    Descarta(canal, "Descarte USB3: ");
    canal.SetRaiseExcept(true);
    Log(porta + " Conectado.");
    return 0;
  } catch (...) {
    FechaQuieto(canal);
    Log(porta + ": Falha na tentativa de conexao.");
    Log("Falha ao configurar o dispositivo: " + porta);
    if (!PortaEhFixa()) GravaTexto(&Estado::PortaSerial, "");
    return 1;
  }
}

bool VerificaConexao() {
  if (LeTexto(&Estado::PortaSerial).empty()) BuscaPortaSerial();
  return ConectaSat() == 1;
}

bool EnviaParaSat(const std::string &requisicao) {
  Log("EnviaParaSat: inicio do envio ...");
  if (G().ModoDebug) GravaLog("Enviando: " + requisicao);
  TSerialChannel &canal = CanalSerial();
  bool perdaTx = false;
  try {
    if (canal.InstanceActive()) {
      Transmite(canal, requisicao, "Descarte USB1: ");
    } else if (VerificaConexao() || !canal.InstanceActive()) {
      Log("(TX) Perda de comunicação com o SAT");
      perdaTx = true;
    } else {
      Transmite(canal, requisicao, "Descarte USB2: ");
    }
  } catch (...) {
    // Not retried: the missing reply tells the caller.
    if (!perdaTx) Log("Falha ao transmitir dados para o SAT");
  }
  Log("EnviarParaSat: final do envio.");
  return true;
}

std::string RecebeDoSat(std::optional<int> sessaoEsperada) {
  std::string resultado;
  bool completo = false;
  bool reportado = false;
  Log("RecebeDoSat: inicio da recepção ...");
  TSerialChannel &canal = CanalSerial();
  auto falha = [&](const char *linha) {
    if (!reportado) Log(linha);
    reportado = true;
  };
  canal.SetRaiseExcept(false);
  try {
    while (!PrazoPassou() && !completo) {
      if (!canal.InstanceActive()) {
        // Nothing can arrive on a port that is gone; waiting on would change nothing.
        falha("(RX) Perda de comunicação com o SAT");
        break;
      }
      canal.RTS(true);
      canal.DTR(true);
      if (canal.WaitingDataEx() < 1 && canal.WaitingData() < 1) {
        // Sleep until bytes arrive rather than spin; the reply is still picked up at once.
        canal.CanRead(int(std::min(RestanteMs(), kFatiaEspera)));
        continue;
      }
      std::string pacote = canal.RecvPacket(kEsperaPacote);
      if (pacote.empty()) {
        falha("Erro ao receber dados do SAT");
        continue;
      }
      if (pacote.back() == kETX) {
        pacote.back() = '\0';
        completo = true;
      }
      if (resultado.size() + pacote.size() > g_limiteResposta) {
        falha("Erro ao receber dados do SAT");
        completo = false;
        break;
      }
      resultado += pacote;
      if (sessaoEsperada && completo) {
        int sessao = 0;
        if (!LeSessao(resultado, sessao)) {
          falha("Erro ao receber dados do SAT");  // returned as collected
        } else if (sessao != *sessaoEsperada) {
          Log(" .....   .....");
          resultado.clear();
          completo = false;
        }
      }
    }
  } catch (...) {
    completo = false;  // out of memory: no reply
  }
  canal.SetRaiseExcept(true);
  if (!completo) {
    Log("Esgotado TimeOut para recepção de dados.");
    resultado.clear();
  }
  if (canal.InstanceActive()) FechaQuieto(canal);
  Log("RecebeDoSat: final da recepção.");
  return resultado;
}

}  // namespace cfe

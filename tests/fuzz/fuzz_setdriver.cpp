// Fuzz target for SetDriver: a series of commands with their values, each
// text ending at a zero byte ("\xFF" alone stands for a null pointer), with
// two attached devices and one other USB serial port.
//
// What must hold: every reply is one of the command's replies; a command that
// is not a keyword once trimmed changes nothing; N_TENT stays in 1..99 and
// TMP_TENT in 3..99; SERIAL sets only a device's port; the reply of one call
// stays readable after the next SAT call's state changes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "core/state.h"
#include "cfedriver.h"
#include "dispositivo.h"

using namespace cfe;

namespace {

const std::set<std::string> kPalavras = {"DISCOVER", "SERIAL", "NO_POPUP", "LOCK", "DEBUG",
                                         "N_TENT",   "TMP_TENT", "VERSAO"};
const std::set<std::string> kPortasSAT = {"/dev/ttyACM0", "/dev/ttyACM2"};

std::string Apara(const std::string &t) {
  auto descartavel = [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == '\x7F'; };
  size_t a = 0, b = t.size();
  while (a < b && descartavel(t[a])) ++a;
  while (b > a && descartavel(t[b - 1])) --b;
  return t.substr(a, b - a);
}

struct Retrato {
  std::string porta, popup, lock, debug, nTent, tmpTent;
  bool lockLigado, modoDebug;
  int nTentNum, tmpTentNum;
  bool operator==(const Retrato &) const = default;
};

Retrato Tira() {
  Estado &g = G();
  return {LeTexto(&Estado::PortaSerial), LeTexto(&Estado::NO_POPUP), LeTexto(&Estado::LIB_LOCK),
          LeTexto(&Estado::DEBUG),       LeTexto(&Estado::N_TENT),   LeTexto(&Estado::TMP_TENT),
          g.LockLigado,                  g.ModoDebug,                g.NTent,
          g.TmpTent};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::vector<std::string> textos(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) textos.emplace_back();
    else textos.back() += char(data[i]);
  }
  fuzzdev::Reinicia();
  fuzzdev::Portas({"/dev/ttyACM0", "/dev/ttyACM2"}, {"/dev/ttyACM0", "/dev/ttyACM1", "/dev/ttyACM2"});
  RestauraPadroes();

  for (size_t i = 0; i + 1 < textos.size() && i < 16; i += 2) {
    const std::string &c = textos[i], &v = textos[i + 1];
    const char *comando = c == "\xFF" ? nullptr : c.c_str();
    const char *valor = v == "\xFF" ? nullptr : v.c_str();
    const std::string cmd = comando ? Apara(c) : "", val = valor ? Apara(v) : "";
    const Retrato antes = Tira();
    const char *r = SetDriver(comando, valor);
    const std::string resposta = r;
    const Retrato depois = Tira();

    if (!kPalavras.count(cmd)) {
      if (resposta != "FALHA" || !(antes == depois)) abort();
    } else if (cmd == "VERSAO") {
      if (resposta != "3.0.0.4") abort();
    } else if (cmd == "DISCOVER") {
      if (resposta != "/dev/ttyACM0|/dev/ttyACM2") abort();
    } else if (cmd == "SERIAL") {
      const bool aceita = kPortasSAT.count(val) != 0;
      if (resposta != (aceita ? "OK" : "ERRO")) abort();
      if (depois.porta != (aceita ? val : antes.porta)) abort();
    } else if (cmd == "N_TENT" || cmd == "TMP_TENT") {
      if (resposta != "OK" && resposta != "ERRO") abort();
      if (resposta == "ERRO" && (depois.nTentNum != antes.nTentNum || depois.tmpTentNum != antes.tmpTentNum)) abort();
    } else if (resposta != "OK") {
      abort();
    }
    if (depois.nTentNum < 1 || depois.nTentNum > 99 || depois.tmpTentNum < 3 || depois.tmpTentNum > 99) abort();
    if (depois.lockLigado != (depois.lock == "true") || depois.modoDebug != (depois.debug == "true")) abort();
    if (std::string(r) != resposta) abort();
  }
  RestauraPadroes();
  return 0;
}

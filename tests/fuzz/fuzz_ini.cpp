// Fuzz target for the start-up with an arbitrary settings file: the INI
// reader, the readings of every value, the retry settings and the time-out
// table, then a deadline set from every time-out entry.
//
// What must hold: start-up frees the call lock; the values in force are the
// file's values as the INI reader reads them or their built-in fallbacks;
// N_TENT lies in 1..99 and TMP_TENT in 3..99 whatever the file says; every
// time-out entry has at most two digits of minutes and seconds; a deadline
// taken from any entry lies in the future and within 100 minutes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "api/settings.h"
#include "api/startup.h"
#include "core/state.h"
#include "dispositivo.h"

using namespace cfe;

namespace {

std::string SemBrancos(const std::string &t) {
  size_t inicio = t.find_first_not_of(" \t");
  if (inicio == std::string::npos) return "";
  return t.substr(inicio, t.find_last_not_of(" \t") - inicio + 1);
}

std::string Ou(const std::string &valor, const char *padrao) { return valor.empty() ? padrao : valor; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string texto(reinterpret_cast<const char *>(data), size);
  fuzzdev::Reinicia();
  fuzzdev::Ini(texto);
  Inicializa();

  const ArquivoIni ini = ArquivoIni::DeTexto(texto);
  Estado &g = G();
  if (g.LockFlag) abort();
  if (g.NTent < 1 || g.NTent > 99 || g.TmpTent < 3 || g.TmpTent > 99) abort();
  if (LeTexto(&Estado::BAUDRATE) != Ou(ini.Le("DEFAULT", "BAUDRATE"), "921600")) abort();
  if (LeTexto(&Estado::N_TENT) != ini.Le("DEFAULT", "N_TENT")) abort();
  if (g.ModoDebug != (ini.Le("DEFAULT", "DEBUG") == "true")) abort();
  if (g.LockLigado != (Ou(ini.Le("DEFAULT", "LIB_LOCK"), "true") == "true")) abort();
  if (g.Correcao != (ini.Le("DEFAULT", "CORRECAO") == "true")) abort();
  const std::string serial = ini.Le("DEFAULT", "SERIAL");
  const bool fixa = !SemBrancos(serial).empty();
  if (g.PortaFixa != fixa) abort();
  if (fixa && LeTexto(&Estado::PortaSerial) != serial) abort();
  if (!fixa && LeTexto(&Estado::PortaSerial) != "/dev/ttyACM0") abort();  // found by the search

  for (int f = 0; f < kNumFuncoes; ++f) {
    const Timeout t = LeTimeout(Funcao(f));
    if (t.minutos > 99 || t.segundos > 99) abort();
    const bool lido = ini.TemSecao("TIMEOUT") && LeValorTimeout(ini.Le("TIMEOUT", kTimeoutsPadrao[f].chave));
    if (!lido && (t.minutos != kTimeoutsPadrao[f].minutos || t.segundos != kTimeoutsPadrao[f].segundos)) abort();
    DefinePrazo(Funcao(f));
    const int64_t prazo = g.PrazoResposta - AgoraMs();
    if (prazo < 0 || prazo > int64_t(100) * 60 * 1000) abort();
  }
  Finaliza();
  return 0;
}

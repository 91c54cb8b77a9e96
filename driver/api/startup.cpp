#include "api/startup.h"

#include <atomic>
#include <mutex>

#include "api/settings.h"
#include "api/textos.h"
#include "core/lock.h"
#include "core/log.h"
#include "core/state.h"
#include "core/text.h"
#include "link/discovery.h"
#include "link/serialchannel.h"

namespace cfe {

namespace {

void BuscaPortaNaPartida() {
  GravaTexto(&Estado::PortaSerial, "");
  if (BuscaPortaSerial() != 0) Log("Interface SAT nao esta presente.");
}

void LeSecaoDefault(const ArquivoIni &ini) {
  Estado &g = G();
  std::string portaSerial = ini.Le("DEFAULT", "SERIAL");
  std::string baudrate = ini.Le("DEFAULT", "BAUDRATE");
  std::string debug = ini.Le("DEFAULT", "DEBUG");
  std::string noPopup = ini.Le("DEFAULT", "NO_POPUP");
  std::string libLock = ini.Le("DEFAULT", "LIB_LOCK");
  std::string correcao = ini.Le("DEFAULT", "CORRECAO");
  std::string nTent = ini.Le("DEFAULT", "N_TENT");
  std::string tmpTent = ini.Le("DEFAULT", "TMP_TENT");

  // Only these three fall back on their built-in values when empty; an empty
  // DEBUG or CORRECAO stays empty (and off).
  if (noPopup.empty()) noPopup = padrao::NO_POPUP;
  if (libLock.empty()) libLock = padrao::LIB_LOCK;
  if (baudrate.empty()) baudrate = padrao::BAUDRATE;
  {
    std::lock_guard<std::mutex> guard(g.mutex);
    g.PortaSerial = portaSerial;
    g.BAUDRATE = baudrate;
    g.DEBUG = debug;
    g.NO_POPUP = noPopup;
    g.LIB_LOCK = libLock;
    g.CORRECAO = correcao;
    g.N_TENT = nTent;
    g.TMP_TENT = tmpTent;
  }
  g.LockLigado = libLock == "true";
  g.Correcao = correcao == "true";
  g.ModoDebug = debug == "true";

  Log("Arquivo \"ini\" esta presente. Modo debug ativado");
  Log(std::string("Versao da DLL: ") + kVersao);
  Log(noPopup == "true" ? "Mensagens Popup desativadas" : "Mensagens Popup ativadas");
  Log(g.LockLigado ? "Lock das funções ativado" : "Lock das funções desativado");
  Log(g.Correcao ? "Função Correção ativada" : "Função Correção desativada");

  DefineTentativaInicial(kRegraNTent, nTent);
  DefineTentativaInicial(kRegraTmpTent, tmpTent);
}

void LeSecaoTimeout(const ArquivoIni &ini) {
  if (!ini.TemSecao("TIMEOUT")) return;
  for (int f = 0; f < kNumFuncoes; ++f) {
    const Timeout &entrada = kTimeoutsPadrao[f];
    std::string valor = ini.Le("TIMEOUT", entrada.chave);
    auto lido = LeValorTimeout(valor);
    if (!lido) continue;
    {
      std::lock_guard<std::mutex> guard(G().mutex);
      G().timeouts[f].minutos = lido->minutos;
      G().timeouts[f].segundos = lido->segundos;
    }
    Log(std::string(entrada.nome) + " redefinido para: " + valor);
  }
}

void CarregaConfiguracao() {
  CanalSerial();  // created closed, with its exception switch off
  auto ini = ArquivoIni::Abre(CaminhoIni());
  if (!ini) {
    // No settings file: built-in values everywhere, and a search for the port.
    BuscaPortaNaPartida();
    return;
  }
  LeSecaoDefault(*ini);
  LeSecaoTimeout(*ini);
  if (!Apara(LeTexto(&Estado::PortaSerial), EhBranco).empty()) {
    G().PortaFixa = true;
  } else {
    BuscaPortaNaPartida();
  }
}

std::atomic<bool> g_inicializado{false};
std::mutex g_partida;  // the first callers wait here until start-up is over

}  // namespace

void GaranteInicializacao() {
  if (g_inicializado.load()) return;
  try {
    std::lock_guard<std::mutex> guarda(g_partida);
    if (!g_inicializado.load()) Inicializa();
  } catch (...) {
    // the mutex could not be taken: the call goes on with the built-in values
  }
}

void Inicializa() {
  g_inicializado = true;
  try {
    // Re-runnable: every start-up begins from the built-in values.
    RestauraPadroes();
  } catch (...) {
  }
  // Held from the first step to the last, so no command runs before the settings are in force.
  AguardaLock();
  try {
    CarregaConfiguracao();
  } catch (...) {
    // An error ends start-up at that step; what was not read keeps its built-in value.
  }
  LiberaLock();
}

void Finaliza() {
  // The reply texts of every thread, and the settings back to their built-in
  // values, so that nothing stays on the heap once the library is gone.
  LiberaTextos();
  try {
    RestauraPadroes();
  } catch (...) {
  }
}

}  // namespace cfe

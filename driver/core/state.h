// What the library keeps once per process and shares among all its functions:
// settings with their built-in values, the time-out table and the reply deadline.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "cfedriver_funcoes.h"
#include "core/clock.h"

namespace cfe {

inline constexpr const char *kVersao = CFE_VERSION;  // "3.0.0.4", from the build

// The sixteen commands, in the order of the time-out table (cfedriver_funcoes.h).
enum Funcao : int {
#define CFE_FUNCAO(nome, ...) k##nome,
#define CFE_SEM_FUNCAO(...)
  CFE_FUNCOES(CFE_FUNCAO, CFE_SEM_FUNCAO)
#undef CFE_FUNCAO
#undef CFE_SEM_FUNCAO
  kNumFuncoes
};

struct Timeout {
  const char *chave;  // key in section TIMEOUT of sat.ini
  const char *nome;   // name in the log
  uint16_t minutos;
  uint16_t segundos;
};

// Built-in time-out table.
extern const Timeout kTimeoutsPadrao[kNumFuncoes];

// The settings' built-in values: in force without sat.ini, and where start-up
// falls back on them. A switch follows its text: only "true" turns it on.
namespace padrao {
inline constexpr const char *BAUDRATE = "921600";
inline constexpr const char *DEBUG = "false";
inline constexpr const char *NO_POPUP = "true";
inline constexpr const char *LIB_LOCK = "true";
inline constexpr const char *CORRECAO = "false";
inline constexpr int NTent = 1;    // N_TENT, attempts
inline constexpr int TmpTent = 6;  // TMP_TENT, seconds between attempts
}  // namespace padrao

struct Estado {
  // Guards the texts and the time-out table: SetDriver changes them outside the call lock.
  std::mutex mutex;
  std::string PortaSerial;
  bool PortaFixa = false;
  std::string BAUDRATE = padrao::BAUDRATE;
  std::string DEBUG = padrao::DEBUG;
  std::string NO_POPUP = padrao::NO_POPUP;
  std::string LIB_LOCK = padrao::LIB_LOCK;
  std::string CORRECAO = padrao::CORRECAO;
  std::string N_TENT = std::to_string(padrao::NTent);
  std::string TMP_TENT = std::to_string(padrao::TmpTent);
  Timeout timeouts[kNumFuncoes];

  std::atomic<bool> ModoDebug{std::string_view(padrao::DEBUG) == "true"};
  std::atomic<bool> LockLigado{std::string_view(padrao::LIB_LOCK) == "true"};  // lock switch
  std::atomic<bool> Correcao{std::string_view(padrao::CORRECAO) == "true"};    // correction switch
  std::atomic<int> NTent{padrao::NTent};
  std::atomic<int> TmpTent{padrao::TmpTent};
  std::atomic<bool> LockFlag{false};  // the call lock
  std::atomic<int64_t> PrazoResposta{0};  // reply deadline, monotonic milliseconds

  Estado();
};

// The one instance.
Estado &G();
// Back to the built-in values (library unload; tests that restart the library).
void RestauraPadroes();

// Thread-safe reads and writes of the texts.
std::string LeTexto(std::string Estado::*campo);
void GravaTexto(std::string Estado::*campo, std::string valor);
Timeout LeTimeout(Funcao f);

// ---- reply deadline ----------------------------------------------------------
void DefinePrazo(Funcao f);     // PrazoResposta := now + the command's time-out
int64_t PrazoDe(Funcao f);      // now + the command's time-out, as DefinePrazo would set it
void LimitaPrazo(int64_t ate);  // PrazoResposta no later than ate
bool PrazoPassou();             // now >= PrazoResposta
int64_t RestanteMs();           // milliseconds left until PrazoResposta (0 when passed)

}  // namespace cfe

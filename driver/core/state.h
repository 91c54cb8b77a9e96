// What the library keeps once per process and shares among all its functions:
// settings with their built-in values, the time-out table and the reply deadline.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "core/clock.h"

namespace cfe {

inline constexpr const char *kVersao = CFE_VERSION;  // "3.0.0.4", from the build

// The sixteen commands, in the order of the time-out table.
enum Funcao : int {
  kAtivarSAT,
  kComunicarCertificadoICPBRASIL,
  kEnviarDadosVenda,
  kCancelarUltimaVenda,
  kConsultarSAT,
  kTesteFimAFim,
  kConsultarStatusOperacional,
  kConsultarNumeroSessao,
  kConsultarUltimaSessaoFiscal,
  kConfigurarInterfaceDeRede,
  kAssociarAssinatura,
  kAtualizarSoftwareSAT,
  kExtrairLogs,
  kBloquearSAT,
  kDesbloquearSAT,
  kTrocarCodigoDeAtivacao,
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

struct Estado {
  // Guards the texts and the time-out table: SetDriver changes them outside the call lock.
  std::mutex mutex;
  std::string PortaSerial;
  bool PortaFixa = false;
  std::string BAUDRATE = "921600";
  std::string DEBUG = "false";
  std::string NO_POPUP = "true";
  std::string LIB_LOCK = "true";
  std::string CORRECAO = "false";
  std::string N_TENT = "1";
  std::string TMP_TENT = "6";
  Timeout timeouts[kNumFuncoes];

  std::atomic<bool> ModoDebug{false};
  std::atomic<bool> LockLigado{true};  // lock switch
  std::atomic<bool> Correcao{false};   // correction switch
  std::atomic<int> NTent{1};
  std::atomic<int> TmpTent{6};
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

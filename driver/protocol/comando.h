// The constants of the sixteen SAT functions as the device knows them.
#pragma once

#include "core/state.h"

namespace cfe {

// The constants of one SAT function.
struct Comando {
  Funcao funcao;         // entry of the time-out table
  const char *nome;      // name in the log
  const char *codigo;    // command code of the request, "01" ... "20"
  const char *ocupado;   // busy code, "04098" ...
  bool checaSessao;      // reception with the session check
};

// One per function, named after it.
extern const Comando kCmdAtivarSAT, kCmdComunicarCertificadoICPBRASIL, kCmdEnviarDadosVenda,
    kCmdCancelarUltimaVenda, kCmdConsultarSAT, kCmdTesteFimAFim, kCmdConsultarStatusOperacional,
    kCmdConsultarNumeroSessao, kCmdConfigurarInterfaceDeRede, kCmdAssociarAssinatura, kCmdAtualizarSoftwareSAT,
    kCmdExtrairLogs, kCmdBloquearSAT, kCmdDesbloquearSAT, kCmdTrocarCodigoDeAtivacao,
    kCmdConsultarUltimaSessaoFiscal;

}  // namespace cfe

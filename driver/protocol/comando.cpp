#include "protocol/comando.h"

namespace cfe {

const Comando kCmdAtivarSAT{kAtivarSAT, "AtivarSAT", "01", "04098", true};
const Comando kCmdComunicarCertificadoICPBRASIL{kComunicarCertificadoICPBRASIL, "ComunicarCertificadoICPBRASIL",
                                                "02", "05098", true};
const Comando kCmdEnviarDadosVenda{kEnviarDadosVenda, "EnviarDadosVenda", "03", "06098", true};
const Comando kCmdCancelarUltimaVenda{kCancelarUltimaVenda, "CancelarUltimaVenda", "04", "07098", true};
const Comando kCmdConsultarSAT{kConsultarSAT, "ConsultarSAT", "05", "08098", true};
const Comando kCmdTesteFimAFim{kTesteFimAFim, "TesteFimAFim", "06", "09098", true};
const Comando kCmdConsultarStatusOperacional{kConsultarStatusOperacional, "ConsultarStatusOperacional", "07",
                                             "10098", true};
const Comando kCmdConsultarNumeroSessao{kConsultarNumeroSessao, "ConsultarNumeroSessao", "08", "11098", false};
const Comando kCmdConfigurarInterfaceDeRede{kConfigurarInterfaceDeRede, "ConfigurarInterfaceDeRede", "09", "12098",
                                            true};
const Comando kCmdAssociarAssinatura{kAssociarAssinatura, "AssociarAssinatura", "10", "13098", true};
const Comando kCmdAtualizarSoftwareSAT{kAtualizarSoftwareSAT, "AtualizarSoftwareSAT", "11", "14098", true};
const Comando kCmdExtrairLogs{kExtrairLogs, "ExtrairLogs", "12", "15098", true};
const Comando kCmdBloquearSAT{kBloquearSAT, "BloquearSAT", "13", "16098", true};
const Comando kCmdDesbloquearSAT{kDesbloquearSAT, "DesbloquearSAT", "14", "17098", true};
const Comando kCmdTrocarCodigoDeAtivacao{kTrocarCodigoDeAtivacao, "TrocarCodigoDeAtivacao", "15", "18098", true};
const Comando kCmdConsultarUltimaSessaoFiscal{kConsultarUltimaSessaoFiscal, "ConsultarUltimaSessaoFiscal", "20",
                                              "19098", false};

}  // namespace cfe

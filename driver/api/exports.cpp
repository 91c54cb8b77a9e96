// Placeholder exports until the command family lands.
#include "cfedriver.h"

extern "C" {
const char *AtivarSAT(int, int, const char *, const char *, int) { return ""; }
const char *ComunicarCertificadoICPBRASIL(int, const char *, const char *) { return ""; }
const char *EnviarDadosVenda(int, const char *, const char *) { return ""; }
const char *CancelarUltimaVenda(int, const char *, const char *, const char *) { return ""; }
const char *ConsultarSAT(int) { return ""; }
const char *TesteFimAFim(int, const char *, const char *) { return ""; }
const char *ConsultarStatusOperacional(int, const char *) { return ""; }
const char *ConsultarNumeroSessao(int, const char *, int) { return ""; }
const char *ConfigurarInterfaceDeRede(int, const char *, const char *) { return ""; }
const char *AssociarAssinatura(int, const char *, const char *, const char *) { return ""; }
const char *AtualizarSoftwareSAT(int, const char *) { return ""; }
const char *ExtrairLogs(int, const char *) { return ""; }
const char *BloquearSAT(int, const char *) { return ""; }
const char *DesbloquearSAT(int, const char *) { return ""; }
const char *TrocarCodigoDeAtivacao(int, const char *, int, const char *, const char *) { return ""; }
const char *ConsultarUltimaSessaoFiscal(int, const char *) { return ""; }
const char *SetDriver(const char *, const char *) { return "OK"; }
}

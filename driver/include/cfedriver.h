/* cfedriver: the SAT-CF-e application programming interface.
 *
 * Every function returns a pointer to a zero-terminated text owned by the
 * library. Copy it at once: it stays valid until the calling thread's next call
 * of one of the sixteen SAT functions (SetDriver's reply: until that thread's
 * next SetDriver). Each thread has its own reply texts, so a call made by
 * another thread never frees or rewrites them. Never free or write through it.
 * A null text argument counts as an empty text. */
#ifndef CFEDRIVER_H
#define CFEDRIVER_H

#if defined(_WIN32) && !defined(_WIN64)
#define CFE_CALL __stdcall
#else
#define CFE_CALL
#endif

#include "cfedriver_export.h"

#ifdef __cplusplus
extern "C" {
#endif

CFE_API const char *CFE_CALL AtivarSAT(int numeroSessao, int subComando, const char *codigoDeAtivacao,
                                       const char *CNPJ, int cUF);
CFE_API const char *CFE_CALL ComunicarCertificadoICPBRASIL(int numeroSessao, const char *codigoDeAtivacao,
                                                           const char *certificado);
CFE_API const char *CFE_CALL EnviarDadosVenda(int numeroSessao, const char *codigoDeAtivacao,
                                              const char *dadosVenda);
CFE_API const char *CFE_CALL CancelarUltimaVenda(int numeroSessao, const char *codigoDeAtivacao, const char *chave,
                                                 const char *dadosCancelamento);
CFE_API const char *CFE_CALL ConsultarSAT(int numeroSessao);
CFE_API const char *CFE_CALL TesteFimAFim(int numeroSessao, const char *codigoDeAtivacao, const char *dadosVenda);
CFE_API const char *CFE_CALL ConsultarStatusOperacional(int numeroSessao, const char *codigoDeAtivacao);
CFE_API const char *CFE_CALL ConsultarNumeroSessao(int numeroSessao, const char *codigoDeAtivacao,
                                                   int cNumeroDeSessao);
CFE_API const char *CFE_CALL ConfigurarInterfaceDeRede(int numeroSessao, const char *codigoDeAtivacao,
                                                       const char *dadosConfiguracao);
CFE_API const char *CFE_CALL AssociarAssinatura(int numeroSessao, const char *codigoDeAtivacao,
                                                const char *CNPJvalue, const char *assinaturaCNPJs);
CFE_API const char *CFE_CALL AtualizarSoftwareSAT(int numeroSessao, const char *codigoDeAtivacao);
CFE_API const char *CFE_CALL ExtrairLogs(int numeroSessao, const char *codigoDeAtivacao);
CFE_API const char *CFE_CALL BloquearSAT(int numeroSessao, const char *codigoDeAtivacao);
CFE_API const char *CFE_CALL DesbloquearSAT(int numeroSessao, const char *codigoDeAtivacao);
CFE_API const char *CFE_CALL TrocarCodigoDeAtivacao(int numeroSessao, const char *codigoDeAtivacao, int opcao,
                                                    const char *novoCodigo, const char *confNovoCodigo);
CFE_API const char *CFE_CALL ConsultarUltimaSessaoFiscal(int numeroSessao, const char *codigoDeAtivacao);

/* The library's own control command: DISCOVER, SERIAL, NO_POPUP, LOCK, DEBUG,
 * N_TENT, TMP_TENT, VERSAO. */
CFE_API const char *CFE_CALL SetDriver(const char *comando, const char *valor);

#ifdef __cplusplus
}
#endif

#endif

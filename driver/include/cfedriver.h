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
#include "cfedriver_funcoes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The sixteen SAT functions and SetDriver, the library's own control command
 * (DISCOVER, SERIAL, NO_POPUP, LOCK, DEBUG, N_TENT, TMP_TENT, VERSAO); their
 * parameters are listed in cfedriver_funcoes.h. */
#define CFE_DECLARA_SAT(nome, parametros, argumentos, ordemTool, codigo, ocupado, chave, nomeTimeout, minutos, \
                        segundos, recepcao, formaOcupado)                                                  \
  CFE_API const char *CFE_CALL nome parametros;
#define CFE_DECLARA_CONTROLE(nome, parametros, argumentos, ordemTool) CFE_API const char *CFE_CALL nome parametros;
CFE_FUNCOES(CFE_DECLARA_SAT, CFE_DECLARA_CONTROLE)
#undef CFE_DECLARA_SAT
#undef CFE_DECLARA_CONTROLE

#ifdef __cplusplus
}
#endif

#endif

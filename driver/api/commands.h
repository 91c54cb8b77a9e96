// What the sixteen SAT functions have in common: session text, busy reply,
// return code, the call lock around a call, and the reply text handed back.
#pragma once

#include <string>
#include <string_view>

#include "api/state.h"

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

// At least six digits with leading zeros; negative numbers keep their sign: -000042.
std::string TextoSessao(long long sessao);
// A null text argument is an empty text.
std::string Texto(const char *p);
// session + "|" + busy code + "|" + "SAT em processamento. Tente novamente." + "||";
// comExtra puts "0000|" before the message (sale and cancellation).
std::string RespostaOcupado(const Comando &c, int sessao, bool comExtra = false);
// The up to five bytes after the first "|" (empty when there is none).
std::string CodigoRetorno(std::string_view resposta);

// One exchange: deadline, request, reply. The reply is a zero-terminated text,
// so it is cut at its first zero byte; empty when nothing usable came.
std::string Troca(const Comando &c, const std::string &requisicao, int sessao);
// A received text as the caller sees it: up to its first zero byte.
std::string TextoC(std::string recebido);

// Holds the call lock for one call: waits for it when the lock switch is on,
// and always frees it at the end, also when the call fails.
class ChamadaTravada {
 public:
  ChamadaTravada();
  ~ChamadaTravada();
  ChamadaTravada(const ChamadaTravada &) = delete;
  ChamadaTravada &operator=(const ChamadaTravada &) = delete;
};

// The calling thread's reply buffer (RespostaSat): one per thread, so a text
// handed to one thread is never freed or rewritten by another thread's call.
std::string &RespostaSat();
const char *DevolveResposta(std::string texto);
const char *DevolveOcupado(const Comando &c, int sessao, bool comExtra);

// Runs a SAT function's body and hands its text back through the calling
// thread's reply buffer. Nothing escapes: any failure becomes the busy reply.
template <typename Corpo>
const char *Responde(const Comando &c, int sessao, bool comExtra, Corpo &&corpo) {
  try {
    return DevolveResposta(corpo());
  } catch (...) {
    return DevolveOcupado(c, sessao, comExtra);
  }
}

}  // namespace cfe

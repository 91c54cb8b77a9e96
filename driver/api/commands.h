// What the sixteen SAT functions have in common: session text, busy reply,
// return code, the call lock around a call, and the reply text handed back.
#pragma once

#include <string>
#include <string_view>

#include "core/state.h"
#include "api/textos.h"

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

// A successful cancellation reply (code 07000) of exactly eleven fields gains the
// empty field the device leaves out, before its last field; any other reply stays
// as it is. CancelarUltimaVenda and the two session look-ups, which hand back the
// same stored reply, all apply it.
std::string EditaRespostaCancelamento(const std::string &resposta);

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

// Hands a SAT function's text back through the calling thread's reply text
// (RespostaSat, api/textos.h); inicio is the call's number from InicioDeChamada.
const char *DevolveResposta(uint64_t inicio, std::string texto);
const char *DevolveOcupado(uint64_t inicio, const Comando &c, int sessao, bool comExtra);

// Runs a SAT function's body and hands its text back. Nothing escapes: any
// failure becomes the busy reply.
template <typename Corpo>
const char *Responde(const Comando &c, int sessao, bool comExtra, Corpo &&corpo) {
  const uint64_t inicio = InicioDeChamada();
  try {
    return DevolveResposta(inicio, corpo());
  } catch (...) {
    return DevolveOcupado(inicio, c, sessao, comExtra);
  }
}

}  // namespace cfe

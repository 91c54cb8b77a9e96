// EnviarDadosVenda and CancelarUltimaVenda run their exchanges as attempts, so
// that a coupon whose reply was lost is neither lost nor issued twice.
// Each attempt is in one state, chosen at its start:
//   Primeira     the first transmission (n = 1);
//   Atualizacao  n >= 2 while the last transmission was answered with the busy
//                code: the device issued nothing, so it is sent again at once;
//   Consulta     n >= 2 otherwise: ask the device about the session first, and
//                go on to Reenvio only when it holds no coupon for it.
// A transmission that got no reply may have been issued, so it always leads to a
// Consulta; so does a session query answered busy. Retransmitting after either
// would let the device issue a second coupon for the same sale.
// When the attempts run out while that is still open (ConsultaFinal), the device
// is asked about the session before the call returns: the busy reply tells the
// till to send the sale again, which is safe only when the device holds none.
#include "api/recovery.h"

#include <cctype>
#include <optional>
#include <vector>

#include "api/commands.h"
#include "api/corpos.h"
#include "api/corrige.h"
#include "protocol/tentativas.h"
#include "core/log.h"
#include "link/connection.h"
#include "platform/platform.h"

namespace cfe {

namespace {

// The kinds of transmission of the coupon itself.
enum class Envio { Primeira, Atualizacao, Reenvio };

// What an attempt or a step of it may write to the log.
enum class Passo {
  Inicio,      // transmission about to go out (E1, U1, R1 / C1, U1, R1)
  Ausente,     // the device could not be reached
  SemResposta,
  Resposta,
  Codigo,
  Ocupado,     // the reply carried the busy code
};
enum class PassoConsulta { Inicio, Ausente, SemResposta, Resposta, Codigo, Ocupado, Cabeca, Gerado, Invalida };

struct Recuperacao;
// A log line's text, or empty for no line.
using LinhaEnvio = std::string (*)(const Recuperacao &, Envio, Passo, int n, const std::string &arg);
using LinhaConsulta = std::string (*)(const Recuperacao &, PassoConsulta, int n, const std::string &arg);

// What differs between a sale and a cancellation.
struct Recuperacao {
  const Comando &cmd;
  int sessao;
  std::string S;
  // S|code|... as the log shows the transmission: camposCabeca + camposDados. The
  // last field (the sale's or the cancellation's data) stays the caller's text, so
  // that a log line of megabytes is made only when the log is on.
  std::string camposCabeca;
  std::string_view camposDados;
  std::string transmissao;     // the request text
  std::string consulta;        // "|08|" + S + "|" + code + "|" + S
  std::string consultaCampos;  // S|code|S, as the log shows the query
  std::string ocupado;         // busy reply
  std::string cabecaEsperada;  // S + "|06" or S + "|07"
  bool prazoAposEnvio;         // the sale's first transmission sets the deadline again after sending
  std::string (*edita)(const std::string &);
  LinhaEnvio linhaEnvio;
  LinhaConsulta linhaConsulta;
};

// How an attempt ended.
enum class Desfecho {
  Fim,        // the result is final
  Proxima,    // next attempt; the device may hold the coupon, so it will be asked
  Atualizar,  // next attempt; the device answered busy and issued nothing
  Mantem,     // next attempt; nothing went out, so the choice stays as it was
};

// What lives for one call.
struct Tentativas {
  int n = 1;
  bool ocupado = false;                  // the last transmission was answered with the busy code
  std::optional<std::string> resultado;  // unset until an attempt sets it
  std::string ultimaOcupada;             // last device reply that carried the busy code
  // A transmission went out and neither its reply nor an answer of the device
  // about the session has come back since: the coupon may have been issued.
  bool incerto = false;
};

std::string Num(int n) { return std::to_string(n); }

std::string CamposNoLog(const Recuperacao &r) {
  std::string campos;
  campos.reserve(r.camposCabeca.size() + r.camposDados.size());
  campos += r.camposCabeca;
  campos += r.camposDados;
  return campos;
}

void Escreve(const std::string &linha) {
  if (!linha.empty()) GravaLog(linha);
}

void LogEnvio(const Recuperacao &r, Envio e, Passo p, int n, const std::string &arg = "") {
  if (G().ModoDebug) Escreve(r.linhaEnvio(r, e, p, n, arg));
}

void LogConsulta(const Recuperacao &r, PassoConsulta p, int n, const std::string &arg = "") {
  if (G().ModoDebug) Escreve(r.linhaConsulta(r, p, n, arg));
}

// A coupon reply of the session after stray bytes (line noise, the tail of an
// earlier frame) is still that reply: the bytes before its head are dropped and
// logged. A head right after a digit is part of a longer session number.
void DescartaAntesDaCabeca(const Recuperacao &r, std::string &resposta) {
  if (resposta.rfind(r.cabecaEsperada, 0) == 0) return;
  size_t p = resposta.find(r.cabecaEsperada);
  while (p != std::string::npos && (isdigit(static_cast<unsigned char>(resposta[p - 1])) || resposta[p - 1] == '-'))
    p = resposta.find(r.cabecaEsperada, p + 1);
  if (p == std::string::npos) return;
  if (G().ModoDebug) GravaLog("(*)Bytes descartados antes da resposta da sessao " + r.S + ": " + resposta.substr(0, p));
  resposta.erase(0, p);
}

// One transmission of the coupon over a connected link; the reply, or empty.
std::string Transmite(const Recuperacao &r, Tentativas &t, Envio e) {
  DefinePrazo(r.cmd.funcao);
  if (e != Envio::Primeira) LogEnvio(r, e, Passo::Inicio, t.n);
  t.incerto = true;
  if (!EnviaParaSat(r.transmissao)) return "";
  if (e == Envio::Primeira && r.prazoAposEnvio) DefinePrazo(r.cmd.funcao);
  return TextoC(RecebeDoSat(r.sessao));
}

// Evaluates a transmission's reply.
Desfecho AvaliaEnvio(const Recuperacao &r, Tentativas &t, Envio e, std::string resposta) {
  DescartaAntesDaCabeca(r, resposta);
  // Only a coupon reply of this session (S|06 / S|07) answers the transmission. What
  // else gets through the reception (the tail of an earlier reply, whose head is no
  // number; a late reply to this session's query) says nothing of this coupon, which
  // the device may have issued: it counts as no reply, so the next attempt asks.
  if (resposta.rfind(r.cabecaEsperada, 0) != 0) resposta.clear();
  if (resposta.empty()) {
    LogEnvio(r, e, Passo::SemResposta, t.n);
    t.resultado = r.ocupado;
    return Desfecho::Proxima;
  }
  t.incerto = false;  // answered: issued, refused, or busy (nothing issued)
  const std::string codigo = CodigoRetorno(resposta);
  LogEnvio(r, e, Passo::Resposta, t.n, resposta);
  LogEnvio(r, e, Passo::Codigo, t.n, codigo);
  if (codigo != r.cmd.ocupado) {
    t.resultado = r.edita(resposta);
    return Desfecho::Fim;
  }
  LogEnvio(r, e, Passo::Ocupado, t.n);
  t.ultimaOcupada = std::move(resposta);
  return Desfecho::Atualizar;
}

Desfecho Primeira(const Recuperacao &r, Tentativas &t) {
  LogEnvio(r, Envio::Primeira, Passo::Inicio, t.n);
  if (VerificaConexao()) {
    LogEnvio(r, Envio::Primeira, Passo::Ausente, t.n);
    t.resultado = r.ocupado;
    return Desfecho::Mantem;
  }
  return AvaliaEnvio(r, t, Envio::Primeira, Transmite(r, t, Envio::Primeira));
}

// Asks the device whether the session already produced its coupon.
Desfecho Consulta(const Recuperacao &r, Tentativas &t) {
  std::string resposta = Troca(kCmdConsultarNumeroSessao, r.consulta, r.sessao);
  if (resposta.empty()) {
    LogConsulta(r, PassoConsulta::SemResposta, t.n);
    t.resultado = r.ocupado;
    return Desfecho::Proxima;
  }
  DescartaAntesDaCabeca(r, resposta);
  const std::string codigo = CodigoRetorno(resposta);
  LogConsulta(r, PassoConsulta::Resposta, t.n, resposta);
  LogConsulta(r, PassoConsulta::Codigo, t.n, codigo);
  if (codigo == kCmdConsultarNumeroSessao.ocupado) {
    LogConsulta(r, PassoConsulta::Ocupado, t.n);
    return Desfecho::Proxima;  // the query says nothing of the coupon: ask again
  }
  const std::string cabeca = resposta.substr(0, 9);
  LogConsulta(r, PassoConsulta::Cabeca, t.n, cabeca);
  if (cabeca == r.cabecaEsperada) {
    LogConsulta(r, PassoConsulta::Gerado, t.n, Num(r.sessao));
    t.resultado = r.edita(resposta);
    return Desfecho::Fim;
  }
  if (SessaoDaCabeca(cabeca) != r.S) {
    LogConsulta(r, PassoConsulta::Invalida, t.n, std::string(SessaoDaCabeca(cabeca)));
    return Desfecho::Proxima;
  }
  // The device holds no coupon for the session: send it again in this attempt.
  t.incerto = false;
  return AvaliaEnvio(r, t, Envio::Reenvio, Transmite(r, t, Envio::Reenvio));
}

Desfecho Tentativa(const Recuperacao &r, Tentativas &t) {
  if (t.n == 1) return Primeira(r, t);
  LogConsulta(r, PassoConsulta::Inicio, t.n);
  if (VerificaConexao()) {
    LogConsulta(r, PassoConsulta::Ausente, t.n);
    t.resultado = r.ocupado;
    return Desfecho::Mantem;
  }
  if (t.ocupado) return AvaliaEnvio(r, t, Envio::Atualizacao, Transmite(r, t, Envio::Atualizacao));
  return Consulta(r, t);
}

void LogFinal(const std::string &linha) {
  if (G().ModoDebug) GravaLog(linha);
}

// After the last attempt, with the coupon's fate unknown: asks the device about
// the session, one query every TMP_TENT seconds, for at most the function's own
// time-out. The stored coupon reply when the device holds one; the busy reply
// when it holds none (sending again is then safe) and when it never gave an
// answer about the session, the one case in which the fate stays unknown.
std::string ConsultaFinal(const Recuperacao &r, const char *nome) {
  LogFinal(std::string("(*)") + nome + ": destino do cupom incerto; consulta final da sessao " + r.S);
  const int64_t fim = PrazoDe(r.cmd.funcao);
  for (bool primeira = true;; primeira = false) {
    const int64_t pausa = int64_t(G().TmpTent) * 1000;
    if (!primeira) {
      if (AgoraMs() + EscalaMs(pausa) >= fim) break;
      Pausa(pausa);
    }
    LogFinal("(*)ConsultarNumeroSessao(final): " + r.consultaCampos);
    if (VerificaConexao()) continue;
    DefinePrazo(kConsultarNumeroSessao);
    LimitaPrazo(fim);
    EnviaParaSat(r.consulta);
    std::string resposta = TextoC(RecebeDoSat());
    if (resposta.empty()) continue;
    DescartaAntesDaCabeca(r, resposta);
    LogFinal(std::string("(*)Retorno de ") + nome + "|ConsultarNumeroSessao(final): " + resposta);
    if (CodigoRetorno(resposta) == kCmdConsultarNumeroSessao.ocupado) continue;
    const std::string cabeca = resposta.substr(0, 9);
    if (cabeca == r.cabecaEsperada) {
      LogConsulta(r, PassoConsulta::Gerado, 0, Num(r.sessao));
      return r.edita(resposta);
    }
    if (SessaoDaCabeca(cabeca) == r.S) {
      LogFinal(std::string("(*)") + nome + ": SAT nao tem cupom da sessao " + r.S + "; reenvio seguro");
      return r.ocupado;
    }
    // Another session's reply says nothing of this one: ask again.
  }
  LogFinal(std::string("(*)") + nome + ": SAT nao respondeu; destino do cupom da sessao " + r.S + " desconhecido");
  return r.ocupado;
}

// Runs the attempts while n <= N_TENT, pausing TMP_TENT seconds between two.
// Returns the call's answer: its result, or, when every attempt ended on a busy
// device reply, the last such reply.
std::string Executa(const Recuperacao &r, const char *nome) {
  Tentativas t;
  const FimDasTentativas fim = RepeteTentativas([&](int n) {
    t.n = n;
    Desfecho d = Tentativa(r, t);
    if (d == Desfecho::Fim) return true;
    if (d != Desfecho::Mantem) t.ocupado = d == Desfecho::Atualizar;
    return false;
  });
  t.n = fim.n;
  // Unlike the queries, a coupon that may have been issued is not left open.
  if (!fim.final_ && t.incerto) t.resultado = ConsultaFinal(r, nome);
  const std::string resultado = RespostaDasTentativas(t.resultado, t.ultimaOcupada, r.ocupado);
  if (G().ModoDebug) GravaLog(std::string("Resposta de ") + nome + "[" + Num(t.n) + "]: " + resultado);
  return resultado;
}

std::string SemEdicao(const std::string &resposta) { return resposta; }

// ---- log lines of the sale ----------------------------------------------------------
// Some texts keep spellings ("Retransmisssao", "EnviarDadosVendas", the "}" after
// a number) that tools and people reading existing logs search for: leave them.

std::string LinhaEnvioVenda(const Recuperacao &r, Envio e, Passo p, int n, const std::string &arg) {
  const std::string N = Num(n);
  switch (e) {
    case Envio::Primeira:
      switch (p) {
        case Passo::Inicio: return "EnviarDadosVenda[" + N + "]: " + CamposNoLog(r);
        case Passo::Ausente: return "(***)EnviarDadosVendas -> Tentativa: " + N + " falhou";
        case Passo::SemResposta: return "(**)EnviarDadosVendas -> Tentativa: " + N + " falhou";
        case Passo::Resposta: return "(*)Retorno de EnviarDadosVenda[" + N + "]: " + arg;
        case Passo::Codigo: return "EnviarDadosVenda[" + N + "] -> CodRet: " + arg;
        case Passo::Ocupado: return "EnviarDadosVendas[" + N + "}: possivel processo de atualizacao";
      }
      break;
    case Envio::Atualizacao:
      switch (p) {
        case Passo::Inicio: return "Retransmisssao(atualiz.) -> EnviarDadosVenda[" + N + "]: " + CamposNoLog(r);
        case Passo::Ausente: return "";
        case Passo::SemResposta: return "(**)Retransmissão EnviarDadosVenda(atualiz.) -> Tentativa: " + N + " falhou";
        case Passo::Resposta: return "(*)Retorno de Retransmissão EnviarDadosVenda(atualiz.)[" + N + "]: " + arg;
        case Passo::Codigo: return "EnviarDadosVenda(atualiz.)[" + N + "] -> CodRet: " + arg;
        case Passo::Ocupado: return "EnviarDadosVendas(atualiz.)[" + N + "]: possivel processo de atualizacao";
      }
      break;
    case Envio::Reenvio:
      switch (p) {
        case Passo::Inicio: return "(*)Retransmisssao -> EnviarDadosVenda[" + N + "]: " + CamposNoLog(r);
        case Passo::Ausente: return "";
        case Passo::SemResposta: return "(**)Retransmissão EnviarDadosVenda -> Tentativa: " + N + " falhou";
        case Passo::Resposta: return "(*)Retorno de Retransmissão EnviarDadosVenda[" + N + "]: " + arg;
        case Passo::Codigo: return "EnviarDadosVenda[" + N + "] -> CodRet: " + arg;
        case Passo::Ocupado: return "EnviarDadosVenda[" + N + "]: possivel processo de atualizacao";
      }
      break;
  }
  return "";
}

std::string LinhaConsultaVenda(const Recuperacao &r, PassoConsulta p, int n, const std::string &arg) {
  const std::string N = Num(n);
  switch (p) {
    case PassoConsulta::Inicio: return "(*)ConsultarNumeroSessao[" + N + "]: " + r.consultaCampos;
    case PassoConsulta::Ausente: return "(**)EnviarDadosVendas|ConsultarNumeroSessao -> Tentativa: " + N + " falhou";
    case PassoConsulta::SemResposta:
      return "(**)EnviarDadosVenda|ConsultarNumeroSessao -> Tentativa: " + N + " falhou";
    case PassoConsulta::Resposta: return "(*)Retorno de EnviarDadosVenda|ConsultarNumeroSessao[" + N + "]: " + arg;
    case PassoConsulta::Codigo: return "(*)ConsultarNumeroSessao -> CodRet: " + arg;
    case PassoConsulta::Ocupado: return "(*)ConsultarNumeroSessao: possivel processo de atualizacao";
    case PassoConsulta::Cabeca:
      return "(*)ConsultarNumeroSessao -> Sessao: " + arg + " ( Esperado: " + r.cabecaEsperada + " )";
    case PassoConsulta::Gerado: return "Cupom ja foi gerado. Sessao: " + arg;
    case PassoConsulta::Invalida: return "(*)ConsultarNumeroSessao[" + N + "]: dados invalidos (" + arg + "|" + r.S + ")";
  }
  return "";
}

// ---- log lines of the cancellation: no line for an absent device or a missing reply ----

std::string LinhaEnvioCancelamento(const Recuperacao &r, Envio e, Passo p, int n, const std::string &arg) {
  const std::string N = Num(n);
  switch (p) {
    case Passo::Inicio:
      if (e == Envio::Primeira) return "CancelarUltimaVenda[" + N + "]: " + CamposNoLog(r);
      if (e == Envio::Atualizacao) return "Retransmissao(atualiz.) -> CancelarUltimaVenda[" + N + "]: " + CamposNoLog(r);
      return "Retransmissao -> CancelarUltimaVenda[" + N + "]: " + CamposNoLog(r);
    case Passo::Codigo: return "CancelarUltimaVenda -> CodRet: " + arg;
    case Passo::Ocupado: return "CancelarUltimaVenda: possivel processo de atualizacao";
    case Passo::Ausente:
    case Passo::SemResposta:
    case Passo::Resposta: return "";
  }
  return "";
}

std::string LinhaConsultaCancelamento(const Recuperacao &r, PassoConsulta p, int n, const std::string &arg) {
  switch (p) {
    case PassoConsulta::Inicio: return "(*)ConsultarNumeroSessao[" + Num(n) + "]: " + r.consultaCampos;
    case PassoConsulta::Codigo: return "(*)ConsultarNumeroSessao -> CodRet: " + arg;
    case PassoConsulta::Ocupado: return "(*)ConsultarNumeroSessao: possivel processo de atualizacao";
    case PassoConsulta::Cabeca: return "(*)ConsultarNumeroSessao -> ChrSessao: " + arg;
    case PassoConsulta::Gerado: return "Cupom de cancelamento ja foi gerado. Sessao: " + arg;
    case PassoConsulta::Invalida: return "(*)ConsultarNumeroSessao(Canc)[" + Num(n) + "]: dados invalidos.";
    case PassoConsulta::Ausente:
    case PassoConsulta::SemResposta:
    case PassoConsulta::Resposta: return "";
  }
  return "";
}

// The constants of one of the two functions.
struct Perfil {
  const Comando &cmd;
  const char *prefixo;  // return-code prefix of its coupons, "06" or "07"
  bool prazoAposEnvio;
  std::string (*edita)(const std::string &);
  LinhaEnvio linhaEnvio;
  LinhaConsulta linhaConsulta;
};

// camposCabeca + camposDados: the fields after the session as the log shows them
// (camposDados, the caller's last field, is not copied); enviados: the request's
// fields after the session.
Recuperacao Prepara(const Perfil &p, int sessao, const std::string &codigo, const std::string &camposCabeca,
                    std::string_view camposDados, const std::vector<std::string_view> &enviados) {
  const std::string S = TextoSessao(sessao);
  const std::string consultaCampos = S + "|" + codigo + "|" + S;
  return Recuperacao{p.cmd,
                     sessao,
                     S,
                     S + "|" + camposCabeca,
                     camposDados,
                     Requisicao(p.cmd, S, enviados),
                     Requisicao(kCmdConsultarNumeroSessao, S, {codigo, S}),
                     consultaCampos,
                     RespostaOcupado(p.cmd, sessao),
                     S + "|" + p.prefixo,
                     p.prazoAposEnvio,
                     p.edita,
                     p.linhaEnvio,
                     p.linhaConsulta};
}

const Perfil kVenda{kCmdEnviarDadosVenda, "06", true, SemEdicao, LinhaEnvioVenda, LinhaConsultaVenda};
const Perfil kCancelamento{kCmdCancelarUltimaVenda, "07", false, EditaRespostaCancelamento, LinhaEnvioCancelamento,
                           LinhaConsultaCancelamento};

}  // namespace

namespace {

// The sale text as it is sent: with its character references rewritten when the
// correction is on. Nothing when it goes as it came, so that it is not copied.
std::optional<std::string> DadosCorrigidos(std::string_view dadosVenda) {
  if (!G().Correcao) return std::nullopt;
  std::string corrigidos(dadosVenda);
  CorrigeEntidades(corrigidos);
  // The debug copy is best effort: a copy that cannot be written changes nothing else.
  if (G().ModoDebug) platform::WriteWholeFile(CaminhoCopia(), corrigidos + "\r\n");
  return corrigidos;
}

}  // namespace

std::string EnviaVenda(int sessao, const std::string &codigoDeAtivacao, std::string_view dadosVenda) {
  ChamadaTravada trava;
  // The request is the call's own text: two sales running at once with the lock
  // off never write into each other's.
  const std::optional<std::string> corrigidos = DadosCorrigidos(dadosVenda);
  Recuperacao r = Prepara(kVenda, sessao, codigoDeAtivacao, codigoDeAtivacao + "|", dadosVenda,
                          {codigoDeAtivacao, corrigidos ? std::string_view(*corrigidos) : dadosVenda});
  return Executa(r, "EnviarDadosVenda");
}

std::string CancelaVenda(int sessao, const std::string &codigoDeAtivacao, const std::string &chave,
                         const std::string &dadosCancelamento) {
  ChamadaTravada trava;
  Recuperacao r = Prepara(kCancelamento, sessao, codigoDeAtivacao, codigoDeAtivacao + "|" + chave + "|",
                          dadosCancelamento, {codigoDeAtivacao, chave, dadosCancelamento});
  return Executa(r, "CancelarUltimaVenda");
}

// ---- the bodies of the exports (api/exports.cpp) ------------------------------------

namespace corpo {

std::string EnviarDadosVenda(int numeroSessao, const char *codigoDeAtivacao, const char *dadosVenda) {
  return EnviaVenda(numeroSessao, Texto(codigoDeAtivacao), Vista(dadosVenda));
}

std::string CancelarUltimaVenda(int numeroSessao, const char *codigoDeAtivacao, const char *chave,
                                const char *dadosCancelamento) {
  return CancelaVenda(numeroSessao, Texto(codigoDeAtivacao), Texto(chave), Texto(dadosCancelamento));
}

}  // namespace corpo

}  // namespace cfe

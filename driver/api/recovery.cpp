// EnviarDadosVenda and CancelarUltimaVenda run their exchanges as attempts.
// Each attempt is in one state, chosen at its start:
//   Primeira       the first transmission (n = 1);
//   Atualizacao    n >= 2 after a busy answer: retransmit without asking;
//   Consulta       n >= 2 otherwise: ask the device about the session first,
//                  and go on to Retransmissao only when it holds no coupon for it.
// Only the first transmission is in place so far; the loop below stops where
// the later states will go.
#include "api/recovery.h"

#include <optional>
#include <vector>

#include "api/commands.h"
#include "api/log.h"
#include "cfedriver.h"
#include "link/connection.h"

namespace cfe {

namespace {

enum class EstadoTentativa { Primeira, Atualizacao, Consulta };

// How an attempt ended.
enum class Desfecho {
  Fim,             // the result is final
  Proxima,         // next attempt
  ProximaOcupado,  // next attempt, and the device said it is busy
};

// What lives for one call.
struct Tentativas {
  int n = 1;
  bool ocupado = false;                  // once set, stays set for the call
  std::optional<std::string> resultado;  // unset until an attempt sets it
  std::string ultimaOcupada;             // last device reply that carried the busy code
};

EstadoTentativa Escolhe(const Tentativas &t) {
  if (t.n == 1) return EstadoTentativa::Primeira;
  return t.ocupado ? EstadoTentativa::Atualizacao : EstadoTentativa::Consulta;
}

// Runs the attempts while n <= N_TENT, with the pause between two attempts.
template <typename Tentativa>
void Executa(Tentativas &t, Tentativa &&tentativa) {
  while (t.n <= G().NTent) {
    EstadoTentativa estado = Escolhe(t);
    if (estado != EstadoTentativa::Primeira) break;  // later states: not yet in place
    if (t.n > 1) Pausa(int64_t(G().TmpTent) * 1000);
    Desfecho d = tentativa(estado);
    if (d == Desfecho::Fim) return;
    if (d == Desfecho::ProximaOcupado) t.ocupado = true;
    ++t.n;
  }
}

// The call's answer: its result, or, when every attempt ended on a busy device
// reply, the last such reply; the busy reply when neither exists.
std::string Final(const Tentativas &t, const std::string &ocupado) {
  if (t.resultado) return *t.resultado;
  return t.ultimaOcupada.empty() ? ocupado : t.ultimaOcupada;
}

std::string Num(int n) { return std::to_string(n); }

// ---- sale --------------------------------------------------------------------------

struct Venda {
  int sessao;
  std::string S;
  const std::string &codigo;
  const std::string &dadosOriginais;  // the caller's text, shown in the log
  std::string dadosVenda;             // what is sent (DadosVenda)
  std::string ocupado;                // busy reply
};

std::string RequisicaoVenda(const Venda &v) {
  std::string r;
  r.reserve(v.S.size() + v.codigo.size() + v.dadosVenda.size() + 8);
  r += "|03|";
  r += v.S;
  r += '|';
  r += v.codigo;
  r += '|';
  r += v.dadosVenda;
  return r;
}

Desfecho PrimeiraVenda(Venda &v, Tentativas &t) {
  const std::string n = Num(t.n);
  if (G().ModoDebug) GravaLog("EnviarDadosVenda[" + n + "]: " + v.S + "|" + v.codigo + "|" + v.dadosOriginais);
  if (VerificaConexao()) {
    Log("(***)EnviarDadosVendas -> Tentativa: " + n + " falhou");
    t.resultado = v.ocupado;
    return Desfecho::Proxima;
  }
  DefinePrazo(kEnviarDadosVenda);
  std::string resposta;
  if (EnviaParaSat(RequisicaoVenda(v))) {
    // The send itself may take long for a big sale: the wait for the reply starts now.
    DefinePrazo(kEnviarDadosVenda);
    resposta = TextoC(RecebeDoSat(v.sessao));
  }
  if (resposta.empty()) {
    Log("(**)EnviarDadosVendas -> Tentativa: " + n + " falhou");
    t.resultado = v.ocupado;
    return Desfecho::Proxima;
  }
  std::string codigo = CodigoRetorno(resposta);
  if (G().ModoDebug) {
    GravaLog("(*)Retorno de EnviarDadosVenda[" + n + "]: " + resposta);
    GravaLog("EnviarDadosVenda[" + n + "] -> CodRet: " + codigo);
  }
  if (codigo != kCmdEnviarDadosVenda.ocupado) {
    t.resultado = std::move(resposta);
    return Desfecho::Fim;
  }
  Log("EnviarDadosVendas[" + n + "}: possivel processo de atualizacao");
  t.ultimaOcupada = std::move(resposta);
  return Desfecho::ProximaOcupado;
}

// ---- cancellation -------------------------------------------------------------------

struct Cancelamento {
  int sessao;
  std::string S;
  std::string requisicao;
  std::string campos;   // S|code|key|data, as the log shows it
  std::string ocupado;  // busy reply
};

Desfecho PrimeiroCancelamento(Cancelamento &c, Tentativas &t) {
  const std::string n = Num(t.n);
  if (G().ModoDebug) GravaLog("CancelarUltimaVenda[" + n + "]: " + c.campos);
  if (VerificaConexao()) {
    t.resultado = c.ocupado;
    return Desfecho::Proxima;
  }
  std::string resposta = Troca(kCmdCancelarUltimaVenda, c.requisicao, c.sessao);
  if (resposta.empty()) {
    t.resultado = c.ocupado;
    return Desfecho::Proxima;
  }
  std::string codigo = CodigoRetorno(resposta);
  Log("CancelarUltimaVenda -> CodRet: " + codigo);
  if (codigo != kCmdCancelarUltimaVenda.ocupado) {
    t.resultado = EditaRespostaCancelamento(resposta);
    return Desfecho::Fim;
  }
  Log("CancelarUltimaVenda: possivel processo de atualizacao");
  t.ultimaOcupada = std::move(resposta);
  return Desfecho::ProximaOcupado;
}

// Lines of a text with "|" as a further break; a break at the very end adds no line.
std::vector<std::string> Linhas(const std::string &texto) {
  std::vector<std::string> linhas;
  std::string atual;
  for (size_t i = 0; i < texto.size(); ++i) {
    char ch = texto[i];
    if (ch == '|' || ch == '\n' || ch == '\r') {
      if (ch == '\r' && i + 1 < texto.size() && texto[i + 1] == '\n') ++i;
      linhas.push_back(std::move(atual));
      atual.clear();
    } else {
      atual += ch;
    }
  }
  if (!atual.empty()) linhas.push_back(std::move(atual));
  return linhas;
}

}  // namespace

std::string EditaRespostaCancelamento(const std::string &resposta) {
  try {
    std::vector<std::string> linhas = Linhas(resposta);
    if (linhas.size() != 11 || linhas[1] != "07000") return resposta;
    std::string editada;
    for (size_t i = 0; i < 10; ++i) editada += linhas[i] + "|";
    editada += "|" + linhas[10];
    return editada;
  } catch (...) {
    return resposta;  // a failed edit leaves the reply as it was
  }
}

std::string EnviaVenda(int sessao, const std::string &codigoDeAtivacao, const std::string &dadosVenda) {
  ChamadaTravada trava;
  // The sale copy belongs to the call: two sales running at once with the lock
  // off must not write into each other's text.
  Venda v{sessao, TextoSessao(sessao), codigoDeAtivacao, dadosVenda, dadosVenda,
          RespostaOcupado(kCmdEnviarDadosVenda, sessao, true)};
  Tentativas t;
  Executa(t, [&](EstadoTentativa) { return PrimeiraVenda(v, t); });
  std::string resultado = Final(t, v.ocupado);
  if (G().ModoDebug) GravaLog("Resposta de EnviarDadosVenda[" + Num(t.n) + "]: " + resultado);
  return resultado;
}

std::string CancelaVenda(int sessao, const std::string &codigoDeAtivacao, const std::string &chave,
                         const std::string &dadosCancelamento) {
  ChamadaTravada trava;
  Cancelamento c{sessao, TextoSessao(sessao), "", "", RespostaOcupado(kCmdCancelarUltimaVenda, sessao, true)};
  c.campos = c.S + "|" + codigoDeAtivacao + "|" + chave + "|" + dadosCancelamento;
  c.requisicao = "|04|" + c.campos;
  Tentativas t;
  Executa(t, [&](EstadoTentativa) { return PrimeiroCancelamento(c, t); });
  std::string resultado = Final(t, c.ocupado);
  if (G().ModoDebug) GravaLog("Resposta de CancelarUltimaVenda[" + Num(t.n) + "]: " + resultado);
  return resultado;
}

}  // namespace cfe

using namespace cfe;

extern "C" {

const char *EnviarDadosVenda(int numeroSessao, const char *codigoDeAtivacao, const char *dadosVenda) {
  return Responde(kCmdEnviarDadosVenda, numeroSessao, true,
                  [&] { return EnviaVenda(numeroSessao, Texto(codigoDeAtivacao), Texto(dadosVenda)); });
}

const char *CancelarUltimaVenda(int numeroSessao, const char *codigoDeAtivacao, const char *chave,
                                const char *dadosCancelamento) {
  return Responde(kCmdCancelarUltimaVenda, numeroSessao, true, [&] {
    return CancelaVenda(numeroSessao, Texto(codigoDeAtivacao), Texto(chave), Texto(dadosCancelamento));
  });
}

}  // extern "C"

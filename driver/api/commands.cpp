// The sixteen SAT functions: one request text per call, one exchange (or a few,
// for the queries that repeat while the device is busy), one reply text.
#include "api/commands.h"

#include <cstdlib>
#include <optional>
#include <vector>

#include "api/corpos.h"
#include "core/lock.h"
#include "protocol/tentativas.h"
#include "core/log.h"
#include "link/connection.h"

namespace cfe {

// ---- shared pieces ----------------------------------------------------------------

std::string Texto(const char *p) { return std::string(Vista(p)); }

std::string_view Vista(const char *p) { return p ? std::string_view(p) : std::string_view(); }

ChamadaTravada::ChamadaTravada() { EntraLock(); }
ChamadaTravada::~ChamadaTravada() { LiberaLock(); }

namespace {

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


namespace {

// What the call line does when the device cannot be reached.
enum class SemDispositivo { Nada, RepeteLinha };

// A function that does not repeat. camposNoLog: how many fields the call line shows.
std::string Simples(const Comando &c, int sessao, const std::vector<std::string_view> &campos,
                    size_t camposNoLog, SemDispositivo semDispositivo = SemDispositivo::Nada) {
  ChamadaTravada trava;
  const std::string S = TextoSessao(sessao);
  std::string linha;
  if (G().ModoDebug) {
    linha = std::string(c.nome) + ": " + Campos(S, campos, camposNoLog);
    GravaLog(linha);
  }
  std::string resultado;
  if (VerificaConexao()) {
    if (semDispositivo == SemDispositivo::RepeteLinha && G().ModoDebug) {
      if (linha.empty()) linha = std::string(c.nome) + ": " + Campos(S, campos, camposNoLog);
      GravaLog(linha);
    }
  } else {
    resultado = Troca(c, Requisicao(c, S, campos), sessao);
  }
  // A busy code in the device's reply is returned like any other reply.
  if (resultado.empty()) resultado = RespostaOcupado(c, sessao);
  if (G().ModoDebug) GravaLog(std::string("Resposta de ") + c.nome + ": " + resultado);
  return resultado;
}

// A query that repeats while the device answers with its busy code.
// nomeChamada: the name in the call line, which differs for ConsultarUltimaSessaoFiscal.
// Edicao::Cancelamento: the look-ups of a stored reply, which mend a cancellation
// reply as CancelarUltimaVenda does, so that both give the same text.
enum class Edicao { Nenhuma, Cancelamento };
std::string Repetindo(const Comando &c, const char *nomeChamada, int sessao,
                      const std::vector<std::string_view> &campos, Edicao edicao = Edicao::Nenhuma) {
  ChamadaTravada trava;
  const std::string S = TextoSessao(sessao);
  // Built once for every attempt; the call line shows it without its "|code|" head.
  const std::string requisicao = Requisicao(c, S, campos);
  const std::string_view corpo = std::string_view(requisicao).substr(requisicao.find('|', 1) + 1);
  std::optional<std::string> resultado;
  std::string ultimaOcupada;  // the last device reply that carried the busy code
  RepeteTentativas([&](int n) {
    if (G().ModoDebug) GravaLog(std::string(nomeChamada) + "[" + std::to_string(n) + "]: " + std::string(corpo));
    if (VerificaConexao()) {
      resultado = RespostaOcupado(c, sessao);
      return false;
    }
    std::string resposta = Troca(c, requisicao, sessao);
    if (resposta.empty()) {
      resultado = RespostaOcupado(c, sessao);
      return false;
    }
    std::string codigo = CodigoRetorno(resposta);
    if (G().ModoDebug) GravaLog(std::string(c.nome) + " -> CodRet: " + codigo);
    if (codigo != c.ocupado) {
      resultado = edicao == Edicao::Cancelamento ? EditaRespostaCancelamento(resposta) : std::move(resposta);
      return true;
    }
    if (G().ModoDebug) GravaLog(std::string(c.nome) + ": possivel processo de atualizacao");
    ultimaOcupada = std::move(resposta);
    return false;
  });
  resultado = RespostaDasTentativas(resultado, ultimaOcupada, RespostaOcupado(c, sessao));
  if (G().ModoDebug) GravaLog(std::string("Resposta de ") + c.nome + ": " + *resultado);
  return *resultado;
}

}  // namespace

// ---- the bodies of the exports (api/exports.cpp) ------------------------------------

namespace corpo {

std::string AtivarSAT(int numeroSessao, int subComando, const char *codigoDeAtivacao, const char *CNPJ, int cUF) {
  std::string sub = std::to_string(subComando), codigo = Texto(codigoDeAtivacao), cnpj = Texto(CNPJ),
              uf = std::to_string(cUF);
  return Simples(kCmdAtivarSAT, numeroSessao, {sub, codigo, cnpj, uf}, 4);
}

std::string ComunicarCertificadoICPBRASIL(int numeroSessao, const char *codigoDeAtivacao, const char *certificado) {
  // Texts that may be large go as the caller's, not copied.
  std::string_view codigo = Vista(codigoDeAtivacao), cert = Vista(certificado);
  return Simples(kCmdComunicarCertificadoICPBRASIL, numeroSessao, {codigo, cert}, 2, SemDispositivo::RepeteLinha);
}

std::string ConsultarSAT(int numeroSessao) { return Repetindo(kCmdConsultarSAT, "ConsultarSAT", numeroSessao, {}); }

std::string TesteFimAFim(int numeroSessao, const char *codigoDeAtivacao, const char *dadosVenda) {
  std::string_view codigo = Vista(codigoDeAtivacao), dados = Vista(dadosVenda);
  return Simples(kCmdTesteFimAFim, numeroSessao, {codigo, dados}, 2);
}

std::string ConsultarStatusOperacional(int numeroSessao, const char *codigoDeAtivacao) {
  std::string codigo = Texto(codigoDeAtivacao);
  return Repetindo(kCmdConsultarStatusOperacional, "ConsultarStatusOperacional", numeroSessao, {codigo});
}

std::string ConsultarNumeroSessao(int numeroSessao, const char *codigoDeAtivacao, int cNumeroDeSessao) {
  // The looked-up number is written as a session text, unlike other integer fields.
  std::string codigo = Texto(codigoDeAtivacao), procurada = TextoSessao(cNumeroDeSessao);
  return Repetindo(kCmdConsultarNumeroSessao, "ConsultarNumeroSessao", numeroSessao, {codigo, procurada},
                   Edicao::Cancelamento);
}

std::string ConfigurarInterfaceDeRede(int numeroSessao, const char *codigoDeAtivacao, const char *dadosConfiguracao) {
  std::string_view codigo = Vista(codigoDeAtivacao), dados = Vista(dadosConfiguracao);
  return Simples(kCmdConfigurarInterfaceDeRede, numeroSessao, {codigo, dados}, 2);
}

std::string AssociarAssinatura(int numeroSessao, const char *codigoDeAtivacao, const char *CNPJvalue,
                               const char *assinaturaCNPJs) {
  std::string codigo = Texto(codigoDeAtivacao), cnpj = Texto(CNPJvalue), assinatura = Texto(assinaturaCNPJs);
  return Simples(kCmdAssociarAssinatura, numeroSessao, {codigo, cnpj, assinatura}, 3);
}

std::string AtualizarSoftwareSAT(int numeroSessao, const char *codigoDeAtivacao) {
  std::string codigo = Texto(codigoDeAtivacao);
  return Simples(kCmdAtualizarSoftwareSAT, numeroSessao, {codigo}, 1);
}

std::string ExtrairLogs(int numeroSessao, const char *codigoDeAtivacao) {
  // The request carries the library's version, which the call line leaves out.
  std::string codigo = Texto(codigoDeAtivacao);
  return Simples(kCmdExtrairLogs, numeroSessao, {codigo, kVersao}, 1);
}

std::string BloquearSAT(int numeroSessao, const char *codigoDeAtivacao) {
  std::string codigo = Texto(codigoDeAtivacao);
  return Simples(kCmdBloquearSAT, numeroSessao, {codigo}, 1);
}

std::string DesbloquearSAT(int numeroSessao, const char *codigoDeAtivacao) {
  std::string codigo = Texto(codigoDeAtivacao);
  return Simples(kCmdDesbloquearSAT, numeroSessao, {codigo}, 1);
}

std::string TrocarCodigoDeAtivacao(int numeroSessao, const char *codigoDeAtivacao, int opcao, const char *novoCodigo,
                                   const char *confNovoCodigo) {
  std::string codigo = Texto(codigoDeAtivacao), op = std::to_string(opcao), novo = Texto(novoCodigo),
              conf = Texto(confNovoCodigo);
  return Simples(kCmdTrocarCodigoDeAtivacao, numeroSessao, {codigo, op, novo, conf}, 4);
}

std::string ConsultarUltimaSessaoFiscal(int numeroSessao, const char *codigoDeAtivacao) {
  std::string codigo = Texto(codigoDeAtivacao);
  return Repetindo(kCmdConsultarUltimaSessaoFiscal, "ConsultarUltimaSessaoFiscalSessao", numeroSessao, {codigo},
                   Edicao::Cancelamento);
}

}  // namespace corpo

}  // namespace cfe

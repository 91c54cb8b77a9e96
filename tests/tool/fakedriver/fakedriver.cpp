// A stand-in for libcfedriver.so in the tool's tests: exports the 17 names with
// the library's signatures, answers each call with the next scripted reply and
// records the call with its arguments. Scripted through four extra exports.
// Built once complete and once without ConsultarSAT (FAKE_SEM_CONSULTARSAT).
#include <deque>
#include <string>

#include "cfedriver.h"

namespace {

std::deque<std::string> respostas;
std::string resposta;
std::string chamadas;
void (*gancho)() = nullptr;

std::string T(const char *s) { return s ? s : ""; }
std::string N(int v) { return std::to_string(v); }

// Records "Nome|arg|arg..." and returns the next reply (empty text when none is queued).
// The previous reply's buffer is overwritten, as the real library does.
const char *Responde(const std::string &chamada) {
  chamadas += chamada + "\n";
  if (gancho) gancho();
  resposta.assign(resposta.size(), '#');
  if (respostas.empty()) {
    resposta.clear();
  } else {
    resposta = respostas.front();
    respostas.pop_front();
  }
  return resposta.c_str();
}

}  // namespace

extern "C" {

// Queues the reply of the next call.
CFE_API void FakeDefineResposta(const char *texto) { respostas.push_back(T(texto)); }
// The calls since the last FakeLimpa, one line each: name and arguments separated by "|".
CFE_API const char *FakeChamadas() { return chamadas.c_str(); }
CFE_API void FakeLimpa() {
  respostas.clear();
  chamadas.clear();
  gancho = nullptr;
}
// A function of the test that runs inside every call, while the tool waits for it.
CFE_API void FakeDefineGancho(void (*g)()) { gancho = g; }

CFE_API const char *CFE_CALL AtivarSAT(int s, int sub, const char *cod, const char *cnpj, int uf) {
  return Responde("AtivarSAT|" + N(s) + "|" + N(sub) + "|" + T(cod) + "|" + T(cnpj) + "|" + N(uf));
}
CFE_API const char *CFE_CALL ComunicarCertificadoICPBRASIL(int s, const char *cod, const char *cert) {
  return Responde("ComunicarCertificadoICPBRASIL|" + N(s) + "|" + T(cod) + "|" + T(cert));
}
CFE_API const char *CFE_CALL EnviarDadosVenda(int s, const char *cod, const char *dados) {
  return Responde("EnviarDadosVenda|" + N(s) + "|" + T(cod) + "|" + T(dados));
}
CFE_API const char *CFE_CALL CancelarUltimaVenda(int s, const char *cod, const char *chave, const char *dados) {
  return Responde("CancelarUltimaVenda|" + N(s) + "|" + T(cod) + "|" + T(chave) + "|" + T(dados));
}
#ifndef FAKE_SEM_CONSULTARSAT
CFE_API const char *CFE_CALL ConsultarSAT(int s) { return Responde("ConsultarSAT|" + N(s)); }
#endif
CFE_API const char *CFE_CALL TesteFimAFim(int s, const char *cod, const char *dados) {
  return Responde("TesteFimAFim|" + N(s) + "|" + T(cod) + "|" + T(dados));
}
CFE_API const char *CFE_CALL ConsultarStatusOperacional(int s, const char *cod) {
  return Responde("ConsultarStatusOperacional|" + N(s) + "|" + T(cod));
}
CFE_API const char *CFE_CALL ConsultarNumeroSessao(int s, const char *cod, int consultada) {
  return Responde("ConsultarNumeroSessao|" + N(s) + "|" + T(cod) + "|" + N(consultada));
}
CFE_API const char *CFE_CALL ConfigurarInterfaceDeRede(int s, const char *cod, const char *dados) {
  return Responde("ConfigurarInterfaceDeRede|" + N(s) + "|" + T(cod) + "|" + T(dados));
}
CFE_API const char *CFE_CALL AssociarAssinatura(int s, const char *cod, const char *cnpj, const char *assinatura) {
  return Responde("AssociarAssinatura|" + N(s) + "|" + T(cod) + "|" + T(cnpj) + "|" + T(assinatura));
}
CFE_API const char *CFE_CALL AtualizarSoftwareSAT(int s, const char *cod) {
  return Responde("AtualizarSoftwareSAT|" + N(s) + "|" + T(cod));
}
CFE_API const char *CFE_CALL ExtrairLogs(int s, const char *cod) { return Responde("ExtrairLogs|" + N(s) + "|" + T(cod)); }
CFE_API const char *CFE_CALL BloquearSAT(int s, const char *cod) { return Responde("BloquearSAT|" + N(s) + "|" + T(cod)); }
CFE_API const char *CFE_CALL DesbloquearSAT(int s, const char *cod) {
  return Responde("DesbloquearSAT|" + N(s) + "|" + T(cod));
}
CFE_API const char *CFE_CALL TrocarCodigoDeAtivacao(int s, const char *cod, int opcao, const char *novo,
                                                    const char *conf) {
  return Responde("TrocarCodigoDeAtivacao|" + N(s) + "|" + T(cod) + "|" + N(opcao) + "|" + T(novo) + "|" + T(conf));
}
CFE_API const char *CFE_CALL ConsultarUltimaSessaoFiscal(int s, const char *cod) {
  return Responde("ConsultarUltimaSessaoFiscal|" + N(s) + "|" + T(cod));
}
CFE_API const char *CFE_CALL SetDriver(const char *comando, const char *valor) {
  return Responde("SetDriver|" + T(comando) + "|" + T(valor));
}

}  // extern "C"

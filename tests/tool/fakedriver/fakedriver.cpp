// A stand-in for libcfedriver.so in the tool's tests: exports the 17 names with
// the library's signatures, answers each call with the next scripted reply and
// records the call with its arguments. Scripted through four extra exports.
// Built once complete and once without ConsultarSAT (its export hidden by
// sem_consultarsat.map).
#include <deque>
#include <string>

#include "cfedriver.h"

namespace {

std::deque<std::string> respostas;
std::string resposta;
std::string chamadas;
void (*gancho)() = nullptr;

std::string T(const char *s) { return s ? s : ""; }
std::string Campo(const char *s) { return T(s); }
std::string Campo(int v) { return std::to_string(v); }

// "Nome|arg|arg...": integers in decimal, a null text as an empty one.
template <typename... Argumentos>
std::string Chamada(const char *nome, Argumentos... argumentos) {
  std::string chamada = nome;
  ((chamada += "|" + Campo(argumentos)), ...);
  return chamada;
}

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

// The seventeen functions of the table (cfedriver_funcoes.h), each recording
// its name and arguments.
#define CFE_SEM_PARENTESES(...) __VA_ARGS__
#define CFE_FALSA(nome, parametros, argumentos, ...) \
  CFE_API const char *CFE_CALL nome parametros { return Responde(Chamada(#nome, CFE_SEM_PARENTESES argumentos)); }
CFE_FUNCOES(CFE_FALSA, CFE_FALSA)
#undef CFE_FALSA
#undef CFE_SEM_PARENTESES

}  // extern "C"

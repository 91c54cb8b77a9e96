#include "core/state.h"

#include <algorithm>
#include <new>

#include "core/lock.h"

namespace cfe {

const Timeout kTimeoutsPadrao[kNumFuncoes] = {
#define CFE_TIMEOUT(nome, parametros, argumentos, ordemTool, codigo, ocupado, chave, nomeTimeout, minutos, segundos, \
                    ...)                                                                                          \
  {chave, nomeTimeout, minutos, segundos},
#define CFE_SEM_TIMEOUT(...)
    CFE_FUNCOES(CFE_TIMEOUT, CFE_SEM_TIMEOUT)
#undef CFE_TIMEOUT
#undef CFE_SEM_TIMEOUT
};

Estado::Estado() { std::copy(std::begin(kTimeoutsPadrao), std::end(kTimeoutsPadrao), timeouts); }

Estado &G() {
  // Never destroyed: at process exit the C++ static destructors run before the
  // library's unload hook, which still resets the state. Unload leaves only
  // short texts in it, so nothing stays on the heap once the library is gone.
  alignas(Estado) static unsigned char memoria[sizeof(Estado)];
  static Estado *estado = new (memoria) Estado;
  return *estado;
}

void RestauraPadroes() {
  Estado &g = G();
  // A fresh state holds the built-in values.
  Estado fresco;
  {
    std::lock_guard<std::mutex> guard(g.mutex);
    // Fresh strings, not assignments, so that no buffer of a long text stays allocated.
    g.PortaSerial.swap(fresco.PortaSerial);
    g.PortaFixa = fresco.PortaFixa;
    g.BAUDRATE.swap(fresco.BAUDRATE);
    g.DEBUG.swap(fresco.DEBUG);
    g.NO_POPUP.swap(fresco.NO_POPUP);
    g.LIB_LOCK.swap(fresco.LIB_LOCK);
    g.CORRECAO.swap(fresco.CORRECAO);
    g.N_TENT.swap(fresco.N_TENT);
    g.TMP_TENT.swap(fresco.TMP_TENT);
    std::copy(std::begin(kTimeoutsPadrao), std::end(kTimeoutsPadrao), g.timeouts);
  }
  g.ModoDebug = fresco.ModoDebug.load();
  g.LockLigado = fresco.LockLigado.load();
  g.Correcao = fresco.Correcao.load();
  g.NTent = fresco.NTent.load();
  g.TmpTent = fresco.TmpTent.load();
  g.PrazoResposta = fresco.PrazoResposta.load();
  LiberaLock();  // wakes any call still waiting
}

std::string LeTexto(std::string Estado::*campo) {
  std::lock_guard<std::mutex> guard(G().mutex);
  return G().*campo;
}

void GravaTexto(std::string Estado::*campo, std::string valor) {
  std::lock_guard<std::mutex> guard(G().mutex);
  G().*campo = std::move(valor);
}

Timeout LeTimeout(Funcao f) {
  std::lock_guard<std::mutex> guard(G().mutex);
  return G().timeouts[f];
}

// ---- reply deadline ----------------------------------------------------------

int64_t PrazoDe(Funcao f) {
  // Entries of 60 or more minutes or seconds simply mean that many (00:75 is 75 s).
  Timeout t = LeTimeout(f);
  int64_t ms = int64_t(t.minutos) * 60000 + int64_t(t.segundos) * 1000;
  return AgoraMs() + EscalaMs(ms);
}

void DefinePrazo(Funcao f) { G().PrazoResposta = PrazoDe(f); }

void LimitaPrazo(int64_t ate) {
  if (G().PrazoResposta.load() > ate) G().PrazoResposta = ate;
}

bool PrazoPassou() { return AgoraMs() >= G().PrazoResposta.load(); }

int64_t RestanteMs() { return std::max<int64_t>(0, G().PrazoResposta.load() - AgoraMs()); }

}  // namespace cfe

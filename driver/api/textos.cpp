#include "api/textos.h"

#include <atomic>
#include <mutex>
#include <new>
#include <vector>

#include "platform/platform.h"

namespace cfe {

namespace {

struct Slot {
  std::string sat;
  std::string driver;
  bool terminou = false;
  uint64_t fimEm = 0;  // the last call number begun when its thread ended
};

std::atomic<uint64_t> g_chamadas{0};

struct Listas {
  std::mutex mutex;            // guards the lists and the thread slot key
  std::vector<Slot *> todos;   // every slot, for LiberaTextos and the count
  std::vector<Slot *> livres;  // slots no thread owns and whose texts expired
  Slot compartilhado;          // for every thread when no thread slot can be had
};

// Never destroyed: threads may still call while static destructors run at exit.
// LiberaTextos empties it at unload.
Listas &L() {
  alignas(Listas) static unsigned char memoria[sizeof(Listas)];
  static Listas *listas = new (memoria) Listas;
  return *listas;
}

std::mutex &Mutex() { return L().mutex; }

void AoFimDaThread(void *p) {
  std::lock_guard<std::mutex> guarda(Mutex());
  auto *slot = static_cast<Slot *>(p);
  slot->terminou = true;
  slot->fimEm = g_chamadas.load();
}

// Slots of threads that ended before this call began are free again; their
// texts expired with that call's start.
void Recicla(uint64_t inicio) {
  Listas &l = L();
  for (Slot *s : l.todos) {
    if (!s->terminou || s->fimEm >= inicio) continue;
    s->terminou = false;
    std::string().swap(s->sat);
    std::string().swap(s->driver);
    l.livres.push_back(s);
  }
}

// The calling thread's slot, taken or made on its first call.
Slot &SlotDaThread() {
  Listas &l = L();
  // Without a key (all the system's keys in use) the threads share one text,
  // rather than leaving a new slot behind at every call.
  if (!platform::ThreadSlotCreate(AoFimDaThread)) return l.compartilhado;
  if (auto *s = static_cast<Slot *>(platform::ThreadSlotGet())) return *s;
  Slot *s = nullptr;
  if (!l.livres.empty()) {
    s = l.livres.back();
    l.livres.pop_back();
  } else {
    if (l.todos.size() == l.todos.capacity()) l.todos.reserve(2 * l.todos.size() + 8);
    s = new Slot;
    l.todos.push_back(s);  // cannot throw: room was made first
  }
  if (!platform::ThreadSlotSet(s)) {
    l.livres.push_back(s);
    return l.compartilhado;
  }
  return *s;
}

const char *Guarda(std::string Slot::*campo, uint64_t inicio, std::string &texto) {
  try {
    std::lock_guard<std::mutex> guarda(Mutex());
    Recicla(inicio);
    std::string &destino = SlotDaThread().*campo;
    destino = std::move(texto);
    return destino.c_str();
  } catch (...) {
    return "";  // out of memory
  }
}

}  // namespace

uint64_t InicioDeChamada() { return ++g_chamadas; }

const char *GuardaRespostaSat(uint64_t inicio, std::string texto) { return Guarda(&Slot::sat, inicio, texto); }

const char *GuardaRespostaDriver(uint64_t inicio, std::string texto) {
  return Guarda(&Slot::driver, inicio, texto);
}

void LiberaTextos() {
  std::lock_guard<std::mutex> guarda(Mutex());
  // First: no thread that ends from now on is told about a slot that is gone.
  platform::ThreadSlotDelete();
  Listas &l = L();
  for (Slot *s : l.todos) delete s;
  std::vector<Slot *>().swap(l.todos);
  std::vector<Slot *>().swap(l.livres);
  std::string().swap(l.compartilhado.sat);
  std::string().swap(l.compartilhado.driver);
}

size_t QuantosTextos() {
  std::lock_guard<std::mutex> guarda(Mutex());
  return L().todos.size();
}

}  // namespace cfe

// The texts handed back across the C boundary (RespostaSat, RespostaDriver).
//
// Each calling thread gets a slot owned by the library that holds its last SAT
// reply and its last SetDriver reply. A text stays as it is until the same
// thread's next call of its kind; once that thread has ended, until a call that
// began after its end, which may then reuse the slot for another thread. So one
// thread's call never frees or rewrites a text another thread may still read,
// and a program that calls from many short-lived threads keeps only as many
// slots as it had calling threads at one time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace cfe {

// Marks the start of a call; the number goes with the call's text when it is stored.
uint64_t InicioDeChamada();
// Stores the calling thread's SAT reply / SetDriver reply and returns its pointer.
// Never throws: when memory runs out, an empty text.
const char *GuardaRespostaSat(uint64_t inicio, std::string texto);
const char *GuardaRespostaDriver(uint64_t inicio, std::string texto);
// Releases every text (the library is unloaded).
void LiberaTextos();
// How many slots exist now (tests).
size_t QuantosTextos();

}  // namespace cfe

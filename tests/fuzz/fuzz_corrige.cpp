// Fuzz target for the sale-text correction: it never changes the length, never
// touches memory outside the text, and changes only bytes that belong to a
// rewritten reference "&#digits;" of at most 13 characters, which it turns into
// spaces followed by one character below 128 in the ";"'s place.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "api/corrige.h"

namespace {

// True when position p of the output lies in a rewritten reference [j, k].
bool DentroDeReferencia(const std::string &antes, const std::string &depois, size_t p) {
  size_t inicio = p >= 12 ? p - 12 : 0;
  for (size_t j = inicio; j <= p; ++j) {
    if (antes[j] != '&' || j + 1 >= antes.size() || antes[j + 1] != '#') continue;
    for (size_t k = p; k < antes.size() && k <= j + 12; ++k) {
      if (antes[k] != ';') continue;
      bool espacos = true;
      for (size_t q = j; q < k; ++q) espacos = espacos && depois[q] == ' ';
      if (espacos && static_cast<unsigned char>(depois[k]) < 128) return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // An exactly sized heap block, so that AddressSanitizer catches any read or
  // write past the end. The length cannot change: the text is rewritten in place.
  std::string antes(reinterpret_cast<const char *>(data), size);
  char *bloco = new char[size];
  std::copy(data, data + size, bloco);
  cfe::CorrigeEntidades(bloco, size);
  std::string depois(bloco, size);
  delete[] bloco;
  for (size_t p = 0; p < antes.size(); ++p) {
    if (antes[p] != depois[p] && !DentroDeReferencia(antes, depois, p)) abort();
  }
  return 0;
}

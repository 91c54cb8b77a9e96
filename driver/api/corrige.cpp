#include "api/corrige.h"

#include <cstdint>

#include "core/text.h"

namespace cfe {

namespace {

char CaractereDoValor(uint64_t valor) {
  if (valor == 13) return ' ';
  if (valor == 39) return '`';
  return char(valor);
}

}  // namespace

void CorrigeEntidades(char *s, size_t L) {
  // Positions are 0-based here; a reference may hold at most 10 decimal or
  // 9 hexadecimal digits (13 characters with "&#" and ";"). Bytes past the end
  // read as a terminator: neither a digit nor ";".
  auto at = [&](size_t p) -> char { return p < L ? s[p] : '\0'; };
  size_t i = 0;
  while (i < L) {
    if (at(i) == '&' && at(i + 1) == '#') {
      const bool hex = at(i + 2) == 'x' || at(i + 2) == 'X';
      const int base = hex ? 16 : 10;
      size_t k = hex ? i + 3 : i + 2;
      uint64_t valor = 0;
      bool abandonada = false;
      while (at(k) != ';' && k < i + 12 && k + 1 < L) {
        int digito = ValorDigito(at(k), base);
        if (digito < 0) {
          i = k;
          abandonada = true;
          break;
        }
        valor = valor * uint64_t(base) + uint64_t(digito);
        ++k;
      }
      if (!abandonada && at(k) == ';') {
        if (valor < 128) {
          for (size_t p = i; p < k; ++p) s[p] = ' ';
          s[k] = CaractereDoValor(valor);
        }
        i = k;
      }
    }
    ++i;
  }
}

void CorrigeEntidades(std::string &texto) { CorrigeEntidades(texto.data(), texto.size()); }

}  // namespace cfe

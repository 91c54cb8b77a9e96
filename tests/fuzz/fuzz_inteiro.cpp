// Fuzz target for the integer reading of setting texts and for the reading of
// a time-out entry "mm:ss".
//
// The integer reading is checked against a second reading built another way:
// leading blanks, an optional sign, "0x", "0X", "$", "x" or "X" for
// hexadecimal, then only digits of that base, the value converted by
// std::from_chars and accepted within the 32-bit range.
#include <charconv>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "api/settings.h"

namespace {

std::optional<int> Referencia(std::string_view t) {
  size_t i = t.find_first_not_of(' ');
  if (i == std::string_view::npos) return std::nullopt;
  t.remove_prefix(i);
  bool negativo = false;
  if (t[0] == '+' || t[0] == '-') {
    negativo = t[0] == '-';
    t.remove_prefix(1);
  }
  int base = 10;
  if (t.size() >= 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    base = 16;
    t.remove_prefix(2);
  } else if (!t.empty() && (t[0] == '$' || t[0] == 'x' || t[0] == 'X')) {
    base = 16;
    t.remove_prefix(1);
  }
  if (t.empty()) return std::nullopt;
  // from_chars would take a sign of its own; the digits must be all that is left.
  if (t[0] == '-' || t[0] == '+') return std::nullopt;
  size_t zeros = t.find_first_not_of('0');
  std::string_view digitos = zeros == std::string_view::npos ? t.substr(t.size() - 1) : t.substr(zeros);
  for (char c : t) {
    const bool dec = c >= '0' && c <= '9';
    const bool hex = (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!(dec || (base == 16 && hex))) return std::nullopt;
  }
  if (digitos.size() > 12) return std::nullopt;  // far outside the range either way
  int64_t v = 0;
  auto [p, ec] = std::from_chars(digitos.data(), digitos.data() + digitos.size(), v, base);
  if (ec != std::errc() || p != digitos.data() + digitos.size()) abort();  // the digits were checked above
  if (negativo) v = -v;
  if (v < INT_MIN || v > INT_MAX) return std::nullopt;
  return int(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string_view texto(reinterpret_cast<const char *>(data), size);
  const std::optional<int> lido = cfe::LeInteiro(texto);
  if (lido != Referencia(texto)) abort();
  if (lido && cfe::LeInteiro(std::to_string(*lido)) != lido) abort();

  if (const auto t = cfe::LeValorTimeout(texto)) {
    if (texto.size() != 5) abort();
    if (cfe::LeInteiro(texto.substr(0, 2)) != int(t->minutos)) abort();
    if (cfe::LeInteiro(texto.substr(3, 2)) != int(t->segundos)) abort();
    if (t->minutos > 99 || t->segundos > 99) abort();
  }
  return 0;
}

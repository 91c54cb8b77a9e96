#include "core/text.h"

#include <charconv>
#include <climits>
#include <cstdint>

namespace cfe {

bool EhDigito(char c) { return c >= '0' && c <= '9'; }

int ValorDigito(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  return v < base ? v : -1;
}

bool EhBranco(char c) { return c == ' ' || c == '\t'; }

bool EhEspacoOuFimDeLinha(char c) { return EhBranco(c) || c == '\n' || c == '\r'; }

bool EhControleOuBranco(char c) { return static_cast<unsigned char>(c) <= ' ' || c == '\x7F'; }

std::string_view Apara(std::string_view t, bool (*descartavel)(char)) {
  while (!t.empty() && descartavel(t.front())) t.remove_prefix(1);
  while (!t.empty() && descartavel(t.back())) t.remove_suffix(1);
  return t;
}

std::string Maiusculas(std::string_view t) {
  std::string r(t);
  for (char &c : r)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return r;
}

std::string Minusculas(std::string_view t) {
  std::string r(t);
  for (char &c : r)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return r;
}

std::optional<int> LeInteiro(std::string_view t) {
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  bool negativo = false;
  if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
    negativo = t.front() == '-';
    t.remove_prefix(1);
  }
  int base = 10;
  if (t.substr(0, 2) == "0x" || t.substr(0, 2) == "0X") {
    base = 16;
    t.remove_prefix(2);
  } else if (!t.empty() && (t.front() == '$' || t.front() == 'x' || t.front() == 'X')) {
    base = 16;
    t.remove_prefix(1);
  }
  if (t.empty()) return std::nullopt;
  int64_t valor = 0;
  for (char c : t) {
    int d = ValorDigito(c, base);
    if (d < 0) return std::nullopt;
    valor = valor * base + d;
    if (valor > int64_t(INT_MAX) + 1) return std::nullopt;
  }
  if (negativo) valor = -valor;
  if (valor > INT_MAX || valor < INT_MIN) return std::nullopt;
  return int(valor);
}

namespace {

template <typename Inteiro>
bool LeDecimalEm(std::string_view texto, Inteiro &valor) {
  const char *ini = texto.data();
  const char *fim = ini + texto.size();
  if (ini != fim && *ini == '+') {
    ++ini;
    if (ini != fim && *ini == '-') return false;
  }
  if (ini == fim) return false;
  auto [ptr, ec] = std::from_chars(ini, fim, valor);
  return ec == std::errc() && ptr == fim;
}

}  // namespace

bool LeDecimal(std::string_view texto, int &valor) { return LeDecimalEm(texto, valor); }

bool LeDecimal(std::string_view texto, long long &valor) { return LeDecimalEm(texto, valor); }

}  // namespace cfe

// Small text helpers shared by the whole library. ASCII only, no locale: the
// device, sat.ini and sysfs speak plain 8-bit texts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cfe {

bool EhDigito(char c);                 // '0' to '9'
int ValorDigito(char c, int base);     // value of a digit in base 10 or 16, or -1
bool EhBranco(char c);                 // space or tab
bool EhEspacoOuFimDeLinha(char c);     // space, tab, CR or LF
bool EhControleOuBranco(char c);       // any byte up to the space, and DEL

// The text without the leading and trailing characters for which descartavel is true.
std::string_view Apara(std::string_view t, bool (*descartavel)(char));

std::string Maiusculas(std::string_view t);  // a-z to A-Z, every other byte as it is
std::string Minusculas(std::string_view t);  // A-Z to a-z, every other byte as it is

// A setting text as an integer: leading blanks, an optional "+" or "-", then
// decimal digits or a hexadecimal number introduced by "$", "x", "X", "0x" or
// "0X". No digits, anything after the number, or a value outside int: nothing.
std::optional<int> LeInteiro(std::string_view texto);

// A whole text as a decimal integer: an optional sign and digits, nothing else
// (the baud rate, the session at the head of a reply).
bool LeDecimal(std::string_view texto, int &valor);
bool LeDecimal(std::string_view texto, long long &valor);  // the number of a port name

}  // namespace cfe

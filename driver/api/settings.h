// The settings file sat.ini and the readings of its values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/state.h"
#include "core/text.h"  // LeInteiro

namespace cfe {

// A read-only INI file, read the way the Windows profile reader reads it:
// section and key names regardless of case, values without surrounding blanks
// (and without one pair of enclosing quotes), the first occurrence of a key
// wins, lines starting with ";" are comments, an absent key reads as "".
class ArquivoIni {
 public:
  // Nothing when the file does not exist; a file that exists but cannot be read
  // reads as an empty file.
  static std::optional<ArquivoIni> Abre(const std::string &caminho);
  static ArquivoIni DeTexto(std::string_view texto);

  bool TemSecao(std::string_view secao) const;
  std::string Le(std::string_view secao, std::string_view chave) const;

 private:
  struct Entrada {
    std::string secao;  // upper-cased
    std::string chave;  // upper-cased
    std::string valor;
  };
  std::vector<std::string> secoes_;  // upper-cased
  std::vector<Entrada> entradas_;
};

// Path of the settings file: CFEDRIVER_INI, or sat.ini next to the calling program; when that
// file does not exist, iniDoSistema if it exists.
std::string CaminhoIni(const std::string &iniDoSistema);
// The same with the system's own system-wide file (/etc/cfedriver/sat.ini; none on Windows).
std::string CaminhoIni();

// Integer reading of a setting text: LeInteiro (core/text.h).

// A TIMEOUT entry "mm:ss" (five characters, the third not examined).
// Nothing when the value does not qualify.
struct MinSeg {
  uint16_t minutos;
  uint16_t segundos;
};
std::optional<MinSeg> LeValorTimeout(std::string_view valor);

// The two retry settings, N_TENT (minimum 1) and TMP_TENT (minimum 3), with
// their built-in values (core/state.h): where they live and how their log lines read.
struct RegraTentativa {
  std::string Estado::*texto;
  std::atomic<int> Estado::*numero;
  const char *linhaInvalido;  // "N_TENT: valor inválido"
  const char *prefixo;        // "Num. de tentativas de transmissão de cupons"
  int padrao;
  int minimo;
};
extern const RegraTentativa kRegraNTent;
extern const RegraTentativa kRegraTmpTent;

// Start-up: sets the number from the text read from the file, and logs.
void DefineTentativaInicial(const RegraTentativa &regra, const std::string &texto);

}  // namespace cfe

#include "api/settings.h"

#include "core/log.h"
#include "core/state.h"
#include "core/text.h"
#include "platform/platform.h"

namespace cfe {

namespace {

std::string_view SemBrancos(std::string_view t) { return Apara(t, EhBranco); }

}  // namespace

// ---- INI file ----------------------------------------------------------------

ArquivoIni ArquivoIni::DeTexto(std::string_view texto) {
  ArquivoIni ini;
  if (texto.substr(0, 3) == "\xEF\xBB\xBF") texto.remove_prefix(3);  // UTF-8 mark from editors
  std::string secao;
  bool dentroDeSecao = false;
  while (!texto.empty()) {
    size_t fim = texto.find('\n');
    std::string_view linha = texto.substr(0, fim);
    texto.remove_prefix(fim == std::string_view::npos ? texto.size() : fim + 1);
    if (!linha.empty() && linha.back() == '\r') linha.remove_suffix(1);
    linha = SemBrancos(linha);
    if (linha.empty() || linha.front() == ';') continue;
    if (linha.front() == '[') {
      size_t fecha = linha.find(']');
      if (fecha == std::string_view::npos) fecha = linha.size();
      secao = Maiusculas(SemBrancos(linha.substr(1, fecha - 1)));
      ini.secoes_.push_back(secao);
      dentroDeSecao = true;
      continue;
    }
    size_t igual = linha.find('=');
    if (!dentroDeSecao || igual == std::string_view::npos) continue;
    std::string_view valor = SemBrancos(linha.substr(igual + 1));
    if (valor.size() >= 2 && (valor.front() == '"' || valor.front() == '\'') && valor.back() == valor.front())
      valor = valor.substr(1, valor.size() - 2);
    ini.entradas_.push_back({secao, Maiusculas(SemBrancos(linha.substr(0, igual))), std::string(valor)});
  }
  return ini;
}

std::optional<ArquivoIni> ArquivoIni::Abre(const std::string &caminho) {
  if (!platform::FileExists(caminho)) return std::nullopt;
  std::string texto;
  if (!platform::ReadWholeFile(caminho, texto)) return ArquivoIni{};
  return DeTexto(texto);
}

bool ArquivoIni::TemSecao(std::string_view secao) const {
  std::string nome = Maiusculas(secao);
  for (const auto &s : secoes_)
    if (s == nome) return true;
  return false;
}

std::string ArquivoIni::Le(std::string_view secao, std::string_view chave) const {
  std::string s = Maiusculas(secao), k = Maiusculas(chave);
  for (const auto &e : entradas_)
    if (e.secao == s && e.chave == k) return e.valor;
  return "";
}

std::string CaminhoIni(const std::string &iniDoSistema) {
  std::string caminho = platform::EnvText("CFEDRIVER_INI");
  if (caminho.empty()) caminho = platform::JoinPath(platform::ExecutableDir(), "sat.ini");
  // An installed program's folder (/usr/bin) holds no settings: the system-wide file, where the
  // system has one, is the last resort.
  if (!platform::FileExists(caminho) && platform::FileExists(iniDoSistema)) return iniDoSistema;
  return caminho;
}

std::string CaminhoIni() { return CaminhoIni(platform::SystemSettingsPath()); }

// ---- readings of values ----------------------------------------------------------

std::optional<MinSeg> LeValorTimeout(std::string_view v) {
  if (v.size() != 5) return std::nullopt;
  std::string quatro{v[0], v[1], v[3], v[4]};
  if (!LeInteiro(quatro)) return std::nullopt;
  auto minutos = LeInteiro(v.substr(0, 2));
  auto segundos = LeInteiro(v.substr(3, 2));
  // A negative part ("-1:05") would wrap to a deadline of weeks: leave the entry alone.
  if (!minutos || !segundos || *minutos < 0 || *segundos < 0) return std::nullopt;
  return MinSeg{uint16_t(*minutos), uint16_t(*segundos)};
}

// ---- attempts and pause ------------------------------------------------------------

const RegraTentativa kRegraNTent{&Estado::N_TENT, &Estado::NTent, "N_TENT: valor inválido",
                                 "Num. de tentativas de transmissão de cupons", padrao::NTent, 1};
const RegraTentativa kRegraTmpTent{&Estado::TMP_TENT, &Estado::TmpTent, "TMP_TENT: valor inválido",
                                   "Tempo entre tentativas de transmissão de cupons", padrao::TmpTent, 3};

void DefineTentativaInicial(const RegraTentativa &r, const std::string &t) {
  auto valor = LeInteiro(t);
  std::string base = std::string(r.prefixo) + " redefinido para";
  std::string linhaPadrao = base + " valor padrão: " + std::to_string(r.padrao);
  if (!valor) {
    G().*r.numero = r.padrao;
    Log(linhaPadrao);
  } else if (t.size() < 1 || t.size() > 2) {
    G().*r.numero = r.padrao;
    Log(r.linhaInvalido);
    Log(linhaPadrao);
  } else if (*valor >= r.minimo) {
    G().*r.numero = *valor;
    Log(base + ": " + t);
  } else {
    G().*r.numero = r.minimo;
    Log(base + " valor mínimo: " + std::to_string(r.minimo));
  }
}

}  // namespace cfe

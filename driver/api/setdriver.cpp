// SetDriver: the library's own control command. It runs outside the call lock
// and never touches the serial port.
#include <string>
#include <vector>

#include "api/corpos.h"
#include "core/log.h"
#include "api/settings.h"
#include "core/state.h"
#include "core/text.h"
#include "link/discovery.h"

namespace cfe {

namespace {

// Without leading and trailing blanks and control characters.
std::string Aparado(const char *p) { return p ? std::string(Apara(p, EhControleOuBranco)) : std::string(); }

// The ports of attached devices, each listed once per device instance naming it.
std::vector<std::string> PortasDeDispositivos(const Varredura &v) {
  std::vector<std::string> portas;
  if (v.falhou || !v.usavel) return portas;
  for (const auto &a : v.A)
    for (const auto &p : v.P)
      if (a == p) portas.push_back(a);
  return portas;
}

std::string Discover() {
  std::string resposta;
  try {
    for (const auto &porta : PortasDeDispositivos(VarrePortas())) {
      if (!resposta.empty()) resposta += '|';
      resposta += porta;
    }
  } catch (...) {
    return "NULL";  // a failed listing finds nothing
  }
  return resposta.empty() ? "NULL" : resposta;
}

std::string Serial(const std::string &v) {
  if (v.empty()) {
    Log("Erro ao tentar configurar Interface via comando SetDriver");
    return "ERRO";
  }
  bool aceita = false;
  try {
    for (const auto &porta : PortasDeDispositivos(VarrePortas())) aceita = aceita || porta == v;
  } catch (...) {
    aceita = false;  // a failed listing rejects the port
  }
  if (!aceita) {
    Log("Erro ao tentar configurar Interface via comando SetDriver. Porta informada nao eh SAT");
    return "ERRO";
  }
  // Not fixed: after a failed connection the port is searched for again.
  GravaTexto(&Estado::PortaSerial, v);
  Log("Interface configurada para " + v + " via comando SetDriver");
  return "OK";
}

std::string NoPopup(const std::string &v) {
  bool ativadas = v == "false";
  GravaTexto(&Estado::NO_POPUP, ativadas ? "false" : "true");
  Log(ativadas ? "Mensagens Popup ativadas via comando SetDriver" : "Mensagens Popup desativadas via comando SetDriver");
  return "OK";
}

std::string Lock(const std::string &v) {
  bool ligado = v == "true";
  GravaTexto(&Estado::LIB_LOCK, ligado ? "true" : "false");
  G().LockLigado = ligado;
  Log(ligado ? "Lock das funções ativado via comando SetDriver" : "Lock das funções desativado via comando SetDriver");
  return "OK";
}

std::string Debug(const std::string &v) {
  if (v != "true") {
    GravaTexto(&Estado::DEBUG, "false");
    G().ModoDebug = false;
    return "OK";
  }
  if (G().ModoDebug) return "OK";
  GravaTexto(&Estado::DEBUG, "true");
  G().ModoDebug = true;
  Log("Modo debug ativado via comando SetDriver");
  Log(std::string("Versao da DLL: ") + kVersao);
  Log(LeTexto(&Estado::NO_POPUP) == "true" ? "Mensagens Popup desativadas" : "Mensagens Popup ativadas");
  Log(G().LockLigado ? "Lock das funções ativado" : "Lock das funções desativado");
  int nTent = G().NTent;
  Log("Num. de tentativas de transmissão de cupons: " + std::to_string(nTent));
  if (nTent > 1) Log("Tempo entre tentativas de transmissão de cupons: " + std::to_string(G().TmpTent) + " segundos");
  return "OK";
}

std::string Tentativa(const RegraTentativa &r, const std::string &v) {
  GravaTexto(r.texto, v);
  auto valor = LeInteiro(v);
  if (!valor || v.size() < 1 || v.size() > 2) {
    Log(r.linhaInvalido);
    return "ERRO";
  }
  std::string base = std::string(r.prefixo) + " redefinido para";
  if (*valor < r.minimo) {
    G().*r.numero = r.minimo;
    Log(base + " valor mínimo: " + std::to_string(r.minimo));
  } else {
    G().*r.numero = *valor;
    Log(base + ": " + v);
  }
  return "OK";
}

std::string Executa(const std::string &comando, const std::string &v) {
  if (comando == "DISCOVER") return Discover();
  if (comando == "SERIAL") return Serial(v);
  if (comando == "NO_POPUP") return NoPopup(v);
  if (comando == "LOCK") return Lock(v);
  if (comando == "DEBUG") return Debug(v);
  if (comando == "N_TENT") return Tentativa(kRegraNTent, v);
  if (comando == "TMP_TENT") return Tentativa(kRegraTmpTent, v);
  if (comando == "VERSAO") {
    Log(std::string("Informada versão da DLL via comando SetDriver: ") + kVersao);
    return kVersao;
  }
  return "FALHA";
}

}  // namespace

namespace corpo {

std::string SetDriver(const char *comando, const char *valor) { return Executa(Aparado(comando), Aparado(valor)); }

}  // namespace corpo

}  // namespace cfe

#include "config.h"

#include <nlohmann/json.hpp>
#include <set>

#include "latin1.h"
#include "sessions.h"
#include "storage.h"

namespace cfehub {

namespace {

using nlohmann::json;

void CheckKeys(const json &object, const std::set<std::string> &known, const std::string &where) {
  for (const auto &[key, value] : object.items()) {
    if (!known.count(key)) throw std::runtime_error("chave desconhecida " + where + key);
  }
}

// A key's value, or the fallback when the key is absent; a value of the wrong kind names the key.
template <typename T>
T Value(const json &object, const char *key, T fallback) {
  auto it = object.find(key);
  if (it == object.end()) return fallback;
  try {
    return it->get<T>();
  } catch (const json::exception &) {
    throw std::runtime_error(std::string("valor inválido para ") + key + ": " + it->dump());
  }
}

TillAccess ReadTill(const json &entry) {
  if (!entry.is_object()) throw std::runtime_error("cada item de caixas deve ser um objeto");
  CheckKeys(entry, {"numero_caixa", "token", "enderecos"}, "em caixas: ");
  TillAccess till;
  if (!entry.contains("numero_caixa")) throw std::runtime_error("falta numero_caixa em caixas");
  till.till = Value(entry, "numero_caixa", -1);
  if (till.till < 0 || till.till > kMaxTill) throw std::runtime_error("numero_caixa fora de 0 a 999 em caixas");
  till.token = Value(entry, "token", std::string());
  till.addresses = Value(entry, "enderecos", std::vector<std::string>{});
  if (till.token.empty() && till.addresses.empty()) {
    throw std::runtime_error("o caixa " + std::to_string(till.till) + " precisa de token ou enderecos");
  }
  return till;
}

}  // namespace

std::optional<Config> ParseConfig(const std::string &text, std::string *error) {
  Config config;
  try {
    const json doc = json::parse(text);
    if (!doc.is_object()) throw std::runtime_error("o arquivo deve conter um objeto JSON");
    CheckKeys(doc,
              {"endereco", "porta", "codigo_ativacao", "pasta_estado", "limite_corpo_bytes", "espera_maxima_ms",
               "conexoes", "intervalo_estado_s", "tls_certificado", "tls_chave", "caixas",
               "enderecos_monitoramento"},
              "");
    config.address = Value(doc, "endereco", config.address);
    config.port = Value(doc, "porta", config.port);
    if (!doc.contains("codigo_ativacao")) throw std::runtime_error("falta codigo_ativacao");
    std::string problem;
    auto code = Utf8ToLatin1(Value(doc, "codigo_ativacao", std::string()), &problem);
    if (!code) throw std::runtime_error("codigo_ativacao " + problem);
    config.activationCode = *code;
    config.stateDir = Value(doc, "pasta_estado", config.stateDir.string());
    config.bodyLimit = Value(doc, "limite_corpo_bytes", config.bodyLimit);
    config.maxWaitMs = Value(doc, "espera_maxima_ms", config.maxWaitMs);
    config.connections = Value(doc, "conexoes", config.connections);
    config.statusMaxAgeS = Value(doc, "intervalo_estado_s", config.statusMaxAgeS);
    config.tlsCertificate = Value(doc, "tls_certificado", std::string());
    config.tlsKey = Value(doc, "tls_chave", std::string());
    const json tills = Value(doc, "caixas", json::array());
    if (!tills.is_array()) throw std::runtime_error("caixas deve ser uma lista");
    for (const auto &entry : tills) config.access.tills.push_back(ReadTill(entry));
    config.access.monitorAddresses = Value(doc, "enderecos_monitoramento", std::vector<std::string>{});
  } catch (const std::exception &e) {
    *error = e.what();
    return std::nullopt;
  }
  const std::string problem = CheckConfig(config);
  if (!problem.empty()) {
    *error = problem;
    return std::nullopt;
  }
  return config;
}

std::optional<Config> LoadConfig(const std::filesystem::path &path, std::string *error) {
  std::string readError;
  auto text = ReadWholeFile(path, &readError);
  if (!text) {
    *error = readError.empty() ? path.string() + " não existe" : readError;
    return std::nullopt;
  }
  auto config = ParseConfig(*text, error);
  if (!config) *error = path.string() + ": " + *error;
  return config;
}

std::string CheckConfig(const Config &config) {
  if (config.activationCode.empty()) return "codigo_ativacao está vazio";
  if (config.port < 0 || config.port > 65535) return "porta fora de 0 a 65535";
  if (config.bodyLimit < 1024) return "limite_corpo_bytes deve ser ao menos 1024";
  if (config.maxWaitMs < 0) return "espera_maxima_ms não pode ser negativa";
  if (config.connections < 2 || config.connections > 1024) return "conexoes deve estar entre 2 e 1024";
  if (config.statusMaxAgeS < 1) return "intervalo_estado_s deve ser ao menos 1";
  if (config.tlsCertificate.empty() != config.tlsKey.empty()) return "tls_certificado e tls_chave vão juntos";
  if (!IsLoopback(config.address) && !config.access.Configured()) {
    return "o endereco " + config.address + " serve a rede: configure caixas com token ou enderecos";
  }
  return "";
}

}  // namespace cfehub

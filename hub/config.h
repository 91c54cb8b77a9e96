// The hub's configuration file (JSON). Every key is optional except codigo_ativacao; an unknown
// key is an error, so that a misspelt setting is not silently ignored.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "access.h"

namespace cfehub {

struct Config {
  std::string address = "127.0.0.1";
  int port = 8580;
  std::string activationCode;  // ISO-8859-1
  std::filesystem::path stateDir = "/var/lib/cfehub";
  size_t bodyLimit = 2 * 1024 * 1024;  // a CF-e is at most 1,500 KB
  int maxWaitMs = 30000;
  int connections = 32;
  int statusMaxAgeS = 30;  // the status page asks the device again after this long
  std::string tlsCertificate;
  std::string tlsKey;
  AccessRules access;
};

std::optional<Config> ParseConfig(const std::string &text, std::string *error);
std::optional<Config> LoadConfig(const std::filesystem::path &path, std::string *error);
// What the configuration may not be: the network address without any rule of access, half a TLS
// pair, limits out of range.
std::string CheckConfig(const Config &config);

}  // namespace cfehub

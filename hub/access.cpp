#include "access.h"

#include <algorithm>
#include <cctype>

namespace cfehub {

namespace {

// Compares every byte, so that the time taken says nothing about how much of a token was right.
bool SameSecret(const std::string &given, const std::string &secret) {
  if (secret.empty() || given.size() != secret.size()) return false;
  unsigned char diff = 0;
  for (size_t i = 0; i < secret.size(); ++i) diff |= static_cast<unsigned char>(given[i] ^ secret[i]);
  return diff == 0;
}

// The token of "Bearer <token>", or nothing for another scheme.
bool BearerToken(const std::string &authorization, std::string *token) {
  const std::string scheme = "Bearer ";
  if (authorization.size() <= scheme.size()) return false;
  for (size_t i = 0; i < scheme.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(authorization[i])) != std::tolower(static_cast<unsigned char>(scheme[i]))) return false;
  }
  *token = authorization.substr(scheme.size());
  while (!token->empty() && token->back() == ' ') token->pop_back();
  return !token->empty();
}

const TillAccess *TillOfToken(const AccessRules &rules, const std::string &token) {
  for (const auto &t : rules.tills) {
    if (SameSecret(token, t.token)) return &t;
  }
  return nullptr;
}

bool Listed(const std::vector<std::string> &addresses, const std::string &remote) {
  return std::find(addresses.begin(), addresses.end(), remote) != addresses.end();
}

}  // namespace

bool IsLoopback(const std::string &address) {
  return address.rfind("127.", 0) == 0 || address == "::1" || address.rfind("::ffff:127.", 0) == 0;
}

Verdict CheckTill(const AccessRules &rules, const std::string &authorization, const std::string &remote, int till) {
  if (!authorization.empty()) {
    std::string token;
    const TillAccess *owner = BearerToken(authorization, &token) ? TillOfToken(rules, token) : nullptr;
    if (!owner) return Verdict::Unauthorized;
    return owner->till == till ? Verdict::Allow : Verdict::Forbidden;
  }
  bool known = false;
  for (const auto &t : rules.tills) {
    if (!Listed(t.addresses, remote)) continue;
    if (t.till == till) return Verdict::Allow;
    known = true;
  }
  if (known) return Verdict::Forbidden;
  if (!rules.Configured() && IsLoopback(remote)) return Verdict::Allow;
  return Verdict::Unauthorized;
}

Verdict CheckMonitor(const AccessRules &rules, const std::string &authorization, const std::string &remote) {
  if (!authorization.empty()) {
    std::string token;
    if (BearerToken(authorization, &token) && TillOfToken(rules, token)) return Verdict::Allow;
    return Verdict::Unauthorized;
  }
  if (IsLoopback(remote) || Listed(rules.monitorAddresses, remote)) return Verdict::Allow;
  for (const auto &t : rules.tills) {
    if (Listed(t.addresses, remote)) return Verdict::Allow;
  }
  return Verdict::Unauthorized;
}

}  // namespace cfehub

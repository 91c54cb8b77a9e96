// Who may call the hub. With no till configured it serves only callers on this machine; a till
// is admitted by its Bearer token or by its address, and only as itself.
#pragma once

#include <string>
#include <vector>

namespace cfehub {

struct TillAccess {
  int till = 0;
  std::string token;                   // empty: no token for this till
  std::vector<std::string> addresses;  // callers that act as this till without a token
};

struct AccessRules {
  std::vector<TillAccess> tills;
  std::vector<std::string> monitorAddresses;  // may read /, /metrics without a token
  bool Configured() const { return !tills.empty(); }
};

enum class Verdict { Allow, Unauthorized, Forbidden };

bool IsLoopback(const std::string &address);

// A call of a SAT function as `till`.
Verdict CheckTill(const AccessRules &rules, const std::string &authorization, const std::string &remote, int till);
// The status page and the metrics: this machine, the listed addresses, or any till's token.
Verdict CheckMonitor(const AccessRules &rules, const std::string &authorization, const std::string &remote);

}  // namespace cfehub

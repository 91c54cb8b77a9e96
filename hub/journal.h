// The last calls, for the status page and for a till that lost a reply: it finds its session
// numbers here and asks the device with consultarnumerosessao.
#pragma once

#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace cfehub {

struct CallRecord {
  std::string time;  // UTC, ISO 8601
  std::string function;
  int till = 0;
  int session = 0;
  std::string returnCode;
  double waitMs = 0;
  double roundTripMs = 0;
};

class Journal {
 public:
  void Add(const CallRecord &record);
  std::vector<CallRecord> Last(size_t n) const;          // newest first
  std::vector<CallRecord> OfTill(int till) const;         // newest first

  static constexpr size_t kKept = 50;         // overall
  static constexpr size_t kKeptPerTill = 20;  // per till

 private:
  mutable std::mutex mutex_;
  std::deque<CallRecord> all_;
  std::map<int, std::deque<CallRecord>> perTill_;
};

std::string UtcNow();

}  // namespace cfehub

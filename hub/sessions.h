// Session numbers belong to the hub, not to the tills: till N numbers its calls N*1000+1 ...
// N*1000+999 in turn, so two tills never share a number, and a number comes back only after
// 998 other calls of the same till. The hub's own calls (the status page's query) use the
// numbers 1000, 2000 ... 999000. The counters are stored after every step, so a restart goes on
// where the last run stopped.
#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace cfehub {

constexpr int kMaxTill = 999;

class SessionCounters {
 public:
  explicit SessionCounters(std::filesystem::path file);
  // Reads the stored counters (none stored: every till starts at its first number) and checks
  // that the file can be written. False with *error when the hub cannot keep its counters.
  bool Load(std::string *error);
  // The till's next session number, stored before it is handed out; nothing when it cannot be
  // stored (handing it out could then repeat it after a restart).
  std::optional<int> Next(int till, std::string *error);
  std::optional<int> NextOwn(std::string *error);

  static bool BelongsToTill(int session, int till) { return session / 1000 == till && session % 1000 != 0; }

 private:
  bool Store(std::string *error);
  std::filesystem::path file_;
  std::mutex mutex_;
  std::map<int, int> last_;  // till -> last step handed out (1 ... 999)
  int lastOwn_ = 0;          // 1 ... 999
};

}  // namespace cfehub

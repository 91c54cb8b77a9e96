#include "log.h"

#include <cstdio>
#include <mutex>

#include "journal.h"

namespace cfehub {

void LogEvent(const char *level, const char *event, nlohmann::json fields) {
  static std::mutex mutex;
  nlohmann::json line = {{"hora", UtcNow()}, {"nivel", level}, {"evento", event}};
  line.update(fields);
  // Replacement instead of an exception: a log line must never end a request.
  const std::string text = line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  std::lock_guard<std::mutex> guard(mutex);
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

}  // namespace cfehub

#include "journal.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace cfehub {

void Journal::Add(const CallRecord &record) {
  std::lock_guard<std::mutex> guard(mutex_);
  all_.push_front(record);
  if (all_.size() > kKept) all_.pop_back();
  auto &mine = perTill_[record.till];
  mine.push_front(record);
  if (mine.size() > kKeptPerTill) mine.pop_back();
}

std::vector<CallRecord> Journal::Last(size_t n) const {
  std::lock_guard<std::mutex> guard(mutex_);
  return {all_.begin(), all_.begin() + static_cast<long>(std::min(n, all_.size()))};
}

std::vector<CallRecord> Journal::OfTill(int till) const {
  std::lock_guard<std::mutex> guard(mutex_);
  auto it = perTill_.find(till);
  if (it == perTill_.end()) return {};
  return {it->second.begin(), it->second.end()};
}

std::string UtcNow() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  const long ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03ldZ", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                tm.tm_hour, tm.tm_min, tm.tm_sec, ms);
  return text;
}

}  // namespace cfehub

// Counters and histograms for GET /metrics, in Prometheus' text format.
#pragma once

#include <array>
#include <map>
#include <mutex>
#include <string>

namespace cfehub {

class Histogram {
 public:
  void Observe(double seconds);
  // The series of one histogram: _bucket lines, _sum and _count.
  std::string Text(const std::string &series) const;

 private:
  static constexpr std::array<double, 13> kBounds = {0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5,
                                                     1,     2.5,  5,     10,   30,  60};
  std::array<uint64_t, kBounds.size()> buckets_{};
  uint64_t count_ = 0;
  double sum_ = 0;
};

class Metrics {
 public:
  void CountRequest(const std::string &function, int httpStatus);
  void CountBusyReply(const std::string &function);
  void ObserveQueueWait(double seconds);
  void ObserveRoundTrip(const std::string &function, double seconds);
  std::string Text(size_t queueLength, bool deviceInUse) const;

 private:
  mutable std::mutex mutex_;
  std::map<std::pair<std::string, int>, uint64_t> requests_;
  std::map<std::string, uint64_t> busy_;
  Histogram queueWait_;
  std::map<std::string, Histogram> roundTrip_;
};

}  // namespace cfehub

#include "metrics.h"

#include <sstream>

namespace cfehub {

void Histogram::Observe(double seconds) {
  for (size_t i = 0; i < kBounds.size(); ++i) {
    if (seconds <= kBounds[i]) ++buckets_[i];
  }
  ++count_;
  sum_ += seconds;
}

std::string Histogram::Text(const std::string &series) const {
  // series is "name" or "name{label=\"x\"", without the closing brace, so that "le" joins it.
  const bool labelled = series.find('{') != std::string::npos;
  const std::string name = series.substr(0, series.find('{'));
  const std::string labels = labelled ? series.substr(series.find('{') + 1) + "," : "";
  std::ostringstream out;
  for (size_t i = 0; i < kBounds.size(); ++i) {
    out << name << "_bucket{" << labels << "le=\"" << kBounds[i] << "\"} " << buckets_[i] << "\n";
  }
  out << name << "_bucket{" << labels << "le=\"+Inf\"} " << count_ << "\n";
  const std::string plain = labelled ? "{" + series.substr(series.find('{') + 1) + "}" : "";
  out << name << "_sum" << plain << " " << sum_ << "\n";
  out << name << "_count" << plain << " " << count_ << "\n";
  return out.str();
}

void Metrics::CountRequest(const std::string &function, int httpStatus) {
  std::lock_guard<std::mutex> guard(mutex_);
  ++requests_[{function, httpStatus}];
}

void Metrics::CountBusyReply(const std::string &function) {
  std::lock_guard<std::mutex> guard(mutex_);
  ++busy_[function];
}

void Metrics::ObserveQueueWait(double seconds) {
  std::lock_guard<std::mutex> guard(mutex_);
  queueWait_.Observe(seconds);
}

void Metrics::ObserveRoundTrip(const std::string &function, double seconds) {
  std::lock_guard<std::mutex> guard(mutex_);
  roundTrip_[function].Observe(seconds);
}

std::string Metrics::Text(size_t queueLength, bool deviceInUse) const {
  std::lock_guard<std::mutex> guard(mutex_);
  std::ostringstream out;
  out << "# HELP cfehub_requests_total Requests answered, per function and HTTP status.\n"
         "# TYPE cfehub_requests_total counter\n";
  for (const auto &[key, n] : requests_) {
    out << "cfehub_requests_total{funcao=\"" << key.first << "\",status=\"" << key.second << "\"} " << n << "\n";
  }
  out << "# HELP cfehub_busy_replies_total Replies with the function's busy code (queue wait exceeded or device busy).\n"
         "# TYPE cfehub_busy_replies_total counter\n";
  for (const auto &[function, n] : busy_) out << "cfehub_busy_replies_total{funcao=\"" << function << "\"} " << n << "\n";
  out << "# HELP cfehub_queue_wait_seconds Time a request waited for the device.\n"
         "# TYPE cfehub_queue_wait_seconds histogram\n"
      << queueWait_.Text("cfehub_queue_wait_seconds");
  out << "# HELP cfehub_device_round_trip_seconds Time of one library call, per function.\n"
         "# TYPE cfehub_device_round_trip_seconds histogram\n";
  for (const auto &[function, h] : roundTrip_) {
    out << h.Text("cfehub_device_round_trip_seconds{funcao=\"" + function + "\"");
  }
  out << "# HELP cfehub_queue_length Requests waiting for the device now.\n"
         "# TYPE cfehub_queue_length gauge\n"
         "cfehub_queue_length "
      << queueLength << "\n";
  out << "# HELP cfehub_device_in_use 1 while a call is at the device.\n"
         "# TYPE cfehub_device_in_use gauge\n"
         "cfehub_device_in_use "
      << (deviceInUse ? 1 : 0) << "\n";
  return out.str();
}

}  // namespace cfehub

// The page at "/": the device's state from its last ConsultarStatusOperacional, the queue, and
// the last calls. Plain HTML that refreshes itself; no script.
#pragma once

#include <string>
#include <vector>

#include "journal.h"

namespace cfehub {

struct DeviceStatus {
  std::string reply;  // UTF-8; empty when never asked
  std::string askedAt;
};

struct QueueState {
  size_t waiting = 0;
  bool deviceInUse = false;
};

std::string StatusPage(const DeviceStatus &status, const QueueState &queue, const std::vector<CallRecord> &calls);

// Splits a reply at "|".
std::vector<std::string> ReplyFields(const std::string &reply);

}  // namespace cfehub

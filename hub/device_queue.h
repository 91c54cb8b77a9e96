// Requests for the device wait here in order of arrival, one at the device at a time. A request
// that waits longer than its limit leaves the queue and is answered busy, so no till hangs behind
// a long call (a software update holds the device for minutes).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <mutex>

namespace cfehub {

class DeviceQueue {
 public:
  // True when the caller's turn came within maxWait; it must then call Release().
  bool Acquire(std::chrono::milliseconds maxWait);
  void Release();
  size_t Waiting() const;
  bool DeviceInUse() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::list<uint64_t> waiting_;
  uint64_t nextTicket_ = 0;
  bool inUse_ = false;
};

// Takes the device for one scope.
class DeviceTurn {
 public:
  DeviceTurn(DeviceQueue &queue, std::chrono::milliseconds maxWait) : queue_(queue), held_(queue.Acquire(maxWait)) {}
  ~DeviceTurn() {
    if (held_) queue_.Release();
  }
  DeviceTurn(const DeviceTurn &) = delete;
  DeviceTurn &operator=(const DeviceTurn &) = delete;
  bool Held() const { return held_; }

 private:
  DeviceQueue &queue_;
  bool held_;
};

}  // namespace cfehub

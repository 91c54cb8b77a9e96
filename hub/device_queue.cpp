#include "device_queue.h"

#include <algorithm>

namespace cfehub {

bool DeviceQueue::Acquire(std::chrono::milliseconds maxWait) {
  std::unique_lock<std::mutex> lock(mutex_);
  const uint64_t ticket = nextTicket_++;
  waiting_.push_back(ticket);
  const bool turn = changed_.wait_for(lock, maxWait, [&] { return !inUse_ && waiting_.front() == ticket; });
  waiting_.remove(ticket);
  if (turn) {
    inUse_ = true;
  } else {
    changed_.notify_all();  // the one behind may now be first
  }
  return turn;
}

void DeviceQueue::Release() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    inUse_ = false;
  }
  changed_.notify_all();
}

size_t DeviceQueue::Waiting() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return waiting_.size();
}

bool DeviceQueue::DeviceInUse() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return inUse_;
}

}  // namespace cfehub

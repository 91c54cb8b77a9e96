// The HTTP service: routes, access, the queue for the device and the calls into libcfedriver.
#pragma once

#include <httplib.h>

#include <memory>
#include <mutex>
#include <string>

#include "activation.h"
#include "config.h"
#include "device_queue.h"
#include "functions.h"
#include "journal.h"
#include "metrics.h"
#include "sessions.h"
#include "status_page.h"

namespace cfehub {

class Hub {
 public:
  explicit Hub(Config config);
  ~Hub();
  // Reads the stored state, checks the TLS files and binds the address. False with *error.
  bool Prepare(std::string *error);
  int Port() const { return port_; }
  // Serves until Stop().
  bool Run();
  void Stop();

 private:
  void AddRoutes();
  void HandleCall(const SatFunction &function, const httplib::Request &req, httplib::Response &res);
  void HandleSessions(const httplib::Request &req, httplib::Response &res);
  void HandleStatusPage(const httplib::Request &req, httplib::Response &res);
  void HandleMetrics(const httplib::Request &req, httplib::Response &res);
  bool MonitorAllowed(const httplib::Request &req, httplib::Response &res);
  DeviceStatus CurrentDeviceStatus();

  Config config_;
  std::unique_ptr<httplib::Server> server_;
  SessionCounters sessions_;
  ActivationCode activation_;
  DeviceQueue queue_;
  Metrics metrics_;
  Journal journal_;
  std::mutex statusMutex_;  // one refresh of the device's state at a time
  DeviceStatus status_;
  std::chrono::steady_clock::time_point statusTime_{};
  int port_ = 0;
  int lockFd_ = -1;  // flock on the state folder, held while the service runs
};

}  // namespace cfehub

// The test side of the emulator's pseudo-terminal: a plain reader and writer on the slave,
// doing what the driver does on the wire and nothing more.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace cfetest {

class Port {
 public:
  explicit Port(const std::string &path) {
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ >= 0) {
      termios t{};
      tcgetattr(fd_, &t);
      cfmakeraw(&t);
      tcsetattr(fd_, TCSANOW, &t);
    }
  }
  ~Port() {
    if (fd_ >= 0) close(fd_);
  }
  Port(const Port &) = delete;
  Port &operator=(const Port &) = delete;

  bool IsOpen() const { return fd_ >= 0; }

  // Writes the request text framed as the driver frames it: text + "|" + ETX.
  bool Send(const std::string &request) {
    const std::string frame = request + "|\x03";
    size_t done = 0;
    while (done < frame.size()) {
      ssize_t n = write(fd_, frame.data() + done, frame.size() - done);
      if (n > 0) {
        done += static_cast<size_t>(n);
        continue;
      }
      pollfd p{fd_, POLLOUT, 0};
      if (poll(&p, 1, 2000) <= 0) return false;
    }
    return true;
  }

  // Reads packets (what one read() returns) until one ends in ETX or the time is up.
  // hungUp is set when the other side went away.
  std::vector<std::string> ReadPackets(int timeoutMs) {
    std::vector<std::string> packets;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
      const int left = static_cast<int>(
          std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()).count());
      if (left <= 0) break;
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, left) <= 0) break;
      char buf[65536];
      ssize_t n = read(fd_, buf, sizeof buf);
      if (n <= 0) {
        hungUp = true;
        break;
      }
      packets.emplace_back(buf, static_cast<size_t>(n));
      if (packets.back().back() == '\x03') break;
    }
    return packets;
  }

  // Everything read within the time, joined.
  std::string ReadFor(int ms) {
    std::string all;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
      for (const auto &p : ReadPackets(static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
               until - std::chrono::steady_clock::now()).count())))
        all += p;
      if (hungUp) break;
    }
    return all;
  }

  // One exchange: the reply text without its ETX; empty when none came in time.
  std::string Exchange(const std::string &request, int timeoutMs = 2000) {
    if (!Send(request)) return "";
    std::string reply;
    for (const auto &p : ReadPackets(timeoutMs)) reply += p;
    if (reply.empty() || reply.back() != '\x03') return "";
    reply.pop_back();
    return reply;
  }

  bool hungUp = false;

 private:
  int fd_ = -1;
};

inline std::vector<std::string> Fields(const std::string &reply) {
  std::vector<std::string> f;
  size_t start = 0;
  while (true) {
    size_t bar = reply.find('|', start);
    f.push_back(reply.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) return f;
    start = bar + 1;
  }
}

}  // namespace cfetest

// A pseudo-terminal pair standing in for the device: the channel opens the
// slave by its path, the test plays the device on the master (by hand, or
// through the scripted device in support.h, which is built on this pair).
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <string_view>

namespace cfetest {

struct Pty {
  int master = -1;
  std::string slave;

  Pty() {
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return;
    slave = ptsname(master);
    termios t{};
    tcgetattr(master, &t);
    cfmakeraw(&t);  // or what the master writes is echoed back to it
    tcsetattr(master, TCSANOW, &t);
    // The slave raw too, so that bytes are readable before the channel configures it.
    int s = open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (s >= 0) {
      tcgetattr(s, &t);
      cfmakeraw(&t);
      tcsetattr(s, TCSANOW, &t);
      close(s);
    }
  }
  ~Pty() { CloseMaster(); }
  Pty(const Pty &) = delete;
  Pty &operator=(const Pty &) = delete;

  bool ok() const { return master >= 0 && !slave.empty(); }

  void CloseMaster() {
    if (master >= 0) close(master);
    master = -1;
  }

  void Write(std::string_view bytes) const {
    while (!bytes.empty()) {
      ssize_t n = write(master, bytes.data(), bytes.size());
      if (n <= 0) return;
      bytes.remove_prefix(size_t(n));
    }
  }

  // Reads what the channel wrote until `stop` returns true or ms pass.
  template <class Stop>
  std::string ReadUntil(Stop stop, int ms) const {
    std::string got;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!stop(got)) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
      if (left <= 0) break;
      pollfd p{master, POLLIN, 0};
      if (poll(&p, 1, int(left)) <= 0) continue;
      char buffer[4096];
      ssize_t n = read(master, buffer, sizeof buffer);
      if (n > 0) {
        got.append(buffer, size_t(n));
      } else if (n < 0 && errno == EIO) {
        // No one has the slave open (yet): the master reports a hang-up until someone does.
        usleep(2000);
      } else if (!(n < 0 && (errno == EINTR || errno == EAGAIN))) {
        break;
      }
    }
    return got;
  }

  // Reads one request frame: everything up to and including ETX.
  std::string ReadFrame(int ms = 2000) const {
    return ReadUntil([](const std::string &s) { return !s.empty() && s.back() == '\x03'; }, ms);
  }
};

}  // namespace cfetest

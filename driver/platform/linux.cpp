// Linux implementation of the platform layer.
#include "platform/platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace cfe::platform {

// ---- clock ---------------------------------------------------------------

int64_t MonotonicMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void SleepMs(int64_t ms) {
  if (ms <= 0) return;
  timespec ts{time_t(ms / 1000), long(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) == -1 && errno == EINTR) {
  }
}

std::string LocalDateTimeText() {
  time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  char text[32];
  strftime(text, sizeof text, "%d/%m/%Y %H:%M:%S", &local);
  return text;
}

// ---- paths and files -----------------------------------------------------

std::string ExecutableDir() {
  std::string path(4096, '\0');
  ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
  if (n <= 0) return ".";
  path.resize(size_t(n));
  auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string EnvText(const char *name) {
  const char *value = getenv(name);
  return value ? value : "";
}

static bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(size_t(n));
  }
  return true;
}

static bool WriteWithFlags(const std::string &path, std::string_view bytes, int flags) {
  int fd = open(path.c_str(), flags | O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes);
  return close(fd) == 0 && ok;
}

bool AppendToFile(const std::string &path, std::string_view bytes) {
  return WriteWithFlags(path, bytes, O_APPEND);
}

bool ReplaceFile(const std::string &path, std::string_view bytes) {
  return WriteWithFlags(path, bytes, O_TRUNC);
}

bool FileExists(const std::string &path) {
  struct stat st{};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool ReadWholeFile(const std::string &path, std::string &out) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  out.clear();
  char buffer[65536];
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      return false;
    }
    if (n == 0) break;
    out.append(buffer, size_t(n));
  }
  close(fd);
  return true;
}

}  // namespace cfe::platform

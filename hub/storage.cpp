#include "storage.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace cfehub {

namespace {

bool Fail(std::string *error, const std::string &what, const std::filesystem::path &path) {
  *error = what + " " + path.string() + ": " + std::strerror(errno);
  return false;
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path &path, const std::string &text, std::string *error) {
  const std::filesystem::path temp = path.string() + ".novo";
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return Fail(error, "não foi possível criar", temp);
  const char *p = text.data();
  size_t left = text.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      Fail(error, "não foi possível gravar", temp);
      ::close(fd);
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0) {
    Fail(error, "não foi possível gravar", temp);
    ::close(fd);
    return false;
  }
  ::close(fd);
  if (::rename(temp.c_str(), path.c_str()) != 0) return Fail(error, "não foi possível substituir", path);
  // The rename itself must reach the disk too, or a power cut could bring the old file back.
  int dir = ::open(path.parent_path().empty() ? "." : path.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path &path, std::string *error) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "não foi possível ler " + path.string();
    return std::nullopt;
  }
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace cfehub

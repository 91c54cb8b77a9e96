// Linux implementation of the platform layer.
#include "platform/platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
  return FolderOf(path);
}

std::string EnvText(const char *name) {
  const char *value = getenv(name);
  return value ? value : "";
}

std::string JoinPath(const std::string &folder, const std::string &name) { return folder + "/" + name; }

std::string FolderOf(const std::string &path) {
  auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string DefaultLogPath() { return "/tmp/dll_norvi_zorvan.log"; }
std::string DefaultCopyPath() { return "/tmp/corrigido.xml"; }
std::string SystemSettingsPath() { return "/etc/cfedriver/sat.ini"; }

static bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(size_t(n));
  }
  return true;
}

// Opens without blocking (a FIFO with no reader fails at once, one with a reader
// is refused below) and without following a link, then looks at what it opened.
static bool WriteSafely(const std::string &path, std::string_view bytes, bool replace) {
  int fd = open(path.c_str(),
                O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (replace ? 0 : O_APPEND),
                0600);
  if (fd < 0) return false;
  struct stat st{};
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid();
  if (ok && (st.st_mode & 07777) != 0600) ok = fchmod(fd, 0600) == 0;
  if (ok && replace) ok = ftruncate(fd, 0) == 0;  // only now: never truncate what is refused
  if (ok) ok = WriteAll(fd, bytes);
  return close(fd) == 0 && ok;
}

bool AppendToFile(const std::string &path, std::string_view bytes) { return WriteSafely(path, bytes, false); }

bool WriteWholeFile(const std::string &path, std::string_view bytes) { return WriteSafely(path, bytes, true); }

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

// ---- per-thread slot ------------------------------------------------------

namespace {
pthread_key_t g_slotKey;
bool g_slotKeyValid = false;  // the caller serialises Create, Get, Set and Delete
}  // namespace

bool ThreadSlotCreate(void (*atThreadEnd)(void *)) {
  if (g_slotKeyValid) return true;
  g_slotKeyValid = pthread_key_create(&g_slotKey, atThreadEnd) == 0;
  return g_slotKeyValid;
}

void *ThreadSlotGet() { return g_slotKeyValid ? pthread_getspecific(g_slotKey) : nullptr; }

bool ThreadSlotSet(void *slot) { return g_slotKeyValid && pthread_setspecific(g_slotKey, slot) == 0; }

void ThreadSlotDelete() {
  if (g_slotKeyValid) pthread_key_delete(g_slotKey);
  g_slotKeyValid = false;
}

// ---- serial ports --------------------------------------------------------

namespace {

int Fd(PortHandle port) { return int(port.os); }

// The kernel's termios2, for rates without a Bxxx constant. <asm/termbits.h>
// cannot be included next to <termios.h> (both define struct termios), so the
// record is declared here as the kernel lays it out; TCGETS2/TCSETS2 from
// <sys/ioctl.h> refer to it by name.
struct termios2 {
  unsigned int c_iflag;
  unsigned int c_oflag;
  unsigned int c_cflag;
  unsigned int c_lflag;
  unsigned char c_line;
  unsigned char c_cc[19];
  unsigned int c_ispeed;
  unsigned int c_ospeed;
};
static_assert(sizeof(termios2) == 44, "kernel termios2 layout");
constexpr unsigned int kBOTHER = 0010000;
constexpr unsigned int kCBAUD = 0010017;

struct Rate {
  int baud;
  speed_t code;
};
constexpr Rate kRates[] = {
    {50, B50},         {75, B75},           {110, B110},         {134, B134},
    {150, B150},       {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},     {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},     {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200}, {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000}, {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

bool StandardRate(int baud, speed_t &code) {
  for (const Rate &r : kRates) {
    if (r.baud == baud) {
      code = r.code;
      return true;
    }
  }
  return false;
}

int SetOtherRate(int fd, int baud) {
  termios2 t2{};
  if (ioctl(fd, TCGETS2, &t2) == -1) return errno;
  t2.c_cflag &= ~kCBAUD;
  t2.c_cflag |= kBOTHER;
  t2.c_cflag &= ~(kCBAUD << 16);  // input rate follows the output rate
  t2.c_ispeed = unsigned(baud);
  t2.c_ospeed = unsigned(baud);
  if (ioctl(fd, TCSETS2, &t2) == -1) return errno;
  return 0;
}

int IoctlInt(int fd, unsigned long request, int &value) {
  int v = 0;
  if (ioctl(fd, request, &v) == -1) return errno;
  value = v;
  return 0;
}

}  // namespace

int SerialOpen(const std::string &path, PortHandle &port) {
  port = PortHandle{};
  int f = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (f == -1) return errno;
  // flock first: TIOCEXCL alone does not stop a second open by root.
  if (flock(f, LOCK_EX | LOCK_NB) == -1) {
    int err = errno == EWOULDBLOCK ? EBUSY : errno;
    close(f);
    return err;
  }
  if (ioctl(f, TIOCEXCL) == -1) {
    int err = errno;
    close(f);
    return err;
  }
  port.os = f;
  return 0;
}

void SerialClose(PortHandle port) {
  const int fd = Fd(port);
  if (fd < 0) return;
  ioctl(fd, TIOCNXCL);  // fails harmlessly where the flag was never set
  close(fd);            // also drops the flock
}

int SerialConfig(PortHandle port, const SerialParams &p) {
  const int fd = Fd(port);
  if (p.baud <= 0 || p.bits < 5 || p.bits > 8 || p.stop < 0 || p.stop > 2) return EINVAL;
  termios t{};
  if (tcgetattr(fd, &t) == -1) return errno;

  // Raw bytes both ways, VMIN 1 so that an empty non-blocking read says EAGAIN.
  t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
  t.c_oflag &= ~OPOST;
  t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;

  t.c_cflag &= ~(CSIZE | CSTOPB | CRTSCTS);
  t.c_cflag |= CLOCAL | CREAD;
  switch (p.bits) {
    case 5: t.c_cflag |= CS5; break;
    case 6: t.c_cflag |= CS6; break;
    case 7: t.c_cflag |= CS7; break;
    default: t.c_cflag |= CS8; break;
  }
  if (p.stop != 0) t.c_cflag |= CSTOPB;  // with 5 bits the line makes it one and a half

  switch (p.parity) {
    case 'N': case 'n': t.c_cflag &= ~(PARENB | PARODD | CMSPAR); break;
    case 'O': case 'o': t.c_cflag = (t.c_cflag & ~CMSPAR) | PARENB | PARODD; break;
    case 'E': case 'e': t.c_cflag = (t.c_cflag & ~(CMSPAR | PARODD)) | PARENB; break;
    case 'M': case 'm': t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case 'S': case 's': t.c_cflag = (t.c_cflag & ~PARODD) | PARENB | CMSPAR; break;
    default: break;  // keep what the port had
  }
  if (t.c_cflag & PARENB) t.c_iflag |= INPCK;

  if (p.softflow) {
    t.c_iflag |= IXON | IXOFF;
    t.c_cc[VSTART] = 0x11;
    t.c_cc[VSTOP] = 0x13;
  }
  if (p.hardflow) t.c_cflag |= CRTSCTS;

  speed_t code = B38400;
  bool standard = StandardRate(p.baud, code);
  cfsetispeed(&t, code);
  cfsetospeed(&t, code);
  if (tcsetattr(fd, TCSANOW, &t) == -1) return errno;
  return standard ? 0 : SetOtherRate(fd, p.baud);
}

int SerialInputCount(PortHandle port, int &count) {
  const int fd = Fd(port);
  count = 0;
  return IoctlInt(fd, FIONREAD, count);
}

int SerialOutputCount(PortHandle port, int &count) {
  const int fd = Fd(port);
  count = 0;
  return IoctlInt(fd, TIOCOUTQ, count);
}

int SerialRead(PortHandle port, char *buffer, size_t length, size_t &got) {
  const int fd = Fd(port);
  got = 0;
  if (length == 0) return 0;
  for (;;) {
    ssize_t n = read(fd, buffer, length);
    if (n > 0) {
      got = size_t(n);
      return 0;
    }
    if (n == 0) return EIO;  // the other end hung up
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    return errno;
  }
}

int SerialWrite(PortHandle port, const char *data, size_t length, size_t &written) {
  const int fd = Fd(port);
  written = 0;
  if (length == 0) return 0;
  for (;;) {
    ssize_t n = write(fd, data, length);
    if (n >= 0) {
      written = size_t(n);
      return 0;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    return errno;
  }
}

int SerialWait(PortHandle port, bool forWrite, int timeoutMs, SerialWaitResult &r) {
  const int fd = Fd(port);
  r = {};
  const short wanted = forWrite ? POLLOUT : POLLIN;
  const int64_t end = timeoutMs < 0 ? 0 : MonotonicMs() + timeoutMs;
  for (;;) {
    int wait = -1;
    if (timeoutMs >= 0) wait = int(std::max<int64_t>(0, end - MonotonicMs()));
    pollfd p{fd, wanted, 0};
    int n = poll(&p, 1, wait);
    if (n == -1) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return 0;
    r.ready = (p.revents & wanted) != 0;
    r.hangup = (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    return 0;
  }
}

int SerialPurge(PortHandle port, bool input, bool output) {
  const int fd = Fd(port);
  int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
  if (!input && !output) return 0;
  return tcflush(fd, which) == -1 ? errno : 0;
}

int SerialDrain(PortHandle port, int timeoutMs) {
  const int fd = Fd(port);
  // tcdrain has no time limit: a line held by flow control would hang the
  // caller for good. Wait for the queue to empty first, then for the last byte.
  const int64_t end = MonotonicMs() + std::max(0, timeoutMs);
  for (;;) {
    int pending = 0;
    if (SerialOutputCount(port, pending) != 0 || pending == 0) break;
    if (MonotonicMs() >= end) return ETIMEDOUT;
    SleepMs(1);
  }
  while (tcdrain(fd) == -1) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

int SerialSetLine(PortHandle port, ModemLine line, bool on) {
  const int fd = Fd(port);
  int bits = line == ModemLine::RTS ? TIOCM_RTS : TIOCM_DTR;
  return ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits) == -1 ? errno : 0;
}

int SerialModemStatus(PortHandle port, bool &cts, bool &dsr) {
  const int fd = Fd(port);
  cts = dsr = false;
  int bits = 0;
  if (ioctl(fd, TIOCMGET, &bits) == -1) return errno;
  cts = (bits & TIOCM_CTS) != 0;
  dsr = (bits & TIOCM_DSR) != 0;
  return 0;
}

int SerialLineErrorCounts(PortHandle port, SerialLineCounts &c) {
  const int fd = Fd(port);
  c = {};
  serial_icounter_struct ic{};
  if (ioctl(fd, TIOCGICOUNT, &ic) == -1) return errno;
  c.frame = uint32_t(ic.frame);
  c.overrun = uint32_t(ic.overrun);
  c.bufOverrun = uint32_t(ic.buf_overrun);
  c.parity = uint32_t(ic.parity);
  return 0;
}

const int kErrTimedOut = ETIMEDOUT;
const int kErrPortGone = EIO;

bool PortGone(int err) { return err == EIO; }

std::string ErrorText(int err) {
  char buffer[256];
  // GNU strerror_r: thread-safe, returns the text (maybe not in buffer).
  const char *text = strerror_r(err, buffer, sizeof buffer);
  return text ? text : "";
}

// ---- port listing ---------------------------------------------------------

namespace {

// CFEDRIVER_SYSFS and CFEDRIVER_DEVDIR stand for /sys and /dev in the tests.
std::string Root(const char *variable, const char *fallback) {
  std::string value = EnvText(variable);
  while (value.size() > 1 && value.back() == '/') value.pop_back();
  return value.empty() ? fallback : value;
}

std::string DeviceDir() { return Root("CFEDRIVER_DEVDIR", "/dev"); }

// The resolved path, or empty when it does not exist.
std::string RealPath(const std::string &path) {
  char *resolved = realpath(path.c_str(), nullptr);
  if (!resolved) return {};
  std::string result = resolved;
  free(resolved);
  return result;
}

std::string BaseName(const std::string &path) {
  auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string SmallFile(const std::string &path) {
  std::string text;
  if (!ReadWholeFile(path, text)) return {};
  if (text.size() > 256) text.resize(256);  // sysfs attributes are short
  return text;
}

// An id as sysfs writes it ("0525\n"), compared without case or blanks.
bool SameId(const std::string &text, const char *expected) {
  std::string id;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    id += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  return id == expected;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Natural order: runs of digits compare by value, so ttyACM2 comes before ttyACM10.
bool NaturalOrder(const std::string &a, const std::string &b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      size_t ea = i, eb = j;
      while (ea < a.size() && IsDigit(a[ea])) ++ea;
      while (eb < b.size() && IsDigit(b[eb])) ++eb;
      size_t za = i, zb = j;  // skip leading zeros
      while (za + 1 < ea && a[za] == '0') ++za;
      while (zb + 1 < eb && b[zb] == '0') ++zb;
      std::string_view na(a.data() + za, ea - za), nb(b.data() + zb, eb - zb);
      if (na.size() != nb.size()) return na.size() < nb.size();
      if (na != nb) return na < nb;
      i = ea;
      j = eb;
    } else {
      if (a[i] != b[j]) return (unsigned char)a[i] < (unsigned char)b[j];
      ++i;
      ++j;
    }
  }
  if ((a.size() - i) != (b.size() - j)) return (a.size() - i) < (b.size() - j);
  return a < b;  // same value, different zeros: any fixed order
}

}  // namespace

// The USB serial ports are the ttys of <sysfs>/class/tty bound to cdc_acm, in
// natural order; the device's are those whose USB device has the ids 0525:a4a7.
bool ListDevicePorts(std::vector<std::string> &devicePorts, std::vector<std::string> &attachedPorts) {
  devicePorts.clear();
  attachedPorts.clear();
  const std::string classDir = Root("CFEDRIVER_SYSFS", "/sys") + "/class/tty";
  DIR *dir = opendir(classDir.c_str());
  if (!dir) return false;
  std::vector<std::string> names;
  while (dirent *e = readdir(dir)) {
    std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end(), NaturalOrder);

  const std::string devDir = DeviceDir();
  for (const std::string &name : names) {
    // Virtual terminals have no device link; only ttys on hardware count.
    std::string device = RealPath(classDir + "/" + name + "/device");
    if (device.empty()) continue;
    std::string driver = RealPath(device + "/driver");
    if (driver.empty() || BaseName(driver) != "cdc_acm") continue;
    std::string port = devDir + "/" + name;
    attachedPorts.push_back(port);
    std::string usb = RealPath(device + "/..");
    if (!usb.empty() && SameId(SmallFile(usb + "/idVendor"), "0525") && SameId(SmallFile(usb + "/idProduct"), "a4a7"))
      devicePorts.push_back(port);
  }
  return true;
}

std::string SerialPortPath(int number) { return DeviceDir() + "/ttyS" + std::to_string(number); }

}  // namespace cfe::platform

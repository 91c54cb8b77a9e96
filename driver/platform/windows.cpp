// Windows implementation of the platform layer. Texts at this boundary are in
// the system's 8-bit code page (CP_ACP) and become UTF-16 only to meet the
// system's W functions.
#include "platform/platform.h"
#include "platform/windows_dcb.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>

namespace cfe::platform {

namespace {

std::wstring Wide(const std::string &text) {
  if (text.empty() || text.size() > 0x7FFFFFFF) return {};  // no path or name is that long
  int n = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(size_t(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(), n);
  return wide;
}

std::string Narrow(const wchar_t *text, size_t length) {
  if (length == 0 || length > 0x7FFFFFFF) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, text, int(length), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string narrow(size_t(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, int(length), narrow.data(), n, nullptr, nullptr);
  return narrow;
}

std::string Narrow(const std::wstring &text) { return Narrow(text.data(), text.size()); }

int LastError() { return int(GetLastError()); }

}  // namespace

// ---- clock ---------------------------------------------------------------

int64_t MonotonicMs() {
  static const int64_t frequency = [] {
    LARGE_INTEGER f{};
    return QueryPerformanceFrequency(&f) && f.QuadPart > 0 ? int64_t(f.QuadPart) : int64_t(0);
  }();
  LARGE_INTEGER now{};
  if (frequency == 0 || !QueryPerformanceCounter(&now)) return int64_t(GetTickCount64());
  // Whole seconds and the rest apart, so that the product cannot overflow.
  const int64_t ticks = now.QuadPart;
  return ticks / frequency * 1000 + ticks % frequency * 1000 / frequency;
}

void SleepMs(int64_t ms) {
  while (ms > 0) {
    const DWORD step = DWORD(std::min<int64_t>(ms, 0x7FFFFFFF));
    Sleep(step);
    ms -= step;
  }
}

std::string LocalDateTimeText() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  char date[128] = "";
  char time[128] = "";
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, sizeof date);
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, sizeof time);
  return std::string(date) + " " + time;
}

// ---- paths and files -----------------------------------------------------

std::string ExecutableDir() {
  // The calling program's executable, not this DLL: sat.ini sits beside the program.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (n == 0) return ".";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    if (path.size() >= 32768) return ".";
    path.resize(path.size() * 2);
  }
  return FolderOf(Narrow(path));
}

std::string EnvText(const char *name) {
  // The process environment itself: the C runtime's copy misses later changes.
  DWORD n = GetEnvironmentVariableA(name, nullptr, 0);
  if (n == 0) return "";
  std::string value(n, '\0');
  DWORD got = GetEnvironmentVariableA(name, value.data(), n);
  if (got == 0 || got >= n) return "";
  value.resize(got);
  return value;
}

std::string JoinPath(const std::string &folder, const std::string &name) {
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder + name;
  return folder + "\\" + name;
}

std::string FolderOf(const std::string &path) {
  auto sep = path.find_last_of("\\/");
  if (sep == std::string::npos) return ".";
  // "c:\x" lives in "c:\", "\x" in "\".
  if (sep == 0 || (sep == 2 && path[1] == ':')) return path.substr(0, sep + 1);
  return path.substr(0, sep);
}

std::string DefaultLogPath() { return "c:\\Temp\\dll_norvi_zorvan.log"; }
std::string DefaultCopyPath() { return "c:\\temp\\corrigido.xml"; }
std::string SystemSettingsPath() { return ""; }

namespace {

// A handle that closes itself.
struct Handle {
  HANDLE h = INVALID_HANDLE_VALUE;
  explicit Handle(HANDLE handle) : h(handle) {}
  Handle(const Handle &) = delete;
  Handle &operator=(const Handle &) = delete;
  ~Handle() {
    if (h != INVALID_HANDLE_VALUE && h != nullptr) CloseHandle(h);
  }
  bool Ok() const { return h != INVALID_HANDLE_VALUE && h != nullptr; }
};

// Only a plain file on a disk: not a folder, a pipe, a console or a device,
// and not a link or junction, whose target is someone else's choice. The
// reparse point is opened itself (FILE_FLAG_OPEN_REPARSE_POINT) and refused.
bool IsPlainFile(HANDLE h) {
  if (GetFileType(h) != FILE_TYPE_DISK) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(h, &info)) return false;
  return (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) == 0;
}

bool WriteAll(HANDLE h, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD step = DWORD(std::min<size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(h, bytes.data(), step, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// Other programs may read the log while it grows, and several programs of the
// shop may append to it: the file is shared. Appending uses FILE_APPEND_DATA
// only, so that every write lands at the end whoever else writes.
bool WriteSafely(const std::string &path, std::string_view bytes, bool replace) {
  const std::wstring wide = Wide(path);
  if (wide.empty()) return false;
  Handle file(CreateFileW(wide.c_str(), replace ? GENERIC_WRITE : FILE_APPEND_DATA,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.Ok() || !IsPlainFile(file.h)) return false;
  if (replace && !SetEndOfFile(file.h)) return false;  // only now: never truncate what is refused
  return WriteAll(file.h, bytes);
}

}  // namespace

bool AppendToFile(const std::string &path, std::string_view bytes) { return WriteSafely(path, bytes, false); }

bool WriteWholeFile(const std::string &path, std::string_view bytes) { return WriteSafely(path, bytes, true); }

bool FileExists(const std::string &path) {
  const std::wstring wide = Wide(path);
  if (wide.empty()) return false;
  DWORD attributes = GetFileAttributesW(wide.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

bool ReadWholeFile(const std::string &path, std::string &out) {
  const std::wstring wide = Wide(path);
  if (wide.empty()) return false;
  Handle file(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  // A pipe or a device under that name could make the read wait for good.
  if (!file.Ok() || GetFileType(file.h) != FILE_TYPE_DISK) return false;
  out.clear();
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.h, buffer, sizeof buffer, &got, nullptr)) return false;
    if (got == 0) return true;
    out.append(buffer, got);
  }
}

// ---- per-thread slot ------------------------------------------------------

namespace {
DWORD g_slotIndex = TLS_OUT_OF_INDEXES;  // the caller serialises Create, Get, Set and Delete
std::atomic<void (*)(void *)> g_atThreadEnd{nullptr};

// A thread's end is told by the loader, under its lock, as DLL_THREAD_DETACH:
// never at the same time as the unload (DLL_PROCESS_DETACH, which releases the
// slots) and never after it. Fiber-local slots with a callback were tried
// first: Wine ran a thread's callbacks while the DLL was being unloaded and
// crashed in the exiting thread.
void NTAPI ThreadEvent(PVOID, DWORD reason, PVOID) {
  if (reason != DLL_THREAD_DETACH || g_slotIndex == TLS_OUT_OF_INDEXES) return;
  void *slot = TlsGetValue(g_slotIndex);
  auto told = g_atThreadEnd.load();
  if (slot && told) told(slot);
}
}  // namespace

// The loader calls the functions of this section at every thread's start and
// end, for a DLL and a program alike (TLS callbacks).
#ifdef _MSC_VER
#pragma comment(linker, "/INCLUDE:_tls_used")
#pragma section(".CRT$XLF", long, read)
extern "C" __declspec(allocate(".CRT$XLF")) const PIMAGE_TLS_CALLBACK cfe_thread_event = ThreadEvent;
#else
extern "C" __attribute__((section(".CRT$XLF"), used)) const PIMAGE_TLS_CALLBACK cfe_thread_event = ThreadEvent;
#endif

bool ThreadSlotCreate(void (*atThreadEnd)(void *)) {
  if (g_slotIndex != TLS_OUT_OF_INDEXES) return true;
  g_atThreadEnd = atThreadEnd;
  g_slotIndex = TlsAlloc();
  return g_slotIndex != TLS_OUT_OF_INDEXES;
}

void *ThreadSlotGet() { return g_slotIndex != TLS_OUT_OF_INDEXES ? TlsGetValue(g_slotIndex) : nullptr; }

bool ThreadSlotSet(void *slot) { return g_slotIndex != TLS_OUT_OF_INDEXES && TlsSetValue(g_slotIndex, slot); }

void ThreadSlotDelete() {
  g_atThreadEnd = nullptr;
  if (g_slotIndex != TLS_OUT_OF_INDEXES) TlsFree(g_slotIndex);
  g_slotIndex = TLS_OUT_OF_INDEXES;
}

// ---- serial ports --------------------------------------------------------

namespace {

HANDLE H(PortHandle port) { return reinterpret_cast<HANDLE>(port.os); }

// The longest this layer waits for an overlapped read or write of bytes that
// the port can take or give at once; longer waits are the caller's, with its
// own time-out (SerialWait). Writes go in steps that a slow line still sends
// well within that time (16 KiB take 1.4 s at 115200 baud), so that a large
// sale is never cut short by the bound.
constexpr DWORD kTransferWaitMs = 5000;
constexpr size_t kWriteStep = 16 * 1024;

// ClearCommError reports line errors as flags and clears them on every query,
// queue counts included: each query adds its flags to the port's running totals.
std::mutex g_countsMutex;
std::map<intptr_t, SerialLineCounts> g_counts;

int QueryPort(PortHandle port, COMSTAT &status) {
  DWORD errors = 0;
  status = COMSTAT{};
  if (!ClearCommError(H(port), &errors, &status)) return LastError();
  if (errors & (CE_FRAME | CE_OVERRUN | CE_RXOVER | CE_RXPARITY)) {
    std::lock_guard<std::mutex> guard(g_countsMutex);
    SerialLineCounts &c = g_counts[port.os];
    if (errors & CE_FRAME) ++c.frame;
    if (errors & CE_OVERRUN) ++c.overrun;
    if (errors & CE_RXOVER) ++c.bufOverrun;
    if (errors & CE_RXPARITY) ++c.parity;
  }
  return 0;
}

// A manual-reset event for one overlapped operation.
struct Overlapped {
  OVERLAPPED ov{};
  Overlapped() { ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr); }
  Overlapped(const Overlapped &) = delete;
  Overlapped &operator=(const Overlapped &) = delete;
  ~Overlapped() {
    if (ov.hEvent) CloseHandle(ov.hEvent);
  }
};

// Waits for a started operation up to waitMs (INFINITE: no limit); when the
// time is up the operation is aborted with `abort` and the count it reached
// is still collected. 0 with the count, or the operation's error.
int Complete(PortHandle port, Overlapped &o, DWORD waitMs, DWORD abort, DWORD &count) {
  const bool timedOut = WaitForSingleObject(o.ov.hEvent, waitMs) == WAIT_TIMEOUT;
  if (timedOut) {
    if (abort) PurgeComm(H(port), abort);
    else SetCommMask(H(port), 0);  // ends a pending event wait
  }
  count = 0;
  if (GetOverlappedResult(H(port), &o.ov, &count, TRUE)) return 0;
  int err = LastError();
  return timedOut && err == ERROR_OPERATION_ABORTED ? 0 : err;
}

}  // namespace

int SerialOpen(const std::string &path, PortHandle &port) {
  port = PortHandle{};
  const std::wstring wide = Wide(path);
  if (wide.empty()) return ERROR_FILE_NOT_FOUND;
  // No sharing: the port is this program's alone while it is open.
  HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return LastError();
  if (GetFileType(h) != FILE_TYPE_CHAR) {  // a file or pipe of that name is not a port
    CloseHandle(h);
    return ERROR_INVALID_NAME;
  }
  SetCommMask(h, 0);
  SetupComm(h, 4096, 0);
  // Reads take only what is waiting (SerialRead), so a long interval never
  // makes one wait. MAXDWORD here would keep an overlapped read pending for good under Wine.
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = 65535;
  SetCommTimeouts(h, &timeouts);
  // The port's own state written back once: a read on a port never configured
  // can end the process under Wine.
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (GetCommState(h, &dcb)) SetCommState(h, &dcb);
  port.os = reinterpret_cast<intptr_t>(h);
  std::lock_guard<std::mutex> guard(g_countsMutex);
  g_counts[port.os] = SerialLineCounts{};
  return 0;
}

void SerialClose(PortHandle port) {
  if (!port.IsOpen()) return;
  {
    std::lock_guard<std::mutex> guard(g_countsMutex);
    g_counts.erase(port.os);
  }
  CloseHandle(H(port));
}

void FillDcb(const SerialParams &p, DCB &dcb) {
  dcb.BaudRate = DWORD(p.baud);
  dcb.ByteSize = BYTE(p.bits);
  switch (p.parity) {
    case 'N': case 'n': dcb.Parity = NOPARITY; break;
    case 'O': case 'o': dcb.Parity = ODDPARITY; break;
    case 'E': case 'e': dcb.Parity = EVENPARITY; break;
    case 'M': case 'm': dcb.Parity = MARKPARITY; break;
    case 'S': case 's': dcb.Parity = SPACEPARITY; break;
    default: break;  // keep what the port had
  }
  dcb.StopBits = BYTE(p.stop);  // ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS
  dcb.XonChar = 0x11;
  dcb.XoffChar = 0x13;
  dcb.XonLim = 4096 / 4;
  dcb.XoffLim = 4096 / 4;
  // The whole flag word anew; with the library's settings (hardware flow, no
  // XON/XOFF, no parity) it is 0x2015.
  dcb.fBinary = TRUE;
  dcb.fParity = dcb.Parity != NOPARITY;
  dcb.fOutxCtsFlow = p.hardflow;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fTXContinueOnXoff = FALSE;
  dcb.fOutX = p.softflow;
  dcb.fInX = p.softflow;
  dcb.fErrorChar = FALSE;
  dcb.fNull = FALSE;
  dcb.fRtsControl = p.hardflow ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
  dcb.fAbortOnError = FALSE;
}

int SerialConfig(PortHandle port, const SerialParams &p) {
  if (p.baud <= 0 || p.bits < 5 || p.bits > 8 || p.stop < 0 || p.stop > 2) return ERROR_INVALID_PARAMETER;
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(H(port), &dcb)) return LastError();
  FillDcb(p, dcb);
  return SetCommState(H(port), &dcb) ? 0 : LastError();
}

int SerialInputCount(PortHandle port, int &count) {
  COMSTAT status;
  count = 0;
  if (int err = QueryPort(port, status)) return err;
  count = int(std::min<DWORD>(status.cbInQue, 0x7FFFFFFF));
  return 0;
}

int SerialOutputCount(PortHandle port, int &count) {
  COMSTAT status;
  count = 0;
  if (int err = QueryPort(port, status)) return err;
  count = int(std::min<DWORD>(status.cbOutQue, 0x7FFFFFFF));
  return 0;
}

int SerialRead(PortHandle port, char *buffer, size_t length, size_t &got) {
  got = 0;
  if (length == 0) return 0;
  COMSTAT status;
  if (int err = QueryPort(port, status)) return err;
  // Only what is waiting, so that the read completes at once.
  const DWORD wanted = DWORD(std::min<size_t>(length, status.cbInQue));
  if (wanted == 0) return 0;
  Overlapped o;
  if (!o.ov.hEvent) return LastError();
  DWORD count = 0;
  if (!ReadFile(H(port), buffer, wanted, &count, &o.ov)) {
    int err = LastError();
    if (err == ERROR_TIMEOUT) return 0;  // what Wine says of a read that found nothing
    if (err != ERROR_IO_PENDING) return err;
    err = Complete(port, o, kTransferWaitMs, PURGE_RXABORT, count);
    if (err == ERROR_TIMEOUT) return 0;
    if (err) return err;
  }
  got = count;
  return 0;
}

int SerialWrite(PortHandle port, const char *data, size_t length, size_t &written) {
  written = 0;
  if (length == 0) return 0;
  COMSTAT status;
  if (int err = QueryPort(port, status)) return err;
  // The other end holds the line (CTS low, or XOFF received): nothing moves for now.
  if (status.fCtsHold || status.fXoffHold) return 0;
  Overlapped o;
  if (!o.ov.hEvent) return LastError();
  const DWORD step = DWORD(std::min(length, kWriteStep));
  DWORD count = 0;
  if (!WriteFile(H(port), data, step, &count, &o.ov)) {
    int err = LastError();
    if (err != ERROR_IO_PENDING) return err;
    if ((err = Complete(port, o, kTransferWaitMs, PURGE_TXABORT, count))) return err;
  }
  written = count;
  return 0;
}

namespace {

// A failed query while waiting: a port that is gone is a hang-up, not an error.
int WaitFailed(int err, SerialWaitResult &r) {
  r.hangup = PortGone(err);
  return r.hangup ? 0 : err;
}

int WaitWritable(PortHandle port, int timeoutMs, SerialWaitResult &r) {
  const int64_t end = timeoutMs < 0 ? 0 : MonotonicMs() + timeoutMs;
  for (;;) {
    COMSTAT status;
    if (int err = QueryPort(port, status)) return WaitFailed(err, r);
    if (!status.fCtsHold && !status.fXoffHold && status.cbOutQue == 0) {
      r.ready = true;
      return 0;
    }
    if (timeoutMs >= 0 && MonotonicMs() >= end) return 0;
    Sleep(1);
  }
}

int WaitReadable(PortHandle port, int timeoutMs, SerialWaitResult &r) {
  const int64_t end = timeoutMs < 0 ? 0 : MonotonicMs() + timeoutMs;
  Overlapped o;
  if (!o.ov.hEvent) return LastError();
  int result = 0;
  for (;;) {
    // The mask first: a byte that arrives after the count below is then an
    // event the wait sees, not one the mask's reset forgets.
    if (!SetCommMask(H(port), EV_RXCHAR)) {
      result = WaitFailed(LastError(), r);
      break;
    }
    int waiting = 0;
    if (int err = SerialInputCount(port, waiting)) {
      result = WaitFailed(err, r);
      break;
    }
    if (waiting > 0) {
      r.ready = true;
      break;
    }
    const int64_t left = timeoutMs < 0 ? -1 : end - MonotonicMs();
    if (timeoutMs >= 0 && left <= 0) break;
    ResetEvent(o.ov.hEvent);
    DWORD events = 0;
    if (!WaitCommEvent(H(port), &events, &o.ov)) {
      int err = LastError();
      if (err == ERROR_IO_PENDING) {
        DWORD count = 0;
        err = Complete(port, o, left < 0 ? INFINITE : DWORD(left), 0, count);
      }
      if (err) {
        result = WaitFailed(err, r);
        break;
      }
    }
    // An event, an ended wait or the time up: the queue count decides.
  }
  SetCommMask(H(port), 0);
  return result;
}

}  // namespace

int SerialWait(PortHandle port, bool forWrite, int timeoutMs, SerialWaitResult &r) {
  r = {};
  return forWrite ? WaitWritable(port, timeoutMs, r) : WaitReadable(port, timeoutMs, r);
}

int SerialPurge(PortHandle port, bool input, bool output) {
  DWORD flags = 0;
  if (input) flags |= PURGE_RXABORT | PURGE_RXCLEAR;
  if (output) flags |= PURGE_TXABORT | PURGE_TXCLEAR;
  if (flags == 0) return 0;
  return PurgeComm(H(port), flags) ? 0 : LastError();
}

int SerialDrain(PortHandle port, int timeoutMs) {
  // FlushFileBuffers has no time limit: a line held by flow control would hang
  // the caller for good. Wait for the queue to empty first, then flush.
  const int64_t end = MonotonicMs() + std::max(0, timeoutMs);
  for (;;) {
    int pending = 0;
    if (SerialOutputCount(port, pending) != 0 || pending == 0) break;
    if (MonotonicMs() >= end) return kErrTimedOut;
    Sleep(1);
  }
  return FlushFileBuffers(H(port)) ? 0 : LastError();
}

int SerialSetLine(PortHandle port, ModemLine line, bool on) {
  DWORD function = line == ModemLine::RTS ? (on ? SETRTS : CLRRTS) : (on ? SETDTR : CLRDTR);
  return EscapeCommFunction(H(port), function) ? 0 : LastError();
}

int SerialModemStatus(PortHandle port, bool &cts, bool &dsr) {
  cts = dsr = false;
  DWORD status = 0;
  if (!GetCommModemStatus(H(port), &status)) return LastError();
  cts = (status & MS_CTS_ON) != 0;
  dsr = (status & MS_DSR_ON) != 0;
  return 0;
}

int SerialLineErrorCounts(PortHandle port, SerialLineCounts &c) {
  c = {};
  COMSTAT status;
  if (int err = QueryPort(port, status)) return err;
  std::lock_guard<std::mutex> guard(g_countsMutex);
  c = g_counts[port.os];
  return 0;
}

std::string ErrorText(int err) {
  char *text = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, DWORD(err), 0, reinterpret_cast<char *>(&text), 0, nullptr);
  std::string result = n && text ? std::string(text, n) : "";
  if (text) LocalFree(text);
  while (!result.empty() && (result.back() == '\r' || result.back() == '\n' || result.back() == ' '))
    result.pop_back();
  return result;
}

const int kErrTimedOut = ERROR_TIMEOUT;
const int kErrPortGone = ERROR_DEVICE_NOT_CONNECTED;

// What a USB serial port answers once its device is unplugged.
bool PortGone(int err) {
  return err == ERROR_DEVICE_NOT_CONNECTED || err == ERROR_BAD_COMMAND || err == ERROR_ACCESS_DENIED ||
         err == ERROR_GEN_FAILURE || err == ERROR_DEVICE_REMOVED;
}

std::string SerialPortPath(int number) { return "\\\\.\\COM" + std::to_string(int64_t(number) + 1); }

// ---- port listing ---------------------------------------------------------

namespace {

constexpr wchar_t kUsbKey[] = L"SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_0525&PID_A4A7";
constexpr wchar_t kSerialCommKey[] = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr wchar_t kUsbSerialPrefix[] = L"\\DEVICE\\USBSER";

struct Key {
  HKEY h = nullptr;
  Key() = default;
  Key(const Key &) = delete;
  Key &operator=(const Key &) = delete;
  ~Key() {
    if (h) RegCloseKey(h);
  }
};

// The root the two keys are read under: HKEY_LOCAL_MACHINE, or for the tests
// the key CFEDRIVER_REGISTRY names ("HKCU\Software\x" or "HKLM\...").
bool RegistryRoot(HKEY &root, std::wstring &prefix) {
  const std::string redirect = EnvText("CFEDRIVER_REGISTRY");
  root = HKEY_LOCAL_MACHINE;
  prefix.clear();
  if (redirect.empty()) return true;
  auto sep = redirect.find('\\');
  std::string hive = redirect.substr(0, sep);
  for (char &c : hive) c = char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  if (hive == "HKCU" || hive == "HKEY_CURRENT_USER") root = HKEY_CURRENT_USER;
  else if (hive != "HKLM" && hive != "HKEY_LOCAL_MACHINE") return false;
  if (sep != std::string::npos && sep + 1 < redirect.size()) prefix = Wide(redirect.substr(sep + 1)) + L"\\";
  return true;
}

// ERROR_SUCCESS, ERROR_FILE_NOT_FOUND (no such key) or another failure.
LSTATUS OpenKey(HKEY root, const std::wstring &path, Key &key) {
  return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key.h);
}

// A text value; a missing value reads as empty text. False when the value is
// not a text or cannot be read.
bool ReadText(HKEY key, const wchar_t *name, std::string &text) {
  text.clear();
  DWORD type = 0, size = 0;
  LSTATUS s = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
  if (s == ERROR_FILE_NOT_FOUND) return true;
  if (s != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  size = DWORD(value.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE *>(value.data()), &size) != ERROR_SUCCESS)
    return false;
  value.resize(size / sizeof(wchar_t));
  while (!value.empty() && value.back() == L'\0') value.pop_back();
  text = Narrow(value);
  return true;
}

// The names of a key's subkeys in the registry's order.
bool SubkeyNames(HKEY key, std::vector<std::wstring> &names) {
  names.clear();
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];  // a key name has at most 255 characters
    DWORD length = 256;
    LSTATUS s = RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (s == ERROR_NO_MORE_ITEMS) return true;
    if (s != ERROR_SUCCESS) return false;
    names.emplace_back(name, length);
  }
}

// The names of a key's values in the registry's order.
bool ValueNames(HKEY key, std::vector<std::wstring> &names) {
  names.clear();
  DWORD longest = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest, nullptr, nullptr,
                       nullptr) != ERROR_SUCCESS)
    return false;
  std::wstring name(size_t(longest) + 1, L'\0');
  for (DWORD i = 0;; ++i) {
    DWORD length = DWORD(name.size());
    LSTATUS s = RegEnumValueW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (s == ERROR_NO_MORE_ITEMS) return true;
    if (s != ERROR_SUCCESS) return false;
    names.emplace_back(name.data(), length);
  }
}

bool IsUsbSerialName(const std::wstring &name) {
  constexpr size_t n = sizeof kUsbSerialPrefix / sizeof kUsbSerialPrefix[0] - 1;  // 14
  if (name.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    wchar_t c = name[i];
    if (c >= L'a' && c <= L'z') c = wchar_t(c - L'a' + L'A');
    if (c != kUsbSerialPrefix[i]) return false;
  }
  return true;
}

// The port names of every instance of the device the system has seen. False on
// a registry failure; `any` false when the device's key has no instance.
bool ListInstancePorts(HKEY root, const std::wstring &prefix, std::vector<std::string> &ports, bool &any) {
  any = true;
  Key usb;
  LSTATUS s = OpenKey(root, prefix + kUsbKey, usb);
  if (s == ERROR_FILE_NOT_FOUND) return true;
  if (s != ERROR_SUCCESS) return false;
  std::vector<std::wstring> instances;
  if (!SubkeyNames(usb.h, instances)) return false;
  any = !instances.empty();
  for (const std::wstring &instance : instances) {
    Key parameters;
    s = OpenKey(root, prefix + kUsbKey + L"\\" + instance + L"\\Device Parameters", parameters);
    if (s == ERROR_FILE_NOT_FOUND) continue;
    if (s != ERROR_SUCCESS) return false;
    std::string port;
    if (!ReadText(parameters.h, L"PortName", port)) return false;
    ports.push_back(port);
  }
  return true;
}

// The USB serial ports present now, in the order of the system's list.
bool ListUsbSerialPorts(HKEY root, const std::wstring &prefix, std::vector<std::string> &ports) {
  Key serialComm;
  LSTATUS s = OpenKey(root, prefix + kSerialCommKey, serialComm);
  if (s == ERROR_FILE_NOT_FOUND) return true;
  if (s != ERROR_SUCCESS) return false;
  std::vector<std::wstring> names;
  if (!ValueNames(serialComm.h, names)) return false;
  for (const std::wstring &name : names) {
    std::string port;
    if (!ReadText(serialComm.h, name.c_str(), port)) return false;
    if (IsUsbSerialName(name)) ports.push_back(port);
  }
  return true;
}

}  // namespace

bool ListDevicePorts(std::vector<std::string> &devicePorts, std::vector<std::string> &attachedPorts) {
  devicePorts.clear();
  attachedPorts.clear();
  HKEY root;
  std::wstring prefix;
  if (!RegistryRoot(root, prefix)) return false;
  bool anyInstance = true;
  if (!ListInstancePorts(root, prefix, devicePorts, anyInstance)) return false;
  // A device key without instances leaves nothing to match: the list of present
  // ports is not read.
  if (!anyInstance) return true;
  return ListUsbSerialPorts(root, prefix, attachedPorts);
}

}  // namespace cfe::platform

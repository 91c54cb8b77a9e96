// Everything the library asks of the operating system. One implementation file
// per system (linux.cpp; a second system adds its own file and picks it in
// driver/CMakeLists.txt); the rest of the library is portable.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cfe::platform {

// ---- clock ---------------------------------------------------------------
// Milliseconds on a monotonic clock: a change of the system time neither
// shortens nor stretches a wait.
int64_t MonotonicMs();
void SleepMs(int64_t ms);
// Local date and time for log lines: "dd/mm/yyyy hh:mm:ss" on Linux, the
// system's short date, a space and its long time on Windows.
std::string LocalDateTimeText();

// ---- paths and files -----------------------------------------------------
// Folder of the calling program's executable, without a trailing slash.
std::string ExecutableDir();
// Value of an environment variable, or empty when unset.
std::string EnvText(const char *name);
// The file `name` in `folder`, and the folder of a file's path ("." when the
// path names no folder), with the system's separators.
std::string JoinPath(const std::string &folder, const std::string &name);
std::string FolderOf(const std::string &path);
// Where the debug log and the debug copy of a corrected sale go unless
// CFEDRIVER_LOG says otherwise, and the system-wide settings file looked at
// when the program's folder has none (empty: there is none).
std::string DefaultLogPath();
std::string DefaultCopyPath();
std::string SystemSettingsPath();
// Appends bytes to a file, creating it with mode 0600. Writes only to a regular
// file owned by the effective user (made 0600 when it is not); anything else at
// the path (a symbolic link, FIFO, device, folder, another user's file) is left
// alone and false returned. Never blocks on what it finds there.
bool AppendToFile(const std::string &path, std::string_view bytes);
// Replaces a file's contents, with the same rules as AppendToFile.
bool WriteWholeFile(const std::string &path, std::string_view bytes);
bool FileExists(const std::string &path);
bool ReadWholeFile(const std::string &path, std::string &out);

// ---- per-thread slot ------------------------------------------------------
// One pointer per thread, and a function told, in a thread that set one, when
// that thread ends. Not a thread_local object with a destructor: the loader
// keeps a library with such destructors registered mapped after dlclose.
bool ThreadSlotCreate(void (*atThreadEnd)(void *slot));
void *ThreadSlotGet();
bool ThreadSlotSet(void *slot);
// After this no thread is told of its end any more; Create may be called again.
void ThreadSlotDelete();

// ---- serial ports --------------------------------------------------------
// An open port as the system gives it: a file descriptor on Linux, a HANDLE on
// Windows, kept in a pointer-sized integer so that this header needs no system
// header. -1 means none on both (INVALID_HANDLE_VALUE is -1 too). Only the
// system's own file looks inside. Every call returns 0 or the system's error
// number. The only state kept here is Windows's running totals of line errors
// (its driver reports flags, and clears them, on every queue query).
struct PortHandle {
  intptr_t os = -1;
  bool IsOpen() const { return os != -1; }
};
int SerialOpen(const std::string &path, PortHandle &port);  // exclusive, non-blocking
// Clears the exclusive flag, then closes: the flag belongs to the terminal, not
// to this descriptor, and would outlive the close while anyone else holds the port.
void SerialClose(PortHandle port);

struct SerialParams {
  int baud = 0;        // any positive rate; non-standard ones through BOTHER
  int bits = 8;        // 5 to 8
  char parity = 'N';   // N O E M S (either case); anything else keeps the port's
  int stop = 0;        // 0 one stop bit, 1 one and a half (= two here), 2 two
  bool softflow = false;
  bool hardflow = false;
};
int SerialConfig(PortHandle port, const SerialParams &p);

int SerialInputCount(PortHandle port, int &count);   // bytes waiting to be read
int SerialOutputCount(PortHandle port, int &count);  // bytes not yet transmitted
// got = 0 with result 0: nothing waiting. A port that is gone gives EIO.
int SerialRead(PortHandle port, char *buffer, size_t length, size_t &got);
// written = 0 with result 0: the output queue is full for now.
int SerialWrite(PortHandle port, const char *data, size_t length, size_t &written);

struct SerialWaitResult {
  bool ready = false;   // readable (or writable) now
  bool hangup = false;  // the other end is gone or the port failed
};
// Sleeps until the port is readable (or writable), hangs up, or timeoutMs
// passes (-1: no limit). Interrupted sleeps go on for the time left.
int SerialWait(PortHandle port, bool forWrite, int timeoutMs, SerialWaitResult &r);

int SerialPurge(PortHandle port, bool input, bool output);
// Waits until everything written has been transmitted; ETIMEDOUT after timeoutMs.
int SerialDrain(PortHandle port, int timeoutMs);

enum class ModemLine { RTS, DTR };
int SerialSetLine(PortHandle port, ModemLine line, bool on);
int SerialModemStatus(PortHandle port, bool &cts, bool &dsr);

// Running totals of line errors kept by the driver; ENOTTY where it keeps none.
struct SerialLineCounts {
  uint32_t frame = 0;
  uint32_t overrun = 0;     // hardware overrun
  uint32_t bufOverrun = 0;  // input queue overflow
  uint32_t parity = 0;
};
int SerialLineErrorCounts(PortHandle port, SerialLineCounts &c);

// The system's message text for an error number.
std::string ErrorText(int err);
// The error SerialDrain gives when its time is up.
extern const int kErrTimedOut;
// The error that says the port is gone (USB unplugged, pty closed), and
// whether a read or write error means that.
extern const int kErrPortGone;
bool PortGone(int err);
// Path of the serial port the system numbers `number` from 0: COM1 is 0.
std::string SerialPortPath(int number);

// ---- port listing ---------------------------------------------------------
// The device's ports (USB vendor 0525, product A4A7, ever seen on Windows,
// present now on Linux) and the USB serial ports present now, each in the
// order the system lists them. False when the system's listing failed.
bool ListDevicePorts(std::vector<std::string> &devicePorts, std::vector<std::string> &attachedPorts);

}  // namespace cfe::platform

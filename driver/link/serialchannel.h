// The serial channel: one port of the operating system with blocking reads and
// writes under time-outs, a read-ahead buffer, a numeric error state with texts,
// and a switch that turns every recorded error into an ESerialChannelError.
//
// Exceptions stay inside the library: the device link turns the switch on and
// off around its steps and catches whatever the channel raises.
//
// Every operation holds the channel's own mutex, so two threads that use the
// channel at once (call lock off) may spoil each other's exchange but never the
// channel's memory.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>

#include "platform/platform.h"  // PortHandle

namespace cfe {

// Error codes of the channel; any other code is an operating-system error number.
enum : int {
  kErrPortOwned = 9991,
  kErrAlreadyOwned = 9992,
  kErrWrongParameter = 9993,
  kErrNotConnected = 9994,
  kErrNoDeviceAnswer = 9995,
  kErrMaxBuffer = 9996,
  kErrTimeout = 9997,
  kErrReadFailed = 9998,
  kErrFrame = 9999,
  kErrOverrun = 10000,
  kErrRxOver = 10001,
  kErrRxParity = 10002,
  kErrTxFull = 10003,
};

// Line-error flags as LineErrorCode takes them.
enum : uint32_t {
  kLineRxOver = 0x1,
  kLineOverrun = 0x2,
  kLineParity = 0x4,
  kLineFrame = 0x8,
  kLineTxFull = 0x100,
};

class ESerialChannelError : public std::runtime_error {
 public:
  ESerialChannelError(int code, const std::string &message);
  int ErrorCode;
  std::string ErrorMessage;
};

class TSerialChannel {
 public:
  TSerialChannel();
  ~TSerialChannel();
  TSerialChannel(const TSerialChannel &) = delete;
  TSerialChannel &operator=(const TSerialChannel &) = delete;

  // ---- error state ----
  static std::string GetErrorDesc(int code);
  int LastError() const;
  std::string LastErrorDesc() const;

  // ---- switches and settings ----
  bool RaiseExcept() const;
  void SetRaiseExcept(bool on);
  void SetDeadlockTimeout(int ms);
  int DeadlockTimeout() const;
  void SetLinuxLock(bool on);  // no lock files are used on this system; kept as a setting
  bool LinuxLock() const;
  void SetTestDSR(bool on);
  void SetTestCTS(bool on);
  void SetInterPacketTimeout(bool on);

  // ---- state ----
  bool InstanceActive() const;
  std::string Device() const;  // the path actually opened
  int PortNumber() const;

  // ---- opening and closing ----
  void Connect(const std::string &name);
  void Config(int baud, int bits, char parity, int stop, bool softflow, bool hardflow);
  void CloseSocket();
  void Purge();
  void Flush();
  void RTS(bool on);
  void DTR(bool on);

  // ---- transfer (time-outs in ms, -1 for no limit) ----
  int WaitingData();
  int WaitingDataEx();
  int SendBuffer(const char *data, int length);
  int SendString(const std::string &data);
  int RecvBuffer(char *buffer, int length);
  std::string RecvPacket(int timeout);
  int RecvBufferEx(char *buffer, int length, int timeout);
  std::string RecvBufferStr(int length, int timeout);
  bool CanRead(int timeout);

  // ---- internal steps, public for the tests ----
  static int PortNumberFromName(const std::string &name);
  bool ReadyCheck();
  bool ControlLinesOk();
  void LineErrorCode(uint32_t flags);

 private:
  using Guard = std::lock_guard<std::recursive_mutex>;

  void SetChannelError(int code);
  int SerialCheck(int osError);
  void ExceptCheck();
  void RaiseChannelError(int code);
  bool WaitEvent(int timeout);
  void FetchLineErrors();
  void PortLost(int osError);
  void CloseHandle();
  // The blocking transfer of SendBuffer and RecvBuffer: passo moves bytes from
  // offset feito on and says how many moved, or returns an OS error.
  size_t Transfere(bool escrita, size_t total, const std::function<int(size_t feito, size_t &movidos)> &passo);

  mutable std::recursive_mutex mutex_;
  platform::PortHandle Handle;
  std::string Device_;
  int PortNumber_ = -1;
  bool InstanceActive_ = false;
  std::string LineBuffer;
  bool RaiseExcept_ = false;
  int DeadlockTimeout_ = 30000;
  bool InterPacketTimeout = true;
  bool TestDSR = false;
  bool TestCTS = false;
  bool LinuxLock_ = true;
  int LastError_ = 0;
  std::string LastErrorDesc_ = "OK";
  // Line-error totals at the last look; errors are the growth since then.
  uint32_t countFrame = 0, countOverrun = 0, countBufOverrun = 0, countParity = 0;
};

// The library's one channel, created on first use and never replaced.
TSerialChannel &CanalSerial();

}  // namespace cfe

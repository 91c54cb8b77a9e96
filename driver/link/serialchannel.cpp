#include "link/serialchannel.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/text.h"
#include "link/discovery.h"
#include "platform/platform.h"

namespace cfe {

namespace {

std::string ErrorMessageText(int code, const std::string &desc) {
  return "Communication error " + std::to_string(code) + ": " + desc;
}

}  // namespace

ESerialChannelError::ESerialChannelError(int code, const std::string &message)
    : std::runtime_error(ErrorMessageText(code, message)), ErrorCode(code), ErrorMessage(message) {}

TSerialChannel::TSerialChannel() = default;

TSerialChannel::~TSerialChannel() {
  Guard g(mutex_);
  RaiseExcept_ = false;  // a destructor never throws
  CloseSocket();
}

TSerialChannel &CanalSerial() {
  static TSerialChannel canal;
  return canal;
}

// ---- error state -------------------------------------------------------------

std::string TSerialChannel::GetErrorDesc(int code) {
  switch (code) {
    case 0: return "OK";
    case kErrPortOwned: return "Port owned by other process";
    case kErrAlreadyOwned: return "Instance already in use";
    case kErrWrongParameter: return "Wrong parameter at call";
    case kErrNotConnected: return "Instance not yet connected";
    case kErrNoDeviceAnswer: return "No device answer detected";
    case kErrMaxBuffer: return "Maximal buffer length exceeded";
    case kErrTimeout: return "Timeout during operation";
    case kErrReadFailed: return "Reading of data failed";
    case kErrFrame: return "Receive framing error";
    case kErrOverrun: return "Receive Overrun Error";
    case kErrRxOver: return "Receive Queue overflow";
    case kErrRxParity: return "Receive Parity Error";
    case kErrTxFull: return "Tranceive Queue is full";
    default: return platform::ErrorText(code);
  }
}

int TSerialChannel::LastError() const {
  Guard g(mutex_);
  return LastError_;
}

std::string TSerialChannel::LastErrorDesc() const {
  Guard g(mutex_);
  return LastErrorDesc_;
}

void TSerialChannel::SetChannelError(int code) {
  LastError_ = code;
  LastErrorDesc_ = GetErrorDesc(code);
}

int TSerialChannel::SerialCheck(int osError) {
  SetChannelError(osError);
  return osError;
}

void TSerialChannel::ExceptCheck() {
  if (RaiseExcept_ && LastError_ != 0) throw ESerialChannelError(LastError_, LastErrorDesc_);
}

void TSerialChannel::RaiseChannelError(int code) {
  SetChannelError(code);
  ExceptCheck();
}

// ---- switches and state ------------------------------------------------------

bool TSerialChannel::RaiseExcept() const {
  Guard g(mutex_);
  return RaiseExcept_;
}

void TSerialChannel::SetRaiseExcept(bool on) {
  Guard g(mutex_);
  RaiseExcept_ = on;
}

void TSerialChannel::SetDeadlockTimeout(int ms) {
  Guard g(mutex_);
  DeadlockTimeout_ = ms;
}

int TSerialChannel::DeadlockTimeout() const {
  Guard g(mutex_);
  return DeadlockTimeout_;
}

void TSerialChannel::SetLinuxLock(bool on) {
  Guard g(mutex_);
  LinuxLock_ = on;
}

bool TSerialChannel::LinuxLock() const {
  Guard g(mutex_);
  return LinuxLock_;
}

void TSerialChannel::SetTestDSR(bool on) {
  Guard g(mutex_);
  TestDSR = on;
}

void TSerialChannel::SetTestCTS(bool on) {
  Guard g(mutex_);
  TestCTS = on;
}

void TSerialChannel::SetInterPacketTimeout(bool on) {
  Guard g(mutex_);
  InterPacketTimeout = on;
}

bool TSerialChannel::InstanceActive() const {
  Guard g(mutex_);
  return InstanceActive_;
}

std::string TSerialChannel::Device() const {
  Guard g(mutex_);
  return Device_;
}

int TSerialChannel::PortNumber() const {
  Guard g(mutex_);
  return PortNumber_;
}

// ---- opening and closing -------------------------------------------------------

int TSerialChannel::PortNumberFromName(const std::string &name) {
  const std::string upper = Maiusculas(name);
  int number = -1;
  long long value = 0;
  if (upper.rfind("COM", 0) == 0) {
    if (!LeDecimal(name.substr(3), value)) value = 0;
    value -= 1;
    number = value >= INT32_MIN && value <= INT32_MAX ? int(value) : -1;
  }
  if (upper.rfind("/DEV/TTYS", 0) == 0) {
    number = LeDecimal(name.substr(9), value) && value >= INT32_MIN && value <= INT32_MAX ? int(value) : -2;
  }
  return number;
}

void TSerialChannel::Connect(const std::string &name) {
  Guard g(mutex_);
  if (InstanceActive_) {
    RaiseChannelError(kErrAlreadyOwned);
    return;
  }
  CloseHandle();  // a port lost during the last exchange was closed already; be sure
  LineBuffer.clear();
  Device_ = name;
  PortNumber_ = PortNumberFromName(name);
  // COMn is the n-th serial port (\\.\COMn, /dev/ttyS(n-1)); any other name is opened as written.
  if (PortNumber_ >= 0) Device_ = platform::SerialPortPath(PortNumber_);

  platform::PortHandle port;
  SerialCheck(platform::SerialOpen(Device_, port));
  if (LastError_ == 0) Handle = port;
  ExceptCheck();
  if (LastError_ != 0) return;

  platform::SerialLineCounts counts;
  if (platform::SerialLineErrorCounts(Handle, counts) == 0) {
    countFrame = counts.frame;
    countOverrun = counts.overrun;
    countBufOverrun = counts.bufOverrun;
    countParity = counts.parity;
  }
  SetChannelError(0);
  if (ControlLinesOk()) {
    InstanceActive_ = true;
    RTS(true);
    DTR(true);
    Purge();
  } else {
    SetChannelError(kErrNoDeviceAnswer);
    CloseHandle();
    PortNumber_ = -1;
  }
  ExceptCheck();
}

void TSerialChannel::Config(int baud, int bits, char parity, int stop, bool softflow, bool hardflow) {
  Guard g(mutex_);
  platform::SerialParams p;
  p.baud = baud;
  p.bits = bits;
  p.parity = parity;
  p.stop = stop;
  p.softflow = softflow;
  p.hardflow = hardflow;
  SerialCheck(platform::SerialConfig(Handle, p));
  ExceptCheck();
}

void TSerialChannel::CloseHandle() {
  platform::SerialClose(Handle);
  Handle = platform::PortHandle{};
}

void TSerialChannel::CloseSocket() {
  Guard g(mutex_);
  if (Handle.IsOpen()) {
    try {
      Purge();
    } catch (...) {
      // the port is closed all the same; the caller still learns of the failure
      CloseHandle();
      InstanceActive_ = false;
      PortNumber_ = -1;
      throw;
    }
    RTS(false);
    DTR(false);
    CloseHandle();
  }
  InstanceActive_ = false;
  PortNumber_ = -1;
  SetChannelError(0);
}

void TSerialChannel::Purge() {
  Guard g(mutex_);
  SetChannelError(0);
  if (int err = platform::SerialPurge(Handle, true, true)) SerialCheck(err);
  LineBuffer.clear();
  ExceptCheck();
}

void TSerialChannel::Flush() {
  Guard g(mutex_);
  SetChannelError(0);
  int err = platform::SerialDrain(Handle, DeadlockTimeout_);
  if (err == platform::kErrTimedOut) {
    platform::SerialPurge(Handle, false, true);
    SetChannelError(kErrTimeout);
  } else if (err != 0) {
    SerialCheck(err);
  }
  ExceptCheck();
}

void TSerialChannel::RTS(bool on) {
  Guard g(mutex_);
  platform::SerialSetLine(Handle, platform::ModemLine::RTS, on);  // a pty has no lines
}

void TSerialChannel::DTR(bool on) {
  Guard g(mutex_);
  platform::SerialSetLine(Handle, platform::ModemLine::DTR, on);
}

// ---- checks --------------------------------------------------------------------

bool TSerialChannel::ReadyCheck() {
  Guard g(mutex_);
  if (!InstanceActive_) {
    RaiseChannelError(kErrNotConnected);
    return false;
  }
  if (!ControlLinesOk()) {
    RaiseChannelError(kErrNoDeviceAnswer);
    return false;
  }
  return true;
}

bool TSerialChannel::ControlLinesOk() {
  Guard g(mutex_);
  if (!TestDSR && !TestCTS) return true;
  bool cts = false, dsr = false;
  platform::SerialModemStatus(Handle, cts, dsr);  // unreadable lines count as low
  return !(TestDSR && !dsr) && !(TestCTS && !cts);
}

void TSerialChannel::LineErrorCode(uint32_t flags) {
  Guard g(mutex_);
  int code = 0;
  if (flags & kLineFrame) code = kErrFrame;
  if (flags & kLineOverrun) code = kErrOverrun;
  if (flags & kLineRxOver) code = kErrRxOver;
  if (flags & kLineParity) code = kErrRxParity;
  if (flags & kLineTxFull) code = kErrTxFull;
  if (code != 0) SetChannelError(code);
}

void TSerialChannel::FetchLineErrors() {
  platform::SerialLineCounts c;
  if (!Handle.IsOpen() || platform::SerialLineErrorCounts(Handle, c) != 0) return;  // none kept (pty)
  uint32_t flags = 0;
  if (c.frame != countFrame) flags |= kLineFrame;
  if (c.overrun != countOverrun) flags |= kLineOverrun;
  if (c.bufOverrun != countBufOverrun) flags |= kLineRxOver;
  if (c.parity != countParity) flags |= kLineParity;
  countFrame = c.frame;
  countOverrun = c.overrun;
  countBufOverrun = c.bufOverrun;
  countParity = c.parity;
  LineErrorCode(flags);
}

void TSerialChannel::PortLost(int osError) {
  // The device went away (USB unplugged, pty master closed): nothing more can
  // pass, so the port is closed and the channel is no longer active.
  SetChannelError(osError);
  CloseHandle();
  InstanceActive_ = false;
  PortNumber_ = -1;
  LineBuffer.clear();
}

// ---- transfer ------------------------------------------------------------------

int TSerialChannel::WaitingData() {
  Guard g(mutex_);
  int count = 0;
  if (int err = platform::SerialInputCount(Handle, count)) {
    SerialCheck(err);
    count = 0;
  } else {
    SetChannelError(0);
  }
  ExceptCheck();
  return count;
}

int TSerialChannel::WaitingDataEx() {
  Guard g(mutex_);
  if (!LineBuffer.empty()) return int(std::min<size_t>(LineBuffer.size(), INT32_MAX));
  return WaitingData();
}

size_t TSerialChannel::Transfere(bool escrita, size_t total,
                                 const std::function<int(size_t feito, size_t &movidos)> &passo) {
  Guard g(mutex_);
  if (!ReadyCheck()) return 0;
  SetChannelError(0);
  size_t feito = 0;
  // A transfer is stuck when no byte moves for DeadlockTimeout; a long one that
  // keeps moving is not.
  while (feito < total) {
    size_t movidos = 0;
    if (int err = passo(feito, movidos)) {
      if (platform::PortGone(err)) PortLost(err); else SerialCheck(err);
      break;
    }
    feito += movidos;
    if (feito == total || movidos > 0) continue;
    platform::SerialWaitResult r;
    if (int err = platform::SerialWait(Handle, escrita, DeadlockTimeout_, r)) {
      SerialCheck(err);
      break;
    }
    if (r.ready) continue;  // a hang-up with bytes left still reads them; then the read says the port is gone
    if (r.hangup) {
      PortLost(platform::kErrPortGone);
      break;
    }
    platform::SerialPurge(Handle, !escrita, escrita);
    SetChannelError(kErrTimeout);
    break;
  }
  if (LastError_ == 0) FetchLineErrors();
  ExceptCheck();
  return feito;
}

int TSerialChannel::SendBuffer(const char *data, int length) {
  size_t total = length > 0 && data ? size_t(length) : 0;
  return int(Transfere(true, total, [&](size_t feito, size_t &movidos) {
    return platform::SerialWrite(Handle, data + feito, total - feito, movidos);
  }));
}

int TSerialChannel::SendString(const std::string &data) {
  Guard g(mutex_);
  if (data.size() > size_t(INT32_MAX)) {
    RaiseChannelError(kErrWrongParameter);
    return 0;
  }
  return SendBuffer(data.data(), int(data.size()));
}

int TSerialChannel::RecvBuffer(char *buffer, int length) {
  size_t total = length > 0 && buffer ? size_t(length) : 0;
  return int(Transfere(false, total, [&](size_t feito, size_t &movidos) {
    return platform::SerialRead(Handle, buffer + feito, total - feito, movidos);
  }));
}

std::string TSerialChannel::RecvPacket(int timeout) {
  Guard g(mutex_);
  std::string result;
  if (!ReadyCheck()) return result;
  SetChannelError(0);
  auto readWaiting = [&](int n) {
    result.resize(size_t(n));
    result.resize(size_t(RecvBuffer(result.data(), n)));
  };
  if (!LineBuffer.empty()) {
    result.swap(LineBuffer);
  } else if (int n = WaitingData(); n > 0) {
    readWaiting(n);
  } else if (CanRead(timeout)) {
    n = WaitingData();
    if (n > 0) readWaiting(n);
    else SetChannelError(kErrTimeout);
  } else if (InstanceActive_) {
    SetChannelError(kErrTimeout);
  }  // else the port was lost while waiting, and its error stays
  ExceptCheck();
  return result;
}

int TSerialChannel::RecvBufferEx(char *buffer, int length, int timeout) {
  Guard g(mutex_);
  if (!ReadyCheck()) return 0;
  SetChannelError(0);
  if (length <= 0 || !buffer) return 0;
  int total = 0;
  int left = timeout;
  for (;;) {
    int64_t start = platform::MonotonicMs();
    std::string chunk = RecvPacket(left);
    size_t take = std::min(chunk.size(), size_t(length - total));
    if (take > 0) std::memcpy(buffer + total, chunk.data(), take);
    total += int(take);
    if (LastError_ != 0 || total >= length) {
      LineBuffer = chunk.substr(take);  // what did not fit is read first next time
      break;
    }
    if (!InterPacketTimeout && left >= 0) {
      left -= int(std::min<int64_t>(platform::MonotonicMs() - start, INT32_MAX));
      if (left <= 0) {
        SetChannelError(kErrTimeout);
        break;
      }
    }
  }
  ExceptCheck();
  return total;
}

std::string TSerialChannel::RecvBufferStr(int length, int timeout) {
  Guard g(mutex_);
  if (!ReadyCheck()) return {};
  SetChannelError(0);
  if (length <= 0) return {};
  std::string result(size_t(length), '\0');
  int n = RecvBufferEx(result.data(), length, timeout);
  if (LastError_ != 0) return {};
  result.resize(size_t(n));
  return result;
}

bool TSerialChannel::CanRead(int timeout) {
  Guard g(mutex_);
  if (WaitingData() > 0) return true;
  if (WaitEvent(timeout)) return true;
  return Handle.IsOpen() && WaitingData() > 0;
}

bool TSerialChannel::WaitEvent(int timeout) {
  SetChannelError(0);
  if (!Handle.IsOpen()) return false;  // poll would sleep on nothing
  if (WaitingData() > 0) return true;
  platform::SerialWaitResult r;
  if (int err = platform::SerialWait(Handle, false, timeout, r)) {
    SerialCheck(err);
    return false;
  }
  if (r.hangup) {
    int waiting = 0;
    platform::SerialInputCount(Handle, waiting);
    if (waiting > 0) return true;  // read what is left first
    PortLost(platform::kErrPortGone);
    return false;
  }
  return r.ready;
}

}  // namespace cfe

#include "sat_emulator.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>

namespace satemu {

namespace {

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool MakeRaw(int fd) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return false;
  cfmakeraw(&t);
  return tcsetattr(fd, TCSANOW, &t) == 0;
}

bool Matches(const std::string &filter, const std::string &command) {
  return filter.empty() || filter == command;
}

// The reply with its first field (the session) replaced by the next session number.
std::string WithOtherSession(const std::string &reply) {
  size_t bar = reply.find('|');
  std::string first = reply.substr(0, bar);
  int session = std::atoi(first.c_str());
  return SessionText(session == 999999 ? 1 : session + 1) + (bar == std::string::npos ? "" : reply.substr(bar));
}

}  // namespace

SatEmulator::SatEmulator() = default;

SatEmulator::~SatEmulator() { Stop(); }

bool SatEmulator::OpenTerminal() {
  int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0) return false;
  char name[128];
  if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0 ||
      !MakeRaw(master) || fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK) != 0) {
    close(master);
    return false;
  }
  // Holding the slave open keeps the master from reporting a hang-up (and poll() from waking
  // at once) while no driver has the port open, and keeps the line raw between exchanges so
  // that bytes written to an idle line are not echoed back.
  int hold = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (hold < 0 || !MakeRaw(hold)) {
    if (hold >= 0) close(hold);
    close(master);
    return false;
  }
  std::lock_guard lock(mutex_);
  master_ = master;
  slaveHold_ = hold;
  slavePath_ = name;
  return true;
}

void SatEmulator::CloseTerminal() {
  std::lock_guard lock(mutex_);
  if (slaveHold_ >= 0) close(slaveHold_);
  if (master_ >= 0) close(master_);
  slaveHold_ = master_ = -1;
}

bool SatEmulator::Start() {
  if (thread_.joinable()) return true;
  wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake_ < 0) return false;
  if (!OpenTerminal()) {
    close(wake_);
    wake_ = -1;
    return false;
  }
  stopping_ = false;
  endless_ = false;
  thread_ = std::thread([this] { Run(); });
  return true;
}

void SatEmulator::Stop() {
  if (!thread_.joinable()) return;
  stopping_ = true;
  Wake();
  thread_.join();
  CloseTerminal();
  close(wake_);
  wake_ = -1;
}

void SatEmulator::Wake() {
  uint64_t one = 1;
  if (wake_ >= 0) [[maybe_unused]] auto n = write(wake_, &one, sizeof one);
}

std::string SatEmulator::SlavePath() const {
  std::lock_guard lock(mutex_);
  return slavePath_;
}

int SatEmulator::Hangups() const {
  std::lock_guard lock(mutex_);
  return hangups_;
}

std::vector<std::string> SatEmulator::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void SatEmulator::ClearRequests() {
  std::lock_guard lock(mutex_);
  requests_.clear();
  replies_.clear();
}

std::vector<std::string> SatEmulator::Replies() const {
  std::lock_guard lock(mutex_);
  return replies_;
}

bool SatEmulator::WriteIni(const std::string &path, const std::string &extraLines) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out << "[DEFAULT]\nSERIAL=" << SlavePath() << "\n" << extraLines;
  if (!extraLines.empty() && extraLines.back() != '\n') out << "\n";
  out.close();
  return !out.fail();
}

void SatEmulator::SetActivated(bool on) {
  std::lock_guard lock(mutex_);
  device_.activated = on;
}
bool SatEmulator::Activated() const {
  std::lock_guard lock(mutex_);
  return device_.activated;
}
void SatEmulator::SetActivationCode(const std::string &code) {
  std::lock_guard lock(mutex_);
  device_.activationCode = code;
}
std::string SatEmulator::ActivationCode() const {
  std::lock_guard lock(mutex_);
  return device_.activationCode;
}
void SatEmulator::SetEmergencyCode(const std::string &code) {
  std::lock_guard lock(mutex_);
  device_.emergencyCode = code;
}
void SatEmulator::SetBlocked(bool on) {
  std::lock_guard lock(mutex_);
  device_.blocked = on;
}
bool SatEmulator::Blocked() const {
  std::lock_guard lock(mutex_);
  return device_.blocked;
}
void SatEmulator::SetIssueRepeatedSessions(bool sales, bool cancellations) {
  std::lock_guard lock(mutex_);
  device_.issueRepeatedSales = sales;
  device_.issueRepeatedCancellations = cancellations;
}
void SatEmulator::SetStrictCancellation(bool on) {
  std::lock_guard lock(mutex_);
  device_.strictCancellation = on;
}
std::optional<std::string> SatEmulator::StoredReply(int session) const {
  std::lock_guard lock(mutex_);
  return device_.StoredReply(session);
}
void SatEmulator::StoreReply(int session, const std::string &reply) {
  std::lock_guard lock(mutex_);
  device_.StoreReply(session, reply);
}
int SatEmulator::SalesIssued(int session) const {
  std::lock_guard lock(mutex_);
  return device_.SalesIssued(session);
}
int SatEmulator::CancellationsIssued(int session) const {
  std::lock_guard lock(mutex_);
  return device_.CancellationsIssued(session);
}
std::map<int, int> SatEmulator::SalesIssuedPerSession() const {
  std::lock_guard lock(mutex_);
  return device_.SalesIssuedPerSession();
}
std::map<int, int> SatEmulator::CancellationsIssuedPerSession() const {
  std::lock_guard lock(mutex_);
  return device_.CancellationsIssuedPerSession();
}

void SatEmulator::InjectFault(const Fault &fault) {
  std::lock_guard lock(mutex_);
  if (fault.kind == FaultKind::StaleBytes) {
    staleBytes_.push_back(fault.bytes);
    Wake();
    return;
  }
  queue_.push_back(fault);
}

void SatEmulator::SetPersistentFault(const Fault &fault) {
  std::lock_guard lock(mutex_);
  persistent_.push_back(fault);
}

void SatEmulator::SetRandomFaults(const RandomFaults &random) { SetRandomFaults(std::vector<RandomFaults>{random}); }

void SatEmulator::SetRandomFaults(const std::vector<RandomFaults> &sets) {
  std::lock_guard lock(mutex_);
  random_ = sets;
  if (!sets.empty()) rng_.seed(sets.front().seed);
}

void SatEmulator::ClearFaults() {
  std::lock_guard lock(mutex_);
  queue_.clear();
  persistent_.clear();
  random_.clear();
}

void SatEmulator::SetTrace(std::function<void(char, const std::string &)> trace) {
  std::lock_guard lock(mutex_);
  trace_ = std::move(trace);
}

std::optional<Fault> SatEmulator::TakeFault(const Request &request) {
  std::lock_guard lock(mutex_);
  for (auto it = queue_.begin(); it != queue_.end(); ++it) {
    if (!Matches(it->command, request.command)) continue;
    Fault fault = *it;
    if (--it->times <= 0) queue_.erase(it);
    return fault;
  }
  for (const auto &fault : persistent_)
    if (Matches(fault.command, request.command)) return fault;
  const RandomFaults *random = nullptr;
  for (const auto &set : random_) {
    const auto &c = set.commands;
    if (c.empty() || std::find(c.begin(), c.end(), request.command) != c.end()) {
      random = &set;
      break;
    }
  }
  if (!random) return std::nullopt;
  double u = std::uniform_real_distribution<double>(0.0, 1.0)(rng_);
  const std::pair<double, FaultKind> odds[] = {
      {random->noReply, FaultKind::NoReply}, {random->loseReply, FaultKind::LoseReply},
      {random->busy, FaultKind::Busy},       {random->lateReply, FaultKind::LateReply},
      {random->split, FaultKind::Split},     {random->otherSession, FaultKind::OtherSession},
      {random->etxInside, FaultKind::EtxInside}};
  for (const auto &[p, kind] : odds) {
    if (u < p) {
      Fault fault;
      fault.kind = kind;
      fault.delayMs = random->lateMs;
      return fault;
    }
    u -= p;
  }
  return std::nullopt;
}

bool SatEmulator::Pause(int ms) {
  const int64_t until = NowMs() + ms;
  while (!stopping_) {
    int64_t left = until - NowMs();
    if (left <= 0) return true;
    pollfd p{wake_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left)) > 0) {
      uint64_t v;
      [[maybe_unused]] auto n = read(wake_, &v, sizeof v);
    }
  }
  return false;
}

bool SatEmulator::WriteAll(const std::string &bytes) {
  size_t done = 0;
  const int64_t until = NowMs() + 2000;  // a reader that stays away must not hold the thread
  while (done < bytes.size() && !stopping_) {
    ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return false;
    int64_t left = until - NowMs();
    if (left <= 0) return false;
    pollfd p[2] = {{master_, POLLOUT, 0}, {wake_, POLLIN, 0}};
    if (poll(p, 2, static_cast<int>(left)) > 0 && (p[1].revents & POLLIN)) {
      uint64_t v;
      [[maybe_unused]] auto r = read(wake_, &v, sizeof v);
    }
  }
  return done == bytes.size();
}

void SatEmulator::WriteDueLateReplies() {
  while (!late_.empty()) {
    auto proxima = std::min_element(late_.begin(), late_.end(),
                                    [](const Atrasada &a, const Atrasada &b) { return a.quandoMs < b.quandoMs; });
    if (proxima->quandoMs > NowMs()) return;
    Atrasada atrasada = std::move(*proxima);
    late_.erase(proxima);
    WriteReply(atrasada.request, atrasada.reply, atrasada.fault);
  }
}

void SatEmulator::Run() {
  std::string input;
  while (!stopping_) {
    int timeout = -1;
    if (endless_) timeout = static_cast<int>(std::max<int64_t>(0, endlessNextMs_ - NowMs()));
    for (const auto &a : late_) {
      const int ate = static_cast<int>(std::max<int64_t>(0, a.quandoMs - NowMs()));
      timeout = timeout < 0 ? ate : std::min(timeout, ate);
    }
    pollfd fds[2] = {{master_, POLLIN, 0}, {wake_, POLLIN, 0}};
    if (poll(fds, 2, timeout) < 0 && errno != EINTR) break;
    if (fds[1].revents & POLLIN) {
      uint64_t v;
      [[maybe_unused]] auto n = read(wake_, &v, sizeof v);
    }
    if (stopping_) break;

    std::vector<std::string> stale;
    {
      std::lock_guard lock(mutex_);
      stale.swap(staleBytes_);
    }
    for (const auto &bytes : stale) WriteAll(bytes);
    WriteDueLateReplies();

    if (fds[0].revents & POLLIN) {
      char buf[65536];
      ssize_t got = read(master_, buf, sizeof buf);
      if (got > 0) {
        endless_ = false;  // a new request ends never-ending data
        // Only the new bytes can hold the frame's end: a megabyte sale must not be scanned
        // again at every read.
        size_t from = input.size();
        input.append(buf, static_cast<size_t>(got));
        size_t etx;
        while (!stopping_ && (etx = input.find('\x03', from)) != std::string::npos) {
          from = 0;
          std::string frame = input.substr(0, etx + 1);
          input.erase(0, etx + 1);
          const int before = hangups_;
          HandleFrame(frame);
          if (hangups_ != before) {
            input.clear();
            break;
          }
        }
      }
    } else if (fds[0].revents & (POLLHUP | POLLERR)) {
      Pause(10);  // not expected while the slave is held open; never spin on it
    }

    if (endless_ && NowMs() >= endlessNextMs_) {
      static const char chunk[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
      [[maybe_unused]] auto n = write(master_, chunk, sizeof chunk - 1);  // a full line may refuse it
      endlessNextMs_ = NowMs() + endlessPauseMs_;
      if (endlessUntilMs_ != 0 && NowMs() >= endlessUntilMs_) endless_ = false;
    }
  }
}

void SatEmulator::HandleFrame(const std::string &frame) {
  std::function<void(char, const std::string &)> trace;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(frame);
    trace = trace_;
  }
  if (trace) trace('R', frame);

  const auto request = ParseRequest(frame);
  if (!request) return;  // not a request of this device: no answer, like a real device
  const auto fault = TakeFault(*request);
  const FaultKind kind = fault ? fault->kind : FaultKind::StaleBytes;  // StaleBytes: no fault here

  if (fault && kind == FaultKind::NoReply) return;
  if (fault && kind == FaultKind::Hangup) {
    // The new terminal is opened before the old one closes, so that it gets another name.
    const int oldMaster = master_, oldHold = slaveHold_;
    // Counted before the close, so that a reader who sees the hang-up also sees the new path.
    const bool reopened = OpenTerminal();
    {
      std::lock_guard lock(mutex_);
      ++hangups_;
      if (!reopened) {
        master_ = slaveHold_ = -1;
        stopping_ = true;
      }
    }
    close(oldHold);
    close(oldMaster);
    return;
  }
  if (fault && kind == FaultKind::Endless) {
    endless_ = true;
    endlessPauseMs_ = std::max(1, fault->pauseMs);
    endlessNextMs_ = NowMs();
    endlessUntilMs_ = fault->durationMs > 0 ? NowMs() + fault->durationMs : 0;
    return;
  }

  std::string reply;
  {
    std::lock_guard lock(mutex_);
    reply = fault && kind == FaultKind::Busy ? device_.BusyReply(*request) : device_.Answer(*request);
  }
  if (fault && kind == FaultKind::LoseReply) return;
  if (fault && kind == FaultKind::OtherSession) reply = WithOtherSession(reply);
  if (fault && kind == FaultKind::LateReply) {
    // Held back, not slept on: a reply delayed on its way does not stop the device.
    late_.push_back({NowMs() + fault->delayMs, *request, reply, *fault});
    return;
  }
  WriteReply(*request, reply, fault);
}

void SatEmulator::WriteReply(const Request &, std::string reply, const std::optional<Fault> &fault) {
  std::function<void(char, const std::string &)> trace;
  {
    std::lock_guard lock(mutex_);
    replies_.push_back(reply);
    trace = trace_;
  }
  if (trace) trace('A', reply);

  const std::string wire = reply + '\x03';
  if (fault && fault->kind == FaultKind::Split) {
    const size_t parts = static_cast<size_t>(std::clamp(fault->parts, 1, static_cast<int>(wire.size())));
    const size_t size = (wire.size() + parts - 1) / parts;
    for (size_t at = 0; at < wire.size(); at += size) {
      if (at && !Pause(fault->pauseMs)) return;
      if (!WriteAll(wire.substr(at, size))) return;
    }
    return;
  }
  if (fault && fault->kind == FaultKind::EtxInside) {
    // The first packet holds an ETX that is not its last byte, so it does not end the reply.
    const size_t half = reply.size() / 2;
    const size_t more = std::min<size_t>(4, reply.size() - half);
    if (!WriteAll(reply.substr(0, half) + '\x03' + reply.substr(half, more))) return;
    if (!Pause(fault->pauseMs)) return;
    WriteAll(reply.substr(half + more) + '\x03');
    return;
  }
  WriteAll(wire);
}

}  // namespace satemu

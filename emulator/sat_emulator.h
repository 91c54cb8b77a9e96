// A SAT device on a pseudo-terminal. The emulator owns the master side and answers request
// frames ("|CC|session|fields...|" + ETX) in a thread of its own; the driver opens the slave
// (SlavePath()) as it would open the device's serial port.
//
//   satemu::SatEmulator emu;
//   emu.Start();
//   emu.WriteIni(dir + "/sat.ini");          // [DEFAULT] SERIAL = emu.SlavePath()
//   emu.InjectFault({satemu::FaultKind::LoseReply, "03"});   // the next sale: issued, reply lost
//
// Every public function may be called from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "sat_device.h"

namespace satemu {

enum class FaultKind {
  NoReply,       // the request is lost before the device sees it: nothing issued, no reply
  LoseReply,     // the request is processed (a sale is issued and stored), the reply is lost
  LateReply,     // processed; the reply goes out after delayMs (other requests are answered meanwhile)
  Busy,          // answered with the command's busy code xx098; nothing processed
  Split,         // the reply goes out in `parts` writes, pauseMs apart
  OtherSession,  // processed; the reply goes out with another session number (session + 1).
                 // For "08" this is the session query answered for another session.
  EtxInside,     // the reply's first write ends "...\x03" + more bytes; the second write ends in ETX
  Hangup,        // the request is read, then the master is closed and a new pseudo-terminal opened
                 // (SlavePath() then names the new slave, and Hangups() counts up)
  Endless,       // no reply: bytes without ETX every pauseMs until the next request (or durationMs)
  StaleBytes,    // `bytes` written at once, between exchanges: they wait in the input when the
                 // driver connects next. Consumes no request.
};

struct Fault {
  FaultKind kind = FaultKind::NoReply;
  std::string command;   // the two-digit command code it waits for ("03"); empty: any request
  int times = 1;         // how many matching requests it applies to
  int delayMs = 0;       // LateReply
  int parts = 3;         // Split
  int pauseMs = 5;       // Split, EtxInside, Endless
  int durationMs = 0;    // Endless: 0 means until the next request arrives
  std::string bytes = "lixo";  // StaleBytes
};

// Faults drawn at random for each request whose command is listed (all when `commands` is
// empty); at most one per request, tried in the order of the members. Same seed and same
// requests: same faults.
struct RandomFaults {
  uint32_t seed = 1;
  std::vector<std::string> commands;
  double noReply = 0;
  double loseReply = 0;
  double busy = 0;
  double lateReply = 0;
  int lateMs = 50;
  double split = 0;
  double otherSession = 0;
  double etxInside = 0;
};

class SatEmulator {
 public:
  SatEmulator();
  ~SatEmulator();
  SatEmulator(const SatEmulator &) = delete;
  SatEmulator &operator=(const SatEmulator &) = delete;

  // Opens the pseudo-terminal and starts answering. False when the terminal cannot be opened.
  bool Start();
  void Stop();
  std::string SlavePath() const;
  // How many times a Hangup fault has closed and reopened the master.
  int Hangups() const;

  // Every request frame received, bytes as on the wire (with the final "|" and ETX),
  // including those that a fault dropped.
  std::vector<std::string> Requests() const;
  void ClearRequests();
  // The replies as written, in order (faults applied, without pauses).
  std::vector<std::string> Replies() const;

  // Writes a sat.ini whose [DEFAULT] SERIAL names the slave; extraLines follow it as written
  // (keys such as "DEBUG=true" land in [DEFAULT]; a "[TIMEOUT]" line starts that section).
  bool WriteIni(const std::string &path, const std::string &extraLines = "") const;

  // Device state.
  void SetActivated(bool on);
  bool Activated() const;
  void SetActivationCode(const std::string &code);
  std::string ActivationCode() const;
  void SetEmergencyCode(const std::string &code);
  void SetBlocked(bool on);
  bool Blocked() const;
  // The worst device (the default): every sale / cancellation received is issued, a repeated
  // session included. Off: a repeated session gets its stored reply and nothing is issued.
  void SetIssueRepeatedSessions(bool sales, bool cancellations);
  void SetStrictCancellation(bool on);
  std::optional<std::string> StoredReply(int session) const;
  void StoreReply(int session, const std::string &reply);
  int SalesIssued(int session) const;
  int CancellationsIssued(int session) const;
  std::map<int, int> SalesIssuedPerSession() const;
  std::map<int, int> CancellationsIssuedPerSession() const;

  // Faults. InjectFault queues a one-shot fault for the next matching request(s);
  // SetPersistentFault applies to every matching request until ClearFaults.
  void InjectFault(const Fault &fault);
  void SetPersistentFault(const Fault &fault);
  void SetRandomFaults(const RandomFaults &random);
  // Several sets: a request takes the first set that lists its command (or lists none);
  // one generator, seeded from the first set.
  void SetRandomFaults(const std::vector<RandomFaults> &sets);
  void ClearFaults();  // queue, persistent and random

  // Called from the emulator's thread with 'R' and each request frame, 'A' and each reply text.
  void SetTrace(std::function<void(char, const std::string &)> trace);

 private:
  bool OpenTerminal();
  void CloseTerminal();
  void Run();
  void Wake();
  // Sleeps up to ms or until Stop(); false when stopping.
  bool Pause(int ms);
  bool WriteAll(const std::string &bytes);
  void HandleFrame(const std::string &frame);
  std::optional<Fault> TakeFault(const Request &request);
  void WriteReply(const Request &request, std::string reply, const std::optional<Fault> &fault);

  mutable std::mutex mutex_;
  SatDevice device_;
  std::vector<std::string> requests_;
  std::vector<std::string> replies_;
  std::deque<Fault> queue_;
  std::vector<Fault> persistent_;
  std::vector<RandomFaults> random_;
  std::mt19937 rng_;
  std::vector<std::string> staleBytes_;
  std::function<void(char, const std::string &)> trace_;

  int master_ = -1;
  int slaveHold_ = -1;  // kept open so that the master never sees a hang-up between exchanges
  int wake_ = -1;       // eventfd: Stop() and injected stale bytes wake the thread
  std::string slavePath_;
  int hangups_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;

  // Late replies waiting for their time (the emulator's thread only).
  struct Atrasada {
    int64_t quandoMs;
    Request request;
    std::string reply;
    Fault fault;
  };
  std::vector<Atrasada> late_;
  void WriteDueLateReplies();

  // Never-ending data, while active.
  bool endless_ = false;
  int endlessPauseMs_ = 5;
  int64_t endlessUntilMs_ = 0;  // 0: until the next request
  int64_t endlessNextMs_ = 0;
};

}  // namespace satemu

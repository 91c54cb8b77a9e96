// The emulated SAT device's behaviour, without any input or output: a request text goes in,
// the reply text comes out, and the device's state (activation, code, block, stored session
// replies, coupons issued) changes as a real device's would. SatEmulator puts it on a
// pseudo-terminal; tests may also drive it directly.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace satemu {

// One request frame, taken apart: "|CC|session|field|field..." (the "|" + ETX of the frame removed).
struct Request {
  std::string command;              // two-digit command code, "01" ... "20"
  std::string sessionText;          // as received; echoed at the start of the reply
  std::optional<int> session;       // the session text read as a number, when it is one
  std::vector<std::string> fields;  // the fields after the session
};

// Takes a frame as it came off the wire (with or without the final "|" and ETX).
// Nothing when it is not a request of a known command.
std::optional<Request> ParseRequest(const std::string &frame);

std::string Base64Encode(const std::string &bytes);
// Returns false on a character outside the alphabet (line breaks are skipped).
bool Base64Decode(const std::string &text, std::string &bytes);

// Session number as the device writes it: six digits at least, zero-padded.
std::string SessionText(int session);

// The two-digit reply prefix of a command: "01" (AtivarSAT) answers with 04xxx, "20" with 19xxx.
std::string ReplyPrefix(const std::string &command);

class SatDevice {
 public:
  SatDevice();

  // Processes the request: checks, state change, coupon issue, stored reply. Returns the reply
  // text without the frame end.
  std::string Answer(const Request &request);
  // The device's own busy answer ("xx098"), which leaves the state alone.
  std::string BusyReply(const Request &request) const;

  // State, set freely by tests and by the program's options.
  bool activated = true;
  std::string activationCode = "12345678";
  std::string emergencyCode = "87654321";
  bool blocked = false;
  // The "worst device": a sale or cancellation whose session already holds an issued coupon is
  // issued again. Off: the stored reply of that session is answered again and nothing is issued.
  bool issueRepeatedSales = true;
  bool issueRepeatedCancellations = true;
  // On: a cancellation must name the key of the last sale, not yet cancelled (else 07002).
  bool strictCancellation = false;

  std::optional<std::string> StoredReply(int session) const;
  void StoreReply(int session, const std::string &reply);
  std::optional<int> LastFiscalSession() const { return lastFiscalSession_; }
  int SalesIssued(int session) const;
  int CancellationsIssued(int session) const;
  const std::map<int, int> &SalesIssuedPerSession() const { return salesIssued_; }
  const std::map<int, int> &CancellationsIssuedPerSession() const { return cancellationsIssued_; }
  // The device's own log, one line per event, as ExtrairLogs returns it (before Base64).
  std::string LogText() const;

  // How many sessions' replies the device keeps.
  static constexpr size_t kStoredSessions = 2000;

 private:
  std::string Activate(const Request &r);
  std::string CommunicateCertificate(const Request &r);
  std::string Sell(const Request &r);
  std::string Cancel(const Request &r);
  std::string EndToEndTest(const Request &r);
  std::string OperationalStatus(const Request &r);
  std::string LookUpSession(const Request &r);
  std::string LastFiscalSessionReply(const Request &r);
  std::string ConfigureNetwork(const Request &r);
  std::string AssociateSignature(const Request &r);
  std::string UpdateSoftware(const Request &r);
  std::string ExtractLogs(const Request &r);
  std::string Block(const Request &r);
  std::string Unblock(const Request &r);
  std::string ChangeActivationCode(const Request &r);

  // The checks of the command table, in order: activation, activation code, block.
  // Returns the refusal reply, or nothing when the command may go on.
  std::optional<std::string> Refusal(const Request &r) const;
  std::string NewKey(const std::string &cnpj);
  void Log(const std::string &message);
  void Remember(const Request &r, const std::string &reply);

  std::map<int, std::string> replies_;
  std::deque<int> replyOrder_;
  std::optional<int> lastFiscalSession_;
  std::map<int, int> salesIssued_;
  std::map<int, int> cancellationsIssued_;
  std::string lastSaleKey_;
  std::string lastSaleTotal_;
  bool lastSaleCancelled_ = false;
  std::string firstKey_;
  std::string lastCfeTime_;
  int couponNumber_ = 0;
  std::string cnpj_ = "11111111111111";
  std::string signature_;
  std::map<std::string, std::string> network_;
  std::deque<std::string> log_;
};

}  // namespace satemu

// Load on cfehub: N tills selling at once over loopback, through the hub and libcfedriver, to the
// emulator with seeded faults on the sale and the session query. Reports throughput, request
// latency, queue wait and device round trip (p50/p99), and checks that every sale was answered
// and that no sale has two coupons. A till whose sale gets the busy reply does what a careful
// point-of-sale program does: it asks consultarnumerosessao about that session, and sends the
// sale again (under a new session) only when the device holds none.
//
//   build/bin/hub_load                      # 8 tills x 200 sales, seed 1
//   build/bin/hub_load --caixas 2 --vendas 25 --semente 7    # the short form CI runs
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "hub_process.h"

using namespace hubtest;
using nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {

std::string SessionText(int session) {
  char text[16];
  std::snprintf(text, sizeof text, "%06d", session);
  return text;
}

struct Options {
  int tills = 8;
  int sales = 200;
  uint32_t seed = 1;
  double faults = 0.04;  // share of sale and query requests that meet a fault
  int attempts = 1;      // N_TENT of the library
};

const char kHelp[] =
    "Usage: hub_load [--caixas N] [--vendas N] [--semente N] [--falhas P] [--tentativas N]\n"
    "  --caixas N     tills selling at once (default 8)\n"
    "  --vendas N     sales per till (default 200)\n"
    "  --semente N    seed of the emulator's random faults (default 1)\n"
    "  --falhas P     share of sale and session-query requests with a fault, 0 to 0.5 (default 0.04)\n"
    "  --tentativas N the library's N_TENT (default 1: recovery by the till through the hub)\n";

bool ParseOptions(int argc, char **argv, Options *o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help") {
      std::cout << kHelp;
      std::exit(0);
    }
    if (i + 1 >= argc) return false;
    const std::string value = argv[++i];
    if (arg == "--caixas") o->tills = std::atoi(value.c_str());
    else if (arg == "--vendas") o->sales = std::atoi(value.c_str());
    else if (arg == "--semente") o->seed = static_cast<uint32_t>(std::strtoul(value.c_str(), nullptr, 10));
    else if (arg == "--falhas") o->faults = std::atof(value.c_str());
    else if (arg == "--tentativas") o->attempts = std::atoi(value.c_str());
    else return false;
  }
  return o->tills >= 1 && o->tills <= 999 && o->sales >= 1 && o->faults >= 0 && o->faults <= 0.5 && o->attempts >= 1 &&
         o->attempts <= 9;
}

// A sale of ten items, about 3 KB, with accents that travel as ISO-8859-1.
std::string SaleXml(int till, int n) {
  std::ostringstream x;
  x << "<CFe><infCFe versaoDadosEnt=\"0.08\"><ide><CNPJ>16716114000172</CNPJ><signAC>SGVsbG8=</signAC>"
    << "<numeroCaixa>" << till << "</numeroCaixa></ide><emit><CNPJ>11111111111111</CNPJ><IE>111111111111</IE>"
    << "<indRatISSQN>N</indRatISSQN></emit><dest/>";
  for (int i = 1; i <= 10; ++i) {
    x << "<det nItem=\"" << i << "\"><prod><cProd>" << n * 100 + i << "</cProd><xProd>Pão de açúcar nº " << i
      << "</xProd><NCM>19059090</NCM><CFOP>5102</CFOP><uCom>UN</uCom><qCom>1.0000</qCom><vUnCom>3.50</vUnCom>"
      << "<indRegra>A</indRegra></prod><imposto><ICMS><ICMSSN102><Orig>0</Orig><CSOSN>102</CSOSN></ICMSSN102></ICMS>"
      << "<PIS><PISSN><CST>49</CST></PISSN></PIS><COFINS><COFINSSN><CST>49</CST></COFINSSN></COFINS></imposto></det>";
  }
  x << "<total/><pgto><MP><cMP>01</cMP><vMP>35.00</vMP></MP></pgto></infCFe></CFe>";
  return x.str();
}

struct Tally {
  std::mutex mutex;
  std::vector<double> latencyMs;  // every enviardadosvenda request
  std::vector<int> couponSessions;
  int busyReplies = 0, foundByQuery = 0, resent = 0;
  std::vector<std::string> failures;
};

std::string Code(const Reply &r) {
  const std::string retorno = r.body.is_object() ? r.body.value("retorno", "") : "";
  return retorno.size() >= 12 ? retorno.substr(7, 5) : "";
}

// One sale of a till, to its coupon: the session that holds it, or 0 with a failure noted.
int Sell(const HubProcess &hub, int till, int n, Tally &tally) {
  const std::string cfe = SaleXml(till, n);
  for (int send = 0; send < 20; ++send) {
    const auto start = Clock::now();
    const Reply r = hub.PostJson("enviardadosvenda", {{"numero_caixa", till}, {"dados_venda", cfe}});
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::lock_guard<std::mutex> guard(tally.mutex);
    tally.latencyMs.push_back(ms);
    if (r.status != 200) {
      tally.failures.push_back("caixa " + std::to_string(till) + " venda " + std::to_string(n) + ": HTTP " +
                               std::to_string(r.status) + " " + r.text);
      return 0;
    }
    const int session = r.body["numero_sessao"];
    const std::string code = Code(r);
    if (code == "06000") return session;
    if (code != "06098") {
      tally.failures.push_back("sessão " + std::to_string(session) + ": retorno " + r.body.value("retorno", ""));
      return 0;
    }
    ++tally.busyReplies;
    tally.mutex.unlock();
    // Was it issued? Ask until the device gives a plain answer.
    std::string answer;
    for (int ask = 0; ask < 50; ++ask) {
      const Reply q = hub.PostJson("consultarnumerosessao", {{"numero_caixa", till}, {"numero_sessao", session}});
      // Only a reply that names its session counts: the sale's own for "issued", the query's own
      // for "no such session" (a reply for another session says nothing about this sale).
      const std::string retorno = q.body.is_object() ? q.body.value("retorno", "") : "";
      const int querySession = q.body.is_object() ? q.body.value("numero_sessao", 0) : 0;
      answer = Code(q);
      if (answer == "06000" && retorno.rfind(SessionText(session) + "|", 0) == 0) break;
      if (answer == "11003" && retorno.rfind(SessionText(querySession) + "|", 0) == 0) break;
      answer.clear();
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    tally.mutex.lock();
    if (answer == "06000") {
      ++tally.foundByQuery;
      return session;
    }
    if (answer != "11003") {
      tally.failures.push_back("sessão " + std::to_string(session) + ": sem resposta clara da consulta");
      return 0;
    }
    ++tally.resent;  // not issued: sell again under a new session
  }
  std::lock_guard<std::mutex> guard(tally.mutex);
  tally.failures.push_back("caixa " + std::to_string(till) + " venda " + std::to_string(n) + ": 20 envios sem cupom");
  return 0;
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t i = std::min(values.size() - 1, static_cast<size_t>(p * (values.size() - 1) + 0.5));
  return values[i];
}

// Queue wait and device round trip of every sale and query, from the hub's own log lines.
void FromLog(const std::string &log, std::vector<double> *wait, std::vector<double> *roundTrip) {
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    auto e = json::parse(line, nullptr, false);
    if (!e.is_object() || e.value("evento", "") != "chamada") continue;
    wait->push_back(e.value("espera_ms", 0.0));
    roundTrip->push_back(e.value("ida_e_volta_ms", 0.0));
  }
}

}  // namespace

int main(int argc, char **argv) {
  Options o;
  if (!ParseOptions(argc, argv, &o)) {
    std::cerr << kHelp;
    return 2;
  }
  satemu::SatEmulator device;
  if (!device.Start()) {
    std::cerr << "hub_load: no pseudo-terminal\n";
    return 1;
  }
  satemu::RandomFaults faults;
  faults.seed = o.seed;
  faults.commands = {"03", "08"};
  faults.noReply = o.faults * 0.25;
  faults.loseReply = o.faults * 0.35;
  faults.busy = o.faults * 0.1;
  faults.lateReply = o.faults * 0.1;
  faults.split = o.faults * 0.1;
  faults.otherSession = o.faults * 0.1;
  device.SetRandomFaults(faults);

  TempFolder folder;
  // Short deadlines: a lost reply costs one second, not the default twenty.
  const std::string ini = "N_TENT=" + std::to_string(o.attempts) +
                          "\nTMP_TENT=3\n[TIMEOUT]\nT_ENVIAR_DADOS_VENDA=00:01\nT_CONSULTAR_NUMERO_SESSAO=00:01\n";
  HubProcess hub(device, folder, {{"espera_maxima_ms", 600000}, {"conexoes", std::max(16, o.tills * 2 + 4)}}, ini);
  if (!hub.Start()) {
    std::cerr << "hub_load: cfehub did not start\n" << hub.LogText();
    return 1;
  }

  Tally tally;
  std::vector<std::vector<int>> coupons(o.tills);
  const auto start = Clock::now();
  std::vector<std::thread> tills;
  for (int t = 0; t < o.tills; ++t) {
    tills.emplace_back([&, t] {
      for (int n = 0; n < o.sales; ++n) coupons[t].push_back(Sell(hub, t + 1, n, tally));
    });
  }
  for (auto &t : tills) t.join();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  hub.Stop();

  std::vector<double> wait, roundTrip;
  FromLog(hub.LogText(), &wait, &roundTrip);
  int issued = 0, doubled = 0, unanswered = 0;
  for (const auto &[session, n] : device.SalesIssuedPerSession()) {
    issued += n;
    if (n > 1) ++doubled;
  }
  for (const auto &list : coupons) unanswered += static_cast<int>(std::count(list.begin(), list.end(), 0));
  const int total = o.tills * o.sales;

  std::printf("cfehub load: %d tills x %d sales, seed %u, faults %.3f, N_TENT %d\n", o.tills, o.sales, o.seed, o.faults,
              o.attempts);
  std::printf("  time %.1f s, throughput %.1f sales/s\n", seconds, total / seconds);
  std::printf("  sale request latency  p50 %7.1f ms  p99 %7.1f ms  (%zu requests)\n", Percentile(tally.latencyMs, 0.5),
              Percentile(tally.latencyMs, 0.99), tally.latencyMs.size());
  std::printf("  queue wait            p50 %7.1f ms  p99 %7.1f ms  (%zu calls)\n", Percentile(wait, 0.5),
              Percentile(wait, 0.99), wait.size());
  std::printf("  device round trip     p50 %7.1f ms  p99 %7.1f ms\n", Percentile(roundTrip, 0.5),
              Percentile(roundTrip, 0.99));
  std::printf("  busy replies %d, found by consultarnumerosessao %d, sent again after 11003 %d\n", tally.busyReplies,
              tally.foundByQuery, tally.resent);
  std::printf("  coupons issued %d for %d sales; sessions with two coupons %d; sales without a coupon %d\n", issued,
              total, doubled, unanswered);
  for (const auto &f : tally.failures) std::printf("  FAILURE %s\n", f.c_str());
  const bool ok = tally.failures.empty() && unanswered == 0 && doubled == 0 && issued == total;
  std::printf("%s\n", ok ? "OK: every sale answered, one coupon each" : "FAILED");
  return ok ? 0 : 1;
}

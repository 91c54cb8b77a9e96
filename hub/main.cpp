// cfehub: the SAT functions over HTTP, for several tills and browser point-of-sale programs that
// share one device.
#include <signal.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

#include "config.h"
#include "hub.h"
#include "log.h"

namespace {

const char kHelp[] =
    "Usage: cfehub [--config PATH] [--endereco ADDRESS] [--porta PORT]\n"
    "\n"
    "Serves the sixteen SAT functions over HTTP: POST /hub/v1/<function> with numero_caixa and\n"
    "the function's fields, form-encoded or JSON. Also GET /healthz, GET /metrics (Prometheus),\n"
    "GET /hub/v1/sessoes?numero_caixa=N (the till's last calls) and the status page at /.\n"
    "The device is reached through libcfedriver, which reads its settings from CFEDRIVER_INI.\n"
    "Structured log lines (JSON) go to standard error. Stops on SIGINT or SIGTERM.\n"
    "\n"
    "  --config PATH       configuration file (default /etc/cfehub/cfehub.json)\n"
    "  --endereco ADDRESS  listen on ADDRESS instead of the configured one\n"
    "  --porta PORT        listen on PORT instead of the configured one (0: any free port)\n"
    "  --help              show this text\n"
    "  --version           show the version\n"
    "\n"
    "See cfehub(8) for the configuration keys.\n";

int Usage(const std::string &problem) {
  std::cerr << "cfehub: " << problem << "\n\n" << kHelp;
  return 2;
}

bool ReadPort(const std::string &text, int *port) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  *port = std::stoi(text);
  return *port <= 65535;
}

}  // namespace

int main(int argc, char **argv) {
  std::string configPath = "/etc/cfehub/cfehub.json";
  std::string address;
  int port = -1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kHelp;
      return 0;
    } else if (arg == "--version") {
      std::cout << "cfehub " << CFE_VERSION << "\n";
      return 0;
    } else if (arg == "--config" || arg == "--endereco" || arg == "--porta") {
      if (i + 1 >= argc) return Usage(arg + " needs a value");
      const std::string value = argv[++i];
      if (arg == "--config") configPath = value;
      else if (arg == "--endereco") address = value;
      else if (!ReadPort(value, &port)) return Usage("--porta needs a port number (0 to 65535)");
    } else {
      return Usage("unknown argument " + arg);
    }
  }

  std::string error;
  auto config = cfehub::LoadConfig(configPath, &error);
  if (config) {
    if (!address.empty()) config->address = address;
    if (port >= 0) config->port = port;
    error = cfehub::CheckConfig(*config);
  }
  if (!config || !error.empty()) {
    cfehub::LogEvent("erro", "configuracao", {{"mensagem", error}});
    std::cerr << "cfehub: " << error << "\n";
    return 1;
  }

  // Signals are taken by sigwait in a thread of their own; block them before any other thread
  // starts so that every thread inherits the mask.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);  // a till that hangs up must not end the service

  cfehub::Hub hub(*config);
  if (!hub.Prepare(&error)) {
    cfehub::LogEvent("erro", "partida", {{"mensagem", error}});
    std::cerr << "cfehub: " << error << "\n";
    return 1;
  }
  std::thread stopper([&hub, &stopSignals] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    cfehub::LogEvent("info", "parando", {{"sinal", signal}});
    hub.Stop();
  });
  const bool served = hub.Run();
  if (!served) {
    // listen ended without a signal: wake the stopper so it can be joined
    kill(getpid(), SIGTERM);
  }
  stopper.join();
  return served ? 0 : 1;
}

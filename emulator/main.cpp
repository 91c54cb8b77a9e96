// satemu: a SAT device on a pseudo-terminal, for trying the driver and the tool without hardware.
#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>
#include <string>

#include "sat_emulator.h"

namespace {

const char kHelp[] =
    "Usage: satemu [--ini PATH] [--debug] [--code CODE] [--not-activated] [--blocked] [--verbose]\n"
    "\n"
    "Emulates a SAT-CF-e device on a pseudo-terminal and answers the driver's requests until it\n"
    "receives SIGINT or SIGTERM. The first line on standard output is the slave path, the port\n"
    "to give the driver.\n"
    "\n"
    "  --ini PATH        write a sat.ini at PATH whose SERIAL names the slave path (the folder is\n"
    "                    created when missing)\n"
    "  --debug           with --ini: put DEBUG=true in it, so that every program using that\n"
    "                    sat.ini writes the driver's debug log\n"
    "  --code CODE       activation code of the device (default 12345678)\n"
    "  --not-activated   start as a device that has not been activated yet\n"
    "  --blocked         start blocked by the taxpayer\n"
    "  --verbose         print every request and reply on standard error\n"
    "  --help            show this text\n";

// Writes the sat.ini, creating its folder first (a fresh /tmp has no /tmp/sat). Empty on success,
// else what went wrong with the system's reason.
std::string WriteIni(const satemu::SatEmulator &emulator, const std::string &path, bool debug) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  std::error_code ec;
  if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
    std::filesystem::create_directories(folder, ec);
    if (ec) return "cannot create the folder " + folder.string() + ": " + ec.message();
  }
  errno = 0;
  if (emulator.WriteIni(path, debug ? "DEBUG=true\n" : "")) return "";
  const int err = errno;
  return "cannot write " + path + ": " + (err ? std::strerror(err) : "unknown error");
}

int Usage(const std::string &problem) {
  std::cerr << "satemu: " << problem << "\n\n" << kHelp;
  return 2;
}

}  // namespace

int main(int argc, char **argv) {
  std::string ini;
  bool debug = false;
  bool verbose = false;
  satemu::SatEmulator emulator;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kHelp;
      return 0;
    } else if (arg == "--ini" || arg == "--code") {
      if (i + 1 >= argc) return Usage(arg + " needs a value");
      const std::string value = argv[++i];
      if (arg == "--ini") ini = value;
      else emulator.SetActivationCode(value);
    } else if (arg == "--debug") {
      debug = true;
    } else if (arg == "--not-activated") {
      emulator.SetActivated(false);
    } else if (arg == "--blocked") {
      emulator.SetBlocked(true);
    } else if (arg == "--verbose") {
      verbose = true;
    } else {
      return Usage("unknown argument " + arg);
    }
  }
  if (debug && ini.empty()) return Usage("--debug needs --ini");

  // Signals are taken by sigwait below; block them before the emulator's thread starts so that
  // it inherits the mask.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  if (verbose) {
    emulator.SetTrace([](char what, const std::string &text) {
      std::string shown;
      for (char c : text) shown += c == '\x03' ? std::string("<ETX>") : std::string(1, c);
      std::fprintf(stderr, "%s %s\n", what == 'R' ? "<-" : "->", shown.c_str());
    });
  }
  if (!emulator.Start()) {
    std::cerr << "satemu: cannot open a pseudo-terminal: " << std::strerror(errno) << "\n";
    return 1;
  }
  if (!ini.empty()) {
    const std::string problem = WriteIni(emulator, ini, debug);
    if (!problem.empty()) {
      std::cerr << "satemu: " << problem << "\n";
      return 1;
    }
  }
  std::cout << emulator.SlavePath() << std::endl;

  int signal = 0;
  sigwait(&stopSignals, &signal);
  emulator.Stop();
  return 0;
}

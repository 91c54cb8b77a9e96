// The hub as its users meet it: the cfehub program started in a fresh folder with its own
// configuration, talking through libcfedriver to an emulated device in the test's process.
#pragma once

#include <httplib.h>
#include <sys/types.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "sat_emulator.h"

namespace hubtest {

namespace fs = std::filesystem;

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const fs::path &Path() const { return path_; }
  fs::path operator/(const std::string &name) const { return path_ / name; }

 private:
  fs::path path_;
};

std::string ReadFile(const fs::path &path);

struct Reply {
  int status = 0;  // 0: no HTTP reply at all
  nlohmann::json body;
  std::string text;
};

class HubProcess {
 public:
  // The configuration's defaults for tests: any free port on 127.0.0.1, the state in the folder,
  // the emulator's activation code; `config` adds to or replaces them.
  HubProcess(satemu::SatEmulator &device, const TempFolder &folder, nlohmann::json config = nlohmann::json::object(),
             std::string satIni = "");
  ~HubProcess();

  // Starts cfehub and waits until it listens. False (with the log in LastLog()) when it ended
  // or did not listen within a generous time.
  bool Start();
  // SIGTERM and wait; returns the exit status.
  int Stop();
  int Port() const { return port_; }
  std::string LogText() const;

  Reply PostJson(const std::string &function, const nlohmann::json &body, const std::string &token = "") const;
  Reply PostForm(const std::string &function, const std::string &body, const std::string &token = "") const;
  Reply Post(const std::string &path, const std::string &body, const std::string &contentType,
             const std::string &token = "") const;
  Reply Get(const std::string &path, const std::string &token = "") const;

 private:
  satemu::SatEmulator &device_;
  const TempFolder &folder_;
  nlohmann::json config_;
  std::string satIni_;
  pid_t pid_ = -1;
  int port_ = 0;
};

// Runs cfehub with these arguments and configuration to its end; returns its exit status and,
// in *output, what it wrote.
int RunHubToEnd(const std::vector<std::string> &args, std::string *output);

std::string HubProgram();

}  // namespace hubtest

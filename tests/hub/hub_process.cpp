#include "hub_process.h"

#include <signal.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char **environ;

namespace hubtest {

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "cfehub-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string ReadFile(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string HubProgram() { return CFEHUB_PROGRAM; }

HubProcess::HubProcess(satemu::SatEmulator &device, const TempFolder &folder, nlohmann::json config, std::string satIni)
    : device_(device), folder_(folder), satIni_(std::move(satIni)) {
  config_ = {{"porta", 0}, {"pasta_estado", (folder / "estado").string()}, {"codigo_ativacao", "12345678"}};
  config_.update(config);
}

HubProcess::~HubProcess() {
  if (pid_ > 0) Stop();
}

namespace {

pid_t Spawn(const std::vector<std::string> &args, const fs::path &output, const std::vector<std::string> &extraEnv) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<std::string> env;
  for (char **e = environ; *e; ++e) env.emplace_back(*e);
  env.insert(env.end(), extraEnv.begin(), extraEnv.end());
  std::vector<char *> argv, envp;
  for (const auto &a : args) argv.push_back(const_cast<char *>(a.c_str()));
  argv.push_back(nullptr);
  for (const auto &e : env) envp.push_back(const_cast<char *>(e.c_str()));
  envp.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, args[0].c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

}  // namespace

bool HubProcess::Start() {
  const fs::path ini = folder_ / "sat.ini";
  if (!device_.WriteIni(ini.string(), satIni_)) return false;
  {
    std::ofstream(folder_ / "cfehub.json") << config_.dump(1);
  }
  const size_t logStart = LogText().size();
  pid_ = Spawn({HubProgram(), "--config", (folder_ / "cfehub.json").string()}, folder_ / "cfehub.log",
               {"CFEDRIVER_INI=" + ini.string(), "CFEDRIVER_LOG=" + (folder_ / "cfe.log").string()});
  if (pid_ <= 0) return false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    std::istringstream lines(LogText().substr(logStart));
    for (std::string line; std::getline(lines, line);) {
      auto event = nlohmann::json::parse(line, nullptr, false);
      if (event.is_object() && event.value("evento", "") == "escutando") {
        port_ = event.at("porta").get<int>();
        return true;
      }
    }
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

int HubProcess::Stop() {
  if (pid_ <= 0) return -1;
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string HubProcess::LogText() const { return ReadFile(folder_ / "cfehub.log"); }

namespace {

Reply ToReply(const httplib::Result &result) {
  Reply reply;
  if (!result) return reply;
  reply.status = result->status;
  reply.text = result->body;
  reply.body = nlohmann::json::parse(result->body, nullptr, false);
  return reply;
}

httplib::Headers Auth(const std::string &token) {
  if (token.empty()) return {};
  return {{"Authorization", "Bearer " + token}};
}

}  // namespace

Reply HubProcess::Post(const std::string &path, const std::string &body, const std::string &contentType,
                       const std::string &token) const {
  httplib::Client client("127.0.0.1", port_);
  client.set_read_timeout(120, 0);
  return ToReply(client.Post(path.c_str(), Auth(token), body, contentType.c_str()));
}

Reply HubProcess::PostJson(const std::string &function, const nlohmann::json &body, const std::string &token) const {
  return Post("/hub/v1/" + function, body.dump(), "application/json", token);
}

Reply HubProcess::PostForm(const std::string &function, const std::string &body, const std::string &token) const {
  return Post("/hub/v1/" + function, body, "application/x-www-form-urlencoded", token);
}

Reply HubProcess::Get(const std::string &path, const std::string &token) const {
  httplib::Client client("127.0.0.1", port_);
  client.set_read_timeout(120, 0);
  return ToReply(client.Get(path.c_str(), Auth(token)));
}

int RunHubToEnd(const std::vector<std::string> &args, std::string *output) {
  TempFolder folder;
  std::vector<std::string> all = {HubProgram()};
  all.insert(all.end(), args.begin(), args.end());
  pid_t pid = Spawn(all, folder / "out.txt", {});
  if (pid <= 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  *output = ReadFile(folder / "out.txt");
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace hubtest

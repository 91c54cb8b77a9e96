// The programs satemu and cfecli, run as a user runs them.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sat_emulator.h"

extern char **environ;

namespace {

struct Child {
  pid_t pid = -1;
  int out = -1;  // its standard output
  int err = -1;  // its standard error
};

Child Spawn(const std::vector<std::string> &args, const std::vector<std::string> &extraEnv = {}) {
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addclose(&actions, err[0]);
  std::vector<char *> argv;
  for (const auto &a : args) argv.push_back(const_cast<char *>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<std::string> env;
  for (char **e = environ; *e; ++e) env.emplace_back(*e);
  env.insert(env.end(), extraEnv.begin(), extraEnv.end());
  std::vector<char *> envp;
  for (auto &e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  Child child;
  if (posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) child.pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err[1]);
  child.out = out[0];
  child.err = err[0];
  return child;
}

std::string ReadAll(int fd) {
  std::string text;
  char buf[4096];
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) text.append(buf, static_cast<size_t>(n));
  close(fd);
  return text;
}

struct Result {
  int status = -1;
  std::string out, err;
};

Result RunProgram(const std::vector<std::string> &args, const std::vector<std::string> &extraEnv = {}) {
  Child child = Spawn(args, extraEnv);
  Result r;
  if (child.pid < 0) return r;
  r.out = ReadAll(child.out);
  r.err = ReadAll(child.err);
  int status = 0;
  waitpid(child.pid, &status, 0);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

// One line from fd within the time, without its line feed.
std::string ReadLine(int fd, int timeoutMs) {
  std::string line;
  char c;
  while (true) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0 || read(fd, &c, 1) != 1 || c == '\n') return line;
    line += c;
  }
}

TEST(Satemu, PrintsTheSlaveWritesTheIniAndStopsOnSigterm) {
  const std::string ini = ::testing::TempDir() + "/satemu_program_sat.ini";
  std::remove(ini.c_str());
  Child child = Spawn({SATEMU_PATH, "--ini", ini, "--debug"});
  ASSERT_GT(child.pid, 0);
  const std::string slave = ReadLine(child.out, 5000);
  EXPECT_EQ(slave.rfind("/dev/pts/", 0), 0u) << slave;
  std::ifstream in(ini);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "[DEFAULT]\nSERIAL=" + slave + "\nDEBUG=true\n");

  kill(child.pid, SIGTERM);
  int status = 0;
  waitpid(child.pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  close(child.out);
  close(child.err);
  std::remove(ini.c_str());
}

TEST(Satemu, HelpAndWrongArguments) {
  const Result help = RunProgram({SATEMU_PATH, "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage: satemu"), std::string::npos);
  for (const std::vector<std::string> &args : {std::vector<std::string>{SATEMU_PATH, "--bogus"},
                                               std::vector<std::string>{SATEMU_PATH, "--ini"},
                                               std::vector<std::string>{SATEMU_PATH, "--debug"}}) {
    const Result r = RunProgram(args);
    EXPECT_EQ(r.status, 2) << args.back();
    EXPECT_NE(r.err.find("Usage: satemu"), std::string::npos);
  }
}

TEST(Cfecli, UsageErrorsExitWithTwoAndListTheFunctions) {
  const std::vector<std::vector<std::string>> cases = {
      {CFECLI_PATH},
      {CFECLI_PATH, "ConsultaSAT", "1"},                      // no such function
      {CFECLI_PATH, "ConsultarSAT"},                          // too few
      {CFECLI_PATH, "ConsultarSAT", "1", "2"},                // too many
      {CFECLI_PATH, "ConsultarSAT", "1x"},                    // not an integer
      {CFECLI_PATH, "ConsultarSAT", " 1"},                    // blanks are not digits
      {CFECLI_PATH, "ConsultarSAT", "4294967296"},            // beyond 32 bits
      {CFECLI_PATH, "ConsultarNumeroSessao", "1", "c", ""},   // empty integer
  };
  for (const auto &args : cases) {
    const Result r = RunProgram(args);
    EXPECT_EQ(r.status, 2) << (args.size() > 1 ? args[1] : "");
    EXPECT_NE(r.err.find("TrocarCodigoDeAtivacao numeroSessao codigoDeAtivacao opcao novoCodigo confNovoCodigo"),
              std::string::npos);
    EXPECT_EQ(r.out, "");
  }
  const Result help = RunProgram({CFECLI_PATH, "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("SetDriver comando valor"), std::string::npos);
}

// cfecli with the real library against the emulator: the reply is printed with a line feed.
TEST(Cfecli, CallsTheLibraryAgainstTheEmulator) {
  satemu::SatEmulator emu;
  ASSERT_TRUE(emu.Start());
  const std::string ini = ::testing::TempDir() + "/cfecli_test_sat.ini";
  ASSERT_TRUE(emu.WriteIni(ini));
  const std::vector<std::string> env = {"CFEDRIVER_INI=" + ini, "CFEDRIVER_LOG=" + ::testing::TempDir() + "/cfecli.log"};

  Result r = RunProgram({CFECLI_PATH, "ConsultarSAT", "7"}, env);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "000007|08000|SAT em operação||\n");

  r = RunProgram({CFECLI_PATH, "ConsultarNumeroSessao", "8", "12345678", "-3"}, env);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "000008|11003|Sessão não existe.||\n");

  r = RunProgram({CFECLI_PATH, "SetDriver", "VERSAO", ""}, env);
  EXPECT_EQ(r.out, "3.0.0.4\n");

  const auto requests = emu.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0], "|05|000007|\x03");
  std::remove(ini.c_str());
}

}  // namespace

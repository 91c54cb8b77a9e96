// The programs satemu and cfecli, run as a user runs them.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
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

// The README starts with satemu --ini /tmp/sat/sat.ini, on a machine without /tmp/sat: the
// folders are created.
TEST(Satemu, PrintsTheSlaveWritesTheIniAndStopsOnSigterm) {
  const std::string folder = ::testing::TempDir() + "/satemu_program";
  std::filesystem::remove_all(folder);
  const std::string ini = folder + "/new/sat.ini";
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
  std::filesystem::remove_all(folder);
}

// A settings file that cannot be written: the reason is the system's.
TEST(Satemu, SaysWhyItCannotWriteTheIni) {
  const std::string base = ::testing::TempDir() + "/satemu_ini_folders";
  std::filesystem::remove_all(base);
  std::filesystem::create_directories(base + "/a-folder");
  std::ofstream(base + "/a-file") << "x";

  const struct {
    std::string ini, err;
  } failures[] = {
      {base + "/a-file/sat.ini", "satemu: cannot create the folder " + base + "/a-file: Not a directory\n"},
      {base + "/a-folder", "satemu: cannot write " + base + "/a-folder: Is a directory\n"},
  };
  for (const auto &f : failures) {
    const Result r = RunProgram({SATEMU_PATH, "--ini", f.ini});
    EXPECT_EQ(r.status, 1) << f.ini;
    EXPECT_EQ(r.err, f.err);
    EXPECT_EQ(r.out, "");
  }
  std::filesystem::remove_all(base);
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

// The list of functions in the help, as it has always read: command-code order, SetDriver last.
TEST(Cfecli, HelpListsTheSeventeenFunctionsInCommandCodeOrder) {
  const Result help = RunProgram({CFECLI_PATH, "--help"});
  EXPECT_EQ(help.status, 0);
  const std::string lista =
      "Functions and their arguments (integers in decimal, texts as given):\n"
      "  AtivarSAT numeroSessao subComando codigoDeAtivacao CNPJ cUF\n"
      "  ComunicarCertificadoICPBRASIL numeroSessao codigoDeAtivacao certificado\n"
      "  EnviarDadosVenda numeroSessao codigoDeAtivacao dadosVenda\n"
      "  CancelarUltimaVenda numeroSessao codigoDeAtivacao chave dadosCancelamento\n"
      "  ConsultarSAT numeroSessao\n"
      "  TesteFimAFim numeroSessao codigoDeAtivacao dadosVenda\n"
      "  ConsultarStatusOperacional numeroSessao codigoDeAtivacao\n"
      "  ConsultarNumeroSessao numeroSessao codigoDeAtivacao cNumeroDeSessao\n"
      "  ConfigurarInterfaceDeRede numeroSessao codigoDeAtivacao dadosConfiguracao\n"
      "  AssociarAssinatura numeroSessao codigoDeAtivacao CNPJvalue assinaturaCNPJs\n"
      "  AtualizarSoftwareSAT numeroSessao codigoDeAtivacao\n"
      "  ExtrairLogs numeroSessao codigoDeAtivacao\n"
      "  BloquearSAT numeroSessao codigoDeAtivacao\n"
      "  DesbloquearSAT numeroSessao codigoDeAtivacao\n"
      "  TrocarCodigoDeAtivacao numeroSessao codigoDeAtivacao opcao novoCodigo confNovoCodigo\n"
      "  ConsultarUltimaSessaoFiscal numeroSessao codigoDeAtivacao\n"
      "  SetDriver comando valor\n";
  ASSERT_GE(help.out.size(), lista.size());
  EXPECT_EQ(help.out.substr(help.out.size() - lista.size()), lista);
}

// Every function is called with its arguments in their order and kinds: the request that reaches
// the device shows them.
TEST(Cfecli, CallsEachFunctionWithItsArguments) {
  satemu::SatEmulator emu;
  ASSERT_TRUE(emu.Start());
  const std::string ini = ::testing::TempDir() + "/cfecli_each_sat.ini";
  ASSERT_TRUE(emu.WriteIni(ini));
  const std::vector<std::string> env = {"CFEDRIVER_INI=" + ini, "CFEDRIVER_LOG=" + ::testing::TempDir() + "/cfecli.log"};
  struct Caso {
    std::vector<std::string> args;
    std::string requisicao;  // the first request of the call
  };
  const std::vector<Caso> casos = {
      {{"AtivarSAT", "11", "1", "C", "N", "35"}, "|01|000011|1|C|N|35|\x03"},
      {{"ComunicarCertificadoICPBRASIL", "12", "C", "CERT"}, "|02|000012|C|CERT|\x03"},
      {{"EnviarDadosVenda", "13", "C", "<CFe/>"}, "|03|000013|C|<CFe/>|\x03"},
      {{"CancelarUltimaVenda", "14", "C", "CFe1", "<CFeCanc/>"}, "|04|000014|C|CFe1|<CFeCanc/>|\x03"},
      {{"ConsultarSAT", "15"}, "|05|000015|\x03"},
      {{"TesteFimAFim", "16", "C", "<teste/>"}, "|06|000016|C|<teste/>|\x03"},
      {{"ConsultarStatusOperacional", "17", "C"}, "|07|000017|C|\x03"},
      {{"ConsultarNumeroSessao", "18", "C", "5"}, "|08|000018|C|000005|\x03"},
      {{"ConfigurarInterfaceDeRede", "19", "C", "<config/>"}, "|09|000019|C|<config/>|\x03"},
      {{"AssociarAssinatura", "20", "C", "111", "SIG"}, "|10|000020|C|111|SIG|\x03"},
      {{"AtualizarSoftwareSAT", "21", "C"}, "|11|000021|C|\x03"},
      {{"ExtrairLogs", "22", "C"}, "|12|000022|C|3.0.0.4|\x03"},
      {{"BloquearSAT", "23", "C"}, "|13|000023|C|\x03"},
      {{"DesbloquearSAT", "24", "C"}, "|14|000024|C|\x03"},
      {{"TrocarCodigoDeAtivacao", "25", "C", "2", "NOVO", "CONF"}, "|15|000025|C|2|NOVO|CONF|\x03"},
      {{"ConsultarUltimaSessaoFiscal", "26", "C"}, "|20|000026|C|\x03"},
  };
  for (const auto &c : casos) {
    emu.ClearRequests();
    std::vector<std::string> args = {CFECLI_PATH};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Result r = RunProgram(args, env);
    EXPECT_EQ(r.status, 0) << c.args[0] << ": " << r.err;
    // The reply is the device's, for the call's session.
    EXPECT_EQ(r.out.substr(0, 7), "0000" + c.args[1] + "|") << c.args[0] << ": " << r.out;
    const auto requests = emu.Requests();
    ASSERT_FALSE(requests.empty()) << c.args[0];
    EXPECT_EQ(requests[0], c.requisicao) << c.args[0];
  }
  const Result versao = RunProgram({CFECLI_PATH, "SetDriver", "VERSAO", ""}, env);
  EXPECT_EQ(versao.out, "3.0.0.4\n");
  std::remove(ini.c_str());
}

// Without a settings file and without a device the library answers busy: cfecli says why.
TEST(Cfecli, SaysWhenNoSettingsFileAndNoDeviceWereFound) {
  if (access("/etc/cfedriver/sat.ini", F_OK) == 0) GTEST_SKIP() << "this machine has /etc/cfedriver/sat.ini";
  const std::string empty = ::testing::TempDir() + "/cfecli_no_device";
  std::filesystem::create_directories(empty + "/class/tty");
  const std::string missing = empty + "/missing-sat.ini";
  const std::vector<std::string> env = {"CFEDRIVER_INI=" + missing, "CFEDRIVER_SYSFS=" + empty,
                                        "CFEDRIVER_LOG=" + empty + "/cfecli.log"};
  const Result r = RunProgram({CFECLI_PATH, "ConsultarSAT", "3"}, env);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "000003|08098|SAT em processamento. Tente novamente.||\n");
  EXPECT_NE(r.err.find("cfecli: no settings file (looked for " + missing + " and /etc/cfedriver/sat.ini) and no SAT device "
                       "attached (USB 0525:a4a7)."),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("satemu --ini"), std::string::npos) << r.err;

  // With a settings file the busy reply is the device's business: nothing added.
  std::ofstream(missing) << "[DEFAULT]\nSERIAL=" << empty << "/no-such-port\n";
  const Result withIni = RunProgram({CFECLI_PATH, "ConsultarSAT", "4"}, env);
  EXPECT_EQ(withIni.out, "000004|08098|SAT em processamento. Tente novamente.||\n");
  EXPECT_EQ(withIni.err, "");
  std::filesystem::remove_all(empty);
}

// Installed in /usr/bin, cfecli has no library beside it and loads the library by its SONAME;
// when that fails too it says where it looked.
TEST(Cfecli, LoadsTheLibraryBySonameWhenNoneIsBesideIt) {
  if (void *installed = dlopen("libcfedriver.so.3", RTLD_NOW | RTLD_LOCAL)) {
    dlclose(installed);
    GTEST_SKIP() << "libcfedriver.so.3 is installed on this machine";
  }
  const std::string folder = (std::filesystem::path(::testing::TempDir()) / "cfecli_alone").string();
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(CFECLI_PATH, folder + "/cfecli");
  const std::string cli = folder + "/cfecli";

  const Result notFound = RunProgram({cli, "SetDriver", "VERSAO", ""}, {"LD_LIBRARY_PATH=" + folder});
  EXPECT_EQ(notFound.status, 1);
  EXPECT_EQ(notFound.out, "");
  EXPECT_NE(notFound.err.find("cfecli: libcfedriver.so not found: looked for " + folder + "/libcfedriver.so, then for "
                              "libcfedriver.so.3 on the system's library path"),
            std::string::npos)
      << notFound.err;

  const std::string libraryFolder = std::filesystem::path(CFEDRIVER_PATH).parent_path().string();
  const Result found = RunProgram({cli, "SetDriver", "VERSAO", ""}, {"LD_LIBRARY_PATH=" + libraryFolder});
  EXPECT_EQ(found.status, 0) << found.err;
  EXPECT_EQ(found.out, "3.0.0.4\n");
  std::filesystem::remove_all(folder);
}

}  // namespace

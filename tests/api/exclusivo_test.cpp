// The port's exclusive flag: the library asks for exclusive use while it holds
// the port and gives it back before every close, error paths included, so that
// another program that holds the port open (a monitor, a modem prober) does not
// keep it refused to the next call of a user other than root.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "api/startup.h"
#include "core/state.h"
#include "cfedriver.h"
#include "support.h"

extern char **environ;

using namespace cfetest;

namespace {

// The terminal's exclusive flag as seen through another descriptor.
int FlagExclusivo(int fd) {
  int ligado = -1;
  if (ioctl(fd, TIOCGEXCL, &ligado) != 0) return -1;
  return ligado;
}

class ExclusivoTest : public ::testing::Test {
 protected:
  void SetUp() override { cfe::DefineRelogioTeste({1000, nullptr}); }
  void TearDown() override {
    cfe::Finaliza();
    cfe::DefineRelogioTeste({});
    if (terceiro >= 0) close(terceiro);
  }
  void Reinicia(const std::string &extra) {
    ReiniciaCom(pasta, "[DEFAULT]\nSERIAL=" + dispositivo.SlavePath() + "\n" + extra +
                           "[TIMEOUT]\nT_CONSULTAR_SAT=30:00\nT_ATIVAR_SAT=00:30\n");
  }

  PastaTemp pasta;
  DispositivoFalso dispositivo;
  int terceiro = -1;  // the other program that holds the port open
};

TEST_F(ExclusivoTest, TheFlagIsClearedAfterEveryCallAlsoOnErrorPaths) {
  terceiro = open(dispositivo.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(terceiro, 0);
  ASSERT_EQ(FlagExclusivo(terceiro), 0);
  Reinicia("");

  // A reply.
  EXPECT_EQ(std::string(ConsultarSAT(1)), "000001|08000|ok");
  EXPECT_EQ(FlagExclusivo(terceiro), 0) << "after a call with a reply";
  // No reply: the reception ends at its deadline and closes the port.
  dispositivo.DefineRespostas({std::nullopt});
  EXPECT_EQ(std::string(AtivarSAT(2, 1, "c", "n", 35)).substr(0, 13), "000002|04098|");
  EXPECT_EQ(FlagExclusivo(terceiro), 0) << "after a call without a reply";
  // A connection that fails after the port was opened (a speed that is no number).
  Reinicia("BAUDRATE=abc\n");
  EXPECT_EQ(std::string(ConsultarSAT(3)).substr(0, 13), "000003|08098|");
  EXPECT_EQ(FlagExclusivo(terceiro), 0) << "after a failed connection";
}

// The same over the whole road as a user other than root, for whom the flag is
// binding: with a third party holding the port, the second and third calls
// still open it. The run is a small program of its own (exclusivo_sem_root).
TEST(ExclusivoSemRoot, ASecondCallSucceedsWhileAThirdPartyHoldsThePort) {
  std::vector<std::string> argumentos;
  PastaTemp pasta;
  const std::string programa = (pasta / "exclusivo_sem_root").string();
  if (geteuid() == 0) {
    const char *candidatos[] = {"/usr/bin/setpriv", "/bin/setpriv"};
    std::string setpriv;
    for (const char *c : candidatos)
      if (access(c, X_OK) == 0) setpriv = c;
    if (setpriv.empty()) GTEST_SKIP() << "setpriv (util-linux) not found: the run as a user other than root is skipped";
    argumentos = {setpriv, "--reuid=65534", "--regid=65534", "--clear-groups", "--", programa};
  } else {
    argumentos = {programa};
  }
  // A copy in a folder that the other user may enter.
  fs::copy_file(EXCLUSIVO_SEM_ROOT, programa);
  fs::permissions(pasta.Caminho(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                       fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(programa, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);

  const std::string saida = (pasta / "saida.txt").string();
  posix_spawn_file_actions_t acoes;
  posix_spawn_file_actions_init(&acoes);
  posix_spawn_file_actions_addopen(&acoes, 1, saida.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&acoes, 1, 2);
  std::vector<char *> argv;
  for (auto &a : argumentos) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  ASSERT_EQ(posix_spawn(&pid, argv[0], &acoes, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&acoes);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  const std::string texto = LeArquivo(saida);
  ASSERT_TRUE(WIFEXITED(status)) << texto;
  EXPECT_EQ(WEXITSTATUS(status), 0) << texto;
  EXPECT_NE(texto.find("uid "), std::string::npos) << texto;
  EXPECT_EQ(texto.find("uid 0\n"), std::string::npos) << "ran as root: " << texto;
}

}  // namespace

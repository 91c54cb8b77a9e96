// The debug log and the debug copy of a corrected sale live in a folder that
// others may write to. Whatever is found at their paths that is not the
// effective user's own regular file is left alone and that line or copy is
// dropped; the call neither blocks nor changes its result.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <future>
#include <thread>

#include "api/startup.h"
#include "core/state.h"
#include "cfedriver.h"
#include "support.h"

using namespace cfetest;

namespace {

enum class Coisa {
  FifoComLeitor,     // someone reads it: every line would land there
  FifoSemLeitor,     // a plain open for writing would wait for a reader for good
  Pasta,
  Dispositivo,       // a terminal's device node: the lines would reach its other end
  ArquivoDeOutro,    // mode 0666, owned by another user
  ArquivoProprio644  // the user's own file: written, and made 0600
};

struct Caso {
  const char *nome;
  Coisa coisa;
  bool naCopia;  // at corrigido.xml rather than at the log's path
};

const Caso kCasos[] = {
    {"log: FIFO with a reader", Coisa::FifoComLeitor, false},
    {"log: FIFO without a reader", Coisa::FifoSemLeitor, false},
    {"log: folder", Coisa::Pasta, false},
    {"log: device node", Coisa::Dispositivo, false},
    {"log: another user's file 0666", Coisa::ArquivoDeOutro, false},
    {"log: own file 0644", Coisa::ArquivoProprio644, false},
    {"copy: FIFO with a reader", Coisa::FifoComLeitor, true},
    {"copy: FIFO without a reader", Coisa::FifoSemLeitor, true},
    {"copy: folder", Coisa::Pasta, true},
    {"copy: device node", Coisa::Dispositivo, true},
    {"copy: another user's file 0666", Coisa::ArquivoDeOutro, true},
    {"copy: own file 0644", Coisa::ArquivoProprio644, true},
};

const char *const kVenda = "<CFe>&#65;</CFe>";

class ArquivosTest : public ::testing::TestWithParam<Caso> {
 protected:
  void SetUp() override { cfe::DefineRelogioTeste({1000, nullptr}); }
  void TearDown() override {
    cfe::Finaliza();
    cfe::DefineRelogioTeste({});
    for (int fd : abertos) close(fd);
  }

  // Puts the thing at the path; false (with a reason) when this user cannot.
  bool Prepara(Coisa coisa, const fs::path &caminho, std::string &motivo) {
    switch (coisa) {
      case Coisa::FifoComLeitor: {
        if (mkfifo(caminho.c_str(), 0666) != 0) return false;
        int leitor = open(caminho.c_str(), O_RDONLY | O_NONBLOCK);
        if (leitor < 0) return false;
        abertos.push_back(leitor);
        return true;
      }
      case Coisa::FifoSemLeitor: return mkfifo(caminho.c_str(), 0666) == 0;
      case Coisa::Pasta: return fs::create_directory(caminho);
      case Coisa::Dispositivo: {
        // A node of a pseudo-terminal's slave: what is written reaches the master.
        int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return false;
        abertos.push_back(master);
        struct stat st{};
        if (stat(ptsname(master), &st) != 0) return false;
        // Kept open, so that the master does not see a hang-up.
        int slave = open(ptsname(master), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (slave >= 0) abertos.push_back(slave);
        masterDoDispositivo = master;
        if (mknod(caminho.c_str(), S_IFCHR | 0666, st.st_rdev) != 0) {
          motivo = "device nodes cannot be made here (needs CAP_MKNOD)";
          return false;
        }
        return true;
      }
      case Coisa::ArquivoDeOutro: {
        EscreveArquivo(caminho, "");
        if (chmod(caminho.c_str(), 0666) != 0) return false;
        if (chown(caminho.c_str(), 65534, 65534) != 0) {
          motivo = "a file of another user can only be made by root";
          return false;
        }
        return true;
      }
      case Coisa::ArquivoProprio644:
        EscreveArquivo(caminho, "");
        return chmod(caminho.c_str(), 0644) == 0;
    }
    return false;
  }

  // What was left at the path is as the test put it: nothing written into it.
  void ConfereIntocado(Coisa coisa, const fs::path &caminho) {
    struct stat st{};
    ASSERT_EQ(lstat(caminho.c_str(), &st), 0);
    char lido[64];
    switch (coisa) {
      case Coisa::FifoComLeitor:
        EXPECT_TRUE(S_ISFIFO(st.st_mode));
        EXPECT_LE(read(abertos[0], lido, sizeof lido), 0) << "bytes were written into the FIFO";
        break;
      case Coisa::FifoSemLeitor: EXPECT_TRUE(S_ISFIFO(st.st_mode)); break;
      case Coisa::Pasta:
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_TRUE(fs::is_empty(caminho));
        break;
      case Coisa::Dispositivo:
        EXPECT_TRUE(S_ISCHR(st.st_mode));
        EXPECT_LE(read(masterDoDispositivo, lido, sizeof lido), 0) << "bytes reached the terminal";
        break;
      case Coisa::ArquivoDeOutro:
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_size, 0) << "the other user's file received the lines";
        EXPECT_EQ(st.st_mode & 07777, 0666u);
        EXPECT_EQ(st.st_uid, 65534u);
        break;
      case Coisa::ArquivoProprio644:
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_GT(st.st_size, 0);
        EXPECT_EQ(st.st_mode & 07777, 0600u);
        break;
    }
  }

  PastaTemp pasta;
  DispositivoFalso dispositivo;
  std::vector<int> abertos;
  int masterDoDispositivo = -1;
};

TEST_P(ArquivosTest, OnlyTheUsersOwnRegularFileIsWritten) {
  const Caso &caso = GetParam();
  ReiniciaCom(pasta, "[DEFAULT]\nSERIAL=" + dispositivo.SlavePath() +
                         "\nDEBUG=true\nCORRECAO=true\n[TIMEOUT]\nT_ENVIAR_DADOS_VENDA=30:00\n");
  // A shared folder of its own, where the log and the copy go from now on.
  const fs::path comum = pasta / "comum";
  fs::create_directory(comum);
  setenv("CFEDRIVER_LOG", (comum / "dll_norvi_zorvan.log").c_str(), 1);
  const fs::path alvo = comum / (caso.naCopia ? "corrigido.xml" : "dll_norvi_zorvan.log");
  const fs::path outro = comum / (caso.naCopia ? "dll_norvi_zorvan.log" : "corrigido.xml");
  std::string motivo;
  if (!Prepara(caso.coisa, alvo, motivo)) {
    if (!motivo.empty()) GTEST_SKIP() << motivo;
    FAIL() << "could not prepare " << alvo;
  }

  // The call in a thread of its own, so that a call that blocks fails the test
  // (the thread is left behind then).
  std::packaged_task<std::string()> tarefa([] { return std::string(EnviarDadosVenda(9, "c", kVenda)); });
  auto chamada = tarefa.get_future();
  std::thread(std::move(tarefa)).detach();
  ASSERT_EQ(chamada.wait_for(std::chrono::seconds(60)), std::future_status::ready) << "the call blocked";
  EXPECT_EQ(chamada.get(), "000009|06000|ok");

  ConfereIntocado(caso.coisa, alvo);
  // The other file is written as usual.
  if (caso.naCopia) {
    EXPECT_FALSE(LinhasDoLog(outro).empty());
  } else {
    EXPECT_EQ(LeArquivo(outro), "<CFe>    A</CFe>\r\n");
  }
  if (caso.coisa == Coisa::ArquivoProprio644) {
    if (caso.naCopia) {
      EXPECT_EQ(LeArquivo(alvo), "<CFe>    A</CFe>\r\n");
    } else {
      EXPECT_FALSE(LinhasDoLog(alvo).empty());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Casos, ArquivosTest, ::testing::ValuesIn(kCasos),
                         [](const ::testing::TestParamInfo<Caso> &i) {
                           std::string nome = i.param.nome;
                           for (char &c : nome)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return nome;
                         });

}  // namespace

// Several threads calling the library at once, against the emulator.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>

#include "api/startup.h"
#include "core/lock.h"
#include "core/state.h"
#include "cfedriver.h"
#include "sat_emulator.h"
#include "support.h"

using namespace cfetest;

namespace {

std::string Sessao(int n) {
  std::string s = std::to_string(n);
  return std::string(6 - s.size(), '0') + s;
}

class ConcorrenciaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(emu.Start());
    setenv("CFEDRIVER_INI", (pasta / "sat.ini").c_str(), 1);
    setenv("CFEDRIVER_LOG", (pasta / "cfe.log").c_str(), 1);
    setenv("CFEDRIVER_SYSFS", (pasta / "sys").c_str(), 1);
    // The lock is polled every 10 ms.
    cfe::DefineRelogioTeste({10, nullptr});
  }
  void TearDown() override {
    cfe::Finaliza();
    cfe::DefineRelogioTeste({});
  }
  // Replies may take long on a loaded machine (30 min / 10); entries in extra come first and win.
  void Inicia(const std::string &extra) {
    std::string timeouts = "[TIMEOUT]\n";
    for (const auto &t : cfe::kTimeoutsPadrao) timeouts += std::string(t.chave) + "=30:00\n";
    ASSERT_TRUE(emu.WriteIni((pasta / "sat.ini").string(), extra + "\n" + timeouts));
    cfe::Inicializa();
  }

  PastaTemp pasta;
  satemu::SatEmulator emu;
};

TEST_F(ConcorrenciaTest, WithTheLockTwoCallersNeverOverlapOnTheWire) {
  Inicia("");
  std::mutex mutex;
  std::string eventos;  // 'R' request, 'A' reply, in the order the device saw them
  emu.SetTrace([&](char tipo, const std::string &) {
    std::lock_guard<std::mutex> g(mutex);
    eventos += tipo;
  });
  constexpr int kChamadas = 25;
  std::vector<std::string> falhas[2];
  auto chamador = [&](int t) {
    for (int i = 0; i < kChamadas; ++i) {
      int sessao = t * 1000 + i + 1;
      std::string resposta = t == 0 ? ConsultarSAT(sessao) : ConsultarStatusOperacional(sessao, "12345678");
      std::string esperado = Sessao(sessao) + (t == 0 ? "|08000|" : "|10000|");
      if (resposta.rfind(esperado, 0) != 0) falhas[t].push_back(resposta);
    }
  };
  std::thread a(chamador, 0), b(chamador, 1);
  a.join();
  b.join();
  // A call that overlapped another would have found the port taken and got the busy reply.
  EXPECT_TRUE(falhas[0].empty()) << falhas[0].front();
  EXPECT_TRUE(falhas[1].empty()) << falhas[1].front();
  EXPECT_EQ(emu.Requests().size(), 2u * kChamadas);
  std::string alternado;
  for (int i = 0; i < 2 * kChamadas; ++i) alternado += "RA";
  std::lock_guard<std::mutex> g(mutex);
  EXPECT_EQ(eventos, alternado);
}

TEST_F(ConcorrenciaTest, WithoutTheLockManyCallersGetTheirOwnTexts) {
  Inicia("LIB_LOCK=false\n[TIMEOUT]\nT_CONSULTAR_SAT=00:01\nT_ENVIAR_DADOS_VENDA=00:01\n"
         "T_CONSULTAR_STATUS_OPERACIONAL=00:01\nT_BLOQUEAR_SAT=00:01\n");
  ASSERT_FALSE(cfe::G().LockLigado);
  // Callers without the lock take the port from each other and wait for replies
  // that went elsewhere: keep those waits at 10 ms.
  cfe::DefineRelogioTeste({100, nullptr});
  const std::string venda(100 * 1024, 'v');
  constexpr int kThreads = 8, kChamadas = 20;
  std::atomic<int> estranhas{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kChamadas; ++i) {
        int sessao = t * 1000 + i + 1;
        const char *r = nullptr;
        switch (i % 5) {
          case 0: r = ConsultarSAT(sessao); break;
          case 1: r = EnviarDadosVenda(sessao, "12345678", venda.c_str()); break;
          case 2: r = ConsultarStatusOperacional(sessao, nullptr); break;
          case 3: r = BloquearSAT(sessao, "x"); break;
          case 4:
            SetDriver("DEBUG", i % 2 ? "true" : "false");
            SetDriver("N_TENT", "1");
            r = ConsultarSAT(sessao);
            break;
        }
        // Its own session's reply or its own busy reply, never another caller's text.
        if (std::string(r).rfind(Sessao(sessao) + "|", 0) != 0) ++estranhas;
      }
    });
  }
  for (auto &t : threads) t.join();
  EXPECT_EQ(estranhas, 0);
}

TEST_F(ConcorrenciaTest, ATextHandedToOneThreadIsNotTouchedByAnother) {
  Inicia("");
  const char *consulta = ConsultarSAT(1);
  const std::string copia = consulta;
  const char *versao = SetDriver("VERSAO", "");
  std::thread outro([] {
    for (int i = 0; i < 20; ++i) {
      ConsultarSAT(100 + i);
      SetDriver("DISCOVER", "");
    }
  });
  outro.join();
  EXPECT_EQ(consulta, copia);
  EXPECT_STREQ(versao, "3.0.0.4");
}

// The lock has no owner: whoever frees it (another thread, or the library's
// reset) wakes the calls waiting for it, and one of them takes it. A missed
// wake-up would leave a waiting call asleep for good; the generous bound only
// turns that hang into a failure.
TEST_F(ConcorrenciaTest, WaitingCallsTakeTheLockWhenAnyoneFreesIt) {
  Inicia("");
  const std::function<void()> libera[] = {[] { cfe::LiberaLock(); }, [] { cfe::RestauraPadroes(); }};
  for (const auto &liberaDeOutraThread : libera) {
    ASSERT_FALSE(cfe::AguardaLock()) << "the lock is free before the case";
    constexpr int kEsperando = 3;
    // Shared with the waiting threads, which a failed case leaves asleep behind it.
    struct Contagem {
      std::atomic<int> comecaram{0}, entraram{0};
    };
    auto contagem = std::make_shared<Contagem>();
    std::vector<std::thread> esperando;
    for (int i = 0; i < kEsperando; ++i)
      esperando.emplace_back([contagem] {
        ++contagem->comecaram;
        cfe::EntraLock();
        ++contagem->entraram;
        cfe::LiberaLock();
      });
    // Past any short spin of the wait: the waiting calls are asleep when the lock is freed.
    while (contagem->comecaram < kEsperando) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(contagem->entraram, 0) << "nobody takes a held lock";
    std::thread(liberaDeOutraThread).join();
    for (int i = 0; i < 60000 && contagem->entraram < kEsperando; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (contagem->entraram < kEsperando) {
      for (auto &t : esperando) t.detach();
      FAIL() << contagem->entraram << " of " << kEsperando << " waiting calls took the lock";
    }
    for (auto &t : esperando) t.join();
    EXPECT_FALSE(cfe::G().LockFlag) << "the last call freed it";
  }
}

}  // namespace


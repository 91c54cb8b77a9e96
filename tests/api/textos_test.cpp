// The lifetime of the texts the library hands back: a text outlives the thread
// that called for it, and a program that calls from very many short-lived
// threads keeps only a few texts. Run under AddressSanitizer by
// scripts/sanitize.sh, where a text freed with its thread is a reported error.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "api/startup.h"
#include "core/state.h"
#include "api/textos.h"
#include "cfedriver.h"
#include "support.h"

using namespace cfetest;

namespace {

class TextosTest : public ::testing::Test {
 protected:
  void SetUp() override { cfe::DefineRelogioTeste({1000, nullptr}); }
  void TearDown() override {
    cfe::Finaliza();
    cfe::DefineRelogioTeste({});
  }
  PastaTemp pasta;
};

TEST_F(TextosTest, ATextOutlivesTheThreadThatCalledForIt) {
  DispositivoFalso dispositivo;
  // Long enough to live on the heap, where a freed text is caught.
  const std::string resposta = "000042|08000|" + std::string(300, 'x');
  dispositivo.DefineRoteiro([&](const std::string &) { return resposta; });
  ReiniciaCom(pasta, "[DEFAULT]\nSERIAL=" + dispositivo.SlavePath() + "\n[TIMEOUT]\nT_CONSULTAR_SAT=30:00\n");

  const char *sat = nullptr;
  const char *driver = nullptr;
  std::thread([&] {
    sat = ConsultarSAT(42);
    driver = SetDriver("VERSAO", "");
  }).join();
  ASSERT_NE(sat, nullptr);
  ASSERT_NE(driver, nullptr);
  // The thread has ended; no call has been made since.
  EXPECT_EQ(std::string(sat), resposta);
  EXPECT_STREQ(driver, "3.0.0.4");
}

TEST_F(TextosTest, AThreadsTextStaysUntilItsOwnNextCall) {
  ReiniciaCom(pasta, "[DEFAULT]\nSERIAL=/nonexistent/port\n");
  const char *meu = ConsultarSAT(1);
  const char *meuDriver = SetDriver("VERSAO", "");
  // Calls of other threads, ended and alive, touch neither text.
  for (int i = 0; i < 20; ++i) std::thread([] { ConsultarSAT(2); SetDriver("LOCK", "true"); }).join();
  EXPECT_STREQ(meu, "000001|08098|SAT em processamento. Tente novamente.||");
  EXPECT_STREQ(meuDriver, "3.0.0.4");
}

TEST_F(TextosTest, AHundredThousandShortLivedThreadsKeepOnlyAFewTexts) {
  // No device (a fixed port that does not exist): every call is answered at once.
  ReiniciaCom(pasta, "[DEFAULT]\nSERIAL=/nonexistent/port\n");
  constexpr int kThreads = 100000;
  constexpr int kAoMesmoTempo = 8;
  for (int feitas = 0; feitas < kThreads; feitas += kAoMesmoTempo) {
    std::vector<std::thread> lote;
    for (int i = 0; i < kAoMesmoTempo; ++i)
      lote.emplace_back([n = feitas + i] {
        if (n % 2 == 0) {
          EXPECT_STREQ(SetDriver("VERSAO", ""), "3.0.0.4");
        } else {
          EXPECT_EQ(std::string(ConsultarSAT(7)).substr(0, 13), "000007|08098|");
        }
      });
    for (auto &t : lote) t.join();
  }
  // At most one slot per thread alive at one time, and those of a batch that
  // ended before the next batch's first call.
  EXPECT_LE(cfe::QuantosTextos(), size_t(2 * kAoMesmoTempo));
  EXPECT_GE(cfe::QuantosTextos(), size_t(1));
}

}  // namespace

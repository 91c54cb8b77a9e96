// Two callers using the one channel at once (call lock off): their exchanges
// may spoil each other, but the channel stays sound and every call returns.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "core/state.h"
#include "link/connection.h"
#include "pty.h"

using namespace cfe;
using cfetest::Pty;
namespace fs = std::filesystem;

TEST(LinkConcurrency, SimultaneousExchangesAndChannelCallsStaySound) {
  Pty pty;
  ASSERT_TRUE(pty.ok());
  fs::path log = fs::temp_directory_path() / ("cfe-link-conc-" + std::to_string(getpid()) + ".log");
  setenv("CFEDRIVER_LOG", log.c_str(), 1);
  RestauraPadroes();
  G().ModoDebug = true;
  GravaTexto(&Estado::PortaSerial, pty.slave);
  {
    std::lock_guard<std::mutex> g(G().mutex);
    G().PortaFixa = true;
  }

  std::atomic<bool> stop{false};
  // The device answers every frame it sees.
  std::thread device([&] {
    while (!stop) {
      std::string frame = pty.ReadUntil([](const std::string &s) { return s.find('\x03') != std::string::npos; }, 50);
      if (frame.find('\x03') != std::string::npos) pty.Write("000001|08000|ok\x03");
    }
  });

  std::atomic<int> replies{0};
  std::atomic<bool> callersDone{false};
  // At least 15 exchanges each, and on until one has got through the
  // interference (or a generous limit): the channel must not stay spoilt.
  const int64_t limit = AgoraMs() + 60000;
  auto caller = [&] {
    for (int i = 0; i < 15 || (replies == 0 && AgoraMs() < limit); ++i) {
      if (VerificaConexao()) continue;
      G().PrazoResposta = AgoraMs() + 300;
      EnviaParaSat("|05|000001");
      std::string r = RecebeDoSat(1);
      if (!r.empty()) {
        EXPECT_EQ(r.back(), '\0');
        ++replies;
      }
    }
  };
  auto meddler = [&] {
    TSerialChannel &c = CanalSerial();
    for (int i = 0; i < 200 || !callersDone; ++i) {
      try {  // the callers turn the exception switch on and off meanwhile
        c.WaitingDataEx();
        c.RecvPacket(1);
        if (i % 20 == 0) c.CloseSocket();
        c.SendString("x");
        c.RecvBufferStr(3, 1);
      } catch (const ESerialChannelError &) {
      }
    }
  };
  std::thread a(caller), b(caller), m(meddler);
  a.join();
  b.join();
  callersDone = true;
  m.join();
  EXPECT_GT(replies.load(), 0) << "no exchange got through while the channel was meddled with";
  stop = true;
  device.join();

  // Quiet again, one caller gets its reply as before.
  CanalSerial().SetRaiseExcept(false);
  CanalSerial().CloseSocket();
  pty.ReadUntil([](const std::string &) { return false; }, 100);  // what the device left unread
  std::thread device2([&] {
    std::string frame = pty.ReadFrame(3000);
    if (!frame.empty()) pty.Write("000001|08000|ok\x03");
  });
  ASSERT_FALSE(VerificaConexao());
  G().PrazoResposta = AgoraMs() + 3000;
  EnviaParaSat("|05|000001");
  EXPECT_EQ(RecebeDoSat(1), std::string("000001|08000|ok") + '\0');
  device2.join();

  CanalSerial().SetRaiseExcept(false);
  CanalSerial().CloseSocket();
  RestauraPadroes();
  unsetenv("CFEDRIVER_LOG");
  if (getenv("CFE_KEEP_LOG")) printf("replies %d log %s\n", replies.load(), log.c_str()); else fs::remove(log);
  RecordProperty("replies_while_interfering", replies.load());
}

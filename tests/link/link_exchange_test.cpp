// Connection and frame exchange over a pseudo-terminal, with a small peer
// thread on the master playing the device.
#include <gtest/gtest.h>
#include <time.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "core/state.h"
#include "link/connection.h"
#include "pty.h"

using namespace cfe;
using cfetest::Pty;
namespace fs = std::filesystem;

namespace {

const std::string kETX = "\x03";

class ExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.ok());
    dir = fs::temp_directory_path() / ("cfe-link-" + std::to_string(getpid()));
    fs::create_directories(dir);
    log = dir / "driver.log";
    fs::remove(log);
    setenv("CFEDRIVER_LOG", log.c_str(), 1);
    setenv("CFEDRIVER_SYSFS", (dir / "no-sysfs").c_str(), 1);  // no search finds anything
    RestauraPadroes();
    G().ModoDebug = true;
    Porta(pty.slave, true);
    FechaCanal();
  }

  void TearDown() override {
    if (peer.joinable()) peer.join();
    FechaCanal();
    DefineLimiteResposta(size_t(64) << 20);
    RestauraPadroes();
    unsetenv("CFEDRIVER_LOG");
    unsetenv("CFEDRIVER_SYSFS");
    fs::remove_all(dir);
  }

  static void FechaCanal() {
    CanalSerial().SetRaiseExcept(false);
    CanalSerial().CloseSocket();
    CanalSerial().SetRaiseExcept(false);  // the switch starts off, as after start-up
  }

  static void Porta(const std::string &porta, bool fixa) {
    GravaTexto(&Estado::PortaSerial, porta);
    std::lock_guard<std::mutex> g(G().mutex);
    G().PortaFixa = fixa;
  }

  static void Prazo(int64_t ms) { G().PrazoResposta = AgoraMs() + ms; }

  std::string Log() const {
    std::ifstream in(log, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // Number of log lines whose message is exactly `linha`.
  int Linhas(const std::string &linha) const {
    std::string texto = Log();
    int n = 0;
    for (size_t p = 0; (p = texto.find(": " + linha + "\r\n", p)) != std::string::npos; ++p) ++n;
    return n;
  }

  // The device: takes one request frame, then answers with the given packets.
  void Dispositivo(std::vector<std::string> pacotes, std::string *pedido = nullptr) {
    peer = std::thread([this, pacotes = std::move(pacotes), pedido] {
      std::string frame = pty.ReadFrame();
      if (pedido) *pedido = frame;
      for (const std::string &p : pacotes) {
        pty.Write(p);
        std::this_thread::sleep_for(std::chrono::milliseconds(40));  // separate packets
      }
    });
  }

  Pty pty;
  fs::path dir, log;
  std::thread peer;
};

TEST_F(ExchangeTest, OneExchangeOnTheWire) {
  ASSERT_FALSE(VerificaConexao());
  EXPECT_TRUE(CanalSerial().InstanceActive());
  std::string pedido;
  Dispositivo({"000123|08000|SAT em ", "opera", "ção" + kETX}, &pedido);
  Prazo(3000);
  EXPECT_TRUE(EnviaParaSat("|05|000123"));
  std::string resposta = RecebeDoSat(123);
  peer.join();

  if (peer.joinable()) peer.join();
  EXPECT_EQ(pedido, "|05|000123|" + kETX);
  EXPECT_EQ(resposta, std::string("000123|08000|SAT em operação") + '\0');
  EXPECT_EQ(resposta.back(), '\0');
  EXPECT_FALSE(CanalSerial().InstanceActive());  // closed after the reply

  const std::string p = pty.slave;
  EXPECT_EQ(Linhas("Configurando " + p + " ..."), 1);
  EXPECT_EQ(Linhas("Conectando " + p + " ..."), 1);
  EXPECT_EQ(Linhas(p + " Conectado."), 1);
  EXPECT_EQ(Linhas("EnviaParaSat: inicio do envio ..."), 1);
  EXPECT_EQ(Linhas("Enviando: |05|000123"), 1);
  EXPECT_EQ(Linhas("EnviarParaSat: final do envio."), 1);
  EXPECT_EQ(Linhas("RecebeDoSat: inicio da recepção ..."), 1);
  EXPECT_EQ(Linhas("RecebeDoSat: final da recepção."), 1);
  EXPECT_EQ(Linhas("Esgotado TimeOut para recepção de dados."), 0);
}

TEST_F(ExchangeTest, OnlyAnEtxThatEndsAPacketEndsTheReply) {
  ASSERT_FALSE(VerificaConexao());
  Dispositivo({"000123|a" + kETX + "b", "c" + kETX});
  Prazo(3000);
  EnviaParaSat("|05|000123");
  EXPECT_EQ(RecebeDoSat(), std::string("000123|a\x03" "bc") + '\0');
}

TEST_F(ExchangeTest, ReplyOfAnotherSessionIsDroppedAndTheWaitGoesOn) {
  ASSERT_FALSE(VerificaConexao());
  Dispositivo({"000124|08000|outra" + kETX, "000123|08000|esta" + kETX});
  Prazo(3000);
  EnviaParaSat("|05|000123");
  EXPECT_EQ(RecebeDoSat(123), std::string("000123|08000|esta") + '\0');
  EXPECT_EQ(Linhas(" .....   ....."), 1);
  EXPECT_EQ(Linhas("Erro ao receber dados do SAT"), 0);
}

TEST_F(ExchangeTest, WithoutAnExpectedSessionAnyCompleteReplyCounts) {
  ASSERT_FALSE(VerificaConexao());
  Dispositivo({"000124|08000" + kETX});
  Prazo(3000);
  EnviaParaSat("|05|000123");
  EXPECT_EQ(RecebeDoSat(), std::string("000124|08000") + '\0');
}

TEST_F(ExchangeTest, NonNumericSessionIsReturnedAsCollected) {
  ASSERT_FALSE(VerificaConexao());
  Dispositivo({"ABCDEF|08000" + kETX});
  Prazo(3000);
  EnviaParaSat("|05|000123");
  EXPECT_EQ(RecebeDoSat(123), std::string("ABCDEF|08000") + '\0');
  EXPECT_EQ(Linhas("Erro ao receber dados do SAT"), 1);
  EXPECT_EQ(Linhas("Esgotado TimeOut para recepção de dados."), 0);
}

TEST_F(ExchangeTest, StaleInputIsDiscardedAndLogged) {
  ASSERT_FALSE(VerificaConexao());
  pty.Write("velho");
  for (int i = 0; i < 200 && CanalSerial().WaitingData() < 5; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  std::string pedido;
  Dispositivo({"000123|08000" + kETX}, &pedido);
  Prazo(3000);
  EnviaParaSat("|05|000123");
  EXPECT_EQ(RecebeDoSat(123), std::string("000123|08000") + '\0');
  if (peer.joinable()) peer.join();
  EXPECT_EQ(pedido, "|05|000123|" + kETX);
  EXPECT_EQ(Linhas("Descarte USB1: velho"), 1);
}

TEST_F(ExchangeTest, InputQueuedBeforeTheConnectionIsGone) {
  pty.Write("antigo");  // queued while the port is closed; opening the port purges it
  ASSERT_FALSE(VerificaConexao());
  EXPECT_EQ(CanalSerial().WaitingDataEx(), 0);
  Dispositivo({"000123|08000" + kETX});
  Prazo(3000);
  EnviaParaSat("|05|000123");
  EXPECT_EQ(RecebeDoSat(123), std::string("000123|08000") + '\0');
}

TEST_F(ExchangeTest, SendOnAClosedChannelConnectsFirst) {
  std::string pedido;
  Dispositivo({"000123|08000" + kETX}, &pedido);
  Prazo(3000);
  EnviaParaSat("|05|000123");
  EXPECT_EQ(RecebeDoSat(123), std::string("000123|08000") + '\0');
  if (peer.joinable()) peer.join();
  EXPECT_EQ(pedido, "|05|000123|" + kETX);
  EXPECT_EQ(Linhas(pty.slave + " Conectado."), 1);
}

TEST_F(ExchangeTest, DeadlineAlreadyPassed) {
  ASSERT_FALSE(VerificaConexao());
  pty.Write("000123|08000" + kETX);
  for (int i = 0; i < 200 && CanalSerial().WaitingData() < 13; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  Prazo(-1);
  EXPECT_EQ(RecebeDoSat(123), "");
  EXPECT_FALSE(CanalSerial().InstanceActive());
  EXPECT_EQ(Linhas("Esgotado TimeOut para recepção de dados."), 1);
  EXPECT_EQ(Linhas("RecebeDoSat: final da recepção."), 1);
}

TEST_F(ExchangeTest, NoReplyTimesOutWithoutBusyWaiting) {
  ASSERT_FALSE(VerificaConexao());
  Prazo(400);
  timespec antes{}, depois{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &antes);
  EXPECT_EQ(RecebeDoSat(123), "");
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &depois);
  double cpu_ms = (depois.tv_sec - antes.tv_sec) * 1e3 + (depois.tv_nsec - antes.tv_nsec) / 1e6;
  EXPECT_LT(cpu_ms, 100.0) << "the wait keeps a core busy";
  EXPECT_TRUE(PrazoPassou());
  EXPECT_EQ(Linhas("Esgotado TimeOut para recepção de dados."), 1);
  EXPECT_FALSE(CanalSerial().InstanceActive());
}

TEST_F(ExchangeTest, HangUpDuringReception) {
  ASSERT_FALSE(VerificaConexao());
  peer = std::thread([this] {
    pty.ReadFrame();
    pty.Write("000123|parte");  // lost with the master
    pty.CloseMaster();
  });
  Prazo(3000);
  EnviaParaSat("|05|000123");
  EXPECT_EQ(RecebeDoSat(123), "");
  peer.join();
  EXPECT_FALSE(PrazoPassou()) << "a port that is gone is not waited on";
  EXPECT_EQ(Linhas("(RX) Perda de comunicação com o SAT") + Linhas("Erro ao receber dados do SAT"), 1);
  EXPECT_EQ(Linhas("Esgotado TimeOut para recepção de dados."), 1);
  EXPECT_FALSE(CanalSerial().InstanceActive());
}

TEST_F(ExchangeTest, FailedSendIsLoggedAndNoReplyComes) {
  ASSERT_FALSE(VerificaConexao());
  pty.CloseMaster();  // the device goes away between connection and send
  Prazo(3000);
  EXPECT_TRUE(EnviaParaSat("|05|000123"));
  EXPECT_EQ(Linhas("Falha ao transmitir dados para o SAT"), 1);
  EXPECT_EQ(Linhas("(TX) Perda de comunicação com o SAT"), 0);
  EXPECT_EQ(Linhas("EnviarParaSat: final do envio."), 1);
  EXPECT_EQ(RecebeDoSat(123), "");
  EXPECT_EQ(Linhas("(RX) Perda de comunicação com o SAT"), 1);
  EXPECT_EQ(Linhas("Erro ao receber dados do SAT"), 0);
}

TEST_F(ExchangeTest, ReplyBeyondTheBoundIsNotReceived) {
  DefineLimiteResposta(1000);
  ASSERT_FALSE(VerificaConexao());
  Dispositivo({"000123|" + std::string(600, 'x'), std::string(600, 'y'), "fim" + kETX});
  Prazo(3000);
  EnviaParaSat("|05|000123");
  EXPECT_EQ(RecebeDoSat(123), "");
  EXPECT_EQ(Linhas("Erro ao receber dados do SAT"), 1);
  EXPECT_EQ(Linhas("Esgotado TimeOut para recepção de dados."), 1);
}

TEST_F(ExchangeTest, NonNumericBaudRateFailsThroughTheErrorPath) {
  GravaTexto(&Estado::BAUDRATE, "rapido");
  Porta(pty.slave, false);
  EXPECT_TRUE(VerificaConexao());
  const std::string p = pty.slave;
  EXPECT_EQ(Linhas(p + ": Falha na tentativa de conexao."), 1);
  EXPECT_EQ(Linhas("Falha ao configurar o dispositivo: " + p), 1);
  EXPECT_EQ(LeTexto(&Estado::PortaSerial), "");  // searched again next time
  EXPECT_FALSE(CanalSerial().InstanceActive());

  // A fixed port is kept.
  Porta(p, true);
  EXPECT_EQ(ConectaSat(), 1);
  EXPECT_EQ(LeTexto(&Estado::PortaSerial), p);
}

TEST_F(ExchangeTest, FailedOpenTakesStep9UntilAConnectionHasSucceeded) {
  const std::string ausente = (dir / "ttyACM7").string();
  Porta(ausente, false);
  EXPECT_EQ(ConectaSat(), 1);  // switch still off: the open fails quietly
  EXPECT_EQ(Linhas(ausente + ": Falha na tentativa de conexao."), 1);
  EXPECT_EQ(Linhas("Falha ao configurar o dispositivo: " + ausente), 0);
  EXPECT_EQ(LeTexto(&Estado::PortaSerial), ausente);

  Porta(pty.slave, true);
  ASSERT_EQ(ConectaSat(), 0);  // leaves the switch on
  Porta(ausente, false);
  EXPECT_EQ(ConectaSat(), 1);  // now the open raises
  EXPECT_EQ(Linhas(ausente + ": Falha na tentativa de conexao."), 2);
  EXPECT_EQ(Linhas("Falha ao configurar o dispositivo: " + ausente), 1);
  EXPECT_EQ(LeTexto(&Estado::PortaSerial), "");
}

TEST_F(ExchangeTest, NoPortKnown) {
  Porta("", false);
  EXPECT_TRUE(VerificaConexao());
  EXPECT_EQ(Linhas("Fazendo busca da porta serial ..."), 1);
  EXPECT_EQ(Linhas("Interface SAT nao esta presente."), 1);

  // The send finds no device either; nothing is written and no reply comes.
  Prazo(200);
  EXPECT_TRUE(EnviaParaSat("|05|000123"));
  EXPECT_EQ(Linhas("(TX) Perda de comunicação com o SAT"), 1);
  EXPECT_EQ(Linhas("Falha ao transmitir dados para o SAT"), 0);
  EXPECT_EQ(RecebeDoSat(123), "");
  EXPECT_EQ(Linhas("(RX) Perda de comunicação com o SAT"), 1);
}

TEST_F(ExchangeTest, NothingIsLoggedWithDebugOff) {
  G().ModoDebug = false;
  ASSERT_FALSE(VerificaConexao());
  Dispositivo({"000123|08000" + kETX});
  Prazo(3000);
  EnviaParaSat("|05|000123");
  EXPECT_EQ(RecebeDoSat(123), std::string("000123|08000") + '\0');
  EXPECT_FALSE(fs::exists(log));
}

}  // namespace

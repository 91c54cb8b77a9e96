// The sixteen functions against the emulator: the device found through a fake
// sysfs tree, its faults driving the busy replies and the repeats.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "api/startup.h"
#include "core/state.h"
#include "cfedriver.h"
#include "sat_emulator.h"
#include "support.h"

using namespace cfetest;

namespace {

class DriverWithEmulatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(emu.Start());
    setenv("CFEDRIVER_SYSFS", (pasta / "sys").c_str(), 1);
    setenv("CFEDRIVER_DEVDIR", (pasta / "dev").c_str(), 1);
    sysfs.AdicionaPorta("ttyACM0", emu.SlavePath());
    cfe::DefineRelogioTeste({1000, Pausas::Registra});
    Pausas::Zera();
    // No SERIAL: the port is found through sysfs. Pauses of 6 s last 6 ms, and
    // every reply may take 1.8 s (30 min / 1000), enough on a loaded machine.
    std::string timeouts = "[TIMEOUT]\n";
    for (const auto &t : cfe::kTimeoutsPadrao) timeouts += std::string(t.chave) + "=30:00\n";
    ReiniciaCom(pasta, "[DEFAULT]\nN_TENT=3\nTMP_TENT=6\n" + timeouts);
  }
  void TearDown() override {
    cfe::Finaliza();
    cfe::DefineRelogioTeste({});
  }

  PastaTemp pasta;
  SysfsFalso sysfs{pasta / "sys", pasta / "dev"};
  satemu::SatEmulator emu;
};

TEST_F(DriverWithEmulatorTest, TheSixteenRequestsOnTheWire) {
  struct Caso {
    std::function<const char *()> chama;
    std::string quadro;
    std::string codigo;  // reply's return code prefix; empty for the lookups, which return a stored reply
  } casos[] = {
      {[] { return AtivarSAT(42, 1, "12345678", "11222333000181", 35); }, "|01|000042|1|12345678|11222333000181|35",
       "04"},
      {[] { return ComunicarCertificadoICPBRASIL(42, "12345678", "CERT"); }, "|02|000042|12345678|CERT", "05"},
      {[] { return EnviarDadosVenda(42, "12345678", "<CFe/>"); }, "|03|000042|12345678|<CFe/>", "06"},
      {[] { return CancelarUltimaVenda(43, "12345678", "CFe1", "<CFeCanc/>"); }, "|04|000043|12345678|CFe1|<CFeCanc/>",
       "07"},
      {[] { return ConsultarSAT(42); }, "|05|000042", "08"},
      {[] { return TesteFimAFim(42, "12345678", "<CFe/>"); }, "|06|000042|12345678|<CFe/>", "09"},
      {[] { return ConsultarStatusOperacional(42, "12345678"); }, "|07|000042|12345678", "10"},
      {[] { return ConsultarNumeroSessao(44, "12345678", 42); }, "|08|000044|12345678|000042", ""},
      {[] { return ConfigurarInterfaceDeRede(42, "12345678", "<config/>"); }, "|09|000042|12345678|<config/>", "12"},
      {[] { return AssociarAssinatura(42, "12345678", "1122233300018111222333000181", "SIG"); },
       "|10|000042|12345678|1122233300018111222333000181|SIG", "13"},
      {[] { return AtualizarSoftwareSAT(42, "12345678"); }, "|11|000042|12345678", "14"},
      {[] { return ExtrairLogs(42, "12345678"); }, "|12|000042|12345678|3.0.0.4", "15"},
      {[] { return BloquearSAT(42, "12345678"); }, "|13|000042|12345678", "16"},
      {[] { return DesbloquearSAT(42, "12345678"); }, "|14|000042|12345678", "17"},
      {[] { return TrocarCodigoDeAtivacao(42, "12345678", 1, "87654321", "87654321"); },
       "|15|000042|12345678|1|87654321|87654321", "18"},
      {[] { return ConsultarUltimaSessaoFiscal(42, "87654321"); }, "|20|000042|87654321", ""},
  };
  for (const auto &c : casos) {
    SCOPED_TRACE(c.quadro);
    emu.ClearRequests();
    std::string resposta = c.chama();
    auto requisicoes = emu.Requests();
    ASSERT_EQ(requisicoes.size(), 1u);
    EXPECT_EQ(requisicoes[0], c.quadro + "|\x03");
    ASSERT_GE(resposta.size(), 10u);
    if (!c.codigo.empty()) {
      EXPECT_EQ(resposta.substr(6, 3), "|" + c.codigo) << resposta;
    }
    EXPECT_EQ(resposta.find("098|"), std::string::npos) << resposta;
  }
}

TEST_F(DriverWithEmulatorTest, QueriesRepeatWhileTheDeviceIsBusy) {
  emu.InjectFault({satemu::FaultKind::Busy, "05", 2});
  std::string resposta = ConsultarSAT(9);
  EXPECT_EQ(resposta.substr(0, 13), "000009|08000|");
  EXPECT_EQ(emu.Requests().size(), 3u);
  EXPECT_EQ(Pausas::Lista().size(), 2u);
  EXPECT_EQ(Pausas::Lista().back(), 6000);
}

TEST_F(DriverWithEmulatorTest, NoReplyAndTheDeviceGone) {
  cfe::DefineRelogioTeste({100000, nullptr});  // the missing reply is waited for 18 ms
  SetDriver("N_TENT", "1");
  emu.InjectFault({satemu::FaultKind::NoReply, "03"});
  EXPECT_STREQ(EnviarDadosVenda(9, "12345678", "<CFe/>"), "000009|06098|0000|SAT em processamento. Tente novamente.||");
  std::filesystem::remove(pasta / "dev" / "ttyACM0");
  std::filesystem::remove(pasta / "sys" / "class" / "tty" / "ttyACM0");
  EXPECT_STREQ(ConsultarSAT(9), "000009|08098|SAT em processamento. Tente novamente.||");
  EXPECT_STREQ(SetDriver("DISCOVER", ""), "NULL");
}

TEST_F(DriverWithEmulatorTest, DiscoverAndSerialNameTheDevicePort) {
  EXPECT_EQ(SetDriver("DISCOVER", ""), sysfs.NomeDaPorta("ttyACM0"));
  EXPECT_STREQ(SetDriver("SERIAL", sysfs.NomeDaPorta("ttyACM0").c_str()), "OK");
  EXPECT_EQ(std::string(ConsultarSAT(3)).substr(0, 13), "000003|08000|");
}

}  // namespace

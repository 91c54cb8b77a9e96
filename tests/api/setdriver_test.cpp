// SetDriver, the library's control command.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <functional>

#include "api/startup.h"
#include "core/state.h"
#include "cfedriver.h"
#include "support.h"

using namespace cfetest;

namespace {

class SetDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("CFEDRIVER_SYSFS", (pasta / "sys").c_str(), 1);
    setenv("CFEDRIVER_DEVDIR", (pasta / "dev").c_str(), 1);
    sysfs.AdicionaPorta("ttyACM0", dispositivo0.SlavePath());
    sysfs.AdicionaPorta("ttyACM1", dispositivo1.SlavePath());
    sysfs.AdicionaPorta("ttyUSB0", dispositivo0.SlavePath(), "0403", "6001", "ftdi_sio");  // another maker
    sysfs.AdicionaPorta("ttyACM2", dispositivo0.SlavePath(), "1234", "a4a7");             // another vendor
    ReiniciaCom(pasta, "[DEFAULT]\nSERIAL=/dev/fixed\n");
  }
  void TearDown() override { cfe::Finaliza(); }
  std::vector<std::string> Log() { return LinhasDoLog(pasta / "cfe.log"); }

  PastaTemp pasta;
  SysfsFalso sysfs{pasta / "sys", pasta / "dev"};
  DispositivoFalso dispositivo0, dispositivo1;
};

TEST_F(SetDriverTest, CommandTable) {
  using cfe::G;
  using cfe::LeTexto;
  using E = cfe::Estado;
  const std::string acm0 = sysfs.NomeDaPorta("ttyACM0"), acm1 = sysfs.NomeDaPorta("ttyACM1");
  const std::string usb0 = sysfs.NomeDaPorta("ttyUSB0");
  struct Caso {
    std::optional<std::string> comando;  // nothing: a null pointer
    std::optional<std::string> valor;
    std::string resposta;
    std::vector<std::string> log;
    std::function<bool()> estado;  // what holds afterwards
  };
  auto sempre = [] { return true; };
  Caso casos[] = {
      {"VERSAO", "", "3.0.0.4", {"Informada versão da DLL via comando SetDriver: 3.0.0.4"}, sempre},
      {" \tVERSAO\r\n", std::nullopt, "3.0.0.4", {"Informada versão da DLL via comando SetDriver: 3.0.0.4"}, sempre},
      {"versao", "", "FALHA", {}, sempre},
      {std::nullopt, std::nullopt, "FALHA", {}, sempre},
      {"UNKNOWN", "x", "FALHA", {}, sempre},
      {"DISCOVER", "", acm0 + "|" + acm1, {}, sempre},
      {"SERIAL", acm1, "OK", {"Interface configurada para " + acm1 + " via comando SetDriver"},
       [&] { return LeTexto(&E::PortaSerial) == acm1 && G().PortaFixa; }},  // start-up's fixed flag unchanged
      {"SERIAL", "  " + acm0 + "\n", "OK", {"Interface configurada para " + acm0 + " via comando SetDriver"},
       [&] { return LeTexto(&E::PortaSerial) == acm0; }},
      {"SERIAL", usb0, "ERRO",
       {"Erro ao tentar configurar Interface via comando SetDriver. Porta informada nao eh SAT"},
       [&] { return LeTexto(&E::PortaSerial) == acm0; }},
      {"SERIAL", sysfs.NomeDaPorta("ttyacm0"), "ERRO",
       {"Erro ao tentar configurar Interface via comando SetDriver. Porta informada nao eh SAT"}, sempre},
      {"SERIAL", " ", "ERRO", {"Erro ao tentar configurar Interface via comando SetDriver"}, sempre},
      {"NO_POPUP", "false", "OK", {"Mensagens Popup ativadas via comando SetDriver"},
       [&] { return LeTexto(&E::NO_POPUP) == "false"; }},
      {"NO_POPUP", "", "OK", {"Mensagens Popup desativadas via comando SetDriver"},
       [&] { return LeTexto(&E::NO_POPUP) == "true"; }},
      {"LOCK", "", "OK", {"Lock das funções desativado via comando SetDriver"},
       [&] { return !G().LockLigado && LeTexto(&E::LIB_LOCK) == "false"; }},
      {"LOCK", "true", "OK", {"Lock das funções ativado via comando SetDriver"},
       [&] { return G().LockLigado && LeTexto(&E::LIB_LOCK) == "true"; }},
      {"N_TENT", "0", "OK", {"Num. de tentativas de transmissão de cupons redefinido para valor mínimo: 1"},
       [&] { return G().NTent == 1; }},
      {"N_TENT", "10", "OK", {"Num. de tentativas de transmissão de cupons redefinido para: 10"},
       [&] { return G().NTent == 10; }},
      {"N_TENT", "100", "ERRO", {"N_TENT: valor inválido"},
       [&] { return G().NTent == 10 && LeTexto(&E::N_TENT) == "100"; }},
      {"N_TENT", " ", "ERRO", {"N_TENT: valor inválido"}, [&] { return G().NTent == 10; }},
      {"TMP_TENT", "2", "OK", {"Tempo entre tentativas de transmissão de cupons redefinido para valor mínimo: 3"},
       [&] { return G().TmpTent == 3; }},
      {"TMP_TENT", "45", "OK", {"Tempo entre tentativas de transmissão de cupons redefinido para: 45"},
       [&] { return G().TmpTent == 45; }},
      {"TMP_TENT", "abc", "ERRO", {"TMP_TENT: valor inválido"}, [&] { return G().TmpTent == 45; }},
      {"DEBUG", "false", "OK", {}, [&] { return !G().ModoDebug && LeTexto(&E::DEBUG) == "false"; }},
      {"DEBUG", "true", "OK",
       {"Modo debug ativado via comando SetDriver", "Versao da DLL: 3.0.0.4", "Mensagens Popup desativadas",
        "Lock das funções ativado", "Num. de tentativas de transmissão de cupons: 10",
        "Tempo entre tentativas de transmissão de cupons: 45 segundos"},
       [&] { return G().ModoDebug && LeTexto(&E::DEBUG) == "true"; }},
      {"DEBUG", "true", "OK", {}, [&] { return G().ModoDebug.load(); }},  // already on: nothing
  };
  for (const auto &c : casos) {
    SCOPED_TRACE(c.comando.value_or("(null)") + " " + c.valor.value_or("(null)"));
    if (c.comando != "DEBUG") G().ModoDebug = true;
    std::filesystem::remove(pasta / "cfe.log");
    EXPECT_EQ(SetDriver(c.comando ? c.comando->c_str() : nullptr, c.valor ? c.valor->c_str() : nullptr), c.resposta);
    EXPECT_EQ(Log(), c.log);
    EXPECT_TRUE(c.estado());
  }
}

TEST_F(SetDriverTest, DebugBlockWithOneAttemptHasFiveLines) {
  SetDriver("DEBUG", "true");
  EXPECT_EQ(Log().size(), 5u);
  EXPECT_EQ(Log().back(), "Num. de tentativas de transmissão de cupons: 1");
}

TEST_F(SetDriverTest, DiscoverWithoutDevicesAndWithAFailedListing) {
  PastaTemp vazio;
  SysfsFalso semPortas(vazio / "sys", vazio / "dev");
  setenv("CFEDRIVER_SYSFS", (vazio / "sys").c_str(), 1);
  EXPECT_STREQ(SetDriver("DISCOVER", ""), "NULL");
  setenv("CFEDRIVER_SYSFS", (vazio / "missing").c_str(), 1);
  EXPECT_STREQ(SetDriver("DISCOVER", ""), "NULL");
  EXPECT_STREQ(SetDriver("SERIAL", sysfs.NomeDaPorta("ttyACM0").c_str()), "ERRO");
}

TEST_F(SetDriverTest, NothingIsLoggedWhileDebugIsOff) {
  SetDriver("LOCK", "false");
  SetDriver("N_TENT", "100");
  SetDriver("VERSAO", "");
  EXPECT_FALSE(std::filesystem::exists(pasta / "cfe.log"));
}

}  // namespace

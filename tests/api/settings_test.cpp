// The settings file and the start-up that reads it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "api/settings.h"
#include "api/startup.h"
#include "core/state.h"
#include "platform/platform.h"
#include "support.h"

using namespace cfetest;

namespace {

TEST(LeInteiro, ReadsDecimalAndHexadecimalAndNothingElse) {
  struct Caso {
    const char *texto;
    std::optional<int> valor;
  } casos[] = {
      {"5", 5},        {"05", 5},       {"  7", 7},      {"+5", 5},       {"-5", -5},
      {"$1F", 31},     {"x1f", 31},     {"X10", 16},     {"0x10", 16},    {"0X1a", 26},
      {" -$A", -10},   {"0", 0},        {"2147483647", 2147483647},       {"-2147483648", -2147483647 - 1},
      {"", {}},        {" ", {}},       {"5 ", {}},      {"5a", {}},      {"-", {}},
      {"$", {}},       {"0x", {}},      {"1.5", {}},     {"--5", {}},     {"$G", {}},
      {"2147483648", {}},               {"99999999999999999999", {}},     {"\t5", {}},
      {"0x$1", {}},
  };
  for (const auto &c : casos) EXPECT_EQ(cfe::LeInteiro(c.texto), c.valor) << '"' << c.texto << '"';
}

TEST(LeValorTimeout, FiveCharactersWithTheThirdNotExamined) {
  struct Caso {
    const char *valor;
    int minutos, segundos;  // -1: not accepted
  } casos[] = {
      {"00:10", 0, 10}, {"10:00", 10, 0}, {"01x30", 1, 30}, {"99:99", 99, 99}, {"05 00", 5, 0},
      {"0:10", -1, 0},  {"00:10:00", -1, 0}, {"ab:cd", -1, 0}, {"", -1, 0}, {"-1:05", -1, 0},
      {"1 :05", -1, 0},
  };
  for (const auto &c : casos) {
    auto lido = cfe::LeValorTimeout(c.valor);
    if (c.minutos < 0) {
      EXPECT_FALSE(lido) << c.valor;
    } else {
      ASSERT_TRUE(lido) << c.valor;
      EXPECT_EQ(lido->minutos, c.minutos) << c.valor;
      EXPECT_EQ(lido->segundos, c.segundos) << c.valor;
    }
  }
}

TEST(ArquivoIni, ReadsLikeTheWindowsProfileReader) {
  auto ini = cfe::ArquivoIni::DeTexto(
      "\xEF\xBB\xBF"
      "orphan=1\r\n"
      "  [ default ]  \r\n"
      "; SERIAL=/dev/commented\r\n"
      "  serial =   /dev/ttyACM3  \r\n"
      "SERIAL=/dev/second\r\n"
      "DEBUG=\"true\"\r\n"
      "N_TENT='3'\r\n"
      "EMPTY=\r\n"
      "no equals sign here\r\n"
      "[TimeOut]\n"
      "T_CONSULTAR_SAT=00:10\n"
      "[DEFAULT]\n"
      "CORRECAO=true\n"
      "SERIAL=/dev/third\n");
  EXPECT_EQ(ini.Le("DEFAULT", "SERIAL"), "/dev/ttyACM3");  // the first occurrence wins
  EXPECT_EQ(ini.Le("Default", "Serial"), "/dev/ttyACM3");
  EXPECT_EQ(ini.Le("DEFAULT", "DEBUG"), "true");
  EXPECT_EQ(ini.Le("DEFAULT", "N_TENT"), "3");
  EXPECT_EQ(ini.Le("DEFAULT", "EMPTY"), "");
  EXPECT_EQ(ini.Le("DEFAULT", "ABSENT"), "");
  EXPECT_EQ(ini.Le("DEFAULT", "orphan"), "");
  EXPECT_EQ(ini.Le("DEFAULT", "CORRECAO"), "true");  // a repeated section adds its keys
  EXPECT_EQ(ini.Le("TIMEOUT", "t_consultar_sat"), "00:10");
  EXPECT_TRUE(ini.TemSecao("timeout"));
  EXPECT_FALSE(ini.TemSecao("OTHER"));
  EXPECT_FALSE(cfe::ArquivoIni::Abre("/nonexistent/sat.ini"));
}

// ---- start-up -------------------------------------------------------------------------

class PartidaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("CFEDRIVER_SYSFS", (pasta / "sys").c_str(), 1);
    setenv("CFEDRIVER_DEVDIR", (pasta / "dev").c_str(), 1);
  }
  void TearDown() override { cfe::Finaliza(); }
  std::vector<std::string> Log() { return LinhasDoLog(pasta / "cfe.log"); }

  PastaTemp pasta;
  SysfsFalso sysfs{pasta / "sys", pasta / "dev"};
};

const std::vector<std::string> kCabecalhoDebug = {
    "Arquivo \"ini\" esta presente. Modo debug ativado",
    "Versao da DLL: 3.0.0.4",
    "Mensagens Popup desativadas",
    "Lock das funções ativado",
    "Função Correção desativada",
};

TEST_F(PartidaTest, SettingsFileTable) {
  struct Caso {
    const char *nome;
    std::string ini;
    int nTent, tmpTent;
    std::string baudrate;
    bool lock, correcao;
    int timeoutConsultarSAT;  // seconds
    std::vector<std::string> log;
  };
  const std::string serial = "[DEFAULT]\nSERIAL=/dev/fixed\n";
  auto comDebug = [&](std::vector<std::string> resto) {
    std::vector<std::string> log = kCabecalhoDebug;
    log.insert(log.end(), resto.begin(), resto.end());
    return log;
  };
  const std::string nPadrao = "Num. de tentativas de transmissão de cupons redefinido para valor padrão: 1";
  const std::string tPadrao = "Tempo entre tentativas de transmissão de cupons redefinido para valor padrão: 6";
  Caso casos[] = {
      {"debug off writes nothing", serial + "N_TENT=3\n", 3, 6, "921600", true, false, 4, {}},
      {"upper-case TRUE is not on", serial + "DEBUG=TRUE\n", 1, 6, "921600", true, false, 4, {}},
      {"defaults with debug", serial + "DEBUG=true\n", 1, 6, "921600", true, false, 4, comDebug({nPadrao, tPadrao})},
      {"N_TENT 100 is invalid", serial + "DEBUG=true\nN_TENT=100\n", 1, 6, "921600", true, false, 4,
       comDebug({"N_TENT: valor inválido", nPadrao, tPadrao})},
      {"N_TENT 0 gives the minimum", serial + "DEBUG=true\nN_TENT=0\nTMP_TENT=1\n", 1, 3, "921600", true, false, 4,
       comDebug({"Num. de tentativas de transmissão de cupons redefinido para valor mínimo: 1",
                 "Tempo entre tentativas de transmissão de cupons redefinido para valor mínimo: 3"})},
      {"N_TENT 05 logs its text", serial + "DEBUG=true\nN_TENT=05\nTMP_TENT=abc\n", 5, 6, "921600", true, false, 4,
       comDebug({"Num. de tentativas de transmissão de cupons redefinido para: 05", tPadrao})},
      {"TMP_TENT 45 and hex N_TENT", serial + "DEBUG=true\nN_TENT=$A\nTMP_TENT=45\n", 10, 45, "921600", true,
       false, 4,
       comDebug({"Num. de tentativas de transmissão de cupons redefinido para: $A",
                 "Tempo entre tentativas de transmissão de cupons redefinido para: 45"})},
      {"switches", serial + "DEBUG=true\nLIB_LOCK=false\nNO_POPUP=false\nCORRECAO=true\nBAUDRATE=abc\n", 1, 6,
       "abc", false, true, 4,
       {"Arquivo \"ini\" esta presente. Modo debug ativado", "Versao da DLL: 3.0.0.4", "Mensagens Popup ativadas",
        "Lock das funções desativado", "Função Correção ativada", nPadrao, tPadrao}},
      {"time-outs", serial + "DEBUG=true\n[TIMEOUT]\nT_CONSULTAR_SAT=00:10\nT_ATIVAR_SAT=0:10\nT_BLOQUEAR_SAT=1:00:00\n"
                             "T_EXTRAIR_LOGS=01x30\n",
       1, 6, "921600", true, false, 10,
       comDebug({nPadrao, tPadrao, "Timeout_ConsultarSAT redefinido para: 00:10",
                 "Timeout_ExtrairLogs redefinido para: 01x30"})},
  };
  for (const auto &c : casos) {
    SCOPED_TRACE(c.nome);
    std::filesystem::remove(pasta / "cfe.log");
    ReiniciaCom(pasta, c.ini);
    cfe::Estado &g = cfe::G();
    EXPECT_EQ(g.NTent, c.nTent);
    EXPECT_EQ(g.TmpTent, c.tmpTent);
    EXPECT_EQ(cfe::LeTexto(&cfe::Estado::BAUDRATE), c.baudrate);
    EXPECT_EQ(g.LockLigado, c.lock);
    EXPECT_EQ(g.Correcao, c.correcao);
    EXPECT_EQ(cfe::LeTexto(&cfe::Estado::PortaSerial), "/dev/fixed");
    EXPECT_TRUE(g.PortaFixa);
    EXPECT_FALSE(g.LockFlag) << "start-up frees the call lock";
    auto t = cfe::LeTimeout(cfe::kConsultarSAT);
    EXPECT_EQ(t.minutos * 60 + t.segundos, c.timeoutConsultarSAT);
    if (c.nome == std::string("time-outs")) {
      EXPECT_EQ(cfe::LeTimeout(cfe::kAtivarSAT).minutos, 5);  // 0:10 and 1:00:00 are ignored
      EXPECT_EQ(cfe::LeTimeout(cfe::kBloquearSAT).minutos, 5);
      EXPECT_EQ(cfe::LeTimeout(cfe::kExtrairLogs).minutos, 1);
      EXPECT_EQ(cfe::LeTimeout(cfe::kExtrairLogs).segundos, 30);
    }
    EXPECT_EQ(Log(), c.log);
  }
}

TEST_F(PartidaTest, WithoutSerialThePortIsSearchedAndNotFixed) {
  DispositivoFalso dispositivo;
  sysfs.AdicionaPorta("ttyACM0", dispositivo.SlavePath());
  ReiniciaCom(pasta, "[DEFAULT]\nSERIAL=   \nDEBUG=true\n");
  EXPECT_EQ(cfe::LeTexto(&cfe::Estado::PortaSerial), sysfs.NomeDaPorta("ttyACM0"));
  EXPECT_FALSE(cfe::G().PortaFixa);
  auto log = Log();
  ASSERT_GE(log.size(), 7u);
  EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 5), kCabecalhoDebug);
  EXPECT_EQ(log.back(), "Usando interface: " + sysfs.NomeDaPorta("ttyACM0"));
}

TEST_F(PartidaTest, NoDeviceLogsThatTheInterfaceIsAbsent) {
  ReiniciaCom(pasta, "[DEFAULT]\nDEBUG=true\n");
  EXPECT_EQ(cfe::LeTexto(&cfe::Estado::PortaSerial), "");
  auto log = Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "Interface SAT nao esta presente.");
}

TEST_F(PartidaTest, NoSettingsFileMeansBuiltInValuesAndASearch) {
  DispositivoFalso dispositivo;
  sysfs.AdicionaPorta("ttyACM0", dispositivo.SlavePath());
  ReiniciaCom(pasta, "[DEFAULT]\nSERIAL=/dev/fixed\nN_TENT=4\nLIB_LOCK=false\n");
  setenv("CFEDRIVER_INI", (pasta / "absent.ini").c_str(), 1);
  cfe::Inicializa();  // a second start-up begins from the built-in values
  EXPECT_EQ(cfe::G().NTent, 1);
  EXPECT_TRUE(cfe::G().LockLigado);
  EXPECT_FALSE(cfe::G().PortaFixa);
  EXPECT_EQ(cfe::LeTexto(&cfe::Estado::PortaSerial), sysfs.NomeDaPorta("ttyACM0"));
  EXPECT_FALSE(std::filesystem::exists(pasta / "cfe.log"));
}

// The system-wide file is read only when the caller's own is missing.
TEST_F(PartidaTest, SystemIniIsTheLastResort) {
  EXPECT_EQ(cfe::platform::SystemSettingsPath(), "/etc/cfedriver/sat.ini");
  const std::string proprio = (pasta / "proprio.ini").string();
  const std::string sistema = (pasta / "sistema.ini").string();
  const std::string ausente = (pasta / "ausente.ini").string();
  std::ofstream(proprio) << "[DEFAULT]\n";
  std::ofstream(sistema) << "[DEFAULT]\n";
  struct Caso {
    const char *ini;  // CFEDRIVER_INI, nullptr: unset
    std::string doSistema, esperado;
  } casos[] = {
      {proprio.c_str(), sistema, proprio},
      {ausente.c_str(), sistema, sistema},
      {ausente.c_str(), ausente, ausente},
      {nullptr, sistema, sistema},  // no sat.ini beside the test program
      {nullptr, ausente, cfe::platform::ExecutableDir() + "/sat.ini"},
  };
  for (const auto &c : casos) {
    if (c.ini) setenv("CFEDRIVER_INI", c.ini, 1);
    else unsetenv("CFEDRIVER_INI");
    EXPECT_EQ(cfe::CaminhoIni(c.doSistema), c.esperado) << (c.ini ? c.ini : "unset");
  }
}

}  // namespace

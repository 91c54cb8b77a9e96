// The shared library itself: loading it runs the start-up, and the exports answer.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include "sat_emulator.h"
#include "support.h"

using namespace apitest;

namespace {

TEST(SharedLibrary, LoadingRunsStartUpAndTheExportsAnswer) {
  PastaTemp pasta;
  satemu::SatEmulator emu;
  ASSERT_TRUE(emu.Start());
  ASSERT_TRUE(emu.WriteIni((pasta / "sat.ini").string(), "DEBUG=true\nN_TENT=2\n"));
  setenv("CFEDRIVER_INI", (pasta / "sat.ini").c_str(), 1);
  setenv("CFEDRIVER_LOG", (pasta / "cfe.log").c_str(), 1);

  void *lib = dlopen(CFEDRIVER_SO, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  auto log = LinhasDoLog(pasta / "cfe.log");
  const std::vector<std::string> partida = {
      "Arquivo \"ini\" esta presente. Modo debug ativado",
      "Versao da DLL: 3.0.0.4",
      "Mensagens Popup desativadas",
      "Lock das funções ativado",
      "Função Correção desativada",
      "Num. de tentativas de transmissão de cupons redefinido para: 2",
      "Tempo entre tentativas de transmissão de cupons redefinido para valor padrão: 6",
  };
  EXPECT_EQ(log, partida);

  using SetDriverFn = const char *(*)(const char *, const char *);
  using ConsultarSATFn = const char *(*)(int);
  auto setDriver = reinterpret_cast<SetDriverFn>(dlsym(lib, "SetDriver"));
  auto consultarSAT = reinterpret_cast<ConsultarSATFn>(dlsym(lib, "ConsultarSAT"));
  ASSERT_NE(setDriver, nullptr);
  ASSERT_NE(consultarSAT, nullptr);
  EXPECT_STREQ(setDriver("VERSAO", ""), "3.0.0.4");
  EXPECT_EQ(std::string(consultarSAT(7)).substr(0, 13), "000007|08000|");
  EXPECT_EQ(dlsym(lib, "Inicializa"), nullptr);  // nothing but the seventeen functions
  EXPECT_EQ(dlclose(lib), 0);
}

}  // namespace

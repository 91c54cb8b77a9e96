// The shared library itself, loaded with dlopen(): loading runs the start-up,
// the exports answer, unloading really unloads it (the loader is asked), and a
// new load starts again from the built-in values and the settings file.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "sat_emulator.h"
#include "support.h"

using namespace cfetest;

namespace {

using SetDriverFn = const char *(*)(const char *, const char *);
using ConsultarSATFn = const char *(*)(int);

// Whether the library at this path is mapped into the process.
bool Mapeada(const std::string &caminho) {
  std::string mapas = LeArquivo("/proc/self/maps");
  return mapas.find(fs::canonical(caminho).string()) != std::string::npos;
}

// The lines the start-up logs for "DEBUG=true" and N_TENT=n.
std::vector<std::string> Partida(const std::string &n) {
  return {
      "Arquivo \"ini\" esta presente. Modo debug ativado",
      "Versao da DLL: 3.0.0.4",
      "Mensagens Popup desativadas",
      "Lock das funções ativado",
      "Função Correção desativada",
      "Num. de tentativas de transmissão de cupons redefinido para: " + n,
      "Tempo entre tentativas de transmissão de cupons redefinido para valor padrão: 6",
  };
}

class BibliotecaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(emu.Start());
    setenv("CFEDRIVER_LOG", (pasta / "cfe.log").c_str(), 1);
  }
  void TearDown() override {
    unsetenv("CFEDRIVER_INI");
    unsetenv("CFEDRIVER_LOG");
  }
  std::vector<std::string> Log() { return LinhasDoLog(pasta / "cfe.log"); }

  PastaTemp pasta;
  satemu::SatEmulator emu;
};

TEST_F(BibliotecaTest, UnloadingUnloadsAndLoadingAgainStartsFromTheFile) {
  ASSERT_TRUE(emu.WriteIni((pasta / "sat.ini").string(), "DEBUG=true\nN_TENT=2\n"));
  setenv("CFEDRIVER_INI", (pasta / "sat.ini").c_str(), 1);

  void *lib = dlopen(CFEDRIVER_SO, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  EXPECT_EQ(Log(), Partida("2"));
  auto setDriver = reinterpret_cast<SetDriverFn>(dlsym(lib, "SetDriver"));
  auto consultarSAT = reinterpret_cast<ConsultarSATFn>(dlsym(lib, "ConsultarSAT"));
  ASSERT_NE(setDriver, nullptr);
  ASSERT_NE(consultarSAT, nullptr);
  EXPECT_EQ(dlsym(lib, "Inicializa"), nullptr);  // nothing but the seventeen functions

  // Calls from the loading thread, from a thread that has ended, and from one
  // that is still alive at the unload and ends after it.
  EXPECT_STREQ(setDriver("VERSAO", ""), "3.0.0.4");
  EXPECT_EQ(std::string(consultarSAT(7)).substr(0, 13), "000007|08000|");
  std::thread([&] { EXPECT_EQ(std::string(consultarSAT(8)).substr(0, 13), "000008|08000|"); }).join();
  std::mutex mutex;
  std::condition_variable cv;
  bool chamou = false, descarregada = false;
  std::thread viva([&] {
    EXPECT_EQ(std::string(consultarSAT(9)).substr(0, 13), "000009|08000|");
    std::unique_lock<std::mutex> trava(mutex);
    chamou = true;
    cv.notify_all();
    cv.wait(trava, [&] { return descarregada; });
  });
  {
    std::unique_lock<std::mutex> trava(mutex);
    cv.wait(trava, [&] { return chamou; });
  }
  // Changes that must not survive the unload.
  EXPECT_STREQ(setDriver("N_TENT", "7"), "OK");
  EXPECT_STREQ(setDriver("LOCK", "false"), "OK");

  EXPECT_EQ(dlclose(lib), 0);
  EXPECT_EQ(dlopen(CFEDRIVER_SO, RTLD_NOW | RTLD_NOLOAD), nullptr) << "the loader still holds the library";
  EXPECT_FALSE(Mapeada(CFEDRIVER_SO));
  {
    std::lock_guard<std::mutex> trava(mutex);
    descarregada = true;
  }
  cv.notify_all();
  viva.join();  // its end must not call into the unloaded library

  // Loading again reads the settings file again (now with N_TENT=3) and keeps
  // nothing that SetDriver changed.
  fs::remove(pasta / "cfe.log");
  ASSERT_TRUE(emu.WriteIni((pasta / "sat.ini").string(), "DEBUG=true\nN_TENT=3\n"));
  lib = dlopen(CFEDRIVER_SO, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  EXPECT_EQ(Log(), Partida("3"));
  setDriver = reinterpret_cast<SetDriverFn>(dlsym(lib, "SetDriver"));
  ASSERT_NE(setDriver, nullptr);
  fs::remove(pasta / "cfe.log");
  setDriver("DEBUG", "false");
  setDriver("DEBUG", "true");
  const std::vector<std::string> bloco = {
      "Modo debug ativado via comando SetDriver",
      "Versao da DLL: 3.0.0.4",
      "Mensagens Popup desativadas",
      "Lock das funções ativado",
      "Num. de tentativas de transmissão de cupons: 3",
      "Tempo entre tentativas de transmissão de cupons: 6 segundos",
  };
  EXPECT_EQ(Log(), bloco);
  EXPECT_EQ(dlclose(lib), 0);
  EXPECT_EQ(dlopen(CFEDRIVER_SO, RTLD_NOW | RTLD_NOLOAD), nullptr);
}

// sat.ini is looked for beside the calling program, not beside the library: a
// copy of the library in a folder of its own, with a settings file next to it,
// starts from the built-in values (debugging off, so no log at all).
TEST_F(BibliotecaTest, ASettingsFileBesideTheLibraryButNotBesideTheProgramIsNotRead) {
  unsetenv("CFEDRIVER_INI");
  // Without a file of its own, the library falls back to the system-wide one.
  if (fs::exists("/etc/cfedriver/sat.ini")) GTEST_SKIP() << "this machine has /etc/cfedriver/sat.ini";
  const fs::path copia = pasta / "lib" / "SAT.so";
  fs::create_directories(copia.parent_path());
  fs::copy_file(CFEDRIVER_SO, copia);
  ASSERT_TRUE(emu.WriteIni((copia.parent_path() / "sat.ini").string(), "DEBUG=true\n"));
  ASSERT_FALSE(fs::exists(fs::path(CFEDRIVER_SO).parent_path() / "sat.ini"));

  void *lib = dlopen(copia.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  auto consultarSAT = reinterpret_cast<ConsultarSATFn>(dlsym(lib, "ConsultarSAT"));
  ASSERT_NE(consultarSAT, nullptr);
  // Not read: no fixed port, so no device is found and the call is answered busy.
  EXPECT_EQ(std::string(consultarSAT(5)), "000005|08098|SAT em processamento. Tente novamente.||");
  EXPECT_FALSE(fs::exists(pasta / "cfe.log"));
  EXPECT_EQ(dlclose(lib), 0);

  // The same file named explicitly is read: the check above can fail.
  setenv("CFEDRIVER_INI", (copia.parent_path() / "sat.ini").c_str(), 1);
  lib = dlopen(copia.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  const auto log = Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0], "Arquivo \"ini\" esta presente. Modo debug ativado");
  EXPECT_EQ(dlclose(lib), 0);
}

}  // namespace

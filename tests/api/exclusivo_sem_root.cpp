// Run by exclusivo_test as a user other than root: against the emulator, whose
// own descriptor keeps the port open as a third party would, three calls in a
// row must each reach the device. Prints what it saw; exit status 0 when all
// three got the device's reply.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "api/startup.h"
#include "cfedriver.h"
#include "sat_emulator.h"

int main() {
  std::printf("uid %d\n", int(geteuid()));
  char modelo[] = "/tmp/cfe-exclusivo-XXXXXX";
  if (!mkdtemp(modelo)) {
    std::printf("no temporary folder\n");
    return 2;
  }
  const std::string pasta = modelo;
  satemu::SatEmulator emu;
  if (!emu.Start() || !emu.WriteIni(pasta + "/sat.ini", "[TIMEOUT]\nT_CONSULTAR_SAT=00:30\n")) {
    std::printf("no emulator\n");
    return 2;
  }
  setenv("CFEDRIVER_INI", (pasta + "/sat.ini").c_str(), 1);
  setenv("CFEDRIVER_LOG", (pasta + "/cfe.log").c_str(), 1);
  cfe::Inicializa();
  int falhas = 0;
  for (int sessao = 1; sessao <= 3; ++sessao) {
    const std::string resposta = ConsultarSAT(sessao);
    std::printf("call %d: %s\n", sessao, resposta.substr(0, 40).c_str());
    if (resposta.rfind("00000" + std::to_string(sessao) + "|08000|", 0) != 0) ++falhas;
  }
  cfe::Finaliza();
  emu.Stop();
  std::error_code ec;
  std::filesystem::remove_all(pasta, ec);
  return falhas == 0 ? 0 : 1;
}

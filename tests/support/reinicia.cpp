// Restarting the library from a settings file (kept apart from support.cpp so
// that the test of the shared library does not link the library's code).
#include <stdlib.h>

#include "api/startup.h"
#include "support.h"

namespace cfetest {

void ReiniciaCom(const PastaTemp &pasta, const std::string &ini) {
  EscreveArquivo(pasta / "sat.ini", ini);
  setenv("CFEDRIVER_INI", (pasta / "sat.ini").c_str(), 1);
  setenv("CFEDRIVER_LOG", (pasta / "cfe.log").c_str(), 1);
  cfe::Inicializa();
}

}  // namespace cfetest

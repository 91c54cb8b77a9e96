// Start-up when the library is loaded into a process, release of its texts at unload.
// Only the shared library carries these hooks; tests drive start-up themselves.
// (GaranteInicializacao then finds start-up done.)
#include "api/startup.h"

__attribute__((constructor)) static void CfeLoad() { cfe::Inicializa(); }
__attribute__((destructor)) static void CfeUnload() { cfe::Finaliza(); }

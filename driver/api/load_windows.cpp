// Windows: start-up runs at the first call of an exported function
// (GaranteInicializacao), not here: reading the settings file and the registry
// inside the loader lock can deadlock the loading program. The texts are
// released when the program unloads the DLL; at process exit the system takes
// everything back, and other threads may already be gone mid-call.
#include <windows.h>

#include "api/startup.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr) cfe::Finaliza();
  return TRUE;
}

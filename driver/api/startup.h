// Start-up (settings file, port search) and unload of the library.
#pragma once

namespace cfe {

// Runs with the call lock held; never throws.
void Inicializa();
// Runs Inicializa unless it has run (never throws): every exported function calls it first, so
// that start-up happens once even where the loader does not run it (Windows).
void GaranteInicializacao();
// Releases the library's texts.
void Finaliza();

}  // namespace cfe

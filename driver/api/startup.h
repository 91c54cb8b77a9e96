// Start-up (settings file, port search) and unload of the library.
#pragma once

namespace cfe {

// Runs with the call lock held; never throws.
void Inicializa();
// Releases the library's texts.
void Finaliza();

}  // namespace cfe

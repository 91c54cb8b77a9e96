// The debug log: one line per event, "dd/mm/yyyy hh:mm:ss: message" and CR LF.
#pragma once

#include <string>
#include <string_view>

namespace cfe {

// Appends one line unconditionally. A log that cannot be written is ignored:
// it never affects a command or the start-up.
void GravaLog(std::string_view texto);
// Appends one line when ModoDebug is on.
void Log(std::string_view texto);
// Full path of the log file: CFEDRIVER_LOG, or the system's fixed path
// (c:\Temp\dll_norvi_zorvan.log, /tmp/dll_norvi_zorvan.log).
std::string CaminhoLog();
// Path of the debug copy of a corrected sale: corrigido.xml next to CFEDRIVER_LOG,
// or the system's fixed path (c:\temp\corrigido.xml, /tmp/corrigido.xml).
std::string CaminhoCopia();

}  // namespace cfe

#include "core/log.h"

#include "core/state.h"
#include "platform/platform.h"

namespace cfe {

std::string CaminhoLog() {
  std::string path = platform::EnvText("CFEDRIVER_LOG");
  return path.empty() ? platform::DefaultLogPath() : path;
}

std::string CaminhoCopia() {
  std::string path = platform::EnvText("CFEDRIVER_LOG");
  return path.empty() ? platform::DefaultCopyPath() : platform::JoinPath(platform::FolderOf(path), "corrigido.xml");
}

void GravaLog(std::string_view texto) {
  try {
    std::string linha = platform::LocalDateTimeText();
    linha += ": ";
    linha += texto;
    linha += "\r\n";
    platform::AppendToFile(CaminhoLog(), linha);
  } catch (...) {
    // out of memory for a huge line: the log is best effort
  }
}

void Log(std::string_view texto) {
  if (G().ModoDebug) GravaLog(texto);
}

}  // namespace cfe

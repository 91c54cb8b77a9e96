// The platform layer for the fuzz targets (see dispositivo.h). Only one port
// exists; it is always descriptor 3.
#include "dispositivo.h"

#include <cerrno>
#include <cstring>
#include <deque>
#include <map>

namespace cfe::platform {
namespace {

constexpr char kETX = '\x03';
constexpr int kFd = 3;

struct Mundo {
  int64_t agora = 0;
  std::map<std::string, std::string> ambiente;
  std::map<std::string, std::string> arquivos;
  std::vector<std::string> portasDoDispositivo, portasUsb;
  bool listagemFalha = false;

  std::deque<std::vector<fuzzdev::Pacote>> respostas;
  std::deque<bool> aberturas;
  std::string lixo;
  bool desligaNoFim = false;

  bool aberta = false;
  bool perdida = false;        // the line hung up; reads fail
  std::string entrada;         // bytes waiting to be read
  std::deque<fuzzdev::Pacote> caminho;  // packets on their way
  std::string quadro;          // request being written
  std::vector<std::string> pedidos;
};

Mundo &M() {
  static Mundo m;
  return m;
}

bool Valido(PortHandle fd) { return fd.os == kFd && M().aberta; }

}  // namespace

int64_t MonotonicMs() { return M().agora; }
void SleepMs(int64_t ms) {
  if (ms > 0) M().agora += ms;
}
std::string LocalDateTimeText() { return "10/12/2026 12:00:00"; }

std::string ExecutableDir() { return "/fuzz"; }
std::string JoinPath(const std::string &folder, const std::string &name) { return folder + "/" + name; }
std::string FolderOf(const std::string &path) {
  auto slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}
std::string DefaultLogPath() { return "/tmp/dll_norvi_zorvan.log"; }
std::string DefaultCopyPath() { return "/tmp/corrigido.xml"; }
std::string SystemSettingsPath() { return "/etc/cfedriver/sat.ini"; }
std::string EnvText(const char *name) {
  auto it = M().ambiente.find(name);
  return it == M().ambiente.end() ? "" : it->second;
}
bool AppendToFile(const std::string &path, std::string_view bytes) {
  M().arquivos[path].append(bytes);
  return true;
}
bool WriteWholeFile(const std::string &path, std::string_view bytes) {
  M().arquivos[path] = std::string(bytes);
  return true;
}
bool FileExists(const std::string &path) { return M().arquivos.count(path) != 0; }
bool ReadWholeFile(const std::string &path, std::string &out) {
  auto it = M().arquivos.find(path);
  if (it == M().arquivos.end()) return false;
  out = it->second;
  return true;
}

int SerialOpen(const std::string &, PortHandle &fd) {
  Mundo &m = M();
  fd = PortHandle{};
  if (m.aberta) return EBUSY;
  bool abre = true;
  if (!m.aberturas.empty()) {
    abre = m.aberturas.front();
    m.aberturas.pop_front();
  }
  if (!abre) return ENOENT;
  m.aberta = true;
  m.perdida = false;
  fd.os = kFd;
  return 0;
}

void SerialClose(PortHandle fd) {
  if (!Valido(fd)) return;
  M().aberta = false;
  M().entrada.clear();  // unread bytes are lost with the line's state
}

int SerialConfig(PortHandle fd, const SerialParams &p) {
  if (!Valido(fd)) return EBADF;
  if (p.baud <= 0) return EINVAL;
  M().entrada += M().lixo;  // the stale input shows up once the port is usable
  M().lixo.clear();
  return 0;
}

int SerialInputCount(PortHandle fd, int &count) {
  count = 0;
  if (!Valido(fd)) return EBADF;
  count = int(M().entrada.size());
  return 0;
}

int SerialOutputCount(PortHandle fd, int &count) {
  count = 0;
  return Valido(fd) ? 0 : EBADF;
}

int SerialRead(PortHandle fd, char *buffer, size_t length, size_t &got) {
  got = 0;
  if (!Valido(fd)) return EBADF;
  Mundo &m = M();
  if (m.entrada.empty()) return m.perdida ? EIO : 0;
  got = std::min(length, m.entrada.size());
  std::memcpy(buffer, m.entrada.data(), got);
  m.entrada.erase(0, got);
  return 0;
}

int SerialWrite(PortHandle fd, const char *data, size_t length, size_t &written) {
  written = 0;
  if (!Valido(fd)) return EBADF;
  Mundo &m = M();
  if (m.perdida) return EIO;
  for (size_t i = 0; i < length; ++i) {
    m.quadro += data[i];
    if (data[i] != kETX) continue;
    m.pedidos.push_back(std::move(m.quadro));
    m.quadro.clear();
    if (m.respostas.empty()) continue;
    for (auto &p : m.respostas.front()) m.caminho.push_back(std::move(p));
    m.respostas.pop_front();
  }
  written = length;
  return 0;
}

int SerialWait(PortHandle fd, bool forWrite, int timeoutMs, SerialWaitResult &r) {
  r = {};
  if (!Valido(fd)) return EBADF;
  Mundo &m = M();
  if (forWrite || !m.entrada.empty()) {
    r.ready = true;
    return 0;
  }
  if (m.perdida) {
    r.hangup = true;
    return 0;
  }
  const int64_t limite = timeoutMs < 0 ? INT64_MAX / 4 : timeoutMs;
  if (!m.caminho.empty()) {
    fuzzdev::Pacote &p = m.caminho.front();
    if (p.atraso <= limite) {
      m.agora += std::max<int64_t>(p.atraso, 0);
      m.entrada += p.bytes;
      m.caminho.pop_front();
      r.ready = !m.entrada.empty();
      return 0;
    }
    p.atraso -= limite;
  } else if (m.desligaNoFim) {
    m.perdida = true;
    r.hangup = true;
    return 0;
  }
  m.agora += limite;
  return 0;
}

int SerialPurge(PortHandle fd, bool input, bool) {
  if (!Valido(fd)) return EBADF;
  if (input) M().entrada.clear();
  return 0;
}

int SerialDrain(PortHandle fd, int) { return Valido(fd) ? 0 : EBADF; }
int SerialSetLine(PortHandle fd, ModemLine, bool) { return Valido(fd) ? 0 : EBADF; }
int SerialModemStatus(PortHandle fd, bool &cts, bool &dsr) {
  cts = dsr = true;
  return Valido(fd) ? 0 : EBADF;
}
int SerialLineErrorCounts(PortHandle, SerialLineCounts &) { return ENOTTY; }
std::string ErrorText(int err) { return std::strerror(err); }

const int kErrTimedOut = ETIMEDOUT;
const int kErrPortGone = EIO;
bool PortGone(int err) { return err == EIO; }
std::string SerialPortPath(int number) { return "/dev/ttyS" + std::to_string(number); }

bool ListDevicePorts(std::vector<std::string> &devicePorts, std::vector<std::string> &attachedPorts) {
  if (M().listagemFalha) return false;
  devicePorts = M().portasDoDispositivo;
  attachedPorts = M().portasUsb;
  return true;
}

// The targets call from one thread, which never ends: one slot.
namespace {
void *g_slot = nullptr;
bool g_slotCriado = false;
}  // namespace
bool ThreadSlotCreate(void (*)(void *)) { return g_slotCriado = true; }
void *ThreadSlotGet() { return g_slotCriado ? g_slot : nullptr; }
bool ThreadSlotSet(void *slot) {
  g_slot = slot;
  return g_slotCriado;
}
void ThreadSlotDelete() {
  g_slot = nullptr;
  g_slotCriado = false;
}

}  // namespace cfe::platform

namespace fuzzdev {

using cfe::platform::M;

void Reinicia() {
  cfe::platform::Mundo &m = M();
  m = {};
  m.ambiente["CFEDRIVER_INI"] = "/fuzz/sat.ini";
  m.ambiente["CFEDRIVER_LOG"] = "/fuzz/cfe.log";
  m.portasDoDispositivo = m.portasUsb = {"/dev/ttyACM0"};
}

void Responde(std::vector<Pacote> pacotes) { M().respostas.push_back(std::move(pacotes)); }
void Abertura(bool abre) { M().aberturas.push_back(abre); }
void Lixo(std::string bytes) { M().lixo += bytes; }
void DesligaNoFim(bool desliga) { M().desligaNoFim = desliga; }
void Ini(std::string conteudo) { M().arquivos[cfe::platform::EnvText("CFEDRIVER_INI")] = std::move(conteudo); }
void Ambiente(const std::string &nome, const std::string &valor) { M().ambiente[nome] = valor; }
void Portas(std::vector<std::string> doDispositivo, std::vector<std::string> usb, bool falha) {
  M().portasDoDispositivo = std::move(doDispositivo);
  M().portasUsb = std::move(usb);
  M().listagemFalha = falha;
}

const std::vector<std::string> &Pedidos() { return M().pedidos; }
const std::string &Log() {
  static const std::string vazio;
  auto it = M().arquivos.find(cfe::platform::EnvText("CFEDRIVER_LOG"));
  return it == M().arquivos.end() ? vazio : it->second;
}
int PortasAbertas() { return M().aberta ? 1 : 0; }
int64_t Agora() { return M().agora; }

}  // namespace fuzzdev

// Test support shared by the suites and the benchmarks: temporary folders, the
// debug log, a fake sysfs tree for port discovery, a scripted device on a
// pseudo-terminal, and the library restarted from a settings file.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "pty.h"

namespace cfetest {

namespace fs = std::filesystem;

// A fresh folder, removed at the end.
class PastaTemp {
 public:
  PastaTemp();
  ~PastaTemp();
  const fs::path &Caminho() const { return caminho_; }
  fs::path operator/(const std::string &nome) const { return caminho_ / nome; }

 private:
  fs::path caminho_;
};

void EscreveArquivo(const fs::path &caminho, const std::string &texto);
std::string LeArquivo(const fs::path &caminho);

// The messages of the debug log, without the date and time in front.
std::vector<std::string> LinhasDoLog(const fs::path &log);

// A sysfs tree like the kernel's: class/tty/<tty> -> the tty under the USB
// interface, whose driver link names the driver, under a USB device folder
// holding idVendor and idProduct. Each port also gets <devdir>/<tty> -> target.
class SysfsFalso {
 public:
  SysfsFalso(fs::path raiz, fs::path devdir);
  void AdicionaPorta(const std::string &tty, const std::string &alvo, const std::string &vendor = "0525",
                     const std::string &product = "a4a7", const std::string &driver = "cdc_acm");
  // The tree part alone: idVendor and idProduct hold these texts as they are.
  void AdicionaTty(const std::string &tty, const std::string &driver, const std::string &idVendor,
                   const std::string &idProduct);
  // A tty on no USB device (a console, an on-board serial port).
  void AdicionaTtyVirtual(const std::string &tty);
  std::string NomeDaPorta(const std::string &tty) const { return (devdir_ / tty).string(); }
  const fs::path &Raiz() const { return raiz_; }

 private:
  fs::path raiz_, devdir_;
  int usb_ = 0;
};

// A device on the master side of a pseudo-terminal. It collects request frames
// (up to and including ETX) and answers each through a script; by default it
// answers "<session>|<code>000|ok" like a working device.
class DispositivoFalso {
 public:
  // Reply frame for a request (without "|"+ETX), or nothing for no reply.
  using Roteiro = std::function<std::optional<std::string>(const std::string &requisicao)>;

  DispositivoFalso();
  ~DispositivoFalso();
  std::string SlavePath() const { return pty_.slave; }
  void DefineRoteiro(Roteiro r);
  // Replies in order, one per request; once used up, the default reply.
  void DefineRespostas(std::vector<std::optional<std::string>> respostas);
  std::vector<std::string> Requests() const;  // frames as on the wire, with "|" and ETX
  void Limpa();

  static std::optional<std::string> Padrao(const std::string &requisicao);

 private:
  void Laco();
  Pty pty_;
  int pare_[2] = {-1, -1};
  mutable std::mutex mutex_;
  Roteiro roteiro_;
  std::vector<std::string> requisicoes_;
  std::thread thread_;
};

// Pauses told by the library's test clock, with their undivided lengths.
struct Pausas {
  static void Zera();
  static std::vector<int64_t> Lista();
  static void Registra(int64_t ms);
};

// Writes sat.ini, points CFEDRIVER_INI / CFEDRIVER_LOG at the folder and restarts the library.
void ReiniciaCom(const PastaTemp &pasta, const std::string &ini);

}  // namespace cfetest

// Benchmark of the driver against the emulator on a pseudo-terminal:
//  1. round trips per second of ConsultarSAT;
//  2. the driver's added latency per exchange, over a bare open / configure /
//     write / read / close of the same pseudo-terminal;
//  3. the CPU time the calling process spends while it waits 5 s for a late reply.
// A plain program: run it by hand, e.g. build/bin/bench_driver [seconds per measurement].
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "api/startup.h"
#include "cfedriver.h"
#include "sat_emulator.h"

namespace {

using Relogio = std::chrono::steady_clock;

double Segundos(Relogio::duration d) { return std::chrono::duration<double>(d).count(); }

struct Amostras {
  std::vector<double> us;
  double Media() const {
    double s = 0;
    for (double v : us) s += v;
    return us.empty() ? 0 : s / double(us.size());
  }
  double Percentil(double p) const {
    if (us.empty()) return 0;
    std::vector<double> v = us;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
  }
};

// One exchange done by hand: what any program must do to talk to the device once.
bool TrocaCrua(const std::string &porta, const std::string &quadro) {
  int fd = open(porta.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  termios t{};
  tcgetattr(fd, &t);
  cfmakeraw(&t);
  cfsetispeed(&t, B921600);
  cfsetospeed(&t, B921600);
  t.c_cflag |= CRTSCTS | CLOCAL | CREAD;
  tcsetattr(fd, TCSANOW, &t);
  bool ok = write(fd, quadro.data(), quadro.size()) == ssize_t(quadro.size());
  std::string resposta;
  char bloco[4096];
  while (ok) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 4000) <= 0) {
      ok = false;
      break;
    }
    ssize_t n = read(fd, bloco, sizeof bloco);
    if (n <= 0) {
      ok = false;
      break;
    }
    resposta.append(bloco, size_t(n));
    if (resposta.back() == '\x03') break;
  }
  close(fd);
  return ok;
}

double CpuSegundos(int quem) {
  rusage r{};
  getrusage(quem, &r);
  return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char **argv) {
  double duracao = argc > 1 ? std::atof(argv[1]) : 3.0;
  if (duracao <= 0) duracao = 3.0;

  satemu::SatEmulator emu;
  if (!emu.Start()) {
    std::fprintf(stderr, "bench_driver: cannot open a pseudo-terminal\n");
    return 1;
  }
  char pasta[] = "/tmp/bench_driver-XXXXXX";
  if (!mkdtemp(pasta)) return 1;
  std::string ini = std::string(pasta) + "/sat.ini";
  emu.WriteIni(ini, "[TIMEOUT]\nT_CONSULTAR_SAT=00:10\n");
  setenv("CFEDRIVER_INI", ini.c_str(), 1);
  setenv("CFEDRIVER_LOG", (std::string(pasta) + "/cfe.log").c_str(), 1);
  cfe::Inicializa();

  // 1. Round trips of ConsultarSAT.
  Amostras driver;
  int falhas = 0;
  auto inicio = Relogio::now();
  for (int sessao = 1; Segundos(Relogio::now() - inicio) < duracao; ++sessao) {
    auto t0 = Relogio::now();
    std::string r = ConsultarSAT(sessao % 999999 + 1);
    driver.us.push_back(Segundos(Relogio::now() - t0) * 1e6);
    if (r.find("|08000|") == std::string::npos) ++falhas;
  }
  double total = Segundos(Relogio::now() - inicio);
  std::printf("ConsultarSAT round trips: %zu in %.2f s = %.0f per second (failed: %d)\n", driver.us.size(), total,
              double(driver.us.size()) / total, falhas);
  std::printf("  per call: mean %.1f us, median %.1f us, p99 %.1f us\n", driver.Media(), driver.Percentil(0.5),
              driver.Percentil(0.99));

  // 2. The same exchange by hand.
  Amostras crua;
  inicio = Relogio::now();
  for (int sessao = 1; Segundos(Relogio::now() - inicio) < duracao; ++sessao) {
    char quadro[32];
    std::snprintf(quadro, sizeof quadro, "|05|%06d|\x03", sessao % 999999 + 1);
    auto t0 = Relogio::now();
    if (!TrocaCrua(emu.SlavePath(), quadro)) ++falhas;
    crua.us.push_back(Segundos(Relogio::now() - t0) * 1e6);
  }
  std::printf("bare open/configure/write/read/close: mean %.1f us, median %.1f us, p99 %.1f us\n", crua.Media(),
              crua.Percentil(0.5), crua.Percentil(0.99));
  std::printf("driver's added latency per exchange: mean %.1f us, median %.1f us\n", driver.Media() - crua.Media(),
              driver.Percentil(0.5) - crua.Percentil(0.5));

  // 3. CPU time while the reply comes 5 s late.
  satemu::Fault atraso;
  atraso.kind = satemu::FaultKind::LateReply;
  atraso.command = "05";
  atraso.delayMs = 5000;
  emu.InjectFault(atraso);
  double cpuProcesso = CpuSegundos(RUSAGE_SELF), cpuThread = CpuSegundos(RUSAGE_THREAD);
  auto t0 = Relogio::now();
  std::string r = ConsultarSAT(4242);
  double espera = Segundos(Relogio::now() - t0);
  std::printf("late reply: waited %.2f s (%s); CPU spent: process %.3f s, calling thread %.3f s\n", espera,
              r.find("|08000|") != std::string::npos ? "reply received" : "no reply",
              CpuSegundos(RUSAGE_SELF) - cpuProcesso, CpuSegundos(RUSAGE_THREAD) - cpuThread);

  cfe::Finaliza();
  emu.Stop();
  std::error_code ec;
  std::filesystem::remove_all(pasta, ec);
  return 0;
}

// Benchmark of the driver against the emulator on a pseudo-terminal. Each
// figure is measured side by side with what it is compared with, in one run:
//  1. the round trip of ConsultarSAT, against the same frame exchanged by hand
//     (open / configure / write / read / close of the same pseudo-terminal),
//     the two taking turns;
//  2. the call lock's hand-off: a first call whose reply comes late holds the
//     lock while a second caller waits; the device answers the second at once.
//     Figure: how long after the first caller returns the second one returns;
//  3. an 8 MiB sale through EnviarDadosVenda, against the same frame written
//     by hand (the bare exchange), the two taking turns: time, and the extra
//     peak of memory the calling thread holds during the call, as a multiple of
//     the sale's size;
//  4. the CPU time the calling process spends while it waits 5 s for a late reply.
//
// Memory is counted by this program's own operator new / delete: every block
// allocated or freed is booked, with its usable size, on the thread that does
// it. The calling thread's peak above its level at the call's start is the
// figure; the emulator's thread (in this process too) books on its own account
// and is not counted. The sale's text itself is made before the measurement.
//
// A plain program: run it by hand,
//   build/bin/bench_driver [seconds for 1] [rounds for 2] [rounds for 3]
#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "api/startup.h"
#include "cfedriver.h"
#include "sat_emulator.h"
#include "support.h"

// ---- counting allocator ------------------------------------------------------------

namespace {
thread_local long long t_emUso = 0;  // bytes this thread holds now
thread_local long long t_pico = 0;   // the most it held since the last Zera
}  // namespace

void *operator new(std::size_t n) {
  void *p = std::malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  t_emUso += (long long)malloc_usable_size(p);
  if (t_emUso > t_pico) t_pico = t_emUso;
  return p;
}
void *operator new[](std::size_t n) { return operator new(n); }
void *operator new(std::size_t n, const std::nothrow_t &) noexcept {
  try {
    return operator new(n);
  } catch (...) {
    return nullptr;
  }
}
void *operator new[](std::size_t n, const std::nothrow_t &t) noexcept { return operator new(n, t); }
void operator delete(void *p) noexcept {
  if (!p) return;
  t_emUso -= (long long)malloc_usable_size(p);
  std::free(p);
}
void operator delete[](void *p) noexcept { operator delete(p); }
void operator delete(void *p, std::size_t) noexcept { operator delete(p); }
void operator delete[](void *p, std::size_t) noexcept { operator delete(p); }

namespace {

// The calling thread's peak from now on is counted from its present level.
long long ZeraPico() {
  t_pico = t_emUso;
  return t_emUso;
}

using Relogio = std::chrono::steady_clock;

double Segundos(Relogio::duration d) { return std::chrono::duration<double>(d).count(); }

struct Amostras {
  std::vector<double> v;
  double Mediana() const { return Percentil(0.5); }
  double Maximo() const { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }
  double Percentil(double p) const {
    if (v.empty()) return 0;
    std::vector<double> o = v;
    std::sort(o.begin(), o.end());
    return o[std::min(o.size() - 1, size_t(p * double(o.size())))];
  }
};

// One exchange done by hand: what any program must do to talk to the device once.
// The reply is kept, as a caller would keep it.
bool TrocaCrua(const std::string &porta, const std::string &quadro, std::string &resposta) {
  int fd = open(porta.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  termios t{};
  tcgetattr(fd, &t);
  cfmakeraw(&t);
  cfsetispeed(&t, B921600);
  cfsetospeed(&t, B921600);
  t.c_cflag |= CRTSCTS | CLOCAL | CREAD;
  tcsetattr(fd, TCSANOW, &t);
  bool ok = true;
  for (size_t feito = 0; ok && feito < quadro.size();) {
    ssize_t n = write(fd, quadro.data() + feito, quadro.size() - feito);
    if (n > 0) {
      feito += size_t(n);
      continue;
    }
    pollfd p{fd, POLLOUT, 0};
    ok = poll(&p, 1, 4000) > 0;
  }
  resposta.clear();
  static char bloco[65536];
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

std::string Sessao6(int sessao) {
  char s[16];
  std::snprintf(s, sizeof s, "%06d", sessao);
  return s;
}

// 1. ConsultarSAT and the bare exchange, taking turns.
void RoundTrip(satemu::SatEmulator &emu, double duracao) {
  Amostras driver, crua;
  int falhas = 0;
  std::string resposta;
  auto inicio = Relogio::now();
  for (int sessao = 1; Segundos(Relogio::now() - inicio) < duracao; ++sessao) {
    auto t0 = Relogio::now();
    std::string r = ConsultarSAT(sessao % 999999 + 1);
    driver.v.push_back(Segundos(Relogio::now() - t0) * 1e6);
    if (r.find("|08000|") == std::string::npos) ++falhas;
    std::string quadro = "|05|" + Sessao6(sessao % 999999 + 1) + "|\x03";
    t0 = Relogio::now();
    if (!TrocaCrua(emu.SlavePath(), quadro, resposta)) ++falhas;
    crua.v.push_back(Segundos(Relogio::now() - t0) * 1e6);
  }
  std::printf("round trip of ConsultarSAT (%zu calls, failed: %d):\n", driver.v.size(), falhas);
  std::printf("  driver:        median %8.1f us, p99 %8.1f us\n", driver.Mediana(), driver.Percentil(0.99));
  std::printf("  bare exchange: median %8.1f us, p99 %8.1f us\n", crua.Mediana(), crua.Percentil(0.99));
  std::printf("  driver / bare: %.2fx (median)\n", driver.Mediana() / crua.Mediana());
}

// 2. The second caller waits for the lock that the first holds while its reply is late.
void HandOff(satemu::SatEmulator &emu, int rondas) {
  Amostras passagem;
  int falhas = 0;
  for (int i = 0; i < rondas; ++i) {
    // The first reply's delay moves through a 100 ms cycle, so that a waiter polling
    // at any fixed step is met at every phase of it.
    satemu::Fault atraso;
    atraso.kind = satemu::FaultKind::LateReply;
    atraso.command = "05";
    atraso.delayMs = 20 + (i * 37) % 100;
    emu.InjectFault(atraso);
    Relogio::time_point fimPrimeiro, fimSegundo;
    std::string r1, r2;
    std::thread primeiro([&] {
      r1 = ConsultarSAT(2 * i + 1);
      fimPrimeiro = Relogio::now();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(10));  // the first holds the lock by now
    r2 = ConsultarSAT(2 * i + 2);
    fimSegundo = Relogio::now();
    primeiro.join();
    if (r1.find("|08000|") == std::string::npos || r2.find("|08000|") == std::string::npos ||
        fimSegundo < fimPrimeiro)
      ++falhas;
    passagem.v.push_back(Segundos(fimSegundo - fimPrimeiro) * 1e3);
  }
  std::printf("call lock hand-off (%d rounds, failed: %d): the second caller returns after the first\n", rondas,
              falhas);
  std::printf("  median %.3f ms, max %.3f ms (the second call's own round trip included)\n", passagem.Mediana(),
              passagem.Maximo());
}

// 3. An 8 MiB sale through the driver and by hand, taking turns.
void VendaGrande(satemu::SatEmulator &emu, int rondas) {
  const size_t tamanho = 8u << 20;
  std::string venda = "<CFe><infCFe versaoDadosEnt=\"0.08\"><ide/><obsFisco><xTexto>";
  venda.append(tamanho - venda.size() - 30, 'x');
  venda += "</xTexto></obsFisco></infCFe></CFe>";
  venda.resize(tamanho, ' ');
  const std::string codigo = "12345678";
  Amostras tempoDriver, tempoCrua, memDriver, memCrua;
  int falhas = 0;
  for (int i = 0; i < rondas; ++i) {
    int sessao = 500000 + 2 * i;
    emu.ClearRequests();
    long long base = ZeraPico();
    auto t0 = Relogio::now();
    {
      // The reply stays in the library's slot, as the bare exchange keeps its own.
      const char *r = EnviarDadosVenda(sessao, codigo.c_str(), venda.c_str());
      tempoDriver.v.push_back(Segundos(Relogio::now() - t0));
      if (!std::strstr(r, "|06000|")) ++falhas;
      memDriver.v.push_back(double(t_pico - base) / double(tamanho));
    }
    emu.ClearRequests();
    base = ZeraPico();
    t0 = Relogio::now();
    {
      std::string quadro;
      quadro.reserve(venda.size() + 32);
      quadro += "|03|" + Sessao6(sessao + 1) + "|" + codigo + "|";
      quadro += venda;
      quadro += "|\x03";
      std::string resposta;
      if (!TrocaCrua(emu.SlavePath(), quadro, resposta) || resposta.find("|06000|") == std::string::npos) ++falhas;
      tempoCrua.v.push_back(Segundos(Relogio::now() - t0));
      memCrua.v.push_back(double(t_pico - base) / double(tamanho));
    }
  }
  emu.ClearRequests();
  std::printf("8 MiB sale through EnviarDadosVenda (%d rounds, failed: %d):\n", rondas, falhas);
  std::printf("  driver:        median %7.1f ms, max %7.1f ms; extra peak %.2fx the sale (max %.2fx)\n",
              tempoDriver.Mediana() * 1e3, tempoDriver.Maximo() * 1e3, memDriver.Mediana(), memDriver.Maximo());
  std::printf("  bare exchange: median %7.1f ms, max %7.1f ms; extra peak %.2fx the sale (max %.2fx)\n",
              tempoCrua.Mediana() * 1e3, tempoCrua.Maximo() * 1e3, memCrua.Mediana(), memCrua.Maximo());
  std::printf("  driver / bare: %.2fx the time (median)\n", tempoDriver.Mediana() / tempoCrua.Mediana());
}

// 4. CPU time while the reply comes 5 s late.
void EsperaLonga(satemu::SatEmulator &emu) {
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
}

int Argumento(int argc, char **argv, int i, int padrao) {
  int v = argc > i ? std::atoi(argv[i]) : 0;
  return v > 0 ? v : padrao;
}

}  // namespace

int main(int argc, char **argv) {
  double duracao = argc > 1 ? std::atof(argv[1]) : 3.0;
  if (duracao <= 0) duracao = 3.0;
  int rondasLock = Argumento(argc, argv, 2, 50);
  int rondasVenda = Argumento(argc, argv, 3, 5);

  satemu::SatEmulator emu;
  if (!emu.Start()) {
    std::fprintf(stderr, "bench_driver: cannot open a pseudo-terminal\n");
    return 1;
  }
  cfetest::PastaTemp pasta;
  emu.WriteIni((pasta / "sat.ini").string(), "[TIMEOUT]\nT_CONSULTAR_SAT=00:10\nT_ENVIAR_DADOS_VENDA=01:00\n");
  setenv("CFEDRIVER_INI", (pasta / "sat.ini").c_str(), 1);
  setenv("CFEDRIVER_LOG", (pasta / "cfe.log").c_str(), 1);
  cfe::Inicializa();

  double carga[3] = {0, 0, 0};
  if (getloadavg(carga, 3) > 0) std::printf("load average: %.2f %.2f %.2f\n", carga[0], carga[1], carga[2]);
  RoundTrip(emu, duracao);
  HandOff(emu, rondasLock);
  VendaGrande(emu, rondasVenda);
  EsperaLonga(emu);

  cfe::Finaliza();
  emu.Stop();
  return 0;
}

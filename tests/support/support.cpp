#include "support.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>


namespace cfetest {

PastaTemp::PastaTemp() {
  std::string modelo = (fs::temp_directory_path() / "cfeapi-XXXXXX").string();
  if (!mkdtemp(modelo.data())) throw std::runtime_error("mkdtemp");
  caminho_ = modelo;
}

PastaTemp::~PastaTemp() {
  std::error_code ec;
  fs::remove_all(caminho_, ec);
}

void EscreveArquivo(const fs::path &caminho, const std::string &texto) {
  fs::create_directories(caminho.parent_path());
  std::ofstream(caminho, std::ios::binary) << texto;
}

std::string LeArquivo(const fs::path &caminho) {
  std::ifstream in(caminho, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> LinhasDoLog(const fs::path &log) {
  std::vector<std::string> linhas;
  std::string texto = LeArquivo(log);
  size_t inicio = 0;
  while (inicio < texto.size()) {
    size_t fim = texto.find("\r\n", inicio);
    if (fim == std::string::npos) fim = texto.size();
    std::string linha = texto.substr(inicio, fim - inicio);
    // "dd/mm/yyyy hh:mm:ss: " is 21 characters
    linhas.push_back(linha.size() >= 21 ? linha.substr(21) : linha);
    inicio = fim + 2;
  }
  return linhas;
}

// ---- sysfs --------------------------------------------------------------------

SysfsFalso::SysfsFalso(fs::path raiz, fs::path devdir) : raiz_(std::move(raiz)), devdir_(std::move(devdir)) {
  fs::create_directories(raiz_ / "class/tty");
  fs::create_directories(devdir_);
}

void SysfsFalso::AdicionaPorta(const std::string &tty, const std::string &alvo, const std::string &vendor,
                               const std::string &product, const std::string &driver) {
  AdicionaTty(tty, driver, vendor + "\n", product + "\n");
  fs::create_symlink(alvo, devdir_ / tty);
}

void SysfsFalso::AdicionaTty(const std::string &tty, const std::string &driver, const std::string &idVendor,
                             const std::string &idProduct) {
  ++usb_;
  std::string dispositivo = "devices/pci0000:00/usb1/1-" + std::to_string(usb_);
  std::string interface = dispositivo + "/1-" + std::to_string(usb_) + ":1.0";
  fs::create_directories(raiz_ / interface / "tty" / tty);
  fs::create_directories(raiz_ / "bus/usb/drivers" / driver);
  EscreveArquivo(raiz_ / dispositivo / "idVendor", idVendor);
  EscreveArquivo(raiz_ / dispositivo / "idProduct", idProduct);
  fs::create_directory_symlink("../../../../../bus/usb/drivers/" + driver, raiz_ / interface / "driver");
  fs::create_directory_symlink("../../../1-" + std::to_string(usb_) + ":1.0", raiz_ / interface / "tty" / tty / "device");
  fs::create_directory_symlink("../../" + interface + "/tty/" + tty, raiz_ / "class/tty" / tty);
}

void SysfsFalso::AdicionaTtyVirtual(const std::string &tty) {
  fs::create_directories(raiz_ / "devices/virtual/tty" / tty);
  fs::create_directory_symlink("../../devices/virtual/tty/" + tty, raiz_ / "class/tty" / tty);
}

// ---- device on a pseudo-terminal -------------------------------------------------

DispositivoFalso::DispositivoFalso() : roteiro_(Padrao) {
  if (!pty_.ok()) throw std::runtime_error("pty");
  if (pipe(pare_) != 0) throw std::runtime_error("pipe");
  thread_ = std::thread([this] { Laco(); });
}

DispositivoFalso::~DispositivoFalso() {
  char c = 0;
  (void)!write(pare_[1], &c, 1);
  thread_.join();
  close(pare_[0]);
  close(pare_[1]);
}

std::optional<std::string> DispositivoFalso::Padrao(const std::string &requisicao) {
  // "|CC|SSSSSS|..." -> "SSSSSS|CC000|ok"
  if (requisicao.size() < 4) return std::nullopt;
  std::string codigo = requisicao.substr(1, 2);
  size_t fim = requisicao.find('|', 4);
  std::string sessao = requisicao.substr(4, fim == std::string::npos ? std::string::npos : fim - 4);
  static const char *retorno[] = {"",   "04", "05", "06", "07", "08", "09", "10", "11", "12", "13",
                                  "14", "15", "16", "17", "18", "",   "",   "",   "",   "19"};
  int c = std::atoi(codigo.c_str());
  std::string rc = (c >= 1 && c <= 20) ? retorno[c] : "99";
  return sessao + "|" + rc + "000|ok";
}

void DispositivoFalso::DefineRoteiro(Roteiro r) {
  std::lock_guard<std::mutex> g(mutex_);
  roteiro_ = std::move(r);
}

void DispositivoFalso::DefineRespostas(std::vector<std::optional<std::string>> respostas) {
  auto fila = std::make_shared<std::vector<std::optional<std::string>>>(std::move(respostas));
  auto proxima = std::make_shared<size_t>(0);
  DefineRoteiro([fila, proxima](const std::string &r) -> std::optional<std::string> {
    if (*proxima < fila->size()) return (*fila)[(*proxima)++];
    return Padrao(r);
  });
}

std::vector<std::string> DispositivoFalso::Requests() const {
  std::lock_guard<std::mutex> g(mutex_);
  return requisicoes_;
}

void DispositivoFalso::Limpa() {
  std::lock_guard<std::mutex> g(mutex_);
  requisicoes_.clear();
}

void DispositivoFalso::Laco() {
  std::string buffer;
  char bloco[65536];
  for (;;) {
    pollfd fds[2] = {{pty_.master, POLLIN, 0}, {pare_[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents) return;
    ssize_t n = read(pty_.master, bloco, sizeof bloco);
    if (n <= 0) {  // no slave open (hang-up): wait a little instead of spinning
      usleep(1000);
      continue;
    }
    size_t procurado = buffer.size();  // only the new bytes can hold the frame end
    buffer.append(bloco, size_t(n));
    size_t etx;
    while ((etx = buffer.find('\x03', procurado)) != std::string::npos) {
      procurado = 0;
      std::string frame = buffer.substr(0, etx + 1);
      buffer.erase(0, etx + 1);
      Roteiro roteiro;
      {
        std::lock_guard<std::mutex> g(mutex_);
        requisicoes_.push_back(frame);
        roteiro = roteiro_;
      }
      std::string requisicao = frame.substr(0, frame.size() >= 2 ? frame.size() - 2 : 0);
      if (auto resposta = roteiro(requisicao)) {
        std::string saida = *resposta + '\x03';
        const char *p = saida.data();
        size_t falta = saida.size();
        while (falta > 0) {
          ssize_t w = write(pty_.master, p, falta);
          if (w <= 0) break;
          p += w;
          falta -= size_t(w);
        }
      }
    }
  }
}

// ---- pauses ------------------------------------------------------------------------

namespace {
std::mutex g_pausas_mutex;
std::vector<int64_t> g_pausas;
}  // namespace

void Pausas::Zera() {
  std::lock_guard<std::mutex> g(g_pausas_mutex);
  g_pausas.clear();
}

std::vector<int64_t> Pausas::Lista() {
  std::lock_guard<std::mutex> g(g_pausas_mutex);
  return g_pausas;
}

void Pausas::Registra(int64_t ms) {
  std::lock_guard<std::mutex> g(g_pausas_mutex);
  g_pausas.push_back(ms);
}

}  // namespace cfetest

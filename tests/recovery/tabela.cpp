#include "tabela.h"

#include <stdlib.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "api/startup.h"
#include "core/state.h"

namespace recuperacao {

namespace fs = std::filesystem;

namespace {

TabelaTest *g_atual = nullptr;  // the running test, for the pause hook (a plain function)

void AoPausar(int64_t ms) {
  cfetest::Pausas::Registra(ms);
  // Pauses of a second or more are TMP_TENT's (TMP_TENT is at least 3 s); the
  // shorter ones are the link's and the lock's own waits.
  if (ms >= 1000 && g_atual) g_atual->ProximaTentativa();
}

// Lines that the link and the port search write around every exchange.
bool LinhaDoEnlace(const std::string &l) {
  static const char *prefixos[] = {"Configurando ",      "Conectando ",        "EnviaParaSat:",
                                   "Enviando: ",         "EnviarParaSat:",     "RecebeDoSat:",
                                   "Esgotado TimeOut",   "Descarte USB",       " .....",
                                   "(TX) Perda",         "(RX) Perda",         "Erro ao receber",
                                   "Falha ao configurar", "Falha ao transmitir", "Fazendo busca",
                                   "Interface SAT nao",  "Usando interface: ", "/"};
  for (const char *p : prefixos)
    if (l.rfind(p, 0) == 0) return true;
  return false;
}

}  // namespace

std::string NomeDaLinha(const ::testing::TestParamInfo<Linha> &info) {
  std::string nome = info.param.nome;
  for (char &c : nome)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return nome;
}

void PrintTo(const Linha &l, std::ostream *os) { *os << l.nome; }

void TabelaTest::SetUp() {
  setenv("CFEDRIVER_SYSFS", (pasta / "sys").c_str(), 1);
  setenv("CFEDRIVER_DEVDIR", (pasta / "dev").c_str(), 1);
  sysfs.AdicionaPorta("ttyACM0", dispositivo.SlavePath());
  g_atual = this;
  cfetest::Pausas::Zera();
  // 20 s deadlines last 200 ms, enough for any reply of the scripted device; a
  // missing reply costs that much. Pauses of 6 s last 60 ms.
  cfe::DefineRelogioTeste({100, AoPausar});
}

void TabelaTest::TearDown() {
  cfe::Finaliza();
  cfe::DefineRelogioTeste({});
  g_atual = nullptr;
}

void TabelaTest::Reinicia(int nTent, const std::string &extra, bool debug) {
  const std::string padrao = std::string("[DEFAULT]\nDEBUG=") + (debug ? "true" : "false") +
                             "\nN_TENT=" + std::to_string(nTent) + "\nTMP_TENT=6\n" + extra;
  cfetest::ReiniciaCom(pasta, padrao +
                                  "[TIMEOUT]\nT_ENVIAR_DADOS_VENDA=00:20\nT_CANCELAR_ULTIMA_VENDA=00:20\n"
                                  "T_CONSULTAR_NUMERO_SESSAO=00:20\n");
  fs::remove(pasta / "cfe.log");  // the start-up lines
}

void TabelaTest::Conecta(bool presente) {
  const fs::path porta = pasta / "dev" / "ttyACM0";
  std::error_code ec;
  fs::remove(porta, ec);
  if (presente) fs::create_symlink(dispositivo.SlavePath(), porta);
}

void TabelaTest::ProximaTentativa() {
  ++tentativa_;
  Conecta(ausentes_.count(tentativa_) == 0);
}

std::vector<std::string> TabelaTest::LogDaChamada() const {
  std::vector<std::string> linhas;
  for (auto &l : cfetest::LinhasDoLog(pasta / "cfe.log"))
    if (!LinhaDoEnlace(l)) linhas.push_back(l);
  return linhas;
}

void TabelaTest::Confere(const Linha &l, const std::string &transmissao, const std::string &consulta,
                         const std::function<std::string()> &chama) {
  Reinicia(l.nTent);
  dispositivo.DefineRespostas(l.respostas);
  ausentes_ = l.ausentes;
  tentativa_ = 1;
  Conecta(ausentes_.count(1) == 0);
  cfetest::Pausas::Zera();

  const std::string resultado = chama();
  Conecta(true);

  std::vector<std::string> fio;
  for (char c : l.fio) fio.push_back((c == 'T' ? transmissao : consulta) + "|\x03");
  EXPECT_EQ(dispositivo.Requests(), fio);
  EXPECT_EQ(LogDaChamada(), l.log);
  EXPECT_EQ(resultado, l.resultado);
  // The pauses between attempts: one fewer than the attempts made, never after the
  // last; then those between the queries of a final inquiry.
  std::vector<int64_t> pausas;
  for (int64_t ms : cfetest::Pausas::Lista())
    if (ms >= 1000) pausas.push_back(ms);
  EXPECT_EQ(pausas, std::vector<int64_t>(size_t(std::min(l.nFinal, l.nTent) - 1 + l.pausasFinais), 6000));
}

}  // namespace recuperacao

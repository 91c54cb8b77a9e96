#include "soak.h"

#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include "api/startup.h"
#include "api/state.h"
#include "cfedriver.h"
#include "sat_emulator.h"

namespace recuperacao {

namespace {

namespace fs = std::filesystem;

// Every deadline of a sale, cancellation or session query is 2 s in the
// settings file and TMP_TENT 6 s; the test clock divides them by 100: 20 ms to
// answer, 60 ms between attempts. A late reply comes 45 ms after the request,
// after the driver has given up on it and before its next attempt begins, so it
// lands in the input between two exchanges (where the next connection throws it
// away) or, after the last attempt of a call, in the next call's exchange (where
// the session check drops it, or the query sees another session's head).
constexpr int kDivisor = 100;
constexpr int kAtrasoMs = 45;
const char *const kIni =
    "N_TENT=3\nTMP_TENT=6\n"
    "[TIMEOUT]\nT_ENVIAR_DADOS_VENDA=00:02\nT_CANCELAR_ULTIMA_VENDA=00:02\nT_CONSULTAR_NUMERO_SESSAO=00:02\n";

// Cancellations use sessions of their own, far from the sales'.
constexpr int kPrimeiraVenda = 1;
constexpr int kPrimeiroCancelamento = 500001;

const char *const kCodigo = "12345678";  // the emulator's activation code

std::string Sessao(int n) {
  char texto[16];
  std::snprintf(texto, sizeof texto, "%06d", n);
  return texto;
}

std::string Venda(int i) {
  const std::string valor = std::to_string(1 + i % 97) + ".00";
  return "<CFe><infCFe versaoDadosEnt=\"0.08\"><ide><CNPJ>16716114000172</CNPJ><signAC>SGR-SAT</signAC>"
         "<numeroCaixa>001</numeroCaixa></ide><emit><CNPJ>61099008000141</CNPJ><IE>111111111111</IE></emit>"
         "<dest/><det nItem=\"1\"><prod><cProd>" +
         std::to_string(i) + "</cProd><xProd>ITEM &#65;</xProd><qCom>1.0000</qCom><vUnCom>" + valor +
         "</vUnCom></prod></det><pgto><MP><cMP>01</cMP><vMP>" + valor + "</vMP></MP></pgto></infCFe></CFe>";
}

const char *const kDadosCancelamento =
    "<CFeCanc><infCFe chCanc=\"CFe35240161099008000141599000000010000011234567\"><ide><CNPJ>16716114000172</CNPJ>"
    "<signAC>SGR-SAT</signAC><numeroCaixa>001</numeroCaixa></ide><emit/><dest/><total/></infCFe></CFeCanc>";

// What one call returned, as the shop sees it.
struct Chamada {
  int sessao;
  bool sucesso;  // the session's own success reply (xx000)
};

// Sorts one reply: the busy reply (the library's or the device's), the
// session's own reply, or a fault.
void Classifica(const std::string &nome, const std::string &prefixo, int sessao, const std::string &resposta,
                Contagem &c, std::vector<Chamada> &chamadas, std::vector<std::string> &falhas) {
  const std::string S = Sessao(sessao);
  ++c.tentadas;
  if (resposta.rfind(S + "|" + prefixo + "098|", 0) == 0) {
    ++c.ocupadas;
    chamadas.push_back({sessao, false});
  } else if (resposta.rfind(S + "|" + prefixo, 0) == 0) {
    const bool sucesso = resposta.rfind(S + "|" + prefixo + "000|", 0) == 0;
    if (sucesso) ++c.emitidasComSucesso;
    chamadas.push_back({sessao, sucesso});
  } else {
    falhas.push_back(nome + " " + S + ": returned a reply that is not its own: " + resposta.substr(0, 80));
  }
}

// Checks the device's count of coupons per session against the calls.
void Confere(const std::string &nome, const std::vector<Chamada> &chamadas, const std::map<int, int> &emitidas,
             Contagem &c, std::vector<std::string> &falhas) {
  std::set<int> sessoes;
  for (const auto &ch : chamadas) {
    sessoes.insert(ch.sessao);
    auto it = emitidas.find(ch.sessao);
    const int n = it == emitidas.end() ? 0 : it->second;
    if (ch.sucesso && n != 1)
      falhas.push_back(nome + " " + Sessao(ch.sessao) + ": success returned, but issued " + std::to_string(n) +
                       " times");
  }
  for (const auto &[sessao, n] : emitidas) {
    if (n == 1) ++c.emitidasUmaVez;
    if (n >= 2) {
      ++c.emitidasDuasVezes;
      falhas.push_back(nome + " " + Sessao(sessao) + ": issued " + std::to_string(n) + " times");
    }
  }
}

struct PastaTemporaria {
  fs::path caminho;
  PastaTemporaria() {
    std::string modelo = (fs::temp_directory_path() / "cfesoak-XXXXXX").string();
    if (mkdtemp(modelo.data())) caminho = modelo;
  }
  ~PastaTemporaria() {
    std::error_code ec;
    if (!caminho.empty()) fs::remove_all(caminho, ec);
  }
};

}  // namespace

ResultadoSoak RodaSoak(const ConfigSoak &config) {
  ResultadoSoak r;
  PastaTemporaria pasta;
  satemu::SatEmulator emu;
  if (pasta.caminho.empty() || !emu.Start() || !emu.WriteIni((pasta.caminho / "sat.ini").string(), kIni)) {
    r.falhas.push_back("could not set up the emulator and the settings file");
    return r;
  }
  setenv("CFEDRIVER_INI", (pasta.caminho / "sat.ini").c_str(), 1);
  setenv("CFEDRIVER_LOG", (pasta.caminho / "cfe.log").c_str(), 1);
  cfe::DefineRelogioTeste({kDivisor, nullptr});
  cfe::Inicializa();

  emu.SetIssueRepeatedSessions(true, true);  // the worst device
  satemu::RandomFaults faltas;
  faltas.seed = config.semente;
  faltas.commands = {"03", "04", "08"};
  faltas.noReply = 0.08;
  faltas.loseReply = 0.15;
  faltas.busy = 0.15;
  faltas.lateReply = 0.07;
  faltas.lateMs = kAtrasoMs;
  faltas.split = 0.03;
  faltas.otherSession = 0.05;
  faltas.etxInside = 0.02;
  emu.SetRandomFaults(faltas);

  const auto inicio = std::chrono::steady_clock::now();
  std::vector<Chamada> vendas, cancelamentos;
  for (int i = 0; i < config.vendas; ++i) {
    const int sessao = kPrimeiraVenda + i;
    const std::string venda = Venda(i);
    Classifica("sale", "06", sessao, EnviarDadosVenda(sessao, kCodigo, venda.c_str()), r.vendas, vendas, r.falhas);
  }
  for (int i = 0; i < config.cancelamentos; ++i) {
    const int sessao = kPrimeiroCancelamento + i;
    const std::string chave = "CFe3524016109900800014159900000" + Sessao(i + 1) + "1234567";
    Classifica("cancellation", "07", sessao, CancelarUltimaVenda(sessao, kCodigo, chave.c_str(), kDadosCancelamento),
               r.cancelamentos, cancelamentos, r.falhas);
  }
  r.segundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();

  // A late reply of the last call is still on its way: let it arrive (and be
  // counted) before the figures are read.
  emu.ClearFaults();
  std::this_thread::sleep_for(std::chrono::milliseconds(2 * kAtrasoMs));
  Confere("sale", vendas, emu.SalesIssuedPerSession(), r.vendas, r.falhas);
  Confere("cancellation", cancelamentos, emu.CancellationsIssuedPerSession(), r.cancelamentos, r.falhas);

  cfe::Finaliza();
  cfe::DefineRelogioTeste({});
  emu.Stop();
  return r;
}

void Imprime(std::ostream &out, const ConfigSoak &config, const ResultadoSoak &r) {
  auto linha = [&out](const char *nome, const Contagem &c) {
    out << nome << " attempted: " << c.tentadas << ", issued once: " << c.emitidasUmaVez
        << ", issued twice: " << c.emitidasDuasVezes << ", busy replies returned: " << c.ocupadas
        << " (success replies returned: " << c.emitidasComSucesso << ")\n";
  };
  out << "recovery soak, seed " << config.semente << ", N_TENT 3, " << r.segundos << " s\n";
  linha("sales", r.vendas);
  linha("cancellations", r.cancelamentos);
  for (const auto &f : r.falhas) out << "FAULT: " << f << "\n";
}

}  // namespace recuperacao

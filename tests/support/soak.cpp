#include "soak.h"

#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include "api/startup.h"
#include "core/state.h"
#include "cfedriver.h"
#include "sat_emulator.h"

namespace recuperacao {

namespace {

namespace fs = std::filesystem;

// The test clock divides every time by 100. A sale's or cancellation's time-out
// (01:00) lasts 600 ms: the time a transmission waits for its reply, and the most
// a final inquiry about the session may take. The session query waits 100 ms
// (00:10) and TMP_TENT is 3 s (30 ms), so a final inquiry makes several queries,
// each with time enough for a device thread that a loaded machine runs late.
// A late reply comes 700 ms after its request, after the driver has given up on
// it: it lands between two exchanges (where the next connection throws it away),
// in a later query's reception (where it is the session's own coupon reply) or in
// a later call's exchange (where the session check drops it, or the query sees
// another session's head).
constexpr int kDivisor = 100;
constexpr int kAtrasoMs = 700;

std::string Ini(int nTent) {
  return "N_TENT=" + std::to_string(nTent) +
         "\nTMP_TENT=3\n"
         "[TIMEOUT]\nT_ENVIAR_DADOS_VENDA=01:00\nT_CANCELAR_ULTIMA_VENDA=01:00\nT_CONSULTAR_NUMERO_SESSAO=00:10\n";
}

// Sessions of the sales, their resends, and the cancellations' far apart.
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
  bool ocupada;  // the busy reply (the library's or the device's)
  bool sucesso;  // the session's own success reply (xx000)
};

// One item of the point-of-sale program: its calls, in order.
struct Item {
  std::vector<Chamada> chamadas;
  bool queda = false;  // the device became unreachable right after issuing its first coupon
};

// Sorts one reply: the busy reply, the session's own reply, or a fault.
Chamada Classifica(const std::string &nome, const std::string &prefixo, int sessao, const std::string &resposta,
                   std::vector<std::string> &falhas) {
  const std::string S = Sessao(sessao);
  if (resposta.rfind(S + "|" + prefixo + "098|", 0) == 0) return {sessao, true, false};
  if (resposta.rfind(S + "|" + prefixo, 0) == 0)
    return {sessao, false, resposta.rfind(S + "|" + prefixo + "000|", 0) == 0};
  falhas.push_back(nome + " " + S + ": returned a reply that is not its own: " + resposta.substr(0, 80));
  return {sessao, false, false};
}

// Checks the device's count of coupons per session against the calls and the items.
void Confere(const std::string &nome, const std::vector<Item> &itens, const std::map<int, int> &emitidas,
             Contagem &c, std::vector<std::string> &falhas) {
  auto vezes = [&](int sessao) {
    auto it = emitidas.find(sessao);
    return it == emitidas.end() ? 0 : it->second;
  };
  for (const auto &[sessao, n] : emitidas)
    if (n >= 2) falhas.push_back(nome + " " + Sessao(sessao) + ": issued " + std::to_string(n) + " times");
  for (const Item &item : itens) {
    ++c.itens;
    int cupons = 0;
    bool sucesso = false;
    for (const Chamada &ch : item.chamadas) {
      ++c.chamadas;
      const int n = vezes(ch.sessao);
      cupons += n;
      sucesso = sucesso || ch.sucesso;
      if (ch.ocupada) ++c.ocupadas;
      if (ch.sucesso && n != 1)
        falhas.push_back(nome + " " + Sessao(ch.sessao) + ": success returned, but issued " + std::to_string(n) +
                         " times");
      if (ch.ocupada && n > 0 && !item.queda) {
        ++c.emitidaMasOcupada;
        falhas.push_back(nome + " " + Sessao(ch.sessao) + ": issued, but answered busy");
      }
    }
    c.reenvios += int(item.chamadas.size()) - 1;
    if (sucesso) ++c.comSucesso;
    if (cupons == 0) ++c.nuncaEmitidas;
    if (cupons == 1) ++c.emitidasUmaVez;
    if (cupons >= 2) {
      ++c.emitidasDuasVezes;
      falhas.push_back(nome + " " + Sessao(item.chamadas.front().sessao) + ": the item has " +
                       std::to_string(cupons) + " coupons");
    }
    if (item.queda && !sucesso && cupons == 1) ++c.semResposta;
  }
}

struct PastaTemporaria {
  fs::path caminho;
  PastaTemporaria() {
    std::string modelo = (fs::temp_directory_path() / "cfesoak-XXXXXX").string();
    if (mkdtemp(modelo.data())) caminho = modelo;
  }
  // CFE_SOAK_KEEP set: the folder (with the driver's log) is kept and named.
  ~PastaTemporaria() {
    std::error_code ec;
    if (getenv("CFE_SOAK_KEEP")) {
      std::fprintf(stderr, "soak folder kept: %s\n", caminho.c_str());
    } else if (!caminho.empty()) {
      fs::remove_all(caminho, ec);
    }
  }
};

}  // namespace

ResultadoSoak RodaSoak(const ConfigSoak &config) {
  ResultadoSoak r;
  PastaTemporaria pasta;
  satemu::SatEmulator emu;
  if (pasta.caminho.empty() || !emu.Start() ||
      !emu.WriteIni((pasta.caminho / "sat.ini").string(),
                    std::string(getenv("CFE_SOAK_KEEP") ? "DEBUG=true\n" : "") + Ini(config.nTent))) {
    r.falhas.push_back("could not set up the emulator and the settings file");
    return r;
  }
  setenv("CFEDRIVER_INI", (pasta.caminho / "sat.ini").c_str(), 1);
  setenv("CFEDRIVER_LOG", (pasta.caminho / "cfe.log").c_str(), 1);
  cfe::DefineRelogioTeste({kDivisor, nullptr});
  cfe::Inicializa();

  emu.SetIssueRepeatedSessions(true, true);  // the worst device
  // The transmissions get the worst faults; the session queries milder ones,
  // so that a final inquiry of several queries gets an answer through them.
  satemu::RandomFaults transmissoes;
  transmissoes.seed = config.semente;
  transmissoes.commands = {"03", "04"};
  transmissoes.noReply = 0.08;
  transmissoes.loseReply = 0.15;
  transmissoes.busy = 0.15;
  transmissoes.lateReply = 0.07;
  transmissoes.lateMs = kAtrasoMs;
  transmissoes.split = 0.03;
  transmissoes.otherSession = 0.05;
  transmissoes.etxInside = 0.02;
  satemu::RandomFaults consultas = transmissoes;
  consultas.commands = {"08"};
  consultas.noReply = 0.04;
  consultas.loseReply = 0.04;
  consultas.busy = 0.05;
  consultas.lateReply = 0.03;
  consultas.split = 0.02;
  consultas.otherSession = 0.02;
  consultas.etxInside = 0.01;
  const std::vector<satemu::RandomFaults> faltas = {transmissoes, consultas};
  emu.SetRandomFaults(faltas);

  // Sends one item in up to 1 + reenvios sessions, taken from proximaSessao.
  // An outage: the first transmission is issued and its reply lost, and from then
  // on until the item ends no request reaches the device.
  auto envia = [&](const char *comando, bool queda, int &proximaSessao, auto chama, const std::string &nome,
                   const std::string &prefixo) {
    Item item;
    item.queda = queda;
    if (queda) {
      emu.InjectFault({satemu::FaultKind::LoseReply, comando, 1});
      emu.InjectFault({satemu::FaultKind::NoReply, "", 1000000});
    }
    for (int envio = 0; envio <= config.reenvios; ++envio) {
      const int sessao = proximaSessao++;
      item.chamadas.push_back(Classifica(nome, prefixo, sessao, chama(sessao), r.falhas));
      if (!item.chamadas.back().ocupada) break;
    }
    if (queda) {
      emu.ClearFaults();
      emu.SetRandomFaults(faltas);
    }
    return item;
  };
  auto emQueda = [&](int i) { return config.intervaloQueda > 0 && i % config.intervaloQueda == config.intervaloQueda / 2; };

  const auto inicio = std::chrono::steady_clock::now();
  std::vector<Item> vendas, cancelamentos;
  int sessaoVenda = kPrimeiraVenda, sessaoCancelamento = kPrimeiroCancelamento;
  for (int i = 0; i < config.vendas; ++i) {
    const std::string venda = Venda(i);
    vendas.push_back(envia("03", emQueda(i), sessaoVenda,
                           [&](int sessao) { return std::string(EnviarDadosVenda(sessao, kCodigo, venda.c_str())); },
                           "sale", "06"));
  }
  for (int i = 0; i < config.cancelamentos; ++i) {
    const std::string chave = "CFe3524016109900800014159900000" + Sessao(i + 1) + "1234567";
    cancelamentos.push_back(envia("04", emQueda(i), sessaoCancelamento,
                                  [&](int sessao) {
                                    return std::string(
                                        CancelarUltimaVenda(sessao, kCodigo, chave.c_str(), kDadosCancelamento));
                                  },
                                  "cancellation", "07"));
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
    out << nome << ": " << c.itens << " items in " << c.chamadas << " calls (" << c.reenvios
        << " sent again after a busy reply); issued once: " << c.emitidasUmaVez
        << ", issued twice: " << c.emitidasDuasVezes << ", issued but answered busy: " << c.emitidaMasOcupada
        << ", never answered (device unreachable for the whole time-out): " << c.semResposta
        << ", never issued: " << c.nuncaEmitidas << "; busy replies: " << c.ocupadas
        << ", items with their success reply: " << c.comSucesso << "\n";
  };
  out << "recovery soak, seed " << config.semente << ", N_TENT " << config.nTent << ", an outage every "
      << config.intervaloQueda << " items, " << r.segundos << " s\n";
  linha("sales", r.vendas);
  linha("cancellations", r.cancelamentos);
  for (const auto &f : r.falhas) out << "FAULT: " << f << "\n";
}

}  // namespace recuperacao

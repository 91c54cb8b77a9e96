// The sixteen SAT functions over a real pseudo-terminal with a scripted device.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <functional>
#include <regex>

#include "core/lock.h"
#include "api/commands.h"
#include "api/startup.h"
#include "core/state.h"
#include "cfedriver.h"
#include "support.h"

using namespace cfetest;

namespace {

// Every function of the family, with its request for session 42 ("S" stands for the session text).
struct Funcao {
  const char *nome;
  std::function<const char *(int sessao)> chama;
  std::string requisicao;
  std::string ocupado;  // busy code
  bool comExtra;        // "0000|" in the busy reply
};

const std::vector<Funcao> &Familia() {
  static const std::vector<Funcao> familia = {
      {"AtivarSAT", [](int s) { return AtivarSAT(s, 1, "C", "N", 35); }, "|01|S|1|C|N|35", "04098", false},
      {"ComunicarCertificadoICPBRASIL", [](int s) { return ComunicarCertificadoICPBRASIL(s, "C", "CERT"); },
       "|02|S|C|CERT", "05098", false},
      {"EnviarDadosVenda", [](int s) { return EnviarDadosVenda(s, "C", "<CFe/>"); }, "|03|S|C|<CFe/>", "06098", true},
      {"CancelarUltimaVenda", [](int s) { return CancelarUltimaVenda(s, "C", "CFe123", "<CFeCanc/>"); },
       "|04|S|C|CFe123|<CFeCanc/>", "07098", true},
      {"ConsultarSAT", [](int s) { return ConsultarSAT(s); }, "|05|S", "08098", false},
      {"TesteFimAFim", [](int s) { return TesteFimAFim(s, "C", "<teste/>"); }, "|06|S|C|<teste/>", "09098", false},
      {"ConsultarStatusOperacional", [](int s) { return ConsultarStatusOperacional(s, "C"); }, "|07|S|C", "10098",
       false},
      {"ConsultarNumeroSessao", [](int s) { return ConsultarNumeroSessao(s, "C", 17); }, "|08|S|C|000017", "11098",
       false},
      {"ConfigurarInterfaceDeRede", [](int s) { return ConfigurarInterfaceDeRede(s, "C", "<config/>"); },
       "|09|S|C|<config/>", "12098", false},
      {"AssociarAssinatura", [](int s) { return AssociarAssinatura(s, "C", "11122233344455", "SIG"); },
       "|10|S|C|11122233344455|SIG", "13098", false},
      {"AtualizarSoftwareSAT", [](int s) { return AtualizarSoftwareSAT(s, "C"); }, "|11|S|C", "14098", false},
      {"ExtrairLogs", [](int s) { return ExtrairLogs(s, "C"); }, "|12|S|C|3.0.0.4", "15098", false},
      {"BloquearSAT", [](int s) { return BloquearSAT(s, "C"); }, "|13|S|C", "16098", false},
      {"DesbloquearSAT", [](int s) { return DesbloquearSAT(s, "C"); }, "|14|S|C", "17098", false},
      {"TrocarCodigoDeAtivacao", [](int s) { return TrocarCodigoDeAtivacao(s, "C", 2, "NEW", "NEW"); },
       "|15|S|C|2|NEW|NEW", "18098", false},
      {"ConsultarUltimaSessaoFiscal", [](int s) { return ConsultarUltimaSessaoFiscal(s, "C"); }, "|20|S|C", "19098",
       false},
  };
  return familia;
}

std::string ComSessao(std::string texto, const std::string &S) { return texto.replace(texto.find('S'), 1, S); }
std::string Quadro(const std::string &requisicao) { return requisicao + "|\x03"; }
std::string Ocupado(const std::string &S, const std::string &codigo, bool comExtra) {
  return S + "|" + codigo + "|" + (comExtra ? "0000|" : "") + "SAT em processamento. Tente novamente.||";
}

// Every time-out 30 minutes. The test clock divides it by 1000 (1.8 s: time
// enough for any reply on a loaded machine, and pauses of 6 s last 6 ms), or by
// 100000 where no reply is to come (18 ms).
std::string TimeoutsLongos() {
  std::string t = "[TIMEOUT]\n";
  for (const auto &e : cfe::kTimeoutsPadrao) t += std::string(e.chave) + "=30:00\n";
  return t;
}
void RelogioNormal() { cfe::DefineRelogioTeste({1000, Pausas::Registra}); }
void RelogioSemResposta() { cfe::DefineRelogioTeste({100000, Pausas::Registra}); }

class ComandosTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("CFEDRIVER_SYSFS", (pasta / "sys").c_str(), 1);
    setenv("CFEDRIVER_DEVDIR", (pasta / "dev").c_str(), 1);
    RelogioNormal();
    Pausas::Zera();
    Reinicia("");
  }
  void TearDown() override {
    cfe::Finaliza();
    cfe::DefineRelogioTeste({});
  }
  void Reinicia(const std::string &extra, bool comDispositivo = true) {
    std::string serial = comDispositivo ? "SERIAL=" + dispositivo.SlavePath() + "\n" : "";
    ReiniciaCom(pasta, "[DEFAULT]\n" + serial + extra + TimeoutsLongos());
    std::filesystem::remove(pasta / "cfe.log");
  }
  std::vector<std::string> Log() { return LinhasDoLog(pasta / "cfe.log"); }
  // The log lines of the API layer: the link's own lines left out.
  std::vector<std::string> LogDaChamada(const std::vector<std::string> &prefixos) {
    std::vector<std::string> linhas;
    for (const auto &l : Log())
      for (const auto &p : prefixos)
        if (l.rfind(p, 0) == 0) {
          linhas.push_back(l);
          break;
        }
    return linhas;
  }
  std::vector<int64_t> PausasEntreTentativas() {
    std::vector<int64_t> longas;
    for (auto ms : Pausas::Lista())
      if (ms >= 1000) longas.push_back(ms);
    return longas;
  }

  PastaTemp pasta;
  SysfsFalso sysfs{pasta / "sys", pasta / "dev"};
  DispositivoFalso dispositivo;
};

TEST_F(ComandosTest, RequestBytesOnTheWireAndTheDeviceReplyReturned) {
  for (const auto &f : Familia()) {
    SCOPED_TRACE(f.nome);
    dispositivo.Limpa();
    std::string resposta = f.chama(42);
    auto requisicoes = dispositivo.Requests();
    ASSERT_EQ(requisicoes.size(), 1u);
    EXPECT_EQ(requisicoes[0], Quadro(ComSessao(f.requisicao, "000042")));
    EXPECT_EQ(resposta, *DispositivoFalso::Padrao(ComSessao(f.requisicao, "000042")));
  }
}

TEST_F(ComandosTest, SessionTextsAndEmptyFields) {
  // Only the requests count here, and some replies are dropped by the session check.
  // The shortest deadlines could pass before a loaded machine even sends the request.
  RelogioNormal();
  struct Caso {
    std::function<const char *()> chama;
    std::string quadro;
  } casos[] = {
      {[] { return ConsultarSAT(0); }, Quadro("|05|000000")},
      {[] { return ConsultarSAT(999999); }, Quadro("|05|999999")},
      {[] { return ConsultarSAT(-42); }, Quadro("|05|-000042")},
      {[] { return ConsultarNumeroSessao(1234567, "C", -3); }, Quadro("|08|1234567|C|-000003")},
      {[] { return BloquearSAT(7, nullptr); }, Quadro("|13|000007|")},
      {[] { return AtivarSAT(1, -1, nullptr, nullptr, 0); }, Quadro("|01|000001|-1|||0")},
      {[] { return CancelarUltimaVenda(1, nullptr, nullptr, nullptr); }, Quadro("|04|000001|||")},
      {[] { return TrocarCodigoDeAtivacao(1, nullptr, 1, nullptr, nullptr); }, Quadro("|15|000001||1||")},
  };
  for (const auto &c : casos) {
    dispositivo.Limpa();
    c.chama();
    // A cancellation whose reply comes too late for these short deadlines is
    // followed by a query about its session: only the first request counts here.
    auto requisicoes = dispositivo.Requests();
    ASSERT_FALSE(requisicoes.empty());
    EXPECT_EQ(requisicoes[0], c.quadro);
  }
}

TEST_F(ComandosTest, BusyRepliesWithTheDeviceAbsent) {
  Reinicia("", false);  // no port named and none to be found
  for (const auto &f : Familia()) {
    SCOPED_TRACE(f.nome);
    EXPECT_EQ(f.chama(9), Ocupado("000009", f.ocupado, f.comExtra));
  }
  EXPECT_EQ(ConsultarSAT(-42), Ocupado("-000042", "08098", false));
  EXPECT_TRUE(dispositivo.Requests().empty());
}

TEST_F(ComandosTest, NoReplyGivesTheBusyReply) {
  RelogioSemResposta();
  dispositivo.DefineRoteiro([](const std::string &) { return std::nullopt; });
  for (const auto &f : Familia()) {
    SCOPED_TRACE(f.nome);
    EXPECT_EQ(f.chama(9), Ocupado("000009", f.ocupado, f.comExtra));
  }
}

TEST_F(ComandosTest, SessionCheckDropsRepliesOfOtherSessionsWhereItApplies) {
  // The device answers every request as session 000077.
  dispositivo.DefineRoteiro([](const std::string &r) {
    std::string resposta = *DispositivoFalso::Padrao(r);
    return std::optional<std::string>("000077" + resposta.substr(resposta.find('|')));
  });
  for (const auto &f : Familia()) {
    SCOPED_TRACE(f.nome);
    bool semChecagem = f.requisicao.rfind("|08|", 0) == 0 || f.requisicao.rfind("|20|", 0) == 0;
    if (semChecagem) RelogioNormal(); else RelogioSemResposta();
    std::string esperado = semChecagem ? "000077" + DispositivoFalso::Padrao(ComSessao(f.requisicao, "000042"))->substr(6)
                                       : Ocupado("000042", f.ocupado, f.comExtra);
    EXPECT_EQ(f.chama(42), esperado);
  }
}

TEST_F(ComandosTest, RepeatingQueriesTryAgainWhileBusy) {
  Reinicia("N_TENT=3\nTMP_TENT=6\n");
  struct Caso {
    std::function<const char *()> chama;
    std::string ocupado;
  } casos[] = {
      {[] { return ConsultarSAT(9); }, "08098"},
      {[] { return ConsultarStatusOperacional(9, "C"); }, "10098"},
      {[] { return ConsultarNumeroSessao(9, "C", 9); }, "11098"},
      {[] { return ConsultarUltimaSessaoFiscal(9, "C"); }, "19098"},
  };
  for (const auto &c : casos) {
    SCOPED_TRACE(c.ocupado);
    // busy, busy, answer: three exchanges with two pauses of TMP_TENT seconds
    dispositivo.Limpa();
    Pausas::Zera();
    std::string busy = "000009|" + c.ocupado + "|updating";
    dispositivo.DefineRespostas({busy, busy, "000009|" + c.ocupado.substr(0, 2) + "000|ok"});
    EXPECT_EQ(c.chama(), "000009|" + c.ocupado.substr(0, 2) + "000|ok");
    EXPECT_EQ(dispositivo.Requests().size(), 3u);
    EXPECT_EQ(PausasEntreTentativas(), (std::vector<int64_t>{6000, 6000}));

    // busy every time: the last device reply, after N_TENT exchanges
    dispositivo.Limpa();
    Pausas::Zera();
    dispositivo.DefineRespostas({busy, busy, busy + "-last"});
    EXPECT_EQ(c.chama(), busy + "-last");
    EXPECT_EQ(dispositivo.Requests().size(), 3u);
    EXPECT_EQ(PausasEntreTentativas().size(), 2u);
  }
}

TEST_F(ComandosTest, AbsentDeviceCostsNTentChecksAndPausesBetweenThem) {
  Reinicia("N_TENT=3\nTMP_TENT=6\nDEBUG=true\n", false);
  EXPECT_EQ(ConsultarSAT(9), Ocupado("000009", "08098", false));
  EXPECT_EQ(PausasEntreTentativas(), (std::vector<int64_t>{6000, 6000}));
  EXPECT_EQ(LogDaChamada({"ConsultarSAT", "Resposta de"}),
            (std::vector<std::string>{"ConsultarSAT[1]: 000009", "ConsultarSAT[2]: 000009", "ConsultarSAT[3]: 000009",
                                      "Resposta de ConsultarSAT: " + Ocupado("000009", "08098", false)}));
}

TEST_F(ComandosTest, SetDriverChangesTheAttemptsOfTheNextCall) {
  dispositivo.DefineRoteiro([](const std::string &) { return std::optional<std::string>("000009|08098|x"); });
  EXPECT_STREQ(ConsultarSAT(9), "000009|08098|x");  // N_TENT 1: one exchange, no pause
  EXPECT_EQ(dispositivo.Requests().size(), 1u);
  EXPECT_TRUE(PausasEntreTentativas().empty());
  SetDriver("N_TENT", "2");
  SetDriver("TMP_TENT", "4");
  ConsultarSAT(9);
  EXPECT_EQ(dispositivo.Requests().size(), 3u);
  EXPECT_EQ(PausasEntreTentativas(), (std::vector<int64_t>{4000}));
}

TEST_F(ComandosTest, FunctionsThatDoNotRepeatReturnABusyDeviceReplyAtOnce) {
  Reinicia("N_TENT=3\n");
  dispositivo.DefineRespostas({"000042|04098|busy"});
  EXPECT_STREQ(AtivarSAT(42, 1, "C", "N", 35), "000042|04098|busy");
  EXPECT_EQ(dispositivo.Requests().size(), 1u);
}

TEST_F(ComandosTest, ReplyWithoutSeparatorHasAnEmptyReturnCode) {
  Reinicia("DEBUG=true\n");
  dispositivo.DefineRespostas({"garbage"});
  EXPECT_STREQ(ConsultarNumeroSessao(1, "C", 1), "garbage");
  EXPECT_EQ(LogDaChamada({"ConsultarNumeroSessao"}),
            (std::vector<std::string>{"ConsultarNumeroSessao[1]: 000001|C|000001", "ConsultarNumeroSessao -> CodRet: "}));
}

TEST_F(ComandosTest, LogLinesOfACall) {
  Reinicia("DEBUG=true\n");
  AtivarSAT(42, 1, "C", "N", 35);
  ExtrairLogs(5, "C");
  ConsultarSAT(42);
  ConsultarUltimaSessaoFiscal(42, "C");
  const std::vector<std::string> esperado = {
      "AtivarSAT: 000042|1|C|N|35",
      "Resposta de AtivarSAT: 000042|04000|ok",
      "ExtrairLogs: 000005|C",
      "Resposta de ExtrairLogs: 000005|15000|ok",
      "ConsultarSAT[1]: 000042",
      "ConsultarSAT -> CodRet: 08000",
      "Resposta de ConsultarSAT: 000042|08000|ok",
      "ConsultarUltimaSessaoFiscalSessao[1]: 000042|C",
      "ConsultarUltimaSessaoFiscal -> CodRet: 19000",
      "Resposta de ConsultarUltimaSessaoFiscal: 000042|19000|ok",
  };
  EXPECT_EQ(LogDaChamada({"AtivarSAT", "ExtrairLogs", "ConsultarSAT", "ConsultarUltima", "Resposta de"}), esperado);
  // Each line: date, time, ": ", message, CR LF; the link's lines come between the call and the reply.
  std::string texto = LeArquivo(pasta / "cfe.log");
  EXPECT_TRUE(std::regex_search(texto, std::regex(R"(^\d\d/\d\d/\d{4} \d\d:\d\d:\d\d: AtivarSAT: 000042\|1\|C\|N\|35\r\n)")));
  auto log = Log();
  EXPECT_GT(log.size(), esperado.size());
}

TEST_F(ComandosTest, BusyQueryLogsItsLinesAndCertificateRepeatsItsCallLineWhenAbsent) {
  Reinicia("DEBUG=true\n");
  dispositivo.DefineRespostas({"000003|10098|busy"});
  ConsultarStatusOperacional(3, "C");
  EXPECT_EQ(LogDaChamada({"ConsultarStatusOperacional", "Resposta de"}),
            (std::vector<std::string>{"ConsultarStatusOperacional[1]: 000003|C",
                                      "ConsultarStatusOperacional -> CodRet: 10098",
                                      "ConsultarStatusOperacional: possivel processo de atualizacao",
                                      "Resposta de ConsultarStatusOperacional: 000003|10098|busy"}));
  Reinicia("DEBUG=true\n", false);
  ComunicarCertificadoICPBRASIL(3, "C", "CERT");
  EXPECT_EQ(LogDaChamada({"ComunicarCertificadoICPBRASIL", "Resposta de"}),
            (std::vector<std::string>{"ComunicarCertificadoICPBRASIL: 000003|C|CERT",
                                      "ComunicarCertificadoICPBRASIL: 000003|C|CERT",
                                      "Resposta de ComunicarCertificadoICPBRASIL: " + Ocupado("000003", "05098", false)}));
}

TEST_F(ComandosTest, NothingIsLoggedWhileDebugIsOff) {
  for (const auto &f : Familia()) f.chama(1);
  EXPECT_FALSE(std::filesystem::exists(pasta / "cfe.log"));
}

// ---- sale and cancellation: the first transmission -----------------------------------

TEST_F(ComandosTest, SaleFirstTransmissionOutcomes) {
  const std::string E1 = "EnviarDadosVenda[1]: 000042|C|<CFe/>";
  const std::string ocupado = Ocupado("000042", "06098", true);
  const std::string semSessao = "000042|11003|Sessão não existe";
  struct Caso {
    const char *nome;
    bool dispositivo;
    std::vector<std::optional<std::string>> respostas;
    std::string resultado;
    std::vector<std::string> log;
  } casos[] = {
      {"absent", false, {}, ocupado,
       {E1, "(***)EnviarDadosVendas -> Tentativa: 1 falhou", "Resposta de EnviarDadosVenda[2]: " + ocupado}},
      // The sale went out and its fate is unknown: the device is asked before the busy reply.
      {"no reply", true, {std::nullopt, semSessao}, ocupado,
       {E1, "(**)EnviarDadosVendas -> Tentativa: 1 falhou",
        "(*)EnviarDadosVenda: destino do cupom incerto; consulta final da sessao 000042",
        "(*)ConsultarNumeroSessao(final): 000042|C|000042",
        "(*)Retorno de EnviarDadosVenda|ConsultarNumeroSessao(final): " + semSessao,
        "(*)EnviarDadosVenda: SAT nao tem cupom da sessao 000042; reenvio seguro",
        "Resposta de EnviarDadosVenda[2]: " + ocupado}},
      {"reply", true, {"000042|06000|0000|Emitido"}, "000042|06000|0000|Emitido",
       {E1, "(*)Retorno de EnviarDadosVenda[1]: 000042|06000|0000|Emitido", "EnviarDadosVenda[1] -> CodRet: 06000",
        "Resposta de EnviarDadosVenda[1]: 000042|06000|0000|Emitido"}},
      {"busy", true, {"000042|06098|0000|busy"}, "000042|06098|0000|busy",
       {E1, "(*)Retorno de EnviarDadosVenda[1]: 000042|06098|0000|busy", "EnviarDadosVenda[1] -> CodRet: 06098",
        "EnviarDadosVendas[1}: possivel processo de atualizacao",
        "Resposta de EnviarDadosVenda[2]: 000042|06098|0000|busy"}},
  };
  for (const auto &c : casos) {
    SCOPED_TRACE(c.nome);
    Reinicia("DEBUG=true\n", c.dispositivo);
    if (c.dispositivo) RelogioNormal(); else RelogioSemResposta();  // the missing reply waits 1.8 s
    dispositivo.DefineRespostas(c.respostas);
    EXPECT_EQ(EnviarDadosVenda(42, "C", "<CFe/>"), c.resultado);
    EXPECT_EQ(LogDaChamada({"EnviarDadosVenda", "(*", "Resposta de"}), c.log);
  }
}

TEST_F(ComandosTest, CancellationFirstTransmissionAndReplyEdit) {
  const std::string onze = "000042|07000|c|d|e|f|g|h|i|j|k";
  const std::string ocupado = Ocupado("000042", "07098", true);
  const std::string C1 = "CancelarUltimaVenda[1]: 000042|C|K|D";
  struct Caso {
    const char *nome;
    bool dispositivo;
    std::optional<std::string> resposta;
    std::string resultado;
    std::vector<std::string> log;
  } casos[] = {
      {"absent", false, {}, ocupado, {C1, "Resposta de CancelarUltimaVenda[2]: " + ocupado}},
      {"no reply", true, std::nullopt, ocupado, {C1, "Resposta de CancelarUltimaVenda[2]: " + ocupado}},
      {"eleven fields gain one", true, onze, "000042|07000|c|d|e|f|g|h|i|j||k",
       {C1, "CancelarUltimaVenda -> CodRet: 07000", "Resposta de CancelarUltimaVenda[1]: 000042|07000|c|d|e|f|g|h|i|j||k"}},
      {"busy", true, "000042|07098|x", "000042|07098|x",
       {C1, "CancelarUltimaVenda -> CodRet: 07098", "CancelarUltimaVenda: possivel processo de atualizacao",
        "Resposta de CancelarUltimaVenda[2]: 000042|07098|x"}},
  };
  for (const auto &c : casos) {
    SCOPED_TRACE(c.nome);
    Reinicia("DEBUG=true\n", c.dispositivo);
    if (c.resposta) RelogioNormal(); else RelogioSemResposta();
    dispositivo.DefineRespostas({c.resposta});
    EXPECT_EQ(CancelarUltimaVenda(42, "C", "K", "D"), c.resultado);
    EXPECT_EQ(LogDaChamada({"CancelarUltimaVenda", "Resposta de"}), c.log);
  }
}

TEST(EditaRespostaCancelamento, OnlyASuccessfulReplyOfElevenFieldsChanges) {
  using cfe::EditaRespostaCancelamento;
  EXPECT_EQ(EditaRespostaCancelamento("a|07000|c|d|e|f|g|h|i|j|k"), "a|07000|c|d|e|f|g|h|i|j||k");
  EXPECT_EQ(EditaRespostaCancelamento("a|07000|c|d|e|f|g|h|i|j|k\r\n"), "a|07000|c|d|e|f|g|h|i|j||k");
  EXPECT_EQ(EditaRespostaCancelamento("a|07000|c\r\nd|e|f|g|h|i|j|k"), "a|07000|c|d|e|f|g|h|i|j||k");
  EXPECT_EQ(EditaRespostaCancelamento("a|07000|c|d|e|f|g|h|i|j|k|l"), "a|07000|c|d|e|f|g|h|i|j|k|l");
  EXPECT_EQ(EditaRespostaCancelamento("a|07000|c|d|e|f|g|h|i|j"), "a|07000|c|d|e|f|g|h|i|j");
  EXPECT_EQ(EditaRespostaCancelamento("a|07001|c|d|e|f|g|h|i|j|k"), "a|07001|c|d|e|f|g|h|i|j|k");
  EXPECT_EQ(EditaRespostaCancelamento("no separator"), "no separator");
  EXPECT_EQ(EditaRespostaCancelamento(""), "");
}

// The two look-ups hand back a session's stored reply: a successful cancellation
// of eleven fields comes back mended as CancelarUltimaVenda returns it; every
// other reply as the device sent it.
TEST_F(ComandosTest, TheSessionLookUpsMendAStoredElevenFieldCancellation) {
  const std::string onze = "000042|07000|Cancelado|0000|0000|CFe351|20240101|AAA|BBB|CCC|DDD";
  const std::string doze = "000042|07000|Cancelado|0000|0000|CFe351|20240101|AAA|BBB|CCC|EEE|DDD";
  const std::string venda = "000042|06000|0000|Emitido|||CFe351|20240101|AAA|BBB|CCC|DDD";
  struct Caso {
    const char *nome;
    std::string armazenada, esperada;
  };
  const Caso casos[] = {
      {"eleven fields", onze, "000042|07000|Cancelado|0000|0000|CFe351|20240101|AAA|BBB|CCC||DDD"},
      {"twelve fields", doze, doze},
      {"a sale", venda, venda},
  };
  for (const auto &c : casos) {
    SCOPED_TRACE(c.nome);
    dispositivo.DefineRoteiro([&](const std::string &) { return std::optional<std::string>(c.armazenada); });
    EXPECT_EQ(std::string(ConsultarNumeroSessao(50, "C", 42)), c.esperada);
    EXPECT_EQ(std::string(ConsultarUltimaSessaoFiscal(50, "C")), c.esperada);
    // The same text as the cancellation itself returns for that reply.
    if (c.armazenada.substr(7, 2) == "07") {
      EXPECT_EQ(std::string(CancelarUltimaVenda(42, "C", "K", "D")), c.esperada);
    }
  }
}

// ---- arguments, pointers, the lock ------------------------------------------------------

TEST_F(ComandosTest, MegabyteArgumentsGoOutWholeAndComeBack) {
  cfe::DefineRelogioTeste({100, nullptr});  // 18 s for megabytes both ways, even under sanitizers
  std::string grande(3 * 1024 * 1024, 'x');
  grande[0] = '<';
  grande.back() = '>';
  dispositivo.DefineRoteiro([](const std::string &r) { return std::optional<std::string>("000001|09000|" + r); });
  std::string resposta = TesteFimAFim(1, "C", grande.c_str());
  EXPECT_TRUE(resposta == "000001|09000||06|000001|C|" + grande) << resposta.substr(0, 80);
  dispositivo.Limpa();
  dispositivo.DefineRoteiro(DispositivoFalso::Padrao);
  EXPECT_STREQ(EnviarDadosVenda(1, grande.c_str(), grande.c_str()), "000001|06000|ok");
  ASSERT_EQ(dispositivo.Requests().size(), 1u);
  EXPECT_TRUE(dispositivo.Requests()[0] == Quadro("|03|000001|" + grande + "|" + grande));
}

TEST_F(ComandosTest, SetDriverReplyOutlivesASatCall) {
  const char *versao = SetDriver("VERSAO", "");
  const char *consulta = ConsultarSAT(1);
  EXPECT_STREQ(versao, "3.0.0.4");
  EXPECT_STREQ(consulta, "000001|08000|ok");
}

TEST_F(ComandosTest, EveryCallFreesTheLockEvenWithLockingOff) {
  SetDriver("LOCK", "false");
  cfe::G().LockFlag = true;  // left set by someone else
  ConsultarSAT(1);
  EXPECT_FALSE(cfe::G().LockFlag);
  SetDriver("LOCK", "true");
  BloquearSAT(1, "C");
  EXPECT_FALSE(cfe::G().LockFlag);
}

}  // namespace

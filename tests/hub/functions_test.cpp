// Every SAT function through the API against the emulator: the request that reaches the device
// (session of the till, activation code of the configuration, the fields in order) and the
// reply the till gets back.
#include <gtest/gtest.h>

#include "hub_process.h"

using namespace hubtest;
using nlohmann::json;

namespace {

struct Case {
  const char *path;
  const char *name;
  json fields;
  std::string expectedFrame;  // after "|CC|session|"; the frame's "|" + ETX left out
  const char *code;           // two-digit command code
  const char *returnCode;     // what the emulator answers
  int replySession = 0;       // the session the reply names, when not the call's own
};

std::string Session(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%06d", n);
  return text;
}

class EveryFunction : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device.Start());
    ASSERT_TRUE(hub.Start()) << hub.LogText();
  }
  satemu::SatEmulator device;
  TempFolder folder;
  HubProcess hub{device, folder};
};

TEST_F(EveryFunction, EachFunctionReachesTheDeviceWithTheTillsSessionAndTheConfiguredCode) {
  const std::string cfe = "<CFe><infCFe versaoDadosEnt=\"0.08\"><ide><CNPJ>16716114000172</CNPJ></ide></infCFe></CFe>";
  const std::string conf = "<?xml version=\"1.0\"?><config><tipoInter>ETHE</tipoInter><tipoLan>DHCP</tipoLan></config>";
  const std::vector<Case> cases = {
      {"consultarsat", "ConsultarSAT", json::object(), "", "05", "08000"},
      {"ativarsat", "AtivarSAT", {{"tipo_certificado", 1}, {"cnpj", "16716114000172"}, {"codigo_uf", 35}},
       "1|12345678|16716114000172|35", "01", "04003"},
      {"comunicarcertificadoicpbrasil", "ComunicarCertificadoICPBRASIL", {{"certificado", "MIIC"}}, "12345678|MIIC",
       "02", "05000"},
      {"enviardadosvenda", "EnviarDadosVenda", {{"dados_venda", cfe}}, "12345678|" + cfe, "03", "06000"},
      {"cancelarultimavenda", "CancelarUltimaVenda",
       {{"chave_cfe", "CFe35261211111111111111599000040190000011126480"}, {"dados_cancelamento", "<CFeCanc/>"}},
       "12345678|CFe35261211111111111111599000040190000011126480|<CFeCanc/>", "04", "07000"},
      {"testefimafim", "TesteFimAFim", {{"dados_venda", cfe}}, "12345678|" + cfe, "06", "09000"},
      {"consultarstatusoperacional", "ConsultarStatusOperacional", json::object(), "12345678", "07", "10000"},
      {"consultarnumerosessao", "ConsultarNumeroSessao", {{"numero_sessao", 7004}}, "12345678|007004", "08", "06000",
       7004},  // the stored reply of the sale
      {"configurarinterfacederede", "ConfigurarInterfaceDeRede", {{"configuracao", conf}}, "12345678|" + conf, "09",
       "12000"},
      {"associarassinatura", "AssociarAssinatura",
       {{"sequencia_cnpj", "1671611400017216716114000172"}, {"assinatura_ac", "SGVsbG8="}},
       "12345678|1671611400017216716114000172|SGVsbG8=", "10", "13000"},
      {"atualizarsoftwaresat", "AtualizarSoftwareSAT", json::object(), "12345678", "11", "14000"},
      {"extrairlogs", "ExtrairLogs", json::object(), "12345678|3.0.0.4", "12", "15000"},
      {"bloquearsat", "BloquearSAT", json::object(), "12345678", "13", "16000"},
      {"desbloquearsat", "DesbloquearSAT", json::object(), "12345678", "14", "17000"},
      {"trocarcodigodeativacao", "TrocarCodigoDeAtivacao", {{"novo_codigo_ativacao", "87654321x"}, {"opcao", 1}},
       "12345678|1|87654321x|87654321x", "15", "18000"},
      {"consultarultimasessaofiscal", "ConsultarUltimaSessaoFiscal", json::object(), "87654321x", "20", "07000", 7005},  // the cancellation's reply
  };
  int step = 0;
  for (const auto &c : cases) {
    SCOPED_TRACE(c.path);
    ++step;
    const int session = 7000 + step;
    json body = c.fields;
    body["numero_caixa"] = 7;
    device.ClearRequests();
    const Reply r = hub.PostJson(c.path, body);
    ASSERT_EQ(r.status, 200) << r.text;
    EXPECT_EQ(r.body["funcao"], c.name);
    EXPECT_EQ(r.body["numero_caixa"], 7);
    EXPECT_EQ(r.body["numero_sessao"], session);
    const auto requests = device.Requests();
    ASSERT_EQ(requests.size(), 1u);
    std::string expected = "|" + std::string(c.code) + "|" + Session(session);
    if (!c.expectedFrame.empty()) expected += "|" + c.expectedFrame;
    EXPECT_EQ(requests[0], expected + "|\x03");
    const std::string retorno = r.body["retorno"];
    EXPECT_EQ(retorno.substr(0, 7), Session(c.replySession ? c.replySession : session) + "|");
    EXPECT_EQ(retorno.substr(7, 5), c.returnCode) << retorno;
  }
}

TEST_F(EveryFunction, FormEncodedBodiesAreReadLikeJson) {
  const Reply r = hub.PostForm("enviardadosvenda", "numero_caixa=12&dados_venda=%3CCFe%3Ea+b%26c%3C%2FCFe%3E");
  ASSERT_EQ(r.status, 200) << r.text;
  EXPECT_EQ(r.body["numero_sessao"], 12001);
  ASSERT_EQ(device.Requests().size(), 1u);
  EXPECT_EQ(device.Requests()[0], "|03|012001|12345678|<CFe>a b&c</CFe>|\x03");
  EXPECT_EQ(std::string(r.body["retorno"]).substr(0, 13), "012001|06000|");
}

TEST_F(EveryFunction, IntegerFieldsMayComeAsTextInJson) {
  const Reply r = hub.PostJson("consultarsat", {{"numero_caixa", "5"}});
  ASSERT_EQ(r.status, 200) << r.text;
  EXPECT_EQ(r.body["numero_caixa"], 5);
}

TEST_F(EveryFunction, ASuccessfulCodeChangeIsUsedAndKeptAcrossARestart) {
  Reply r = hub.PostJson("trocarcodigodeativacao", {{"numero_caixa", 1}, {"novo_codigo_ativacao", "novocodigo1"}, {"opcao", 1}});
  ASSERT_EQ(r.status, 200) << r.text;
  ASSERT_EQ(std::string(r.body["retorno"]).substr(7, 5), "18000");
  ASSERT_EQ(hub.Stop(), 0);
  ASSERT_TRUE(hub.Start()) << hub.LogText();
  device.ClearRequests();
  r = hub.PostJson("consultarstatusoperacional", {{"numero_caixa", 1}});
  EXPECT_EQ(std::string(r.body["retorno"]).substr(7, 5), "10000") << r.text;
  ASSERT_EQ(device.Requests().size(), 1u);
  EXPECT_EQ(device.Requests()[0], "|07|001002|novocodigo1|\x03");
}

TEST_F(EveryFunction, ARefusedCodeChangeKeepsTheCodeInForce) {
  // opcao 2 is authorised by the emergency code, which the request carries; a wrong one is refused.
  Reply r = hub.PostJson("trocarcodigodeativacao", {{"numero_caixa", 1},
                                                    {"novo_codigo_ativacao", "novocodigo1"},
                                                    {"opcao", 2},
                                                    {"codigo_emergencia", "errado"}});
  ASSERT_EQ(r.status, 200) << r.text;
  EXPECT_EQ(std::string(r.body["retorno"]).substr(7, 5), "18002");
  EXPECT_EQ(device.Requests().back(), "|15|001001|errado|2|novocodigo1|novocodigo1|\x03");
  r = hub.PostJson("consultarstatusoperacional", {{"numero_caixa", 1}});
  EXPECT_EQ(device.Requests().back(), "|07|001002|12345678|\x03");
  // With the right emergency code the change goes through.
  r = hub.PostJson("trocarcodigodeativacao", {{"numero_caixa", 1},
                                              {"novo_codigo_ativacao", "novocodigo2"},
                                              {"opcao", 2},
                                              {"codigo_emergencia", "87654321"}});
  EXPECT_EQ(std::string(r.body["retorno"]).substr(7, 5), "18000") << r.text;
  hub.PostJson("consultarsat", {{"numero_caixa", 1}});
  r = hub.PostJson("bloquearsat", {{"numero_caixa", 1}});
  EXPECT_EQ(device.Requests().back(), "|13|001005|novocodigo2|\x03");
}

}  // namespace

namespace {

TEST(Program, HelpAndWrongArguments) {
  std::string out;
  EXPECT_EQ(RunHubToEnd({"--help"}, &out), 0);
  EXPECT_NE(out.find("POST /hub/v1/<function>"), std::string::npos) << out;
  EXPECT_EQ(RunHubToEnd({"--porta", "http"}, &out), 2);
  EXPECT_NE(out.find("--porta needs a port number"), std::string::npos) << out;
  EXPECT_EQ(RunHubToEnd({"--nada"}, &out), 2);
  EXPECT_EQ(RunHubToEnd({"--config", "/nao/existe.json"}, &out), 1);
  EXPECT_NE(out.find("/nao/existe.json não existe"), std::string::npos) << out;
}

}  // namespace

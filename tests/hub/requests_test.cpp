// What the hub does with the body of a request: every bad input answered with a JSON error that
// names the field, nothing sent to the device; texts converted between UTF-8 and ISO-8859-1 in
// both directions; session numbers per till, kept across a restart.
#include <gtest/gtest.h>

#include "hub_process.h"

using namespace hubtest;
using nlohmann::json;

namespace {

class Requests : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device.Start());
    ASSERT_TRUE(hub.Start()) << hub.LogText();
  }
  satemu::SatEmulator device;
  TempFolder folder;
  HubProcess hub{device, folder, {{"limite_corpo_bytes", 4096}}};
};

struct BadCase {
  const char *what;
  std::string path;
  std::string body;
  std::string contentType;
  int status;
  std::string field;  // named in "campo", or empty for none
};

TEST_F(Requests, BadInputGetsAClearErrorAndNothingReachesTheDevice) {
  const std::string json_ = "application/json";
  const std::string form = "application/x-www-form-urlencoded";
  const std::vector<BadCase> cases = {
      {"unknown function", "consultarsatt", R"({"numero_caixa":1})", json_, 404, ""},
      {"function in upper case", "ConsultarSAT", R"({"numero_caixa":1})", json_, 404, ""},
      {"no till", "consultarsat", R"({})", json_, 400, "numero_caixa"},
      {"till above 999", "consultarsat", R"({"numero_caixa":1000})", json_, 400, "numero_caixa"},
      {"negative till", "consultarsat", "numero_caixa=-1", form, 400, "numero_caixa"},
      {"till not a number", "consultarsat", "numero_caixa=um", form, 400, "numero_caixa"},
      {"till a fraction", "consultarsat", R"({"numero_caixa":1.5})", json_, 400, "numero_caixa"},
      {"till given twice", "consultarsat", "numero_caixa=1&numero_caixa=2", form, 400, "numero_caixa"},
      {"till empty", "consultarsat", "numero_caixa=", form, 400, "numero_caixa"},
      {"missing sale", "enviardadosvenda", R"({"numero_caixa":1})", json_, 400, "dados_venda"},
      {"sale not a text", "enviardadosvenda", R"({"numero_caixa":1,"dados_venda":12})", json_, 400, "dados_venda"},
      {"sale null", "enviardadosvenda", R"({"numero_caixa":1,"dados_venda":null})", json_, 400, "dados_venda"},
      {"missing key", "cancelarultimavenda", R"({"numero_caixa":1,"dados_cancelamento":"<x/>"})", json_, 400,
       "chave_cfe"},
      {"certificate type out of range", "ativarsat",
       R"({"numero_caixa":1,"tipo_certificado":9,"cnpj":"16716114000172","codigo_uf":35})", json_, 400,
       "tipo_certificado"},
      {"state code not a number", "ativarsat",
       R"({"numero_caixa":1,"tipo_certificado":1,"cnpj":"16716114000172","codigo_uf":"SP"})", json_, 400, "codigo_uf"},
      {"session of another till", "consultarnumerosessao", R"({"numero_caixa":1,"numero_sessao":2001})", json_, 400,
       "numero_sessao"},
      {"session zero", "consultarnumerosessao", R"({"numero_caixa":0,"numero_sessao":0})", json_, 400,
       "numero_sessao"},
      {"option 3", "trocarcodigodeativacao", R"({"numero_caixa":1,"novo_codigo_ativacao":"abcdefgh","opcao":3})",
       json_, 400, "opcao"},
      {"emergency option without the emergency code", "trocarcodigodeativacao",
       R"({"numero_caixa":1,"novo_codigo_ativacao":"abcdefgh","opcao":2})", json_, 400, "codigo_emergencia"},
      {"character beyond ISO-8859-1", "enviardadosvenda", R"({"numero_caixa":1,"dados_venda":"<CFe>€</CFe>"})", json_,
       400, "dados_venda"},
      {"invalid UTF-8 in a form", "enviardadosvenda", "numero_caixa=1&dados_venda=%C3%28", form, 400, "dados_venda"},
      {"NUL inside a text", "enviardadosvenda", R"({"numero_caixa":1,"dados_venda":"<CFe>\u0000</CFe>"})", json_, 400,
       "dados_venda"},
      {"ETX inside a text", "enviardadosvenda", "numero_caixa=1&dados_venda=a%03b", form, 400, "dados_venda"},
      {"body not JSON", "consultarsat", R"({"numero_caixa":)", json_, 400, ""},
      {"JSON not an object", "consultarsat", R"([1])", json_, 400, ""},
      {"other content type", "consultarsat", "numero_caixa=1", "text/plain", 415, ""},
      {"body over the limit", "enviardadosvenda",
       R"({"numero_caixa":1,"dados_venda":")" + std::string(5000, 'x') + "\"}", json_, 413, ""},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    const Reply r = hub.Post("/hub/v1/" + c.path, c.body, c.contentType);
    EXPECT_EQ(r.status, c.status) << r.text;
    ASSERT_TRUE(r.body.is_object()) << r.text;
    EXPECT_TRUE(r.body.contains("erro")) << r.text;
    EXPECT_EQ(r.body.value("campo", ""), c.field) << r.text;
  }
  EXPECT_TRUE(device.Requests().empty());
  // A refused request takes no session number: the next good one gets the till's first.
  const Reply r = hub.PostJson("consultarsat", {{"numero_caixa", 1}});
  EXPECT_EQ(r.body["numero_sessao"], 1001) << r.text;
}

TEST_F(Requests, TheErrorNamesTheCharacterThatHasNoISO88591Form) {
  const Reply r = hub.PostJson("enviardadosvenda", {{"numero_caixa", 1}, {"dados_venda", "<CFe>preço 5 €</CFe>"}});
  ASSERT_EQ(r.status, 400);
  const std::string message = r.body["erro"];
  EXPECT_NE(message.find("\"€\""), std::string::npos) << message;
  EXPECT_NE(message.find("U+20AC"), std::string::npos) << message;
  EXPECT_NE(message.find("posição 14"), std::string::npos) << message;
}

TEST_F(Requests, TextsGoToTheDeviceInISO88591AndRepliesComeBackInUTF8) {
  Reply r = hub.PostJson("enviardadosvenda", {{"numero_caixa", 2}, {"dados_venda", "<CFe><xProd>Pão de açúcar ÿ</xProd></CFe>"}});
  ASSERT_EQ(r.status, 200) << r.text;
  ASSERT_EQ(device.Requests().size(), 1u);
  EXPECT_EQ(device.Requests()[0], "|03|002001|12345678|<CFe><xProd>P\xe3o de a\xe7\xfa" "car \xff</xProd></CFe>|\x03");
  // A reply in ISO-8859-1, as the library hands it over, reaches the till in UTF-8.
  device.StoreReply(2001, "002001|06000|0000|Emitido com sucesso + conte\xfa" "do notas.|||");
  r = hub.PostJson("consultarnumerosessao", {{"numero_caixa", 2}, {"numero_sessao", 2001}});
  ASSERT_EQ(r.status, 200) << r.text;
  EXPECT_EQ(r.body["retorno"], "002001|06000|0000|Emitido com sucesso + conteúdo notas.|||");
  // A device that already answers in UTF-8 (the emulator's own messages) is not converted twice.
  r = hub.PostJson("consultarsat", {{"numero_caixa", 2}});
  EXPECT_EQ(r.body["retorno"], "002003|08000|SAT em operação||");
}

TEST_F(Requests, EachTillHasItsOwnSessionNumbersAndARestartGoesOnWhereItStopped) {
  std::vector<int> seen;
  for (int till : {0, 5, 0, 999, 5, 0}) {
    const Reply r = hub.PostJson("consultarsat", {{"numero_caixa", till}});
    ASSERT_EQ(r.status, 200) << r.text;
    seen.push_back(r.body["numero_sessao"]);
  }
  EXPECT_EQ(seen, (std::vector<int>{1, 5001, 2, 999001, 5002, 3}));
  ASSERT_EQ(hub.Stop(), 0);
  ASSERT_TRUE(hub.Start()) << hub.LogText();
  Reply r = hub.PostJson("consultarsat", {{"numero_caixa", 5}});
  EXPECT_EQ(r.body["numero_sessao"], 5003);
  r = hub.PostJson("consultarsat", {{"numero_caixa", 0}});
  EXPECT_EQ(r.body["numero_sessao"], 4);
  EXPECT_EQ(r.body["retorno"], "000004|08000|SAT em operação||");
}

TEST_F(Requests, ASessionRangeWrapsAfter999CallsAndNeverTouchesTheNextTill) {
  // The stored counter of till 3 at its last number: the next call wraps to its first.
  ASSERT_EQ(hub.Stop(), 0);
  {
    std::ofstream(folder / "estado" / "sessoes.json") << R"({"caixas":{"3":999},"hub":0})";
  }
  ASSERT_TRUE(hub.Start()) << hub.LogText();
  Reply r = hub.PostJson("consultarsat", {{"numero_caixa", 3}});
  EXPECT_EQ(r.body["numero_sessao"], 3001) << r.text;
}

TEST_F(Requests, ACorruptCounterFileStopsTheStartInsteadOfReusingNumbers) {
  ASSERT_EQ(hub.Stop(), 0);
  {
    std::ofstream(folder / "estado" / "sessoes.json") << R"({"caixas":{"3":)";
  }
  EXPECT_FALSE(hub.Start());
  EXPECT_NE(hub.LogText().find("sessoes.json"), std::string::npos) << hub.LogText();
}

TEST_F(Requests, ASecondServiceOnTheSameStateFolderRefusesToStart) {
  HubProcess second(device, folder);
  EXPECT_FALSE(second.Start());
  EXPECT_NE(second.LogText().find("outro cfehub já usa a pasta de estado"), std::string::npos) << second.LogText();
  EXPECT_EQ(hub.PostJson("consultarsat", {{"numero_caixa", 1}}).body["numero_sessao"], 1001);
}

}  // namespace

// Who may call: tokens per till, tills admitted by address, this machine only by default, and
// the configuration that would open the network without any rule refused at start.
#include <gtest/gtest.h>

#include "hub_process.h"

using namespace hubtest;
using nlohmann::json;

namespace {

class Access : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device.Start());
    ASSERT_TRUE(hub.Start()) << hub.LogText();
  }
  satemu::SatEmulator device;
  TempFolder folder;
  HubProcess hub{device, folder,
                 {{"caixas",
                   {{{"numero_caixa", 1}, {"token", "segredo-do-caixa-1"}},
                    {{"numero_caixa", 2}, {"token", "segredo-do-caixa-2"}},
                    {{"numero_caixa", 3}, {"enderecos", {"127.0.0.1"}}}}}}};
};

struct AccessCase {
  const char *what;
  int till;
  std::string token;
  int status;
};

TEST_F(Access, TokensAndAddressesAdmitATillOnlyAsItself) {
  const std::vector<AccessCase> cases = {
      {"till 1 with its token", 1, "segredo-do-caixa-1", 200},
      {"till 2 with its token", 2, "segredo-do-caixa-2", 200},
      {"till 1 with the token of till 2", 1, "segredo-do-caixa-2", 403},
      {"unknown token", 1, "segredo-do-caixa-9", 401},
      {"token cut short", 1, "segredo-do-caixa-", 401},
      {"till 3 from its address without a token", 3, "", 200},
      {"till 4 from the address of till 3", 4, "", 403},
      {"till 1 from the address of till 3 without its token", 1, "", 403},
      {"a token of a till for till 3", 3, "segredo-do-caixa-1", 403},
  };
  int allowed = 0;
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    const size_t before = device.Requests().size();
    const Reply r = hub.PostJson("consultarsat", {{"numero_caixa", c.till}}, c.token);
    EXPECT_EQ(r.status, c.status) << r.text;
    ASSERT_TRUE(r.body.is_object()) << r.text;
    if (c.status == 200) {
      ++allowed;
      EXPECT_EQ(device.Requests().size(), before + 1);
    } else {
      EXPECT_TRUE(r.body.contains("erro"));
      EXPECT_EQ(device.Requests().size(), before);
    }
  }
  EXPECT_EQ(allowed, 3);
}

TEST_F(Access, AnotherAuthorizationSchemeIsUnauthorized) {
  const Reply r = hub.Post("/hub/v1/consultarsat", R"({"numero_caixa":1})", "application/json");
  EXPECT_EQ(r.status, 403) << r.text;  // loopback is the address of till 3, which is not till 1
  httplib::Client client("127.0.0.1", hub.Port());
  auto res = client.Post("/hub/v1/consultarsat", {{"Authorization", "Basic c2VncmVkbw=="}}, R"({"numero_caixa":1})",
                         "application/json");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 401);
  EXPECT_EQ(res->get_header_value("WWW-Authenticate"), "Bearer realm=\"cfehub\"");
  EXPECT_TRUE(device.Requests().empty());
}

TEST_F(Access, ATillSeesOnlyItsOwnLastSessions) {
  ASSERT_EQ(hub.PostJson("enviardadosvenda", {{"numero_caixa", 1}, {"dados_venda", "<CFe/>"}}, "segredo-do-caixa-1").status,
            200);
  Reply r = hub.Get("/hub/v1/sessoes?numero_caixa=1", "segredo-do-caixa-1");
  ASSERT_EQ(r.status, 200) << r.text;
  ASSERT_EQ(r.body["sessoes"].size(), 1u);
  EXPECT_EQ(r.body["sessoes"][0]["numero_sessao"], 1001);
  EXPECT_EQ(r.body["sessoes"][0]["funcao"], "EnviarDadosVenda");
  EXPECT_EQ(r.body["sessoes"][0]["codigo_retorno"], "06000");
  EXPECT_EQ(hub.Get("/hub/v1/sessoes?numero_caixa=1", "segredo-do-caixa-2").status, 403);
  EXPECT_EQ(hub.Get("/hub/v1/sessoes?numero_caixa=1", "outro").status, 401);
}

TEST(AccessDefaults, WithoutTillsOnlyThisMachineIsServedAndTheNetworkAddressIsRefused) {
  satemu::SatEmulator device;
  ASSERT_TRUE(device.Start());
  TempFolder folder;
  {
    HubProcess local(device, folder);
    ASSERT_TRUE(local.Start()) << local.LogText();
    EXPECT_NE(local.LogText().find(R"("endereco":"127.0.0.1")"), std::string::npos) << local.LogText();
    EXPECT_EQ(local.PostJson("consultarsat", {{"numero_caixa", 1}}).status, 200);
    // A token where none is configured names no till.
    EXPECT_EQ(local.PostJson("consultarsat", {{"numero_caixa", 1}}, "qualquer").status, 401);
  }
  HubProcess open(device, folder, {{"endereco", "0.0.0.0"}});
  EXPECT_FALSE(open.Start());
  EXPECT_NE(open.LogText().find("configure caixas com token ou enderecos"), std::string::npos) << open.LogText();
}

TEST_F(Access, StatusAndMetricsAreServedToThisMachine) {
  EXPECT_EQ(hub.Get("/healthz").status, 200);
  const Reply metrics = hub.Get("/metrics");
  EXPECT_EQ(metrics.status, 200);
  EXPECT_NE(metrics.text.find("cfehub_queue_length 0"), std::string::npos) << metrics.text;
  EXPECT_EQ(hub.Get("/metrics", "errado").status, 401);
  EXPECT_EQ(hub.Get("/metrics", "segredo-do-caixa-2").status, 200);
}

}  // namespace

// Many tills, one device: requests queue for it, none waits past the configured limit (it gets
// the function's busy reply instead, and nothing reaches the device), and a till that hangs up
// loses no sale: its reply stays available through consultarnumerosessao. Also TLS.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <thread>

#include "hub_process.h"

using namespace hubtest;
using nlohmann::json;

namespace {

// Waits up to a generous time for a condition that another process brings about.
template <typename F>
bool Eventually(F condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return condition();
}

class Queue : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device.Start());
    ASSERT_TRUE(hub.Start()) << hub.LogText();
  }
  satemu::SatEmulator device;
  TempFolder folder;
  HubProcess hub{device, folder, {{"espera_maxima_ms", 300}}};
};

TEST_F(Queue, ARequestThatWaitsPastTheLimitGetsTheBusyReplyAndNeverReachesTheDevice) {
  device.InjectFault({satemu::FaultKind::LateReply, "03", 1, 3000});
  auto sale = std::async(std::launch::async, [&] {
    return hub.PostJson("enviardadosvenda", {{"numero_caixa", 1}, {"dados_venda", "<CFe/>"}});
  });
  ASSERT_TRUE(Eventually([&] { return device.Requests().size() == 1; }));
  const auto start = std::chrono::steady_clock::now();
  const Reply waiting = hub.PostJson("consultarsat", {{"numero_caixa", 2}});
  const auto waited = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(waiting.status, 200) << waiting.text;
  EXPECT_EQ(waiting.body["retorno"], "002001|08098|SAT em processamento. Tente novamente.||");
  EXPECT_LT(waited, std::chrono::milliseconds(2500));  // it did not sit out the sale
  const Reply sold = sale.get();
  EXPECT_EQ(std::string(sold.body["retorno"]).substr(0, 13), "001001|06000|") << sold.text;
  EXPECT_EQ(device.Requests().size(), 1u);
  // A sale's busy reply carries the extra field, as the library's does.
  device.InjectFault({satemu::FaultKind::LateReply, "05", 1, 3000});
  auto query = std::async(std::launch::async, [&] { return hub.PostJson("consultarsat", {{"numero_caixa", 3}}); });
  ASSERT_TRUE(Eventually([&] { return device.Requests().size() == 2; }));
  const Reply busySale = hub.PostJson("enviardadosvenda", {{"numero_caixa", 4}, {"dados_venda", "<CFe/>"}});
  EXPECT_EQ(busySale.body["retorno"], "004001|06098|0000|SAT em processamento. Tente novamente.||");
  query.get();
  EXPECT_EQ(device.SalesIssued(4001), 0);
  const std::string metrics = hub.Get("/metrics").text;
  EXPECT_NE(metrics.find("cfehub_busy_replies_total{funcao=\"consultarsat\"} 1"), std::string::npos) << metrics;
  EXPECT_NE(metrics.find("cfehub_busy_replies_total{funcao=\"enviardadosvenda\"} 1"), std::string::npos) << metrics;
}

TEST_F(Queue, ASaleWhoseTillHungUpIsIssuedOnceAndItsReplyStaysAvailable) {
  device.InjectFault({satemu::FaultKind::LateReply, "03", 1, 1500});
  {
    httplib::Client impatient("127.0.0.1", hub.Port());
    impatient.set_read_timeout(0, 300000);
    auto res = impatient.Post("/hub/v1/enviardadosvenda", R"({"numero_caixa":6,"dados_venda":"<CFe/>"})",
                              "application/json");
    EXPECT_FALSE(res);  // gave up before the device answered
  }
  // The till finds its last session in the hub's journal once the call has ended...
  ASSERT_TRUE(Eventually([&] {
    const Reply r = hub.Get("/hub/v1/sessoes?numero_caixa=6");
    return r.status == 200 && r.body["sessoes"].size() == 1;
  }));
  const Reply sessions = hub.Get("/hub/v1/sessoes?numero_caixa=6");
  EXPECT_EQ(sessions.body["sessoes"][0]["numero_sessao"], 6001);
  EXPECT_EQ(sessions.body["sessoes"][0]["codigo_retorno"], "06000");
  // ...and asks the device for it.
  const Reply r = hub.PostJson("consultarnumerosessao", {{"numero_caixa", 6}, {"numero_sessao", 6001}});
  ASSERT_EQ(r.status, 200) << r.text;
  EXPECT_EQ(std::string(r.body["retorno"]).substr(0, 13), "006001|06000|") << r.text;
  EXPECT_EQ(device.SalesIssued(6001), 1);
}

TEST(Tls, WithACertificateTheHubSpeaksOnlyTls) {
  TempFolder folder;
  const std::string key = (folder / "chave.pem").string(), cert = (folder / "certificado.pem").string();
  const std::string command = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 "
                              "-subj /CN=127.0.0.1 -keyout " + key + " -out " + cert + " >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  satemu::SatEmulator device;
  ASSERT_TRUE(device.Start());
  HubProcess hub(device, folder, {{"tls_certificado", cert}, {"tls_chave", key}});
  ASSERT_TRUE(hub.Start()) << hub.LogText();
  httplib::SSLClient tls("127.0.0.1", hub.Port());
  tls.enable_server_certificate_verification(false);
  auto res = tls.Post("/hub/v1/consultarsat", R"({"numero_caixa":1})", "application/json");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(json::parse(res->body)["retorno"], "001001|08000|SAT em operação||");
  EXPECT_EQ(hub.PostJson("consultarsat", {{"numero_caixa", 1}}).status, 0);  // plain HTTP gets nothing
  EXPECT_EQ(device.Requests().size(), 1u);
}

TEST(Tls, AKeyThatCannotBeReadStopsTheStart) {
  TempFolder folder;
  satemu::SatEmulator device;
  ASSERT_TRUE(device.Start());
  HubProcess hub(device, folder,
                 {{"tls_certificado", (folder / "nao-existe.pem").string()}, {"tls_chave", (folder / "nem.pem").string()}});
  EXPECT_FALSE(hub.Start());
  EXPECT_NE(hub.LogText().find("nao-existe.pem"), std::string::npos) << hub.LogText();
}

}  // namespace

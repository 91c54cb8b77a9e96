// The hub's parts that need no device: text conversion, request reading, access rules, session
// counters, the device queue and the configuration.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <utility>
#include <vector>

#include "access.h"
#include "config.h"
#include "device_queue.h"
#include "functions.h"
#include "latin1.h"
#include "request.h"
#include "sessions.h"

using namespace cfehub;
namespace fs = std::filesystem;

namespace {

struct Folder {
  Folder() {
    std::string pattern = (fs::temp_directory_path() / "cfehub-unit-XXXXXX").string();
    path = mkdtemp(pattern.data());
  }
  ~Folder() { fs::remove_all(path); }
  fs::path path;
};

TEST(Latin1, AccentsBecomeSingleBytesAndBack) {
  std::string problem;
  auto latin1 = Utf8ToLatin1("ação ÿ", &problem);
  ASSERT_TRUE(latin1) << problem;
  EXPECT_EQ(*latin1, "a\xe7\xe3o \xff");
  EXPECT_EQ(Latin1ToUtf8(*latin1), "ação ÿ");
}

TEST(Latin1, WhatHasNoISO88591FormIsRefusedNotReplaced) {
  struct Case {
    std::string utf8;
    std::string said;
  };
  const std::vector<Case> cases = {
      {"preço €", "\"€\" (U+20AC, posição 7)"},
      {"“aspas”", "\"“\" (U+201C, posição 1)"},
      {"emoji 😀", "(U+1F600, posição 7)"},
      {"a\xc3", "não é UTF-8 válido (byte 2)"},
      {"a\xc0\xaf", "não é UTF-8 válido"},       // overlong "/"
      {"\xed\xa0\x80", "não é UTF-8 válido"},    // a lone surrogate
      {std::string("a\0b", 3), "U+0000"},
      {"a\x03", "U+0003"},
  };
  for (const auto &c : cases) {
    std::string problem;
    EXPECT_FALSE(Utf8ToLatin1(c.utf8, &problem)) << c.utf8;
    EXPECT_NE(problem.find(c.said), std::string::npos) << problem;
  }
}

TEST(Latin1, RepliesAlreadyInUTF8StayAsTheyAre) {
  EXPECT_EQ(ReplyToUtf8("000001|08000|SAT em operação||"), "000001|08000|SAT em operação||");
  EXPECT_EQ(ReplyToUtf8("000001|08000|SAT em opera\xe7\xe3o||"), "000001|08000|SAT em operação||");
  EXPECT_EQ(ReplyToUtf8(""), "");
}

TEST(Functions, BusyRepliesAndReturnCodesAsTheLibraryGivesThem) {
  EXPECT_EQ(SatFunctions().size(), 16u);
  EXPECT_EQ(BusyReply(*FindSatFunction("consultarsat"), 42), "000042|08098|SAT em processamento. Tente novamente.||");
  EXPECT_EQ(BusyReply(*FindSatFunction("cancelarultimavenda"), 999001),
            "999001|07098|0000|SAT em processamento. Tente novamente.||");
  EXPECT_EQ(ReturnCode("000001|06000|0000|x"), "06000");
  EXPECT_EQ(ReturnCode("000001|060"), "060");
  EXPECT_EQ(ReturnCode("sem barra"), "");
  EXPECT_EQ(FindSatFunction("ConsultarSAT"), nullptr);
}

// Each function's busy code and busy reply form, as the library answers when the device is absent.
TEST(Functions, EveryFunctionHasItsBusyReply) {
  const std::vector<std::pair<const char *, const char *>> cases = {
      {"ativarsat", "04098|"},
      {"comunicarcertificadoicpbrasil", "05098|"},
      {"enviardadosvenda", "06098|0000|"},
      {"cancelarultimavenda", "07098|0000|"},
      {"consultarsat", "08098|"},
      {"testefimafim", "09098|"},
      {"consultarstatusoperacional", "10098|"},
      {"consultarnumerosessao", "11098|"},
      {"configurarinterfacederede", "12098|"},
      {"associarassinatura", "13098|"},
      {"atualizarsoftwaresat", "14098|"},
      {"extrairlogs", "15098|"},
      {"bloquearsat", "16098|"},
      {"desbloquearsat", "17098|"},
      {"trocarcodigodeativacao", "18098|"},
      {"consultarultimasessaofiscal", "19098|"},
  };
  ASSERT_EQ(cases.size(), SatFunctions().size());
  for (const auto &[path, busy] : cases) {
    const SatFunction *function = FindSatFunction(path);
    ASSERT_NE(function, nullptr) << path;
    EXPECT_EQ(BusyReply(*function, 7), std::string("000007|") + busy + "SAT em processamento. Tente novamente.||")
        << path;
  }
}

TEST(Requests, IntegerFieldsTakeDigitsOrJsonIntegersOnly) {
  const SatFunction &f = *FindSatFunction("consultarnumerosessao");
  struct Case {
    std::string body;
    bool ok;
  };
  const std::vector<Case> cases = {
      {R"({"numero_caixa":1,"numero_sessao":1001})", true},   {R"({"numero_caixa":"1","numero_sessao":"1001"})", true},
      {R"({"numero_caixa":" 1","numero_sessao":1001})", false}, {R"({"numero_caixa":1,"numero_sessao":1e3})", false},
      {R"({"numero_caixa":true,"numero_sessao":1001})", false}, {R"({"numero_caixa":99999999999,"numero_sessao":1})", false},
      {R"({"numero_caixa":"+1","numero_sessao":1001})", false},
  };
  for (const auto &c : cases) {
    auto raw = ReadBody("application/json; charset=utf-8", c.body);
    ASSERT_TRUE(std::holds_alternative<RawFields>(raw)) << c.body;
    auto parsed = ParseArguments(f, std::get<RawFields>(raw));
    EXPECT_EQ(std::holds_alternative<ParsedRequest>(parsed), c.ok) << c.body;
  }
}

TEST(Access, RulesPerTill) {
  AccessRules rules;
  rules.tills = {{1, "um", {}}, {2, "", {"192.168.0.12"}}, {3, "tres", {"192.168.0.13"}}};
  rules.monitorAddresses = {"192.168.0.50"};
  EXPECT_EQ(CheckTill(rules, "Bearer um", "192.168.0.99", 1), Verdict::Allow);
  EXPECT_EQ(CheckTill(rules, "bearer um", "192.168.0.99", 1), Verdict::Allow);
  EXPECT_EQ(CheckTill(rules, "Bearer um", "192.168.0.99", 2), Verdict::Forbidden);
  EXPECT_EQ(CheckTill(rules, "Bearer u", "192.168.0.99", 1), Verdict::Unauthorized);
  EXPECT_EQ(CheckTill(rules, "Bearer ", "192.168.0.12", 2), Verdict::Unauthorized);
  EXPECT_EQ(CheckTill(rules, "", "192.168.0.12", 2), Verdict::Allow);
  EXPECT_EQ(CheckTill(rules, "", "192.168.0.12", 3), Verdict::Forbidden);
  EXPECT_EQ(CheckTill(rules, "", "192.168.0.13", 3), Verdict::Allow);
  EXPECT_EQ(CheckTill(rules, "", "192.168.0.99", 1), Verdict::Unauthorized);
  EXPECT_EQ(CheckTill(rules, "", "127.0.0.1", 1), Verdict::Unauthorized);  // rules apply here too
  EXPECT_EQ(CheckMonitor(rules, "", "192.168.0.50"), Verdict::Allow);
  EXPECT_EQ(CheckMonitor(rules, "", "192.168.0.12"), Verdict::Allow);
  EXPECT_EQ(CheckMonitor(rules, "", "192.168.0.99"), Verdict::Unauthorized);
  EXPECT_EQ(CheckMonitor(rules, "", "::1"), Verdict::Allow);
  EXPECT_EQ(CheckMonitor(rules, "Bearer tres", "192.168.0.99"), Verdict::Allow);
  AccessRules none;
  EXPECT_EQ(CheckTill(none, "", "127.0.0.1", 5), Verdict::Allow);
  EXPECT_EQ(CheckTill(none, "", "::ffff:127.0.0.1", 5), Verdict::Allow);
  EXPECT_EQ(CheckTill(none, "", "192.168.0.12", 5), Verdict::Unauthorized);
}

TEST(Sessions, RangesPerTillWrapAndSurviveAReload) {
  Folder folder;
  std::string error;
  {
    SessionCounters counters(folder.path / "sessoes.json");
    ASSERT_TRUE(counters.Load(&error)) << error;
    EXPECT_EQ(counters.Next(0, &error), 1);
    EXPECT_EQ(counters.Next(999, &error), 999001);
    EXPECT_EQ(counters.NextOwn(&error), 1000);
    EXPECT_EQ(counters.Next(7, &error), 7001);
  }
  {
    SessionCounters again(folder.path / "sessoes.json");
    ASSERT_TRUE(again.Load(&error)) << error;
    EXPECT_EQ(again.Next(7, &error), 7002);
    EXPECT_EQ(again.Next(0, &error), 2);
    EXPECT_EQ(again.NextOwn(&error), 2000);
  }
  // Till 7 at its last number, the hub's own too: both wrap inside their ranges.
  std::ofstream(folder.path / "sessoes.json") << R"({"caixas":{"7":998,"8":5},"hub":999})";
  SessionCounters wrapped(folder.path / "sessoes.json");
  ASSERT_TRUE(wrapped.Load(&error)) << error;
  EXPECT_EQ(wrapped.Next(7, &error), 7999);
  EXPECT_EQ(wrapped.Next(7, &error), 7001);
  EXPECT_EQ(wrapped.Next(8, &error), 8006);
  EXPECT_EQ(wrapped.NextOwn(&error), 1000);
  EXPECT_TRUE(SessionCounters::BelongsToTill(7001, 7));
  EXPECT_FALSE(SessionCounters::BelongsToTill(7000, 7));
  EXPECT_FALSE(SessionCounters::BelongsToTill(8001, 7));
}

TEST(Sessions, StoredCountersOutOfRangeAreRefused) {
  Folder folder;
  for (const char *text : {R"({"caixas":{"7":1000},"hub":1})", R"({"caixas":{"1000":1},"hub":1})",
                           R"({"caixas":{},"hub":-1})", R"({"caixas":{"x":1},"hub":1})", R"([])"}) {
    std::ofstream(folder.path / "sessoes.json") << text;
    SessionCounters counters(folder.path / "sessoes.json");
    std::string error;
    EXPECT_FALSE(counters.Load(&error)) << text;
    EXPECT_NE(error.find("corrompido"), std::string::npos) << error;
  }
}

TEST(Sessions, ANumberThatCannotBeStoredIsNotHandedOut) {
  Folder folder;
  std::string error;
  SessionCounters counters(folder.path / "sessoes.json");
  ASSERT_TRUE(counters.Load(&error)) << error;
  EXPECT_EQ(counters.Next(4, &error), 4001);
  fs::create_directory(folder.path / "sessoes.json.novo");  // the temporary file cannot be made
  EXPECT_FALSE(counters.Next(4, &error));
  EXPECT_NE(error.find("sessoes.json.novo"), std::string::npos) << error;
  fs::remove(folder.path / "sessoes.json.novo");
  EXPECT_EQ(counters.Next(4, &error), 4002);  // the refused number was not used up
}

TEST(DeviceQueue, TurnsComeInOrderOfArrivalAndAWaitEnds) {
  DeviceQueue queue;
  ASSERT_TRUE(queue.Acquire(std::chrono::milliseconds(0)));
  std::vector<int> order;
  std::mutex orderMutex;
  std::vector<std::thread> waiters;
  for (int i = 0; i < 4; ++i) {
    waiters.emplace_back([&, i] {
      DeviceTurn turn(queue, std::chrono::seconds(60));
      std::lock_guard<std::mutex> g(orderMutex);
      order.push_back(i);
    });
    // the next waiter arrives only once this one is queued
    while (queue.Waiting() != size_t(i + 1)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(queue.Acquire(std::chrono::milliseconds(50)));  // a fifth gives up
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
  EXPECT_EQ(queue.Waiting(), 4u);
  queue.Release();
  for (auto &t : waiters) t.join();
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_FALSE(queue.DeviceInUse());
}

TEST(Config, DefaultsAndRefusals) {
  std::string error;
  auto config = ParseConfig(R"({"codigo_ativacao":"12345678"})", &error);
  ASSERT_TRUE(config) << error;
  EXPECT_EQ(config->address, "127.0.0.1");
  EXPECT_EQ(config->bodyLimit, 2u * 1024 * 1024);
  struct Case {
    std::string text;
    std::string said;
  };
  const std::vector<Case> cases = {
      {R"({})", "codigo_ativacao"},
      {R"({"codigo_ativacao":"1","porta_":1})", "chave desconhecida porta_"},
      {R"({"codigo_ativacao":"1","endereco":"0.0.0.0"})", "configure caixas"},
      {R"({"codigo_ativacao":"1","tls_certificado":"c.pem"})", "tls_chave"},
      {R"({"codigo_ativacao":"1","caixas":[{"numero_caixa":1}]})", "precisa de token ou enderecos"},
      {R"({"codigo_ativacao":"1","caixas":[{"numero_caixa":1000,"token":"x"}]})", "numero_caixa fora"},
      {R"({"codigo_ativacao":"1","porta":"80"})", "porta"},
      {R"({"codigo_ativacao":"€"})", "ISO-8859-1"},
  };
  for (const auto &c : cases) {
    error.clear();
    EXPECT_FALSE(ParseConfig(c.text, &error)) << c.text;
    EXPECT_NE(error.find(c.said), std::string::npos) << c.text << ": " << error;
  }
  error.clear();
  EXPECT_TRUE(ParseConfig(R"({"codigo_ativacao":"1","endereco":"0.0.0.0","caixas":[{"numero_caixa":1,"token":"x"}]})",
                          &error))
      << error;
}

}  // namespace

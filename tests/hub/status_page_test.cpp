// The status page as a browser shows it: headless Chromium from Debian loads "/" and the test
// reads the document it built (device state, queue, the last calls).
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <regex>

#include "hub_process.h"

using namespace hubtest;
using nlohmann::json;

namespace {

// The DOM after Chromium has parsed and laid out the page.
std::string DumpDom(const std::string &url, const TempFolder &folder) {
  const std::string command =
      "timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
      "--disable-background-networking --disable-component-update --disable-sync --disable-dev-shm-usage "
      "--user-data-dir=" + (folder / "perfil").string() + " --dump-dom '" + url + "' 2>" +
      (folder / "chromium.err").string();
  std::string out;
  FILE *pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
  pclose(pipe);
  return out;
}

int Count(const std::string &text, const std::regex &what) {
  return static_cast<int>(std::distance(std::sregex_iterator(text.begin(), text.end(), what), std::sregex_iterator()));
}

TEST(StatusPage, ChromiumShowsTheDeviceStateTheQueueAndTheLastCalls) {
  satemu::SatEmulator device;
  ASSERT_TRUE(device.Start());
  TempFolder folder;
  HubProcess hub(device, folder);
  ASSERT_TRUE(hub.Start()) << hub.LogText();
  ASSERT_EQ(hub.PostJson("enviardadosvenda", {{"numero_caixa", 4}, {"dados_venda", "<CFe/>"}}).status, 200);
  ASSERT_EQ(hub.PostJson("consultarsat", {{"numero_caixa", 5}}).status, 200);

  const std::string dom = DumpDom("http://127.0.0.1:" + std::to_string(hub.Port()) + "/", folder);
  ASSERT_NE(dom.find("<h1>cfehub</h1>"), std::string::npos) << dom << ReadFile(folder / "chromium.err");
  EXPECT_NE(dom.find(R"(<p id="estado" class="ok">SAT em operação — <span id="codigo">10000</span>)"), std::string::npos)
      << dom;
  EXPECT_NE(dom.find(R"(<th scope="row">Número de série</th><td>900004019</td>)"), std::string::npos) << dom;
  EXPECT_NE(dom.find(R"(<span id="aguardando">0</span>)"), std::string::npos) << dom;
  EXPECT_NE(dom.find(R"(<span id="em-uso">livre</span>)"), std::string::npos) << dom;
  // Newest first; the page's own status query is not one of the tills' calls.
  const std::regex row(R"(<tr><td>[0-9T:.Z-]+</td><td>(\w+)</td><td>(\d+)</td><td>(\d+)</td><td>(\d+)</td>)");
  std::vector<std::string> calls;
  for (auto it = std::sregex_iterator(dom.begin(), dom.end(), row); it != std::sregex_iterator(); ++it) {
    calls.push_back((*it)[1].str() + " " + (*it)[2].str() + " " + (*it)[3].str() + " " + (*it)[4].str());
  }
  EXPECT_EQ(calls, (std::vector<std::string>{"ConsultarSAT 5 5001 08000", "EnviarDadosVenda 4 4001 06000"})) << dom;
  EXPECT_EQ(Count(dom, std::regex("<script")), 0);
  // The device was asked once, with the hub's own session number.
  ASSERT_FALSE(device.Requests().empty());
  EXPECT_EQ(device.Requests().back(), "|07|001000|12345678|\x03");
}

}  // namespace

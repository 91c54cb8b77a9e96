// Each test runs in a process of its own (tests/windows/CMakeLists.txt): under
// Wine, loading the DLL again in a process that has waited on a COM port
// (WaitCommEvent) crashed now and then in the exit of one of Wine's threads.
//
// SAT.DLL as a point-of-sale program or the tool uses it: loaded by name with
// LoadLibrary, its seventeen functions bound with GetProcAddress by their plain
// names (the 32-bit build's stdcall names carry no @N) and called through the
// header's prototypes. The device's port comes from the registry walk
// (redirected to the test's own keys) and is the emulator's COM port.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <vector>
#include <thread>

#include "cfedriver.h"
#include "windows_support.h"

using namespace cfewin;

namespace {

// The table's entry points, each under its prototype's pointer type.
struct Sat {
#define CFE_PONTEIRO(nome, ...) decltype(&::nome) nome = nullptr;
  CFE_FUNCOES(CFE_PONTEIRO, CFE_PONTEIRO)
#undef CFE_PONTEIRO
};

class SatDll : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(porta.empty()) << "CFE_TEST_COM is not set: run under with-satemu.sh";
    registro.CreateKey(L"SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_0525&PID_A4A7");
    registro.Instance(L"6&2f3a1b&0&1", std::wstring(porta.begin(), porta.end()).c_str());
    registro.CreateKey(L"HARDWARE\\DEVICEMAP\\SERIALCOMM");
    registro.Present(L"\\Device\\USBSER000", std::wstring(porta.begin(), porta.end()));
    // Long time-outs: the machine running the tests may be slow.
    WriteFileBytes(pasta / "sat.ini", "[DEFAULT]\r\nDEBUG=true\r\n[TIMEOUT]\r\nT_CONSULTAR_SAT=00:30\r\n");
    SetEnv("CFEDRIVER_INI", pasta / "sat.ini");
    SetEnv("CFEDRIVER_LOG", pasta / "cfe.log");
  }
  void TearDown() override {
    if (dll) FreeLibrary(dll);
    UnsetEnv("CFEDRIVER_INI");
    UnsetEnv("CFEDRIVER_LOG");
  }

  // Loads SAT.DLL from the program's folder and binds every name; false names
  // the first one missing.
  void Carrega() {
    dll = LoadLibraryW(L"SAT.DLL");
    ASSERT_NE(dll, nullptr) << "LoadLibrary: error " << GetLastError();
#define CFE_LIGA(nome, ...)                                                           \
  sat.nome = reinterpret_cast<decltype(sat.nome)>(reinterpret_cast<void *>(GetProcAddress(dll, #nome))); \
  ASSERT_NE(sat.nome, nullptr) << #nome " is not exported under its plain name";
    CFE_FUNCOES(CFE_LIGA, CFE_LIGA)
#undef CFE_LIGA
  }

  std::string Log() const { return ReadFileBytes(pasta / "cfe.log"); }

  const std::string porta = EmulatorPort();
  TempFolder pasta;
  FakeRegistry registro;
  HMODULE dll = nullptr;
  Sat sat;
};

std::string Texto(const char *resposta) { return resposta ? resposta : "(null)"; }

size_t Vezes(const std::string &texto, const std::string &parte) {
  size_t n = 0;
  for (size_t i = texto.find(parte); i != std::string::npos; i = texto.find(parte, i + 1)) ++n;
  return n;
}

TEST_F(SatDll, EveryFunctionAnswersThroughItsPrototype) {
  Carrega();
  // Loading reads nothing: start-up waits for the first call, outside the loader lock.
  EXPECT_EQ(Log(), "");
  EXPECT_EQ(std::string(sat.ConsultarSAT(1)).substr(0, 13), "000001|08000|");
  EXPECT_NE(Log().find("Usando interface: " + porta + "\r\n"), std::string::npos) << Log();
  EXPECT_EQ(std::string(sat.SetDriver("DISCOVER", "")), porta);
  EXPECT_EQ(std::string(sat.SetDriver("SERIAL", porta.c_str())), "OK");
  EXPECT_EQ(std::string(sat.SetDriver("VERSAO", "")), CFE_VERSION);

  // Every SAT function answers with its session first, whatever the device says;
  // the two session queries answer with the session they found (the sale's
  // cancellation, 14, is the last fiscal one).
  const char *codigo = "12345678";
  struct Chamada {
    const char *nome;
    int sessao;
    std::string resposta;  // copied at once: a text stays valid only until the next call
  } chamadas[] = {
      {"AtivarSAT", 11, Texto(sat.AtivarSAT(11, 1, codigo, "16716114000172", 35))},
      {"ComunicarCertificadoICPBRASIL", 12, Texto(sat.ComunicarCertificadoICPBRASIL(12, codigo, "MIIB"))},
      {"EnviarDadosVenda", 13, Texto(sat.EnviarDadosVenda(13, codigo, "<CFe><infCFe versaoDadosEnt=\"0.07\"></infCFe></CFe>"))},
      {"CancelarUltimaVenda", 14, Texto(sat.CancelarUltimaVenda(14, codigo, "CFe35150", "<CFeCanc/>"))},
      {"ConsultarSAT", 15, Texto(sat.ConsultarSAT(15))},
      {"TesteFimAFim", 16, Texto(sat.TesteFimAFim(16, codigo, "<CFe/>"))},
      {"ConsultarStatusOperacional", 17, Texto(sat.ConsultarStatusOperacional(17, codigo))},
      {"ConsultarNumeroSessao", 15, Texto(sat.ConsultarNumeroSessao(18, codigo, 15))},
      {"ConsultarUltimaSessaoFiscal", 14, Texto(sat.ConsultarUltimaSessaoFiscal(19, codigo))},
      {"ConfigurarInterfaceDeRede", 20, Texto(sat.ConfigurarInterfaceDeRede(20, codigo, "<config/>"))},
      {"AssociarAssinatura", 21, Texto(sat.AssociarAssinatura(21, codigo, "1671611400017216716114000172", "assinatura"))},
      {"AtualizarSoftwareSAT", 22, Texto(sat.AtualizarSoftwareSAT(22, codigo))},
      {"ExtrairLogs", 23, Texto(sat.ExtrairLogs(23, codigo))},
      {"BloquearSAT", 24, Texto(sat.BloquearSAT(24, codigo))},
      {"DesbloquearSAT", 25, Texto(sat.DesbloquearSAT(25, codigo))},
      {"TrocarCodigoDeAtivacao", 26, Texto(sat.TrocarCodigoDeAtivacao(26, codigo, 1, "87654321", "87654321"))},
  };
  for (const Chamada &c : chamadas)
    EXPECT_EQ(c.resposta.substr(0, 7), "0000" + std::to_string(c.sessao) + "|") << c.nome << ": " << c.resposta;
  EXPECT_EQ(std::string(sat.ConsultarStatusOperacional(27, "87654321")).substr(0, 13), "000027|10000|");
}

// Two threads make the first calls together: start-up runs once, before either.
TEST_F(SatDll, StartupRunsOnceBeforeTheFirstCalls) {
  Carrega();
  std::string a, b;
  std::thread t1([&] { a = sat.ConsultarSAT(31); });
  std::thread t2([&] { b = sat.ConsultarSAT(32); });
  t1.join();
  t2.join();
  EXPECT_EQ(a.substr(0, 13), "000031|08000|");
  EXPECT_EQ(b.substr(0, 13), "000032|08000|");
  EXPECT_EQ(Vezes(Log(), "Versao da DLL: "), 1u) << Log();
}

// Unloaded and loaded again, the library starts afresh at its next call, and
// not before.
TEST_F(SatDll, ReloadedItStartsAfresh) {
  Carrega();
  EXPECT_EQ(std::string(sat.SetDriver("VERSAO", "")), CFE_VERSION);
  EXPECT_EQ(Vezes(Log(), "Versao da DLL: "), 1u) << Log();
  ASSERT_TRUE(FreeLibrary(dll));
  dll = nullptr;
  Carrega();
  EXPECT_EQ(Vezes(Log(), "Versao da DLL: "), 1u);
  EXPECT_EQ(std::string(sat.SetDriver("VERSAO", "")), CFE_VERSION);
  EXPECT_EQ(Vezes(Log(), "Versao da DLL: "), 2u);
}

}  // namespace

namespace {

// The version a program or Explorer reads from the file: the FileVersion of
// the first language and code page the resource lists.
TEST(SatDllFile, VersionResource) {
  DWORD ignorado = 0;
  const DWORD tamanho = GetFileVersionInfoSizeW(L"SAT.DLL", &ignorado);
  ASSERT_GT(tamanho, 0u);
  std::vector<char> dados(tamanho);
  ASSERT_TRUE(GetFileVersionInfoW(L"SAT.DLL", 0, tamanho, dados.data()));
  void *traducao = nullptr;
  UINT n = 0;
  ASSERT_TRUE(VerQueryValueW(dados.data(), L"\\VarFileInfo\\Translation", &traducao, &n));
  const WORD *par = static_cast<const WORD *>(traducao);
  EXPECT_EQ(par[0], 0x0416);  // Portuguese (Brazil)
  EXPECT_EQ(par[1], 1252);
  wchar_t bloco[64];
  swprintf(bloco, 64, L"\\StringFileInfo\\%.4x%.4x\\FileVersion", par[0], par[1]);
  void *texto = nullptr;
  ASSERT_TRUE(VerQueryValueW(dados.data(), bloco, &texto, &n));
  EXPECT_EQ(std::wstring(static_cast<const wchar_t *>(texto)), std::wstring(L"" CFE_VERSION));
}

}  // namespace

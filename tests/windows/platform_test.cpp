// The Windows side of the library without a device: paths, the log, files, the
// registry walk that finds the device's port, the texts of ending threads.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <regex>
#include <thread>
#include <vector>

#include "api/settings.h"
#include "api/startup.h"
#include "api/textos.h"
#include "cfedriver.h"
#include "core/lock.h"
#include "core/log.h"
#include "core/state.h"
#include "link/discovery.h"
#include "platform/platform.h"
#include "windows_support.h"

using namespace cfe;
using namespace cfewin;

namespace {

TEST(WindowsPaths, FixedPathsSeparatorsAndPorts) {
  EXPECT_EQ(platform::DefaultLogPath(), "c:\\Temp\\dll_norvi_zorvan.log");
  EXPECT_EQ(platform::DefaultCopyPath(), "c:\\temp\\corrigido.xml");
  EXPECT_EQ(platform::SystemSettingsPath(), "");
  EXPECT_EQ(platform::SerialPortPath(0), "\\\\.\\COM1");
  EXPECT_EQ(platform::SerialPortPath(11), "\\\\.\\COM12");
  struct Caso {
    const char *path, *folder;
  } casos[] = {
      {"c:\\Temp\\dll.log", "c:\\Temp"}, {"c:\\x.log", "c:\\"}, {"d:/a/b.log", "d:/a"},
      {"\\x.log", "\\"},                 {"x.log", "."},        {"\\\\srv\\share\\x.log", "\\\\srv\\share"},
  };
  for (const Caso &c : casos) EXPECT_EQ(platform::FolderOf(c.path), c.folder) << c.path;
  EXPECT_EQ(platform::JoinPath("c:\\", "sat.ini"), "c:\\sat.ini");
  EXPECT_EQ(platform::JoinPath("c:\\Caixa", "sat.ini"), "c:\\Caixa\\sat.ini");
  // The settings file sits beside the calling program.
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  const std::string programa = exe;
  EXPECT_EQ(platform::ExecutableDir(), programa.substr(0, programa.rfind('\\')));
  UnsetEnv("CFEDRIVER_INI");
  EXPECT_EQ(CaminhoIni(), platform::ExecutableDir() + "\\sat.ini");
}

TEST(WindowsPaths, DebugCopyGoesBesideARedirectedLog) {
  SetEnv("CFEDRIVER_LOG", "c:\\Caixa\\logs\\driver.log");
  EXPECT_EQ(CaminhoLog(), "c:\\Caixa\\logs\\driver.log");
  EXPECT_EQ(CaminhoCopia(), "c:\\Caixa\\logs\\corrigido.xml");
  UnsetEnv("CFEDRIVER_LOG");
  EXPECT_EQ(CaminhoLog(), "c:\\Temp\\dll_norvi_zorvan.log");
  EXPECT_EQ(CaminhoCopia(), "c:\\temp\\corrigido.xml");
}

// A pattern for texts shaped like `modelo`: each run of digits any number, the
// rest as it is.
std::regex FormaDe(const std::string &modelo) {
  std::string padrao;
  for (size_t i = 0; i < modelo.size();) {
    if (modelo[i] >= '0' && modelo[i] <= '9') {
      padrao += "[0-9]+";
      while (i < modelo.size() && modelo[i] >= '0' && modelo[i] <= '9') ++i;
    } else {
      if (std::string("\\^$.|?*+()[]{}").find(modelo[i]) != std::string::npos) padrao += '\\';
      padrao += modelo[i++];
    }
  }
  return std::regex(padrao);
}

// Start-up with DEBUG on writes its lines with the system's short date and long
// time formats (on a Brazilian system dd/mm/yyyy hh:mm:ss; on an American one
// the time ends in AM or PM) and the library's own texts in the 8-bit code page.
TEST(WindowsLog, StartupLinesInTheSystemsFormatsAndCodePage) {
  TempFolder pasta;
  FakeRegistry registro;  // empty: no device
  WriteFileBytes(pasta / "sat.ini", "[DEFAULT]\r\nDEBUG=true\r\n");
  SetEnv("CFEDRIVER_INI", pasta / "sat.ini");
  SetEnv("CFEDRIVER_LOG", pasta / "cfe.log");
  Inicializa();
  const std::string log = ReadFileBytes(pasta / "cfe.log");
  Finaliza();
  UnsetEnv("CFEDRIVER_INI");
  UnsetEnv("CFEDRIVER_LOG");

  EXPECT_NE(log.find(": Lock das fun\xE7\xF5" "es ativado\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find(": Interface SAT nao esta presente.\r\n"), std::string::npos) << log;
  SYSTEMTIME agora{};
  GetLocalTime(&agora);
  char data[128] = "", hora[128] = "";
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &agora, nullptr, data, sizeof data);
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &agora, nullptr, hora, sizeof hora);
  const std::regex dataHora = FormaDe(std::string(data) + " " + hora);
  size_t inicio = 0, linhas = 0;
  for (size_t fim; (fim = log.find("\r\n", inicio)) != std::string::npos; inicio = fim + 2, ++linhas) {
    const std::string linha = log.substr(inicio, fim - inicio);
    const size_t separador = linha.find(": ");
    ASSERT_NE(separador, std::string::npos) << linha;
    EXPECT_TRUE(std::regex_match(linha.substr(0, separador), dataHora)) << linha << " (system: " << data << " " << hora << ")";
  }
  EXPECT_EQ(inicio, log.size()) << "a line without CR LF";
  EXPECT_GE(linhas, 5u);
}

TEST(WindowsFiles, OnlyPlainFilesAreWritten) {
  TempFolder pasta;
  const std::string arquivo = pasta / "log.txt";
  EXPECT_TRUE(platform::AppendToFile(arquivo, "a\r\n"));
  EXPECT_TRUE(platform::AppendToFile(arquivo, "b\r\n"));
  EXPECT_EQ(ReadFileBytes(arquivo), "a\r\nb\r\n");
  EXPECT_TRUE(platform::WriteWholeFile(arquivo, "c"));
  EXPECT_EQ(ReadFileBytes(arquivo), "c");

  CreateDirectoryA((pasta / "sub").c_str(), nullptr);
  EXPECT_FALSE(platform::AppendToFile(pasta / "sub", "x"));
  EXPECT_FALSE(platform::WriteWholeFile(pasta / "sub", "x"));
  EXPECT_FALSE(platform::AppendToFile(pasta / "missing\\x.log", "x"));  // the folder is not made

  // A pipe with a server that never reads: refused at once, not written to.
  HANDLE servidor = CreateNamedPipeA("\\\\.\\pipe\\cfetest-log", PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
  ASSERT_NE(servidor, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(platform::AppendToFile("\\\\.\\pipe\\cfetest-log", "x"));
  std::string lido;
  EXPECT_FALSE(platform::ReadWholeFile("\\\\.\\pipe\\cfetest-log", lido));
  CloseHandle(servidor);
  EXPECT_FALSE(platform::AppendToFile("CON", "x"));
}

// The device's port from the registry: its instances under the USB key, the
// ports present now under SERIALCOMM, the last match in that listing chosen.
TEST(WindowsDiscovery, RegistryCases) {
  struct Caso {
    const char *nome;
    std::vector<std::pair<std::wstring, const wchar_t *>> instancias;  // name, port (nullptr: no parameters)
    std::vector<std::pair<std::wstring, std::wstring>> presentes;      // kernel name, port
    int resultado;
    std::string porta;
    bool semChaveUsb = false;
    bool portaNaoTexto = false;
  } casos[] = {
      {"two devices: the one listed last wins",
       {{L"5&1", L"COM5"}, {L"5&2", L"COM7"}},
       {{L"\\Device\\USBSER000", L"COM7"}, {L"\\Device\\USBSER001", L"COM5"}},
       0, "COM5"},
      {"seen before, unplugged now", {{L"5&1", L"COM3"}}, {{L"\\Device\\Serial0", L"COM1"}}, 5, ""},
      {"another maker's adapter is not chosen",
       {{L"5&1", L"COM3"}},
       {{L"\\Device\\USBSER000", L"COM9"}},
       0, ""},
      {"the prefix is compared upper-cased; Serial0 is not USB",
       {{L"5&1", L"COM4"}},
       {{L"\\Device\\Serial0", L"COM4"}, {L"\\device\\usbser001", L"COM4"}},
       0, "COM4"},
      {"an instance without parameters is skipped",
       {{L"5&1", nullptr}, {L"5&2", L"COM6"}},
       {{L"\\Device\\USBSER000", L"COM6"}},
       0, "COM6"},
      {"the device key without instances", {}, {{L"\\Device\\USBSER000", L"COM6"}}, 5, ""},
      {"no device key at all", {}, {{L"\\Device\\USBSER000", L"COM6"}}, 5, "", true},
      {"a port name that is not a text is a registry failure", {{L"5&1", L"COM6"}}, {{L"\\Device\\USBSER000", L"COM6"}},
       6, "", false, true},
  };
  for (const Caso &c : casos) {
    SCOPED_TRACE(c.nome);
    RestauraPadroes();
    FakeRegistry registro;
    if (!c.semChaveUsb) registro.CreateKey(L"SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_0525&PID_A4A7");
    for (const auto &[nome, porta] : c.instancias) registro.Instance(nome, porta);
    if (c.portaNaoTexto)
      registro.SetNumber(L"SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_0525&PID_A4A7\\5&1\\Device Parameters", L"PortName", 6);
    registro.CreateKey(L"HARDWARE\\DEVICEMAP\\SERIALCOMM");
    for (const auto &[nome, porta] : c.presentes) registro.Present(nome, porta);
    EXPECT_EQ(BuscaPortaSerial(), c.resultado);
    EXPECT_EQ(LeTexto(&Estado::PortaSerial), c.porta);
  }
  RestauraPadroes();
}

TEST(WindowsDiscovery, UnreadableRedirectIsAFailure) {
  SetEnv("CFEDRIVER_REGISTRY", "HKXX\\Software");
  EXPECT_EQ(BuscaPortaSerial(), 6);
  UnsetEnv("CFEDRIVER_REGISTRY");
}

// A call that finds the lock held sleeps until it is freed, and wakes then:
// round after round, one thread holds the lock a varying short while and frees
// it as the other goes to sleep. (Atomic wait/notify of the mingw-w64 C++
// library lost such a wake-up now and then and left the caller asleep for good.)
// Never are two inside together.
TEST(WindowsLock, AWaitingCallWakesAtTheFree) {
  RestauraPadroes();
  G().LockLigado = true;
  std::atomic<int> dentro{0}, maximo{0}, passagens{0};
  auto passa = [&](int espera) {
    EntraLock();
    int agora = ++dentro;
    if (agora > maximo) maximo = agora;
    [[maybe_unused]] volatile int ocupado = 0;
    for (int i = espera; i > 0; --i) ocupado = i;
    ++passagens;
    --dentro;
    LiberaLock();
  };
  for (int rodada = 0; rodada < 1500; ++rodada) {
    std::thread a([&] { passa(rodada * 37 % 5000); });
    std::thread b([&] { passa(0); });
    a.join();
    b.join();
  }
  EXPECT_EQ(passagens, 3000);
  EXPECT_EQ(maximo, 1);
  RestauraPadroes();
}

// The texts of a thread that ended are taken by the next thread: the loader
// tells the library of the end.
TEST(WindowsTexts, AnEndedThreadsTextIsReused) {
  Finaliza();
  std::thread([] { SetDriver("VERSAO", ""); }).join();
  std::thread([] { SetDriver("VERSAO", ""); }).join();
  SetDriver("VERSAO", "");
  EXPECT_EQ(QuantosTextos(), 1u);  // each call took the text of the thread that ended before it
  Finaliza();
}

// A thread that got a text and is still running when the texts are released,
// and ends afterwards: neither the release nor its end touches a freed slot
// or waits on the release's own lock.
TEST(WindowsTexts, ReleaseWhileAThreadHoldsItsText) {
  HANDLE pronto = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE segue = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::string resposta;
  std::thread t([&] {
    resposta = SetDriver("VERSAO", "");
    SetEvent(pronto);
    WaitForSingleObject(segue, INFINITE);
  });
  WaitForSingleObject(pronto, INFINITE);
  EXPECT_EQ(QuantosTextos(), 1u);
  Finaliza();
  EXPECT_EQ(QuantosTextos(), 0u);
  SetEvent(segue);
  t.join();
  EXPECT_EQ(SetDriver("VERSAO", ""), resposta);  // the next call starts afresh
  Finaliza();
  CloseHandle(pronto);
  CloseHandle(segue);
}

}  // namespace

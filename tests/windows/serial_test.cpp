// The serial channel and the library's functions on a Windows COM port, with
// the emulator on the other side (tests/wine/with-satemu.sh maps its
// pseudo-terminal to CFE_TEST_COM).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstddef>
#include <cstring>

#include "api/startup.h"
#include "cfedriver.h"
#include "core/state.h"
#include "link/serialchannel.h"
#include "platform/platform.h"
#include "platform/windows_dcb.h"
#include "windows_support.h"

using namespace cfe;
using namespace cfewin;

namespace {

class WindowsSerial : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(porta.empty()) << "CFE_TEST_COM is not set: run under with-satemu.sh"; }
  const std::string porta = EmulatorPort();
};

// The device-control record's flag word for the library's settings (8N1,
// RTS/CTS, DTR on, no XON/XOFF) and its neighbours.
TEST(WindowsDcb, FlagWords) {
  struct Caso {
    char parity;
    bool softflow, hardflow;
    uint32_t flags;
  } casos[] = {
      {'N', false, true, 0x2015},  // what the library always asks for
      {'N', false, false, 0x1011}, {'E', false, true, 0x2017}, {'n', true, false, 0x1311}, {'?', false, true, 0x2017},
  };
  for (const Caso &c : casos) {
    platform::SerialParams p;
    p.baud = 115200;
    p.parity = c.parity;
    p.softflow = c.softflow;
    p.hardflow = c.hardflow;
    DCB dcb{};
    dcb.Parity = EVENPARITY;  // what the port had: kept by an unknown letter
    dcb.fNull = dcb.fAbortOnError = dcb.fOutxDsrFlow = TRUE;  // cleared whatever they were
    platform::FillDcb(p, dcb);
    uint32_t flags = 0;
    std::memcpy(&flags, reinterpret_cast<const char *>(&dcb) + offsetof(DCB, BaudRate) + sizeof dcb.BaudRate, sizeof flags);
    EXPECT_EQ(flags, c.flags) << c.parity << c.softflow << c.hardflow;
    EXPECT_EQ(dcb.BaudRate, 115200u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.XonChar, 0x11);
    EXPECT_EQ(dcb.XoffChar, 0x13);
    EXPECT_EQ(dcb.XonLim, 1024);
    EXPECT_EQ(dcb.XoffLim, 1024);
  }
}

// The port as the system sees it after Config, and its lines (answered for a
// pty by the tests' ioctl shim). Wine does not refuse a second open of a COM
// port, as Windows's serial driver does, so exclusive use is not checked here.
TEST_F(WindowsSerial, ConfigAndLinesOnThePort) {
  platform::PortHandle p;
  ASSERT_EQ(platform::SerialOpen("\\\\.\\" + porta, p), 0);
  platform::SerialParams params;
  params.baud = 115200;
  params.hardflow = true;
  ASSERT_EQ(platform::SerialConfig(p, params), 0);
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  ASSERT_TRUE(GetCommState(reinterpret_cast<HANDLE>(p.os), &dcb));
  EXPECT_EQ(dcb.BaudRate, 115200u);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
  EXPECT_TRUE(dcb.fOutxCtsFlow);
  bool cts = false, dsr = false;
  EXPECT_EQ(platform::SerialModemStatus(p, cts, dsr), 0);
  EXPECT_EQ(platform::SerialSetLine(p, platform::ModemLine::DTR, true), 0);
  EXPECT_EQ(platform::SerialSetLine(p, platform::ModemLine::RTS, false), 0);
  platform::SerialClose(p);
}

TEST_F(WindowsSerial, ChannelStatesAndErrors) {
  TSerialChannel canal;
  canal.Connect(porta);
  ASSERT_EQ(canal.LastError(), 0) << canal.LastErrorDesc();
  EXPECT_EQ(canal.Device(), "\\\\.\\" + porta);
  canal.Config(115200, 8, 'N', 0, false, true);
  EXPECT_EQ(canal.LastError(), 0) << canal.LastErrorDesc();
  canal.Connect(porta);
  EXPECT_EQ(canal.LastError(), 9992);
  // Nothing asked, nothing comes: the wait ends with a time-out, not a hang.
  EXPECT_EQ(canal.RecvPacket(300), "");
  EXPECT_EQ(canal.LastError(), 9997);
  canal.CloseSocket();
  EXPECT_EQ(canal.LastError(), 0);

  TSerialChannel ausente;
  ausente.Connect("COM250");
  EXPECT_EQ(ausente.Device(), "\\\\.\\COM250");
  EXPECT_EQ(ausente.LastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ausente.LastErrorDesc(), platform::ErrorText(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(ausente.LastErrorDesc().empty());
  EXPECT_EQ(ausente.RecvPacket(10), "");
  EXPECT_EQ(ausente.LastError(), 9994);
}

// The library's functions, from the settings file to the device's reply.
TEST_F(WindowsSerial, QueriesRoundTrip) {
  TempFolder pasta;
  WriteFileBytes(pasta / "sat.ini", "[DEFAULT]\r\nSERIAL=" + porta + "\r\nDEBUG=true\r\n");
  SetEnv("CFEDRIVER_INI", pasta / "sat.ini");
  SetEnv("CFEDRIVER_LOG", pasta / "cfe.log");
  Inicializa();
  EXPECT_EQ(std::string(ConsultarSAT(7)).substr(0, 13), "000007|08000|");
  EXPECT_EQ(std::string(ConsultarStatusOperacional(8, "12345678")).substr(0, 13), "000008|10000|");
  EXPECT_EQ(std::string(ConsultarSAT(9)).substr(0, 13), "000009|08000|");
  Finaliza();
  UnsetEnv("CFEDRIVER_INI");
  UnsetEnv("CFEDRIVER_LOG");
}

}  // namespace

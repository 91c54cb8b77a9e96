// Port discovery over a fake sysfs tree laid out like the kernel's (SysfsFalso).
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/state.h"
#include "link/discovery.h"
#include "platform/platform.h"
#include "support.h"

using namespace cfe;
using namespace cfetest;

namespace {

class DiscoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("CFEDRIVER_SYSFS", sysfs.Raiz().c_str(), 1);
    setenv("CFEDRIVER_DEVDIR", (pasta / "dev").c_str(), 1);
    setenv("CFEDRIVER_LOG", log.c_str(), 1);
    RestauraPadroes();
    G().ModoDebug = true;
  }

  void TearDown() override {
    RestauraPadroes();
    unsetenv("CFEDRIVER_SYSFS");
    unsetenv("CFEDRIVER_DEVDIR");
    unsetenv("CFEDRIVER_LOG");
  }

  std::string Porta(const std::string &tty) const { return sysfs.NomeDaPorta(tty); }
  std::string Log() const { return LeArquivo(log); }

  PastaTemp pasta;
  SysfsFalso sysfs{pasta / "sys", pasta / "dev"};
  fs::path log = pasta / "driver.log";
};

using Lista = std::vector<std::string>;

TEST_F(DiscoveryTest, DevicePortsAmongTheUsbSerialPortsInNaturalOrder) {
  sysfs.AdicionaTty("ttyACM10", "cdc_acm", "0525\n", "a4a7\n");
  sysfs.AdicionaTty("ttyACM2", "cdc_acm", "0525\n", "a4a7\n");
  sysfs.AdicionaTty("ttyACM1", "cdc_acm", "1234\n", "a4a7\n");   // another maker's modem
  sysfs.AdicionaTty("ttyACM3", "cdc_acm", "0525\n", "ffff\n");   // another product
  sysfs.AdicionaTty("ttyUSB0", "ftdi_sio", "0525\n", "a4a7\n");  // not the USB serial driver
  sysfs.AdicionaTtyVirtual("tty0");
  sysfs.AdicionaTtyVirtual("ttyS0");

  Varredura v = VarrePortas();
  EXPECT_FALSE(v.falhou);
  EXPECT_TRUE(v.usavel);
  EXPECT_EQ(v.A, (Lista{Porta("ttyACM1"), Porta("ttyACM2"), Porta("ttyACM3"), Porta("ttyACM10")}));
  EXPECT_EQ(v.P, (Lista{Porta("ttyACM2"), Porta("ttyACM10")}));

  // The last device port in the listing wins.
  EXPECT_EQ(BuscaPortaSerial(), 0);
  EXPECT_EQ(LeTexto(&Estado::PortaSerial), Porta("ttyACM10"));
  std::string texto = Log();
  EXPECT_NE(texto.find(": Fazendo busca da porta serial ...\r\n"), std::string::npos);
  EXPECT_NE(texto.find(": Usando interface: " + Porta("ttyACM10") + "\r\n"), std::string::npos);
}

TEST_F(DiscoveryTest, IdsComparedWithoutCaseOrBlanks) {
  sysfs.AdicionaTty("ttyACM0", "cdc_acm", " 0525 \n", "A4A7\r\n");
  EXPECT_EQ(VarrePortas().P, (Lista{Porta("ttyACM0")}));
}

TEST_F(DiscoveryTest, MissingIdsDoNotMatch) {
  sysfs.AdicionaTty("ttyACM0", "cdc_acm", "", "");
  Varredura v = VarrePortas();
  EXPECT_EQ(v.A, (Lista{Porta("ttyACM0")}));
  EXPECT_TRUE(v.P.empty());
}

TEST_F(DiscoveryTest, UnreadableListingIsResult6) {
  fs::remove_all(sysfs.Raiz() / "class/tty");
  GravaTexto(&Estado::PortaSerial, Porta("ttyACM4"));
  Varredura v = VarrePortas();
  EXPECT_TRUE(v.falhou);
  EXPECT_FALSE(v.usavel);
  EXPECT_EQ(BuscaPortaSerial(), 6);
  EXPECT_EQ(LeTexto(&Estado::PortaSerial), "");
  EXPECT_NE(Log().find(": Usando interface: \r\n"), std::string::npos);
}

TEST_F(DiscoveryTest, NoDevicePortIsResult5) {
  EXPECT_EQ(BuscaPortaSerial(), 5);  // nothing at all
  sysfs.AdicionaTty("ttyACM0", "cdc_acm", "1234\n", "5678\n");
  EXPECT_EQ(BuscaPortaSerial(), 5);  // only another maker's port
  EXPECT_EQ(LeTexto(&Estado::PortaSerial), "");
}

TEST_F(DiscoveryTest, FixedPortIsNeverSearched) {
  sysfs.AdicionaTty("ttyACM0", "cdc_acm", "0525\n", "a4a7\n");
  GravaTexto(&Estado::PortaSerial, "/dev/ttyS4");
  {
    std::lock_guard<std::mutex> g(G().mutex);
    G().PortaFixa = true;
  }
  EXPECT_EQ(BuscaPortaSerial(), 0);
  EXPECT_EQ(LeTexto(&Estado::PortaSerial), "/dev/ttyS4");
  EXPECT_EQ(Log().find("Fazendo busca"), std::string::npos);
  EXPECT_NE(Log().find(": Usando interface: /dev/ttyS4\r\n"), std::string::npos);
}

TEST(DiscoveryDefaults, DeviceFolder) {
  unsetenv("CFEDRIVER_DEVDIR");
  EXPECT_EQ(platform::SerialPortPath(0), "/dev/ttyS0");
  setenv("CFEDRIVER_DEVDIR", "/tmp/devs/", 1);
  EXPECT_EQ(platform::SerialPortPath(11), "/tmp/devs/ttyS11");
  unsetenv("CFEDRIVER_DEVDIR");
}

}  // namespace

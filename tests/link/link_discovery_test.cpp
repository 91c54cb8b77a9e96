// Port discovery over a fake sysfs tree laid out like the real one:
//   class/tty/ttyACM0 -> ../../devices/.../<usb>/<usb>:1.0/tty/ttyACM0
//   .../ttyACM0/device -> ../.. (the USB interface)
//   <usb>:1.0/driver -> ../../../bus/usb/drivers/cdc_acm
//   <usb>/idVendor, <usb>/idProduct
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/state.h"
#include "link/discovery.h"

using namespace cfe;
namespace fs = std::filesystem;

namespace {

class DiscoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("cfe-sysfs-" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "class/tty");
    log = root / "driver.log";
    setenv("CFEDRIVER_SYSFS", root.c_str(), 1);
    setenv("CFEDRIVER_DEVDIR", "/devx", 1);
    setenv("CFEDRIVER_LOG", log.c_str(), 1);
    RestauraPadroes();
    G().ModoDebug = true;
  }

  void TearDown() override {
    RestauraPadroes();
    unsetenv("CFEDRIVER_SYSFS");
    unsetenv("CFEDRIVER_DEVDIR");
    unsetenv("CFEDRIVER_LOG");
    fs::remove_all(root);
  }

  static void Write(const fs::path &p, const std::string &text) {
    std::ofstream(p, std::ios::binary) << text;
  }

  static void Link(const fs::path &link, const fs::path &target) {
    fs::create_symlink(fs::relative(target, link.parent_path()), link);
  }

  // A tty on a USB interface bound to `driver`, on a USB device with these ids.
  void AddTty(const std::string &name, const std::string &driver, const std::string &vendor,
              const std::string &product) {
    fs::path usb = root / "devices/pci0000:00/0000:00:14.0/usb1" / ("1-" + name);
    fs::path intf = usb / ("1-" + name + ":1.0");
    fs::path tty = intf / "tty" / name;
    fs::create_directories(tty);
    fs::create_directories(root / "bus/usb/drivers" / driver);
    Write(usb / "idVendor", vendor);
    Write(usb / "idProduct", product);
    Link(intf / "driver", root / "bus/usb/drivers" / driver);
    Link(tty / "device", intf);
    Link(root / "class/tty" / name, tty);
  }

  void AddVirtualTty(const std::string &name) {
    fs::path tty = root / "devices/virtual/tty" / name;
    fs::create_directories(tty);
    Link(root / "class/tty" / name, tty);
  }

  std::string Log() const {
    std::ifstream in(log, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  fs::path root, log;
};

using Lista = std::vector<std::string>;

TEST_F(DiscoveryTest, DevicePortsAmongTheUsbSerialPortsInNaturalOrder) {
  AddTty("ttyACM10", "cdc_acm", "0525\n", "a4a7\n");
  AddTty("ttyACM2", "cdc_acm", "0525\n", "a4a7\n");
  AddTty("ttyACM1", "cdc_acm", "1234\n", "a4a7\n");   // another maker's modem
  AddTty("ttyACM3", "cdc_acm", "0525\n", "ffff\n");   // another product
  AddTty("ttyUSB0", "ftdi_sio", "0525\n", "a4a7\n");  // not the USB serial driver
  AddVirtualTty("tty0");
  AddVirtualTty("ttyS0");

  Varredura v = VarrePortas();
  EXPECT_FALSE(v.falhou);
  EXPECT_TRUE(v.usavel);
  EXPECT_EQ(v.A, (Lista{"/devx/ttyACM1", "/devx/ttyACM2", "/devx/ttyACM3", "/devx/ttyACM10"}));
  EXPECT_EQ(v.P, (Lista{"/devx/ttyACM2", "/devx/ttyACM10"}));

  // The last device port in the listing wins.
  EXPECT_EQ(BuscaPortaSerial(), 0);
  EXPECT_EQ(LeTexto(&Estado::PortaSerial), "/devx/ttyACM10");
  std::string texto = Log();
  EXPECT_NE(texto.find(": Fazendo busca da porta serial ...\r\n"), std::string::npos);
  EXPECT_NE(texto.find(": Usando interface: /devx/ttyACM10\r\n"), std::string::npos);
}

TEST_F(DiscoveryTest, IdsComparedWithoutCaseOrBlanks) {
  AddTty("ttyACM0", "cdc_acm", " 0525 \n", "A4A7\r\n");
  EXPECT_EQ(VarrePortas().P, (Lista{"/devx/ttyACM0"}));
}

TEST_F(DiscoveryTest, MissingIdsDoNotMatch) {
  AddTty("ttyACM0", "cdc_acm", "", "");
  Varredura v = VarrePortas();
  EXPECT_EQ(v.A, (Lista{"/devx/ttyACM0"}));
  EXPECT_TRUE(v.P.empty());
}

TEST_F(DiscoveryTest, UnreadableListingIsResult6) {
  fs::remove_all(root / "class/tty");
  GravaTexto(&Estado::PortaSerial, "/devx/ttyACM4");
  Varredura v = VarrePortas();
  EXPECT_TRUE(v.falhou);
  EXPECT_FALSE(v.usavel);
  EXPECT_EQ(BuscaPortaSerial(), 6);
  EXPECT_EQ(LeTexto(&Estado::PortaSerial), "");
  EXPECT_NE(Log().find(": Usando interface: \r\n"), std::string::npos);
}

TEST_F(DiscoveryTest, NoDevicePortIsResult5) {
  EXPECT_EQ(BuscaPortaSerial(), 5);  // nothing at all
  AddTty("ttyACM0", "cdc_acm", "1234\n", "5678\n");
  EXPECT_EQ(BuscaPortaSerial(), 5);  // only another maker's port
  EXPECT_EQ(LeTexto(&Estado::PortaSerial), "");
}

TEST_F(DiscoveryTest, FixedPortIsNeverSearched) {
  AddTty("ttyACM0", "cdc_acm", "0525\n", "a4a7\n");
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
  EXPECT_EQ(PastaDispositivos(), "/dev");
  setenv("CFEDRIVER_DEVDIR", "/tmp/devs/", 1);
  EXPECT_EQ(PastaDispositivos(), "/tmp/devs");
  unsetenv("CFEDRIVER_DEVDIR");
}

}  // namespace

// The serial channel over a real pseudo-terminal pair.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "link/serialchannel.h"
#include "pty.h"

using namespace cfe;
using cfetest::Pty;
namespace fs = std::filesystem;

namespace {

class ChannelTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(pty.ok()); }

  // Connected and configured as the library does it.
  void Open(TSerialChannel &c) {
    c.Connect(pty.slave);
    ASSERT_EQ(c.LastError(), 0) << c.LastErrorDesc();
    ASSERT_TRUE(c.InstanceActive());
    c.Config(921600, 8, 'N', 0, false, true);
    ASSERT_EQ(c.LastError(), 0) << c.LastErrorDesc();
  }

  // Waits until the channel sees n bytes in its input queue.
  static void AwaitWaiting(TSerialChannel &c, int n) {
    for (int i = 0; i < 200 && c.WaitingData() < n; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_GE(c.WaitingData(), n);
  }

  Pty pty;
};

TEST_F(ChannelTest, ConnectTwiceFailsAndLeavesThePortOpen) {
  TSerialChannel c;
  Open(c);
  c.Connect(pty.slave);
  EXPECT_EQ(c.LastError(), 9992);
  EXPECT_EQ(c.LastErrorDesc(), "Instance already in use");
  EXPECT_TRUE(c.InstanceActive());

  c.SetRaiseExcept(true);
  try {
    c.Connect(pty.slave);
    FAIL() << "no raise";
  } catch (const ESerialChannelError &e) {
    EXPECT_EQ(e.ErrorCode, 9992);
    EXPECT_STREQ(e.what(), "Communication error 9992: Instance already in use");
  }
  c.SetRaiseExcept(false);

  // Still the same open port: a send arrives.
  EXPECT_EQ(c.SendString("abc"), 3);
  EXPECT_EQ(pty.ReadUntil([](const std::string &s) { return s.size() >= 3; }, 1000), "abc");
}

TEST_F(ChannelTest, MissingPortGivesTheSystemErrorAndRaisesWithTheSwitchOn) {
  TSerialChannel c;
  const std::string missing = "/nonexistent-cfe/ttyACM9";
  c.Connect(missing);
  EXPECT_FALSE(c.InstanceActive());
  EXPECT_EQ(c.LastError(), ENOENT);
  EXPECT_EQ(c.LastErrorDesc(), strerror(ENOENT));
  EXPECT_EQ(c.Device(), missing);

  c.SetRaiseExcept(true);
  try {
    c.Connect(missing);
    FAIL() << "no raise";
  } catch (const ESerialChannelError &e) {
    EXPECT_EQ(e.ErrorCode, ENOENT);
    EXPECT_EQ(e.ErrorMessage, strerror(ENOENT));
    EXPECT_EQ(std::string(e.what()), "Communication error " + std::to_string(ENOENT) + ": " + strerror(ENOENT));
  }
  EXPECT_FALSE(c.InstanceActive());
}

TEST_F(ChannelTest, NonTerminalIsNotAPort) {
  TSerialChannel c;
  c.Connect("/dev/null");
  EXPECT_FALSE(c.InstanceActive());
  EXPECT_EQ(c.LastError(), ENOTTY);
}

TEST_F(ChannelTest, SecondExclusiveOpenFails) {
  TSerialChannel first, second;
  Open(first);
  second.Connect(pty.slave);
  EXPECT_FALSE(second.InstanceActive());
  EXPECT_EQ(second.LastError(), EBUSY);
  EXPECT_EQ(second.LastErrorDesc(), strerror(EBUSY));
  EXPECT_TRUE(first.InstanceActive());

  first.CloseSocket();  // gives the port back
  second.Connect(pty.slave);
  EXPECT_TRUE(second.InstanceActive());
}

TEST_F(ChannelTest, TransfersOnAClosedChannelFailWith9994) {
  TSerialChannel c;
  EXPECT_EQ(c.RecvPacket(10), "");
  EXPECT_EQ(c.LastError(), 9994);
  EXPECT_EQ(c.LastErrorDesc(), "Instance not yet connected");
  EXPECT_EQ(c.SendString("x"), 0);
  EXPECT_EQ(c.LastError(), 9994);
  EXPECT_EQ(c.RecvBufferStr(4, 10), "");
  EXPECT_EQ(c.LastError(), 9994);

  c.SetRaiseExcept(true);
  EXPECT_THROW(c.RecvPacket(10), ESerialChannelError);
}

TEST_F(ChannelTest, CloseSocketOnAClosedChannelOnlyResetsTheState) {
  TSerialChannel c;
  c.RecvPacket(0);
  ASSERT_EQ(c.LastError(), 9994);
  c.SetRaiseExcept(true);
  EXPECT_NO_THROW(c.CloseSocket());
  EXPECT_EQ(c.LastError(), 0);
  EXPECT_EQ(c.LastErrorDesc(), "OK");
  EXPECT_FALSE(c.InstanceActive());
  EXPECT_EQ(c.PortNumber(), -1);
}

TEST_F(ChannelTest, RecvPacketTimesOutWith9997) {
  TSerialChannel c;
  Open(c);
  EXPECT_EQ(c.RecvPacket(30), "");
  EXPECT_EQ(c.LastError(), 9997);
  EXPECT_EQ(c.LastErrorDesc(), "Timeout during operation");
  EXPECT_TRUE(c.InstanceActive());
}

TEST_F(ChannelTest, RecvPacketReturnsEverythingWaiting) {
  TSerialChannel c;
  Open(c);
  pty.Write("0123456789");
  AwaitWaiting(c, 10);
  EXPECT_EQ(c.RecvPacket(100), "0123456789");
  EXPECT_EQ(c.LastError(), 0);

  // Bytes arriving during the wait end it at once.
  std::thread late([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    pty.Write("late");
  });
  std::string got = c.RecvPacket(5000);
  late.join();
  EXPECT_FALSE(got.empty());
  EXPECT_EQ(std::string("late").substr(0, got.size()), got);
}

TEST_F(ChannelTest, ReadAheadBufferKeepsWhatDidNotFit) {
  TSerialChannel c;
  Open(c);
  pty.Write("abcdefgh");
  AwaitWaiting(c, 8);
  EXPECT_EQ(c.RecvBufferStr(3, 1000), "abc");
  EXPECT_EQ(c.LastError(), 0);
  EXPECT_EQ(c.WaitingDataEx(), 5);
  EXPECT_EQ(c.WaitingData(), 0);

  // A packet from the read-ahead buffer does not touch the port.
  pty.Write("XY");
  AwaitWaiting(c, 2);
  EXPECT_EQ(c.RecvPacket(100), "defgh");
  EXPECT_EQ(c.WaitingDataEx(), 2);
  EXPECT_EQ(c.RecvPacket(100), "XY");

  // Several packets are joined up to the length asked for.
  std::thread peer([&] {
    pty.Write("12");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    pty.Write("345");
  });
  EXPECT_EQ(c.RecvBufferStr(4, 2000), "1234");
  peer.join();
  EXPECT_EQ(c.WaitingDataEx(), 1);

  // Less than asked within the time-out: nothing, and 9997.
  c.Purge();
  pty.Write("z");
  AwaitWaiting(c, 1);
  EXPECT_EQ(c.RecvBufferStr(5, 30), "");
  EXPECT_EQ(c.LastError(), 9997);
  EXPECT_EQ(c.RecvBufferStr(0, 30), "");
  EXPECT_EQ(c.LastError(), 0);
}

TEST_F(ChannelTest, PurgeDropsWaitingAndReadAheadBytes) {
  TSerialChannel c;
  Open(c);
  pty.Write("abcdef");
  AwaitWaiting(c, 6);
  c.RecvBufferStr(2, 100);
  ASSERT_EQ(c.WaitingDataEx(), 4);
  c.Purge();
  EXPECT_EQ(c.WaitingDataEx(), 0);
  EXPECT_EQ(c.LastError(), 0);
}

TEST_F(ChannelTest, SendWritesEveryByteAndFlushReturns) {
  TSerialChannel c;
  Open(c);
  std::string big(200000, 'x');
  big += '\x03';
  std::string got;
  std::thread reader([&] { got = pty.ReadFrame(5000); });
  EXPECT_EQ(c.SendString(big), int(big.size()));
  c.Flush();
  EXPECT_EQ(c.LastError(), 0);
  reader.join();
  EXPECT_EQ(got, big);
}

// A blocking transfer that moves no byte for the deadlock time-out stops with 9997,
// reporting what moved; it leaves the port open.
TEST_F(ChannelTest, StuckTransfersTimeOutWith9997InBothDirections) {
  TSerialChannel c;
  Open(c);
  c.SetDeadlockTimeout(50);
  // Nobody reads the master side: the write fills the terminal's queue and stalls.
  const std::string big(4 << 20, 'x');
  int sent = c.SendString(big);
  EXPECT_GT(sent, 0);
  EXPECT_LT(sent, int(big.size()));
  EXPECT_EQ(c.LastError(), 9997);
  EXPECT_TRUE(c.InstanceActive());
  // Nothing arrives: three bytes asked, two come.
  ASSERT_EQ(write(pty.master, "ab", 2), 2);
  AwaitWaiting(c, 2);
  char buffer[3] = {};
  EXPECT_EQ(c.RecvBuffer(buffer, 3), 2);
  EXPECT_EQ(std::string(buffer, 2), "ab");
  EXPECT_EQ(c.LastError(), 9997);
  EXPECT_TRUE(c.InstanceActive());
}

TEST_F(ChannelTest, ConfigTakesStandardAndOtherRatesAndRejectsBadOnes) {
  TSerialChannel c;
  Open(c);
  // The slave's settings, read through the master (the channel holds the slave
  // for exclusive use): set to something else first, so that each check can fail.
  termios t{};
  ASSERT_EQ(tcgetattr(pty.master, &t), 0);
  t.c_cflag = (t.c_cflag & ~(CSIZE | CRTSCTS)) | CS7 | PARENB;
  t.c_lflag |= ICANON;
  ASSERT_EQ(tcsetattr(pty.master, TCSANOW, &t), 0);
  for (int baud : {9600, 115200, 921600, 250000, 12345}) {
    c.Config(baud, 8, 'N', 0, false, true);
    EXPECT_EQ(c.LastError(), 0) << baud << ": " << c.LastErrorDesc();
    ASSERT_EQ(tcgetattr(pty.master, &t), 0);
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8)) << baud;
    EXPECT_NE(t.c_cflag & CRTSCTS, 0u) << baud;
    EXPECT_EQ(t.c_cflag & PARENB, 0u) << baud;
    EXPECT_EQ(t.c_lflag & ICANON, 0u) << baud;
    const bool outra = baud == 250000 || baud == 12345;  // no Bxxx constant
    EXPECT_EQ((t.c_cflag & CBAUD) == tcflag_t(0010000), outra) << baud;  // BOTHER
  }
  c.Config(0, 8, 'N', 0, false, true);
  EXPECT_EQ(c.LastError(), EINVAL);
  c.Config(-5, 8, 'N', 0, false, true);
  EXPECT_EQ(c.LastError(), EINVAL);
  c.Config(9600, 9, 'N', 0, false, true);
  EXPECT_EQ(c.LastError(), EINVAL);
  c.SetRaiseExcept(true);
  EXPECT_THROW(c.Config(0, 8, 'N', 0, false, true), ESerialChannelError);
}

TEST_F(ChannelTest, HangUpClosesTheChannel) {
  TSerialChannel c;
  Open(c);
  pty.CloseMaster();
  EXPECT_FALSE(c.CanRead(2000));
  EXPECT_FALSE(c.InstanceActive());
  EXPECT_EQ(c.LastError(), EIO);
  EXPECT_EQ(c.RecvPacket(10), "");
  EXPECT_EQ(c.LastError(), 9994);
  c.CloseSocket();
  EXPECT_EQ(c.LastError(), 0);
}

TEST(ChannelErrors, DescriptionsOfTheCodes) {
  const std::pair<int, const char *> table[] = {
      {0, "OK"},
      {9991, "Port owned by other process"},
      {9992, "Instance already in use"},
      {9993, "Wrong parameter at call"},
      {9994, "Instance not yet connected"},
      {9995, "No device answer detected"},
      {9996, "Maximal buffer length exceeded"},
      {9997, "Timeout during operation"},
      {9998, "Reading of data failed"},
      {9999, "Receive framing error"},
      {10000, "Receive Overrun Error"},
      {10001, "Receive Queue overflow"},
      {10002, "Receive Parity Error"},
      {10003, "Tranceive Queue is full"},
      {EACCES, strerror(EACCES)},
      {EBUSY, strerror(EBUSY)},
  };
  for (auto [code, text] : table) EXPECT_EQ(TSerialChannel::GetErrorDesc(code), text) << code;
}

TEST(ChannelErrors, LineErrorFlagsInTheirOrder) {
  const std::pair<uint32_t, int> table[] = {
      {0, 0},
      {kLineFrame, 9999},
      {kLineOverrun, 10000},
      {kLineRxOver, 10001},
      {kLineParity, 10002},
      {kLineTxFull, 10003},
      {kLineFrame | kLineParity, 10002},  // a later match overwrites an earlier one
      {kLineFrame | kLineOverrun, 10000},
      {kLineRxOver | kLineOverrun, 10001},
      {kLineFrame | kLineOverrun | kLineRxOver | kLineParity | kLineTxFull, 10003},
  };
  for (auto [flags, code] : table) {
    TSerialChannel c;
    c.LineErrorCode(flags);
    EXPECT_EQ(c.LastError(), code) << flags;
  }
}

TEST(ChannelNames, PortNumberFromName) {
  const std::pair<const char *, int> table[] = {
      {"COM3", 2},          {"com12", 11},          {"Com1", 0},
      {"COM0", -1},         {"COMX", -1},           {"COM", -1},
      {"COM+5", 4},         {"COM-3", -4},          {"COM 3", -1},
      {"COM3x", -1},        {"COM99999999999", -1}, {"COM-2147483648", -1},
      {"\\\\.\\COM4", -1},  {"/dev/ttyS0", 0},      {"/DEV/TTYS12", 12},
      {"/dev/ttyS", -2},    {"/dev/ttySAC0", -2},   {"/dev/ttyACM0", -1},
      {"", -1},             {"/dev/pts/3", -1},
  };
  for (auto [name, number] : table) EXPECT_EQ(TSerialChannel::PortNumberFromName(name), number) << name;
}

TEST_F(ChannelTest, ComNamesOpenTheSerialPortOfThatNumber) {
  // CFEDRIVER_DEVDIR stands for /dev: COM3 is <devdir>/ttyS2.
  fs::path dir = fs::temp_directory_path() / ("cfe-devdir-" + std::to_string(getpid()));
  fs::create_directories(dir);
  fs::create_symlink(pty.slave, dir / "ttyS2");
  setenv("CFEDRIVER_DEVDIR", dir.c_str(), 1);

  TSerialChannel c;
  c.Connect("com3");
  EXPECT_TRUE(c.InstanceActive()) << c.LastErrorDesc();
  EXPECT_EQ(c.Device(), (dir / "ttyS2").string());
  EXPECT_EQ(c.PortNumber(), 2);
  c.CloseSocket();

  // A name without a usable number is opened as written.
  c.Connect("COM0");
  EXPECT_EQ(c.Device(), "COM0");
  EXPECT_EQ(c.LastError(), ENOENT);

  unsetenv("CFEDRIVER_DEVDIR");
  fs::remove_all(dir);
}

}  // namespace

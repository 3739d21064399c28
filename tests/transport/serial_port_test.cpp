#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "transport/qt_serial_port.h"
#include "transport/transport_test_support.h"

namespace fenno {
namespace {

using testing::PtyPair;
using testing::RunEventRounds;
using testing::WaitUntil;

class SerialPortTest : public ::testing::Test {
 public:
  SerialPortTest() : fixture_(ComfennoEdition()) {
    settings().PortIndex = 4;  // COM5
    AssignCom5(pty_.SlavePath());
  }

  void SetUp() override { ASSERT_TRUE(pty_.Ok()); }

  Settings& settings() { return fixture_.settings; }
  testing::RecordingPrompt& prompt() { return fixture_.prompt; }
  const PortContext& context() const { return fixture_.context; }
  void AssignCom5(const std::string& path) {
    fixture_.store.Set("Comfenno", "Ports", "COM5", path);
  }

 protected:
  termios LineAsTheDriverHoldsIt() const {
    termios line{};
    ::tcgetattr(pty_.SlaveFd(), &line);
    return line;
  }
  speed_t SpeedAsTheDriverHoldsIt() const {
    const termios line = LineAsTheDriverHoldsIt();
    return cfgetospeed(&line);
  }

  // Reads through the port until `count` bytes arrived.
  std::string ReadThrough(Port& port, size_t count, size_t maxPerRead = 4096) {
    std::string received;
    WaitUntil([&] {
      port.Read(received, maxPerRead);
      return received.size() >= count;
    });
    return received;
  }

  std::string DeviceReceives(size_t count) {
    std::string received;
    WaitUntil([&] {
      pty_.DeviceReads(received);
      return received.size() >= count;
    });
    return received;
  }

  testing::PortFixtureContext fixture_;
  PtyPair pty_;
};

struct OpenLineCase {
  const char* name;
  int16_t baudIndex, dataBitsIndex, parityIndex, stopBitsIndex, flowControl;
  speed_t speed;
  bool twoStopBitsFlag;
  bool rtsCts;
  bool xonXoff;
};

class SerialPortOpenLine : public SerialPortTest,
                           public ::testing::WithParamInterface<OpenLineCase> {};

TEST_P(SerialPortOpenLine, OpensWithTheConfiguredLine) {
  const OpenLineCase& row = GetParam();
  settings().BaudIndex = row.baudIndex;
  settings().DataBitsIndex = row.dataBitsIndex;
  settings().ParityIndex = row.parityIndex;
  settings().StopBitsIndex = row.stopBitsIndex;
  settings().FlowControl = row.flowControl;
  SerialPort port(context());

  ASSERT_TRUE(port.Open()) << (prompt().messages.empty() ? "" : prompt().messages[0].text);
  EXPECT_TRUE(prompt().messages.empty());
  EXPECT_TRUE(port.IsPseudoTerminal());
  const termios line = LineAsTheDriverHoldsIt();
  EXPECT_EQ(SpeedAsTheDriverHoldsIt(), row.speed);
  EXPECT_EQ((line.c_cflag & CSTOPB) != 0, row.twoStopBitsFlag);
  EXPECT_EQ((line.c_cflag & CRTSCTS) != 0, row.rtsCts);
  EXPECT_EQ((line.c_iflag & (IXON | IXOFF)) == (IXON | IXOFF), row.xonXoff);
  // A pseudo-terminal does not hold data bits and parity; they are checked as handed over.
  EXPECT_EQ(port.Line().dataBits, row.dataBitsIndex + 5);
  EXPECT_EQ(port.Line().parity, row.parityIndex);
  EXPECT_EQ(port.Line().stopBits, row.stopBitsIndex);
  EXPECT_EQ(port.Line().flowControl, row.flowControl);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SerialPortOpenLine,
    ::testing::Values(
        OpenLineCase{"Defaults9600Odd7One", 6, 2, 1, 0, kFlowNone, B9600, false, false, false},
        OpenLineCase{"Rate110Mark5OneAndHalf", 0, 0, 3, 1, kFlowNone, B110, true, false, false},
        OpenLineCase{"Rate115200Space8Two", 11, 3, 4, 2, kFlowHardware, B115200, true, true, false},
        OpenLineCase{"Rate19200Even6XonXoff", 8, 1, 2, 0, kFlowXonXoff, B19200, false, false, true},
        OpenLineCase{"OptoRsHasNoHandshake", 3, 3, 0, 0, kFlowOptoRs, B1200, false, false, false},
        OpenLineCase{"UnknownBaudIndexGives9600", 40, 3, 0, 0, kFlowNone, B9600, false, false,
                     false}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(SerialPortTest, WriteHandsOverAtMostTheOutputBufferAndTheCallerKeepsTheRest) {
  settings().OutputBufferSize = 128;
  SerialPort port(context());
  ASSERT_TRUE(port.Open());
  std::string queue;
  for (int i = 0; i < 1000; ++i) queue += static_cast<char>('A' + i % 26);
  const std::string expected = queue;

  const size_t first = port.Write(queue);
  EXPECT_EQ(first, 128u);
  queue.erase(0, first);
  EXPECT_EQ(port.Write(queue), 0u) << "nothing was written to the device yet";

  std::string received;
  ASSERT_TRUE(WaitUntil([&] {
    queue.erase(0, port.Write(queue));
    pty_.DeviceReads(received);
    return received.size() >= expected.size();
  }));
  EXPECT_EQ(received, expected);
  EXPECT_TRUE(queue.empty());
}

TEST_F(SerialPortTest, ReadsStayWithinTheInputBufferAndResumeAfterItFilled) {
  settings().InputBufferSize = 128;
  SerialPort port(context());
  ASSERT_TRUE(port.Open());
  std::string sent;
  for (int i = 0; i < 3000; ++i) sent += static_cast<char>(i % 251);
  ASSERT_TRUE(pty_.DeviceWrites(sent));
  RunEventRounds(20);

  std::string received;
  size_t largestRead = 0;
  ASSERT_TRUE(WaitUntil([&] {
    largestRead = std::max(largestRead, port.Read(received, 1 << 20));
    return received.size() >= sent.size();
  }));
  EXPECT_EQ(received, sent);
  EXPECT_LE(largestRead, 128u);
}

TEST_F(SerialPortTest, RunTimeLineChangesAnswerWhetherTheyWereTaken) {
  SerialPort port(context());
  EXPECT_FALSE(port.SetBaudRate(19200)) << "no port is open";
  ASSERT_TRUE(port.Open());

  EXPECT_TRUE(port.SetBaudRate(19200));
  EXPECT_EQ(SpeedAsTheDriverHoldsIt(), B19200);
  EXPECT_TRUE(port.SetStopBits(kTwoStopBits));
  EXPECT_NE(LineAsTheDriverHoldsIt().c_cflag & CSTOPB, 0u);
  EXPECT_TRUE(port.SetStopBits(kOneStopBit));
  EXPECT_EQ(LineAsTheDriverHoldsIt().c_cflag & CSTOPB, 0u);
  // A pseudo-terminal takes framing changes without holding them.
  for (int bits : {5, 6, 8}) EXPECT_TRUE(port.SetDataBits(bits)) << bits;
  for (int parity : {kParityMark, kParitySpace, kParityNone})
    EXPECT_TRUE(port.SetParity(parity)) << parity;
  const LineSettings taken{19200, 8, kParityNone, kOneStopBit, kFlowNone};
  EXPECT_EQ(port.Line(), taken);

  EXPECT_FALSE(port.SetBaudRate(0));
  EXPECT_FALSE(port.SetBaudRate(-9600));
  EXPECT_FALSE(port.SetDataBits(4));
  EXPECT_FALSE(port.SetDataBits(9));
  EXPECT_FALSE(port.SetParity(5));
  EXPECT_FALSE(port.SetStopBits(3));
  EXPECT_EQ(port.Line(), taken);
  EXPECT_EQ(SpeedAsTheDriverHoldsIt(), B19200);
  EXPECT_TRUE(prompt().messages.empty()) << "line changes show nothing";
}

// Line signals a pseudo-terminal lacks do not fail the port; Purge drops what arrived; the
// bytes that follow travel both ways unchanged.
TEST_F(SerialPortTest, LineSignalsPurgeAndBytesBothWays) {
  settings().DataBitsIndex = 3;
  settings().ParityIndex = 0;
  SerialPort port(context());
  ASSERT_TRUE(port.Open());
  EXPECT_TRUE(port.HasLines());
  port.SetDtr(false);
  port.SetRts(false);
  port.SetDtr(true);
  port.SetRts(true);
  port.PulseDtr();
  port.SetBreak(true);
  port.SetBreak(false);
  EXPECT_EQ(port.ModemStatus(), 0u);
  ASSERT_TRUE(pty_.DeviceWrites("stale"));
  ASSERT_TRUE(WaitUntil([&] { return port.BytesWaiting() == 5; }));
  port.Purge();
  EXPECT_EQ(port.BytesWaiting(), 0u);
  RunEventRounds(5);
  EXPECT_TRUE(port.IsOpen());
  EXPECT_FALSE(port.DeviceLost());

  const std::string fromDevice("12.5\r\n\0\xff\x11\x13 g\r\n", 14);
  ASSERT_TRUE(pty_.DeviceWrites(fromDevice));
  EXPECT_EQ(ReadThrough(port, fromDevice.size(), 1), fromDevice);
  const std::string toDevice("?\r\0\xfe", 4);
  EXPECT_EQ(port.Write(toDevice), toDevice.size());
  EXPECT_EQ(DeviceReceives(toDevice.size()), toDevice);
  EXPECT_TRUE(prompt().messages.empty());
}

// A device pulled out with nothing waiting is told once and ends its connection at once.
TEST_F(SerialPortTest, APulledOutDeviceIsReportedOnceAndThePortCloses) {
  SerialPort port(context());
  ASSERT_TRUE(port.Open());
  const uint32_t connection = port.ConnectionNumber();
  port.SetDtr(true);  // fails on a pseudo-terminal and leaves a stale error number behind
  pty_.CloseMaster();

  ASSERT_TRUE(WaitUntil([&] { return port.DeviceLost(); }));
  EXPECT_FALSE(port.IsOpen());
  EXPECT_NE(port.ConnectionNumber(), connection);
  RunEventRounds(20);
  ASSERT_EQ(prompt().messages.size(), 1u);
  EXPECT_NE(prompt().messages[0].text.find("COM5"), std::string::npos);
  EXPECT_NE(prompt().messages[0].text.find(pty_.SlavePath()), std::string::npos);
  EXPECT_EQ(prompt().messages[0].title, "Device Error");
  std::string nothing;
  EXPECT_EQ(port.Read(nothing, 100), 0u);
  EXPECT_EQ(port.Write("kept by the caller"), 0u);
}

// Bytes already received from a device that is then pulled out are records it sent whole;
// they are read after the loss, and the connection number moves on right after the last
// of them, so that only an unfinished record at their end is dropped by the reader.
TEST_F(SerialPortTest, WhatArrivedBeforeTheDeviceWasPulledOutIsStillRead) {
  SerialPort port(context());
  ASSERT_TRUE(port.Open());
  const std::string sent = "12.5\r13.0\r13.";
  ASSERT_TRUE(pty_.DeviceWrites(sent));
  ASSERT_TRUE(WaitUntil([&] { return port.BytesWaiting() == sent.size(); }));
  const uint32_t connection = port.ConnectionNumber();
  pty_.CloseMaster();
  ASSERT_TRUE(WaitUntil([&] { return port.DeviceLost(); }));

  std::string received;
  std::vector<uint32_t> connectionAfterEachRead;
  while (port.Read(received, 4) > 0) connectionAfterEachRead.push_back(port.ConnectionNumber());
  EXPECT_EQ(received, sent);
  ASSERT_FALSE(connectionAfterEachRead.empty());
  connectionAfterEachRead.pop_back();
  for (const uint32_t number : connectionAfterEachRead) EXPECT_EQ(number, connection);
  EXPECT_NE(port.ConnectionNumber(), connection) << "the next bytes come from another connection";
  EXPECT_EQ(port.BytesWaiting(), 0u);
}

// The port reaches its device through a link that is pointed at another pseudo-terminal
// when the first one goes away, as a device that is plugged in again shows up.
class SerialPortReopenTest : public SerialPortTest {
 public:
  SerialPortReopenTest()
      : link_(::testing::TempDir() + "fenno-reopen-link-" + std::to_string(::getpid())) {
    PointLinkAt(pty_);
    AssignCom5(link_);
  }
  ~SerialPortReopenTest() override { std::filesystem::remove(link_); }

  void PointLinkAt(const PtyPair& pty) {
    std::filesystem::remove(link_);
    std::filesystem::create_symlink(pty.SlavePath(), link_);
  }

 protected:
  std::string link_;
  PtyPair second_;
};

TEST_F(SerialPortReopenTest, ALostDeviceIsOpenedAgainWhenItIsBackAndEachChangeIsToldOnce) {
  SerialPort port(context(), SerialPortOptions{std::chrono::milliseconds(50)});
  ASSERT_TRUE(port.Open());
  pty_.CloseMaster();
  ASSERT_TRUE(WaitUntil([&] { return port.DeviceLost(); }));
  std::string queue = "ACK\r";
  std::string nothing;
  for (int i = 0; i < 20; ++i) {  // the engine's calls while the device is away
    EXPECT_EQ(port.Read(nothing, 100), 0u);
    queue.erase(0, port.Write(queue));
    RunEventRounds(1);
  }
  EXPECT_EQ(queue, "ACK\r") << "nothing is taken while the device is away";
  ASSERT_EQ(prompt().messages.size(), 1u) << "no open failures repeated while waiting";

  PointLinkAt(second_);
  ASSERT_TRUE(WaitUntil([&] {
    queue.erase(0, port.Write(queue));
    return !port.DeviceLost();
  }));
  EXPECT_TRUE(port.IsOpen());
  EXPECT_EQ(port.Reopened(), 1);
  ASSERT_TRUE(second_.DeviceWrites("12.5\r"));
  std::string received;
  std::string atDevice;
  ASSERT_TRUE(WaitUntil([&] {
    port.Read(received, 100);
    queue.erase(0, port.Write(queue));
    second_.DeviceReads(atDevice);
    return received == "12.5\r" && atDevice == "ACK\r";
  })) << received
      << "|" << atDevice;

  RunEventRounds(5);
  ASSERT_EQ(prompt().messages.size(), 2u);
  EXPECT_NE(prompt().messages[0].text.find("was disconnected"), std::string::npos);
  EXPECT_EQ(prompt().messages[1].text,
            "The device of COM5 (" + link_ + ") is connected again. Data is read from it again.");
  EXPECT_EQ(prompt().messages[1].title, "Comfenno");
}

TEST_F(SerialPortReopenTest, NoAttemptIsMadeBeforeTheReopenIntervalHasPassed) {
  SerialPort port(context(), SerialPortOptions{std::chrono::hours(1)});
  ASSERT_TRUE(port.Open());
  pty_.CloseMaster();
  ASSERT_TRUE(WaitUntil([&] { return port.DeviceLost(); }));
  PointLinkAt(second_);
  std::string nothing;
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(port.Read(nothing, 100), 0u);
    EXPECT_EQ(port.Write("x"), 0u);
    RunEventRounds(1);
  }
  EXPECT_TRUE(port.DeviceLost());
  EXPECT_EQ(prompt().messages.size(), 1u);
  port.Close();
  EXPECT_FALSE(port.DeviceLost()) << "a closed port waits for nothing";
}

// Output handed over that the lost device never took goes to it first when it is back,
// followed by what the caller kept: nothing is dropped between them, nothing doubled.
TEST_F(SerialPortReopenTest, OutputTheLostDeviceNeverTookIsSentWhenItIsBack) {
  settings().OutputBufferSize = 131072;
  SerialPort port(context(), SerialPortOptions{std::chrono::milliseconds(50)});
  ASSERT_TRUE(port.Open());
  std::string handedOver;
  for (int i = 0; handedOver.size() < 131072; ++i) handedOver += std::to_string(i) + ",";
  handedOver.resize(131072);
  ASSERT_EQ(port.Write(handedOver), handedOver.size());
  RunEventRounds(10);  // the device reads nothing, so most of it stays in this process
  pty_.CloseMaster();
  ASSERT_TRUE(WaitUntil([&] { return port.DeviceLost(); }));

  PointLinkAt(second_);
  std::string kept = "END";
  std::string atDevice;
  ASSERT_TRUE(WaitUntil([&] {
    kept.erase(0, port.Write(kept));
    second_.DeviceReads(atDevice);
    return atDevice.size() >= 3 && atDevice.compare(atDevice.size() - 3, 3, "END") == 0;
  }));
  const std::string resent = atDevice.substr(0, atDevice.size() - 3);
  ASSERT_FALSE(resent.empty());
  ASSERT_LE(resent.size(), handedOver.size());
  EXPECT_EQ(handedOver.substr(handedOver.size() - resent.size()), resent);
}

struct OpenFailureCase {
  const char* name;
  std::function<void(SerialPortTest&)> arrange;
  const char* firstLine;
  const char* title;
  const char* hintPart;
};

TEST_F(SerialPortTest, FailedOpensShowOneMessageAndLeaveNothingOpen) {
  const std::filesystem::path missing = "/dev/fenno-no-such-device";
  const std::vector<OpenFailureCase> cases = {
      {"port without a device", [](SerialPortTest& t) { t.settings().PortIndex = 97; },
       "COM98 Device Not Available.", "Device Error", "No device is assigned to COM98"},
      {"missing device", [&](SerialPortTest& t) { t.AssignCom5(missing); },
       "COM5 Device Not Available.", "Device Error", missing.c_str()},
      {"not a serial device", [](SerialPortTest& t) { t.AssignCom5("/dev/null"); },
       "GetComState failed", "Comfenno", "/dev/null is not a serial port"},
      {"data bits out of range", [](SerialPortTest& t) { t.settings().DataBitsIndex = 7; },
       "SetComState failed", "Comfenno", "does not accept the line settings"},
  };
  for (const OpenFailureCase& row : cases) {
    SCOPED_TRACE(row.name);
    settings() = Settings::Defaults(ComfennoEdition(), "/tmp");
    settings().PortIndex = 4;
    AssignCom5(pty_.SlavePath());
    prompt().messages.clear();
    row.arrange(*this);
    SerialPort port(context());

    EXPECT_FALSE(port.Open());
    EXPECT_FALSE(port.IsOpen());
    ASSERT_EQ(prompt().messages.size(), 1u);
    const PromptMessage& message = prompt().messages[0];
    EXPECT_EQ(message.text.substr(0, message.text.find('\n')), row.firstLine);
    EXPECT_EQ(message.title, row.title);
    EXPECT_NE(message.text.find(row.hintPart), std::string::npos) << message.text;
  }
}

TEST_F(SerialPortTest, APortInUseIsNotAvailableEvenWhenReachedByAnotherName) {
  const std::string link = ::testing::TempDir() + "fenno-com5-link-" + std::to_string(::getpid());
  std::filesystem::remove(link);
  std::filesystem::create_symlink(pty_.SlavePath(), link);
  AssignCom5(link);
  SerialPort first(context());
  ASSERT_TRUE(first.Open());

  AssignCom5(pty_.SlavePath());
  SerialPort second(context());
  EXPECT_FALSE(second.Open());
  ASSERT_EQ(prompt().messages.size(), 1u);
  EXPECT_NE(prompt().messages[0].text.find("in use by another program"), std::string::npos)
      << prompt().messages[0].text;
  first.Close();
  EXPECT_TRUE(second.Open()) << "the lock goes with the port that held it";
  std::filesystem::remove(link);
}

// The device is given to a group and closed to its owner. As root, the child process that
// opens it also gives up root, which would pass any permission check.
TEST_F(SerialPortTest, PermissionDeniedNamesTheGroupThatOwnsTheDevice) {
  const char* device = pty_.SlavePath().c_str();
  if (::geteuid() == 0) {
    const group* dialout = ::getgrnam("dialout");
    ASSERT_EQ(::chown(device, static_cast<uid_t>(-1), dialout ? dialout->gr_gid : 20), 0);
  }
  ASSERT_EQ(::chmod(device, 0060), 0);
  struct stat info {};
  ASSERT_EQ(::stat(device, &info), 0);
  if (info.st_gid == 0) GTEST_SKIP() << "the pseudo-terminal belongs to group root";
  const group* owner = ::getgrgid(info.st_gid);
  ASSERT_NE(owner, nullptr);
  const std::string groupName = owner->gr_name;

  EXPECT_EXIT(
      {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
          std::_Exit(2);
        SerialPort port(context());
        const bool opened = port.Open();
        const std::string text = prompt().messages.empty() ? "" : prompt().messages[0].text;
        std::fprintf(stderr, "%s\n", text.c_str());
        const bool named = text.find("group \"" + groupName + "\"") != std::string::npos &&
                           text.find("log in again") != std::string::npos;
        std::_Exit(!opened && named ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "Device Not Available");
}

}  // namespace
}  // namespace fenno

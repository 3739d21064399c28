// The serial port and the TCP connection against a device end the test plays: the master of
// a pseudo-terminal, or a peer on loopback. What every transport promises is tested once
// over all of them; what only one of them has follows.

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <cstdio>
#include <filesystem>

#include "transport/port_dialogs.h"
#include "transport/port_text_ids.h"
#include "transport/qt_serial_port.h"
#include "transport/qt_tcp_port.h"
#include "transport/receive_buffer.h"
#include "transport/transport_test_support.h"

namespace fenno {
namespace {

using std::chrono::milliseconds;
using testing::PtyPair;
using testing::RunEventRounds;
using testing::WaitUntil;

constexpr milliseconds kShortRetry{50};

// Reads through the port at most `perRead` bytes at a time until `count` bytes arrived.
std::string ReadThrough(Port& port, size_t count, size_t perRead = 1) {
  std::string received;
  WaitUntil([&] {
    port.Read(received, perRead);
    return received.size() >= count;
  });
  return received;
}

// COM5 reaches its device through a link, pointed at a second pseudo-terminal once the first
// has gone away, as a device that is plugged in again shows up.
class SerialRig {
 public:
  SerialRig() : fixture(ComfennoEdition()) {
    fixture.settings.PortIndex = 4;  // COM5
    fixture.store.Set("Comfenno", "Ports", "COM5", link);
    PointLinkAt(device());
  }
  ~SerialRig() { std::filesystem::remove(link); }

  bool Open(milliseconds reopenInterval = kShortRetry) {
    port_.reset();
    port_ = std::make_unique<SerialPort>(fixture.context, SerialPortOptions{reopenInterval});
    return port_->Open();
  }
  SerialPort& port() { return *port_; }
  size_t Waiting() const { return port_->BytesWaiting(); }
  PtyPair& device() { return devices_[current_]; }
  bool DeviceSends(const std::string& bytes) {
    const size_t expected = Waiting() + bytes.size();
    return device().DeviceWrites(bytes) && WaitUntil([&] { return Waiting() == expected; });
  }
  std::string DeviceReceives(size_t count) {
    std::string received;
    WaitUntil([&] {
      device().DeviceReads(received);
      return received.size() >= count;
    });
    return received;
  }
  // The adapter is pulled out.
  bool GoAway() {
    port_->SetDtr(true);  // fails on a pseudo-terminal and leaves a stale error number behind
    device().CloseMaster();
    return WaitUntil([&] { return port_->DeviceLost(); });
  }
  void PlugInAgain() { PointLinkAt(devices_[++current_]); }
  // The port opens the device again from its Read and Write calls.
  bool ComeBack() {
    PlugInAgain();
    return WaitUntil([&] { return port_->Write({}) == 0 && !port_->DeviceLost(); });
  }
  void PointLinkAt(const PtyPair& pty) {
    std::filesystem::remove(link);
    std::filesystem::create_symlink(pty.SlavePath(), link);
  }

  static constexpr size_t kNews = 2;  // the loss and the return
  testing::PortFixtureContext fixture;
  const std::string link = ::testing::TempDir() + "fenno-com5-" + std::to_string(::getpid()) + "-" +
                           std::to_string(++rigs_);

 private:
  static inline int rigs_ = 0;
  PtyPair devices_[2];
  int current_ = 0;
  std::unique_ptr<SerialPort> port_;
};

// Bytes a socket has sent that the other side's system has not acknowledged yet.
int Unacknowledged(const QTcpSocket& socket) {
  int bytes = -1;
  ::ioctl(static_cast<int>(socket.socketDescriptor()), TIOCOUTQ, &bytes);
  return bytes;
}

uint16_t FreeLoopbackPort() {
  testing::TestApp();
  QTcpServer probe;
  return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// The device is a peer on loopback. A receive limit far below what a test sends leaves most
// of it with the socket when the connection ends.
class TcpRig {
 public:
  TcpRig() : fixture(NetfennoEdition()) { options.receiveLimit = 16; }

  TcpPort& port() { return *port_; }
  size_t Waiting() const { return port_->BufferedBytes(); }
  bool DeviceSends(const std::string& bytes) {
    peer->write(bytes.data(), static_cast<qint64>(bytes.size()));
    return WaitUntil([&] { return peer->bytesToWrite() == 0 && Unacknowledged(*peer) == 0; });
  }
  std::string DeviceReceives(size_t count) {
    std::string received;
    WaitUntil([&] {
      received += peer->readAll().toStdString();
      return received.size() >= count;
    });
    return received;
  }
  bool Connected() {
    return WaitUntil([&] { return port_->IsConnected(); });
  }

  static constexpr size_t kNews = 0;
  testing::PortFixtureContext fixture;
  TcpPortOptions options{kShortRetry};
  std::unique_ptr<QTcpSocket> peer;

 protected:
  std::unique_ptr<TcpPort> port_;
};

// The port as client of a device that stops listening while it is away.
class TcpClientRig : public TcpRig {
 public:
  bool Open() {
    fixture.settings.TcpMode = 0;
    fixture.settings.TcpRemoteHost = "127.0.0.1";
    fixture.settings.TcpRemotePort = std::to_string(devicePort_);
    port_ = std::make_unique<TcpPort>(fixture.context, options);
    return port_->Open() && ComeBack();
  }
  bool GoAway() {
    device_.close();
    peer->disconnectFromHost();
    return WaitUntil([&] { return !port_->IsConnected(); });
  }
  bool ComeBack() {
    if (!device_.isListening() && !device_.listen(QHostAddress::LocalHost, devicePort_))
      return false;
    if (!WaitUntil([&] { return device_.hasPendingConnections(); })) return false;
    peer.reset(device_.nextPendingConnection());
    peer->setParent(nullptr);  // outlives the device's server
    return Connected();
  }

 private:
  const uint16_t devicePort_ = FreeLoopbackPort();
  QTcpServer device_;
};

// The port as server, called by a device that hangs up while it is away.
class TcpServerRig : public TcpRig {
 public:
  bool Open() { return Listen() && ComeBack(); }
  // Opens the port again, reading its settings again.
  bool Listen() {
    fixture.settings.TcpMode = 1;
    fixture.settings.TcpLocalPort = std::to_string(localPort);
    if (!port_) port_ = std::make_unique<TcpPort>(fixture.context, options);
    return port_->Open();
  }
  bool GoAway() {
    peer->disconnectFromHost();
    return WaitUntil([&] { return port_->SocketState() == kSocketListening; });
  }
  bool ComeBack() {
    peer = std::make_unique<QTcpSocket>();
    peer->connectToHost(QHostAddress::LocalHost, localPort);
    return Connected();
  }

  const uint16_t localPort = FreeLoopbackPort();
};

template <typename Rig>
class PortTest : public ::testing::Test {
 protected:
  Rig rig_;
};

using Rigs = ::testing::Types<SerialRig, TcpClientRig, TcpServerRig>;
TYPED_TEST_SUITE(PortTest, Rigs);

TYPED_TEST(PortTest, BytesTravelBothWaysUnchangedAndPurgeDropsWhatWaits) {
  TypeParam& rig = this->rig_;
  ASSERT_TRUE(rig.Open());
  ASSERT_TRUE(rig.DeviceSends("stale"));
  ASSERT_TRUE(WaitUntil([&] { return rig.Waiting() == 5; }));
  rig.port().Purge();
  EXPECT_EQ(rig.Waiting(), 0u);

  const std::string fromDevice("12.5\r\n\0\xff\x11\x13 g\r\n", 14);
  ASSERT_TRUE(rig.DeviceSends(fromDevice));
  EXPECT_EQ(ReadThrough(rig.port(), fromDevice.size()), fromDevice);
  const std::string toDevice("?\r\0\xfe", 4);
  EXPECT_EQ(rig.port().Write(toDevice), toDevice.size());
  EXPECT_EQ(rig.DeviceReceives(toDevice.size()), toDevice);
  EXPECT_TRUE(rig.fixture.prompt.messages.empty());
}

// What the device sent before it went away are records it sent whole: they are read before
// what it sends once it is back, and the connection number moves on exactly between them, so
// that the reader drops only the unfinished record at their end. While the device is away
// the port takes nothing to send; the caller keeps it until the device is back.
TYPED_TEST(PortTest, WhatCameBeforeTheDeviceWentAwayIsReadFirstAndOnItsOwn) {
  TypeParam& rig = this->rig_;
  ASSERT_TRUE(rig.Open());
  std::string records;
  for (int i = 0; i < 20; ++i) records += "record " + std::to_string(i) + "\r\n";
  records += "12.";
  ASSERT_TRUE(rig.DeviceSends(records));
  const uint32_t before = rig.port().ConnectionNumber();
  ASSERT_TRUE(rig.GoAway());
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(rig.port().Write("ACK\r"), 0u);
    RunEventRounds(1);
  }
  ASSERT_TRUE(rig.ComeBack());
  EXPECT_EQ(rig.port().Write("ACK\r"), 4u);
  EXPECT_EQ(rig.DeviceReceives(4), "ACK\r");
  ASSERT_TRUE(rig.DeviceSends("13.5\r"));

  std::string taken;
  while (taken.size() < records.size() && rig.port().Read(taken, 7) > 0)
    EXPECT_EQ(rig.port().ConnectionNumber() == before, taken.size() < records.size());
  EXPECT_EQ(taken, records);
  EXPECT_EQ(ReadThrough(rig.port(), 5), "13.5\r");
  RunEventRounds(5);
  EXPECT_EQ(rig.fixture.prompt.messages.size(), TypeParam::kNews) << "each told once";
}

struct OpenLineCase {
  const char* name;
  int16_t baudIndex, dataBitsIndex, parityIndex, stopBitsIndex, flowControl;
  speed_t speed;
  bool twoStopBitsFlag, rtsCts, xonXoff;
};

// The line is set at Open. Run-time changes answer whether they were taken and keep the line
// as it was otherwise; line signals a pseudo-terminal lacks do not fail the port.
TEST(SerialPortTest, TheLineIsSetAtOpenAndChangedWhileOpen) {
  const OpenLineCase cases[] = {
      {"defaults", 6, 2, 1, 0, kFlowNone, B9600, false, false, false},
      {"110 mark 5 1.5", 0, 0, 3, 1, kFlowNone, B110, true, false, false},
      {"115200 space 8 2", 11, 3, 4, 2, kFlowHardware, B115200, true, true, false},
      {"19200 even 6 xon/xoff", 8, 1, 2, 0, kFlowXonXoff, B19200, false, false, true},
      {"Opto-RS has no handshake", 3, 3, 0, 0, kFlowOptoRs, B1200, false, false, false},
      {"unknown rate gives 9600", 40, 3, 0, 0, kFlowNone, B9600, false, false, false},
  };
  SerialRig rig;
  termios held{};
  const auto lineHeld = [&] { return ::tcgetattr(rig.device().SlaveFd(), &held) == 0; };
  for (const OpenLineCase& row : cases) {
    SCOPED_TRACE(row.name);
    Settings& settings = rig.fixture.settings;
    settings.BaudIndex = row.baudIndex;
    settings.DataBitsIndex = row.dataBitsIndex;
    settings.ParityIndex = row.parityIndex;
    settings.StopBitsIndex = row.stopBitsIndex;
    settings.FlowControl = row.flowControl;
    ASSERT_TRUE(rig.Open());
    EXPECT_TRUE(rig.port().IsPseudoTerminal());
    ASSERT_TRUE(lineHeld());
    EXPECT_EQ(cfgetospeed(&held), row.speed);
    EXPECT_EQ((held.c_cflag & CSTOPB) != 0, row.twoStopBitsFlag);
    EXPECT_EQ((held.c_cflag & CRTSCTS) != 0, row.rtsCts);
    EXPECT_EQ((held.c_iflag & (IXON | IXOFF)) == (IXON | IXOFF), row.xonXoff);
    // A pseudo-terminal does not hold data bits and parity; they are checked as handed over.
    const LineSettings handedOver{rig.port().Line().baudRate, row.dataBitsIndex + 5,
                                  row.parityIndex, row.stopBitsIndex, row.flowControl};
    EXPECT_EQ(rig.port().Line(), handedOver);
  }

  SerialPort& port = rig.port();
  EXPECT_TRUE(port.SetBaudRate(19200) && port.SetStopBits(kTwoStopBits) && port.SetDataBits(6) &&
              port.SetParity(kParityMark));
  const LineSettings taken{19200, 6, kParityMark, kTwoStopBits, kFlowNone};
  EXPECT_EQ(port.Line(), taken);
  EXPECT_FALSE(port.SetBaudRate(0) || port.SetBaudRate(-9600) || port.SetDataBits(4) ||
               port.SetDataBits(9) || port.SetParity(5) || port.SetStopBits(3));
  EXPECT_EQ(port.Line(), taken);
  EXPECT_TRUE(lineHeld() && cfgetospeed(&held) == B19200 && (held.c_cflag & CSTOPB) != 0);

  port.SetRts(false);
  port.PulseDtr();
  port.SetBreak(true);
  port.SetBreak(false);
  RunEventRounds(5);
  EXPECT_TRUE(port.IsOpen() && port.HasLines() && !port.DeviceLost());
  port.Close();
  EXPECT_FALSE(port.SetBaudRate(9600)) << "no port is open";
  EXPECT_TRUE(rig.fixture.prompt.messages.empty());
}

// At most the output buffer waits to be written, the caller keeps the rest; at most the input
// buffer waits to be read, and reading resumes once it has filled.
TEST(SerialPortTest, TheBuffersBoundWhatWaitsInThisProcess) {
  SerialRig rig;
  rig.fixture.settings.OutputBufferSize = 128;
  rig.fixture.settings.InputBufferSize = 128;
  ASSERT_TRUE(rig.Open());
  std::string queue;
  for (int i = 0; i < 3000; ++i) queue += static_cast<char>(i % 251);
  const std::string sent = queue;
  const size_t first = rig.port().Write(queue);
  EXPECT_EQ(first, 128u);
  queue.erase(0, first);
  EXPECT_EQ(rig.port().Write(queue), 0u) << "nothing was written to the device yet";
  ASSERT_TRUE(rig.device().DeviceWrites(sent));

  std::string received, atDevice;
  size_t largestRead = 0;
  ASSERT_TRUE(WaitUntil([&] {
    queue.erase(0, rig.port().Write(queue));
    rig.device().DeviceReads(atDevice);
    largestRead = std::max(largestRead, rig.port().Read(received, 1 << 20));
    return received.size() >= sent.size() && atDevice.size() >= sent.size();
  }));
  EXPECT_EQ(received, sent);
  EXPECT_EQ(atDevice, sent);
  EXPECT_LE(largestRead, 128u);
}

// Output handed over that the lost device never took goes to it first when it is back,
// followed by what the caller kept: nothing dropped between them, nothing doubled.
TEST(SerialPortTest, OutputTheLostDeviceNeverTookIsSentWhenItIsBack) {
  SerialRig rig;
  rig.fixture.settings.OutputBufferSize = 131072;
  ASSERT_TRUE(rig.Open());
  std::string handedOver;
  for (int i = 0; handedOver.size() < 131072; ++i) handedOver += std::to_string(i) + ",";
  handedOver.resize(131072);
  ASSERT_EQ(rig.port().Write(handedOver), handedOver.size());
  RunEventRounds(10);  // the device reads nothing, so most of it stays in this process
  ASSERT_TRUE(rig.GoAway());
  rig.PlugInAgain();

  std::string kept = "END", atDevice;
  ASSERT_TRUE(WaitUntil([&] {
    kept.erase(0, rig.port().Write(kept));
    rig.device().DeviceReads(atDevice);
    return atDevice.ends_with("END");
  }));
  const std::string resent = atDevice.substr(0, atDevice.size() - 3);
  ASSERT_FALSE(resent.empty());
  ASSERT_LE(resent.size(), handedOver.size());
  EXPECT_TRUE(handedOver.ends_with(resent));
}

// The loss is told once, naming the port and its device; the port closes, and no attempt to
// open it again is made before the interval has passed.
TEST(SerialPortTest, ALostDeviceIsToldOnceAndLeftAloneForTheInterval) {
  SerialRig rig;
  ASSERT_TRUE(rig.Open(std::chrono::hours(1)));
  const uint32_t connection = rig.port().ConnectionNumber();
  ASSERT_TRUE(rig.GoAway());
  EXPECT_FALSE(rig.port().IsOpen());
  EXPECT_NE(rig.port().ConnectionNumber(), connection) << "nothing was waiting";
  rig.PlugInAgain();
  std::string nothing;
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(rig.port().Read(nothing, 100) + rig.port().Write("x"), 0u);
    RunEventRounds(1);
  }
  EXPECT_TRUE(rig.port().DeviceLost());
  ASSERT_EQ(rig.fixture.prompt.messages.size(), 1u);
  EXPECT_NE(rig.fixture.prompt.messages[0].text.find("COM5 (" + rig.link + ") was disconnected"),
            std::string::npos);
  rig.port().Close();
  EXPECT_FALSE(rig.port().DeviceLost()) << "a closed port waits for nothing";
}

TEST(SerialPortTest, FailedOpensShowOneMessageAndLeaveNothingOpen) {
  const std::string missing = "/dev/fenno-no-such-device";
  SerialRig holder;  // COM5 held open through its link, reached below by the device's name
  ASSERT_TRUE(holder.Open());
  const struct {
    const char* name;
    std::function<void(SerialRig&)> arrange;
    const char* firstLine;
    const char* title;
    std::string hintPart;
  } cases[] = {
      {"port without a device", [](SerialRig& r) { r.fixture.settings.PortIndex = 97; },
       "COM98 Device Not Available.", "Device Error", "No device is assigned to COM98"},
      {"missing device",
       [&](SerialRig& r) { r.fixture.store.Set("Comfenno", "Ports", "COM5", missing); },
       "COM5 Device Not Available.", "Device Error", missing},
      {"not a serial device",
       [](SerialRig& r) { r.fixture.store.Set("Comfenno", "Ports", "COM5", "/dev/null"); },
       "GetComState failed", "Comfenno", "/dev/null is not a serial port"},
      {"data bits out of range", [](SerialRig& r) { r.fixture.settings.DataBitsIndex = 7; },
       "SetComState failed", "Comfenno", "does not accept the line settings"},
      {"in use by another name",
       [&](SerialRig& r) {
         r.fixture.store.Set("Comfenno", "Ports", "COM5", holder.device().SlavePath());
       },
       "COM5 Device Not Available.", "Device Error", "in use by another program"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    SerialRig rig;
    row.arrange(rig);
    EXPECT_FALSE(rig.Open());
    EXPECT_FALSE(rig.port().IsOpen());
    ASSERT_EQ(rig.fixture.prompt.messages.size(), 1u);
    const PromptMessage& message = rig.fixture.prompt.messages[0];
    EXPECT_EQ(message.text.substr(0, message.text.find('\n')), row.firstLine);
    EXPECT_EQ(message.title, row.title);
    EXPECT_NE(message.text.find(row.hintPart), std::string::npos) << message.text;
  }
  holder.port().Close();
  SerialRig after;
  after.fixture.store.Set("Comfenno", "Ports", "COM5", holder.device().SlavePath());
  EXPECT_TRUE(after.Open()) << "the lock goes with the port that held it";
}

// The device is given to a group and closed to its owner. As root, the child process that
// opens it also gives up root, which would pass any permission check.
TEST(SerialPortTest, PermissionDeniedNamesTheGroupThatOwnsTheDevice) {
  SerialRig rig;
  const char* device = rig.device().SlavePath().c_str();
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
  const std::string named = "group \"" + std::string(owner->gr_name) + "\"";

  EXPECT_EXIT(
      {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
          std::_Exit(2);
        const bool opened = rig.Open();
        const auto& messages = rig.fixture.prompt.messages;
        const std::string text = messages.empty() ? "" : messages[0].text;
        std::fprintf(stderr, "%s\n", text.c_str());
        const bool told =
            text.find(named) != std::string::npos && text.find("log in again") != std::string::npos;
        std::_Exit(!opened && told ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "Device Not Available");
}

// A new peer replaces the current one, also while the reader is behind: all that the replaced
// peer sent, far beyond the limits, is still read first, with the connection number moving
// on exactly after it.
TEST(TcpPortTest, TheServerTalksToTheNewestPeerAndKeepsWhatTheReplacedOneSent) {
  TcpServerRig rig;
  rig.options.receiveLimit = 1024;
  rig.options.socketReadBufferSize = 512;
  ASSERT_TRUE(rig.Open());
  EXPECT_EQ(rig.port().ListeningPort(), rig.localPort);
  EXPECT_EQ(rig.port().PeerAddress(), "127.0.0.1");
  std::string records;
  for (int i = 0; records.size() < 64 * 1024; ++i)
    records += "record " + std::to_string(i) + "\r\n";
  ASSERT_TRUE(rig.DeviceSends(records));
  const uint32_t firstConnection = rig.port().ConnectionNumber();
  const std::unique_ptr<QTcpSocket> first = std::move(rig.peer);

  ASSERT_TRUE(rig.ComeBack());
  ASSERT_TRUE(WaitUntil([&] { return first->state() == QAbstractSocket::UnconnectedState; }));
  ASSERT_TRUE(rig.DeviceSends("from the second\r"));
  std::string received;
  while (received.size() < records.size() && rig.port().Read(received, 4096) > 0)
    EXPECT_EQ(rig.port().ConnectionNumber() == firstConnection, received.size() < records.size());
  EXPECT_TRUE(received == records) << "the first peer's bytes in order";
  EXPECT_EQ(ReadThrough(rig.port(), 16), "from the second\r");
  EXPECT_EQ(rig.port().Write("to the second"), 13u);
  EXPECT_EQ(rig.DeviceReceives(13), "to the second");
}

TEST(TcpPortTest, APeerOutsideTheAllowedPeersIsClosedAtOnceAndToldOnce) {
  TcpServerRig rig;
  const std::string program(NetfennoEdition().programName);
  StoreAllowedPeers("10.0.0.0/8, fd00::/8", rig.fixture.store, program);
  ASSERT_TRUE(rig.Listen());
  for (int attempt = 0; attempt < 2; ++attempt) {
    QTcpSocket refused;
    refused.connectToHost(QHostAddress::LocalHost, rig.localPort);
    refused.write("not for you\r");
    ASSERT_TRUE(WaitUntil([&] { return refused.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(rig.port().SocketState(), kSocketListening);
  }
  ASSERT_EQ(rig.fixture.prompt.messages.size(), 1u) << "once per address";
  EXPECT_EQ(rig.fixture.prompt.messages[0].text,
            rig.fixture.strings.Format(str::kPeerRefused, {"127.0.0.1"}));
  EXPECT_EQ(rig.Waiting(), 0u);

  // The list is read at each Open.
  StoreAllowedPeers("10.0.0.0/8, 127.0.0.1", rig.fixture.store, program);
  ASSERT_TRUE(rig.Listen() && rig.ComeBack());
  ASSERT_TRUE(rig.DeviceSends("welcome\r"));
  EXPECT_EQ(ReadThrough(rig.port(), 8), "welcome\r");
}

TEST(TcpPortTest, AnUnusableOrTakenPortIsReportedAndNothingOpens) {
  QTcpServer other;
  ASSERT_TRUE(other.listen(QHostAddress::Any, 0));
  const std::string taken = std::to_string(other.serverPort());
  const struct {
    int16_t mode;
    std::string port;
    const char* told;
  } cases[] = {{0, "", "not a valid TCP port number"},
               {1, "70000", "not a valid TCP port number"},
               {0, "80a", "not a valid TCP port number"},
               {1, taken, "already in use"}};
  for (const auto& row : cases) {
    SCOPED_TRACE(row.port);
    testing::PortFixtureContext fixture(NetfennoEdition());
    fixture.settings.TcpMode = row.mode;
    fixture.settings.TcpRemotePort = fixture.settings.TcpLocalPort = row.port;
    TcpPort port(fixture.context);
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(port.SocketState(), kSocketClosed);
    ASSERT_EQ(fixture.prompt.messages.size(), 1u);
    EXPECT_NE(fixture.prompt.messages[0].text.find(row.told), std::string::npos);
  }
  const std::pair<const char*, int> numbers[] = {
      {"1", 1}, {"65535", 65535}, {" 502 ", 502}, {"0", 0},   {"65536", 0},
      {"", 0},  {"12ab", 0},      {"-1", 0},      {"+80", 0}, {"4294967297", 0}};
  for (const auto& [text, number] : numbers)
    EXPECT_EQ(TcpPortNumberOf(text).value_or(0), number) << text;
}

// A peer on loopback that keeps more waiting to be sent than every buffer between it and
// the port holds: the bytes (offset % 251) of an endless stream.
struct Flood {
  explicit Flood(uint16_t port) { socket.connectToHost(QHostAddress::LocalHost, port); }
  void TopUp() {
    for (std::string block(1 << 20, '\0'); socket.bytesToWrite() < (16 << 20);) {
      for (char& byte : block) byte = static_cast<char>(sent++ % 251);
      socket.write(block.data(), static_cast<qint64>(block.size()));
    }
  }
  QTcpSocket socket;
  uint64_t sent = 0;
};

// Reads what a Flood sent, counting the bytes and those out of place, at most `budget` bytes
// in one turn; answers the bytes of the turn.
struct FloodReader {
  size_t ReadTurn(Port& port, size_t budget = SIZE_MAX) {
    size_t turn = 0;
    for (size_t n = 1; n != 0 && turn < budget; turn += n) {
      chunk.clear();
      n = port.Read(chunk, 256 * 1024);
      for (const char byte : chunk)
        misplaced += static_cast<unsigned char>(byte) != (received++ % 251);
    }
    return turn;
  }
  uint64_t received = 0, misplaced = 0;
  std::string chunk;
};

// A flooding peer is held back by TCP while the reader has stopped: the port keeps no more
// than its limits. A reader that reads until nothing is left still ends each turn within the
// read budget. Long enough for the system to have had every reason to grow its receive
// buffer, the flood is then replaced by a new peer while the reader has stopped: what the
// port keeps of it stays within the fixed buffers. Every byte arrives in order.
TEST(TcpPortTest, AFloodStaysWithinTheLimitsAndArrivesInOrder) {
  TcpServerRig rig;
  TcpPortOptions& limits = rig.options;
  limits.receiveLimit = 64 * 1024;
  limits.socketReadBufferSize = 16 * 1024;
  limits.systemReceiveBufferSize = 64 * 1024;
  limits.readBudget = 1 << 20;
  ASSERT_TRUE(rig.Listen());
  Flood flood(rig.localPort);
  ASSERT_TRUE(WaitUntil([&] { return flood.socket.state() == QAbstractSocket::ConnectedState; }));
  flood.TopUp();
  const size_t held = limits.receiveLimit + static_cast<size_t>(limits.socketReadBufferSize);
  ASSERT_TRUE(WaitUntil([&] { return rig.Waiting() >= limits.receiveLimit; }));
  RunEventRounds(200);
  EXPECT_LE(rig.Waiting(), held);

  FloodReader reader;
  size_t largestTurn = 0;
  ASSERT_TRUE(WaitUntil(
      [&] {
        largestTurn = std::max(largestTurn, reader.ReadTurn(rig.port(), 4 * limits.readBudget));
        flood.TopUp();
        return reader.received >= (64u << 20);
      },
      120000));
  EXPECT_LE(largestTurn, held + limits.readBudget);

  RunEventRounds(100);  // the reader stops; every buffer fills up
  QTcpSocket second;
  second.connectToHost(QHostAddress::LocalHost, rig.localPort);
  ASSERT_TRUE(WaitUntil([&] { return second.state() == QAbstractSocket::ConnectedState; }));
  RunEventRounds(20);
  EXPECT_LE(rig.Waiting(), held + 2 * static_cast<size_t>(limits.systemReceiveBufferSize));
  reader.ReadTurn(rig.port());
  EXPECT_EQ(reader.misplaced, 0u);
}

// Chunks and takes of many sizes, so that the storage drops taken bytes at many points.
TEST(ReceiveBuffer, GivesBytesBackInArrivalOrderWhateverTheSizes) {
  ReceiveBuffer buffer;
  std::string expected, taken;
  for (int round = 0; round < 300; ++round) {
    const std::string chunk(static_cast<size_t>(round * 37 % 5000), static_cast<char>(round));
    buffer.Append(chunk);
    expected += chunk;
    buffer.TakeFront(taken, round % 3 == 0 ? 1 : static_cast<size_t>(round * 53 % 7000));
    EXPECT_EQ(buffer.Size(), expected.size() - taken.size());
  }
  buffer.TakeFront(taken, SIZE_MAX);
  EXPECT_EQ(taken, expected);
}

}  // namespace
}  // namespace fenno

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <atomic>
#include <fstream>
#include <memory>
#include <thread>

#include "transport/port_dialogs.h"
#include "transport/port_text_ids.h"
#include "transport/qt_tcp_port.h"
#include "transport/transport_test_support.h"

namespace fenno {
namespace {

using testing::RunEventRounds;
using testing::WaitUntil;

constexpr std::chrono::milliseconds kShortReconnect{50};

uint16_t FreeLoopbackPort() {
  testing::TestApp();
  QTcpServer probe;
  if (!probe.listen(QHostAddress::LocalHost, 0)) return 0;
  return probe.serverPort();
}

// A plain blocking socket connected to `port` on loopback (for a sender on its own thread,
// where Qt's sockets cannot go); -1 when the connection fails.
int ConnectToLoopback(uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
    return fd;
  if (fd >= 0) ::close(fd);
  return -1;
}

// Bytes a socket has sent that the other side's system has not acknowledged yet.
int Unacknowledged(const QTcpSocket& socket) {
  int bytes = -1;
  ::ioctl(static_cast<int>(socket.socketDescriptor()), TIOCOUTQ, &bytes);
  return bytes;
}

// Sends bytes (offset % 251) to `port` on loopback from its own thread, until `total` bytes
// went or `stop` is set.
std::thread Flood(uint16_t port, uint64_t total, std::atomic<bool>& stop,
                  std::atomic<uint64_t>& sent) {
  return std::thread([=, &stop, &sent] {
    const int fd = ConnectToLoopback(port);
    std::vector<char> block(64 * 1024);
    for (uint64_t offset = 0; fd >= 0 && offset < total && !stop;) {
      const size_t size = static_cast<size_t>(std::min<uint64_t>(block.size(), total - offset));
      for (size_t i = 0; i < size; ++i) block[i] = static_cast<char>((offset + i) % 251);
      const ssize_t n = ::send(fd, block.data(), size, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent = offset += static_cast<uint64_t>(n);
    }
    if (fd >= 0) ::close(fd);
  });
}

// Reads what a Flood sent, counting the bytes and those out of place; at most `budget`
// bytes in one call.
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
  uint64_t received = 0;
  uint64_t misplaced = 0;
  std::string chunk;
};

// The kilobytes of memory the process holds, from /proc.
long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == "VmRSS:" && status >> value) return value;
  }
  return -1;
}

class TcpPortTest : public ::testing::Test {
 protected:
  TcpPortTest() : fixture_(NetfennoEdition()) {}

  Settings& settings() { return fixture_.settings; }
  testing::RecordingPrompt& prompt() { return fixture_.prompt; }

  std::unique_ptr<TcpPort> ClientOf(uint16_t port, TcpPortOptions options = {kShortReconnect}) {
    settings().TcpMode = 0;
    settings().TcpRemoteHost = "127.0.0.1";
    settings().TcpRemotePort = std::to_string(port);
    return std::make_unique<TcpPort>(fixture_.context, options);
  }

  std::unique_ptr<TcpPort> ServerOn(uint16_t port, TcpPortOptions options = {kShortReconnect}) {
    settings().TcpMode = 1;
    settings().TcpLocalPort = std::to_string(port);
    return std::make_unique<TcpPort>(fixture_.context, options);
  }

  static std::string ReadThrough(Port& port, size_t count) {
    std::string received;
    WaitUntil([&] {
      port.Read(received, 1);
      return received.size() >= count;
    });
    return received;
  }

  static std::string PeerReceives(QTcpSocket& peer, size_t count) {
    std::string received;
    WaitUntil([&] {
      received += peer.readAll().toStdString();
      return received.size() >= count;
    });
    return received;
  }

  static QTcpSocket* NextPeer(QTcpServer& server) {
    if (!WaitUntil([&] { return server.hasPendingConnections(); })) return nullptr;
    return server.nextPendingConnection();
  }

  // The device's end of the connection once `client` has connected to `device`; null when
  // it never does.
  static std::unique_ptr<QTcpSocket> AcceptClient(QTcpServer& device, TcpPort& client) {
    std::unique_ptr<QTcpSocket> peer(NextPeer(device));
    if (!peer || !WaitUntil([&] { return client.IsConnected(); })) return nullptr;
    return peer;
  }

  testing::PortFixtureContext fixture_;
};

TEST_F(TcpPortTest, ClientKeepsTryingAndSendsWhatWaitedInOnePieceOnceConnected) {
  const uint16_t devicePort = FreeLoopbackPort();
  auto port = ClientOf(devicePort);
  ASSERT_TRUE(port->Open());
  EXPECT_FALSE(port->HasLines());
  RunEventRounds(10);
  EXPECT_FALSE(port->IsConnected());
  const std::string waiting = "queued by a button\rand by a command\r";
  EXPECT_EQ(port->Write(waiting), 0u) << "nothing is taken while the device is away";

  QTcpServer device;
  ASSERT_TRUE(device.listen(QHostAddress::LocalHost, devicePort));
  std::unique_ptr<QTcpSocket> peer = AcceptClient(device, *port);
  ASSERT_NE(peer, nullptr);
  EXPECT_EQ(port->SocketState(), kSocketConnected);
  EXPECT_EQ(port->Write(waiting), waiting.size());
  EXPECT_EQ(PeerReceives(*peer, waiting.size()), waiting);
  EXPECT_TRUE(prompt().messages.empty()) << "failed attempts show nothing";
}

// The client calls again after the peer closes, also while the reader is behind: what came
// before the close is kept, beyond the receive limit too, and the connection number moves on
// exactly between the two connections' bytes.
TEST_F(TcpPortTest, ClientReconnectsAndTheConnectionNumberMovesOnBetweenTheBytes) {
  QTcpServer device;
  ASSERT_TRUE(device.listen(QHostAddress::LocalHost, 0));
  TcpPortOptions options{kShortReconnect};
  options.receiveLimit = 16;
  auto port = ClientOf(device.serverPort(), options);
  ASSERT_TRUE(port->Open());
  std::unique_ptr<QTcpSocket> first = AcceptClient(device, *port);
  ASSERT_NE(first, nullptr);
  const uint32_t before = port->ConnectionNumber();
  std::string records;
  for (int i = 0; i < 20; ++i) records += "record " + std::to_string(i) + "\r\n";
  records += "12.";  // cut off in the middle of a record
  first->write(records.data(), static_cast<qint64>(records.size()));
  first->disconnectFromHost();
  std::unique_ptr<QTcpSocket> second = AcceptClient(device, *port);
  ASSERT_NE(second, nullptr);
  second->write("13.5\r");
  second->flush();
  RunEventRounds(10);

  std::string taken;
  while (taken.size() < records.size() && port->Read(taken, 7) > 0)
    EXPECT_EQ(port->ConnectionNumber() == before, taken.size() < records.size());
  EXPECT_EQ(taken, records) << "the ended connection's bytes come on their own";
  EXPECT_EQ(ReadThrough(*port, 5), "13.5\r");
}

TEST_F(TcpPortTest, ServerTalksToTheNewestPeerListensAgainAfterACloseAndPurges) {
  const uint16_t localPort = FreeLoopbackPort();
  auto port = ServerOn(localPort);
  ASSERT_TRUE(port->Open());
  EXPECT_EQ(port->SocketState(), kSocketListening);
  EXPECT_EQ(port->ListeningPort(), localPort);

  QTcpSocket first;
  first.connectToHost(QHostAddress::LocalHost, localPort);
  ASSERT_TRUE(WaitUntil([&] { return port->IsConnected(); }));
  EXPECT_EQ(port->PeerAddress(), "127.0.0.1");
  first.write("from the first\r");
  EXPECT_EQ(ReadThrough(*port, 15), "from the first\r");

  first.write("last from the first\r");
  ASSERT_TRUE(first.flush());
  QTcpSocket second;
  second.connectToHost(QHostAddress::LocalHost, localPort);
  ASSERT_TRUE(WaitUntil([&] { return first.state() == QAbstractSocket::UnconnectedState; }))
      << "the new peer replaces the current one";
  second.write("from the second\r");
  EXPECT_EQ(ReadThrough(*port, 36), "last from the first\rfrom the second\r")
      << "what the replaced peer sent before is kept";
  EXPECT_EQ(port->Write("to the second"), 13u);
  EXPECT_EQ(PeerReceives(second, 13), "to the second");

  second.disconnectFromHost();
  ASSERT_TRUE(WaitUntil([&] { return port->SocketState() == kSocketListening; }));
  EXPECT_EQ(port->Write("nobody"), 0u);
  QTcpSocket third;
  third.connectToHost(QHostAddress::LocalHost, localPort);
  ASSERT_TRUE(WaitUntil([&] { return port->IsConnected(); }));
  third.write("stale");
  ASSERT_TRUE(WaitUntil([&] { return port->BufferedBytes() == 5; }));
  port->Purge();
  EXPECT_EQ(port->BufferedBytes(), 0u);
  third.write("fresh");
  EXPECT_EQ(ReadThrough(*port, 5), "fresh");

  port->Close();
  EXPECT_EQ(port->SocketState(), kSocketClosed);
  EXPECT_TRUE(prompt().messages.empty());
}

// A device that closes and calls again while the reader is behind: its new connection
// replaces the old one before the old one's end was noticed. Everything it sent before
// closing is still read, more than the receive limit included, before the new connection's
// bytes and with the connection number moving on between them.
TEST_F(TcpPortTest, WhatAClosedPeerSentSurvivesItsReplacementWhileTheReaderIsBehind) {
  const uint16_t localPort = FreeLoopbackPort();
  TcpPortOptions options{kShortReconnect};
  options.receiveLimit = 1024;
  options.socketReadBufferSize = 512;
  auto port = ServerOn(localPort, options);
  ASSERT_TRUE(port->Open());
  QTcpSocket first;
  first.connectToHost(QHostAddress::LocalHost, localPort);
  ASSERT_TRUE(WaitUntil([&] { return port->IsConnected(); }));
  // Far beyond the limits, and within what the system takes in before anybody reads.
  std::string records;
  for (int i = 0; records.size() < 64 * 1024; ++i)
    records += "record " + std::to_string(i) + "\r\n";
  first.write(records.data(), static_cast<qint64>(records.size()));
  ASSERT_TRUE(WaitUntil([&] { return first.bytesToWrite() == 0 && Unacknowledged(first) == 0; }))
      << "all of it reached the port's system";
  first.disconnectFromHost();
  ASSERT_TRUE(WaitUntil([&] { return first.state() == QAbstractSocket::UnconnectedState; }));
  const uint32_t firstConnection = port->ConnectionNumber();

  QTcpSocket second;
  second.connectToHost(QHostAddress::LocalHost, localPort);
  ASSERT_TRUE(WaitUntil([&] { return second.state() == QAbstractSocket::ConnectedState; }));
  second.write("from the second\r");
  second.flush();
  RunEventRounds(20);

  std::string received;
  while (received.size() < records.size()) {
    if (port->Read(received, 4096) == 0) break;
    EXPECT_EQ(port->ConnectionNumber() == firstConnection, received.size() < records.size());
  }
  ASSERT_EQ(received.size(), records.size());
  EXPECT_TRUE(received == records) << "the first peer's bytes in order";
  EXPECT_EQ(ReadThrough(*port, 16), "from the second\r");
}

// A peer flooding at full speed (so the system has had every reason to grow its receive
// buffer) is replaced while the reader has stopped: what the port keeps of it stays within
// its limits and the fixed system buffer, and arrives in order without a gap.
TEST_F(TcpPortTest, AReplacedFloodingPeerLeavesNoMoreThanTheFixedBuffersHold) {
  const uint16_t localPort = FreeLoopbackPort();
  TcpPortOptions options{kShortReconnect};
  options.receiveLimit = 64 * 1024;
  options.socketReadBufferSize = 16 * 1024;
  options.systemReceiveBufferSize = 64 * 1024;
  auto port = ServerOn(localPort, options);
  ASSERT_TRUE(port->Open());

  std::atomic<bool> done{false};
  std::atomic<uint64_t> sent{0};
  std::thread flooder = Flood(localPort, UINT64_MAX, done, sent);
  FloodReader reader;
  const bool flooded = WaitUntil(
      [&] {
        reader.ReadTurn(*port);
        return reader.received >= (64u << 20);
      },
      120000);
  if (!flooded) done = true, flooder.join();
  ASSERT_TRUE(flooded);
  RunEventRounds(100);  // the reader stops; every buffer fills up

  QTcpSocket second;
  second.connectToHost(QHostAddress::LocalHost, localPort);
  ASSERT_TRUE(WaitUntil([&] { return second.state() == QAbstractSocket::ConnectedState; }));
  RunEventRounds(20);
  const size_t fixedBuffers = options.receiveLimit +
                              static_cast<size_t>(options.socketReadBufferSize) +
                              2 * static_cast<size_t>(options.systemReceiveBufferSize);
  EXPECT_LE(port->BufferedBytes(), fixedBuffers);
  reader.ReadTurn(*port);
  done = true;
  flooder.join();
  EXPECT_EQ(reader.misplaced, 0u);
}

// A flooding peer while the engine reads nothing: memory stays bounded because the port
// stops reading the socket, and TCP holds the sender back. Then a reader that reads until
// nothing is left gets what was held and at most the read budget more between two passes
// of the event loop, however fast the peer sends. Nothing is lost.
TEST_F(TcpPortTest, AFloodStaysBoundedEndsEachReadingTurnAndArrivesWholeAndInOrder) {
  constexpr uint64_t kTotal = 100ull << 20;
  const uint16_t localPort = FreeLoopbackPort();
  auto port = ServerOn(localPort);
  ASSERT_TRUE(port->Open());
  const long residentBefore = ResidentKilobytes();

  std::atomic<bool> never{false};
  std::atomic<uint64_t> sent{0};
  std::thread sender = Flood(localPort, kTotal, never, sent);

  const TcpPortOptions limits;
  const size_t held = limits.receiveLimit + static_cast<size_t>(limits.socketReadBufferSize);
  ASSERT_TRUE(WaitUntil([&] { return port->BufferedBytes() >= limits.receiveLimit; }, 60000));
  RunEventRounds(200);
  EXPECT_LE(port->BufferedBytes(), held);
  EXPECT_LT(sent.load(), kTotal) << "the sender is held back";
  EXPECT_LT(ResidentKilobytes() - residentBefore, 48 * 1024) << "kilobytes grown while flooded";

  FloodReader reader;
  size_t largestTurn = 0;
  const bool allArrived = WaitUntil(
      [&] {
        largestTurn = std::max(largestTurn, reader.ReadTurn(*port, 4 * limits.readBudget));
        return reader.received >= kTotal;
      },
      240000);
  sender.join();
  EXPECT_TRUE(allArrived) << reader.received << " of " << kTotal;
  EXPECT_EQ(reader.received, kTotal);
  EXPECT_EQ(reader.misplaced, 0u);
  EXPECT_LE(largestTurn, held + limits.readBudget);
}

TEST_F(TcpPortTest, APeerOutsideTheAllowedPeersIsClosedAtOnceAndToldOnce) {
  StoreAllowedPeers("10.0.0.0/8, fd00::/8", fixture_.store, NetfennoEdition().programName);
  const uint16_t localPort = FreeLoopbackPort();
  auto port = ServerOn(localPort);
  ASSERT_TRUE(port->Open());
  for (int attempt = 0; attempt < 2; ++attempt) {
    QTcpSocket refused;
    refused.connectToHost(QHostAddress::LocalHost, localPort);
    refused.write("not for you\r");
    ASSERT_TRUE(WaitUntil([&] { return refused.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(port->SocketState(), kSocketListening);
  }
  ASSERT_EQ(prompt().messages.size(), 1u) << "once per address";
  EXPECT_EQ(prompt().messages[0].text, fixture_.strings.Format(str::kPeerRefused, {"127.0.0.1"}));
  std::string received;
  EXPECT_EQ(port->Read(received, 100), 0u);

  // The list is read at each Open.
  StoreAllowedPeers("10.0.0.0/8, 127.0.0.1", fixture_.store, NetfennoEdition().programName);
  ASSERT_TRUE(port->Open());
  QTcpSocket allowed;
  allowed.connectToHost(QHostAddress::LocalHost, localPort);
  ASSERT_TRUE(WaitUntil([&] { return port->IsConnected(); }));
  allowed.write("welcome\r");
  EXPECT_EQ(ReadThrough(*port, 8), "welcome\r");
}

TEST_F(TcpPortTest, AnUnusablePortNumberIsReportedAndNothingOpens) {
  for (const char* text : {"", "0", "70000", "80a", "-5", " "}) {
    for (int16_t mode : {0, 1}) {
      SCOPED_TRACE(std::string("\"") + text + "\" in mode " + std::to_string(mode));
      prompt().messages.clear();
      settings().TcpMode = mode;
      settings().TcpRemoteHost = "127.0.0.1";
      settings().TcpRemotePort = text;
      settings().TcpLocalPort = text;
      TcpPort port(fixture_.context);
      EXPECT_FALSE(port.Open());
      EXPECT_FALSE(port.IsOpen());
      EXPECT_EQ(port.SocketState(), kSocketClosed);
      ASSERT_EQ(prompt().messages.size(), 1u);
      EXPECT_NE(prompt().messages[0].text.find("not a valid TCP port number"), std::string::npos);
    }
  }
}

TEST_F(TcpPortTest, AServerPortInUseIsReported) {
  QTcpServer other;
  ASSERT_TRUE(other.listen(QHostAddress::Any, 0));
  auto port = ServerOn(other.serverPort());
  EXPECT_FALSE(port->Open());
  ASSERT_EQ(prompt().messages.size(), 1u);
  EXPECT_NE(prompt().messages[0].text.find("already in use"), std::string::npos)
      << prompt().messages[0].text;
}

TEST(TcpPortNumber, IsADecimalNumberFrom1To65535) {
  const struct {
    const char* text;
    int number;  // 0: not a port
  } cases[] = {{"1", 1}, {"65535", 65535}, {" 502 ", 502}, {"0", 0},   {"65536", 0},
               {"", 0},  {"12ab", 0},      {"-1", 0},      {"+80", 0}, {"4294967297", 0}};
  for (const auto& row : cases) {
    const std::optional<uint16_t> number = TcpPortNumberOf(row.text);
    EXPECT_EQ(number.value_or(0), row.number) << row.text;
  }
}

}  // namespace
}  // namespace fenno

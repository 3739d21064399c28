#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "engine/port.h"
#include "transport/peer_filter.h"
#include "transport/port_context.h"
#include "transport/receive_buffer.h"

class QObject;
class QTcpServer;
class QTcpSocket;
class QTimer;

namespace fenno {

// Connection states as the terminal window shows them (its captions are numbered in this
// order). Connection pending, host resolved and error are passing states that a connection
// through Qt never rests in, so they are not reported.
enum SocketStateNumber : int {
  kSocketClosed = 0,
  kSocketOpen = 1,
  kSocketListening = 2,
  kSocketConnectionPending = 3,
  kSocketResolvingHost = 4,
  kSocketHostResolved = 5,
  kSocketConnecting = 6,
  kSocketConnected = 7,
  kSocketPeerClosing = 8,
  kSocketError = 9,
};

struct TcpPortOptions {
  // How often the client tries again after a failed attempt or a lost connection.
  std::chrono::milliseconds reconnectInterval{5000};
  // Received bytes held for the reader: what arrives while events run is moved here, so
  // the peer goes on sending between the reader's turns. Beyond this (and Qt's own buffer
  // below it) received bytes stay with the system until the reader asks, so a peer that
  // sends faster than the reader takes is held back by TCP itself. When a connection ends
  // (or a new peer replaces it), what the system still holds for it is taken too, so this
  // may be exceeded by up to the system's receive buffer below.
  size_t receiveLimit = size_t{4} << 20;
  int64_t socketReadBufferSize = 64 * 1024;
  // The system's receive buffer of each connection (SO_RCVBUF, which Linux doubles for its
  // bookkeeping). Fixed rather than grown by the system (up to net.ipv4.tcp_rmem, tens of
  // MiB on some machines), so that an ending connection's bytes stay few.
  int systemReceiveBufferSize = 1 << 20;
  // Bytes taken from the system between two passes of the event loop: a reader that reads
  // until nothing is left still ends its turn while a peer floods it.
  size_t readBudget = size_t{4} << 20;
};

// The connection of the TCP program. As client (TcpMode 0) it connects to TcpRemoteHost and
// TcpRemotePort and keeps trying again after every failure or close; as server (TcpMode 1)
// it listens on TcpLocalPort and talks to one peer at a time, a new peer replacing the
// current one; a peer outside the user's allowed peers (port_dialogs.h) is closed at once
// and leaves the current one alone. There are no serial lines: the line operations do nothing.
class TcpPort : public LinelessPort {
 public:
  explicit TcpPort(const PortContext& context, TcpPortOptions options = {});
  ~TcpPort() override;
  TcpPort(const TcpPort&) = delete;
  TcpPort& operator=(const TcpPort&) = delete;

  // Starts connecting or listening. The client's first attempt may fail later without a
  // message (it is retried); an unusable port number or a port that cannot be listened on
  // is reported and answers false.
  bool Open() override;
  void Close() override;
  bool IsOpen() const override { return open_; }

  // Takes what was received in order: bytes of an ended connection, Qt's buffer, then
  // straight from the system (within the read budget).
  size_t Read(std::string& out, size_t maxBytes) override;
  // Counts ended connections once their last bytes have been read.
  uint32_t ConnectionNumber() const override { return connectionNumber_; }
  // Takes all of `data` while connected, nothing otherwise.
  size_t Write(std::string_view data) override;
  // Drops what was received and not yet read.
  void Purge() override;

  // SocketStateNumber of the connection now.
  int SocketState() const;
  bool IsConnected() const { return SocketState() == kSocketConnected; }
  // The peer's address while connected, "" otherwise.
  std::string PeerAddress() const;
  // The port the server listens on (0 when not listening).
  uint16_t ListeningPort() const;
  // Received bytes held in this process: the receive buffer and Qt's buffer.
  size_t BufferedBytes() const;

 private:
  // The number in a port setting; an unusable one is reported.
  std::optional<uint16_t> ConfiguredPort(const std::string& portText);
  bool StartClient();
  bool StartServer();
  void ConnectToRemote();
  void WatchSocket(QTcpSocket* socket);
  void OnConnectionEnded(QTcpSocket* socket);
  void OnNewPeers();
  void AdoptPeer(QTcpSocket* peer);
  void RefusePeer(QTcpSocket* peer, const std::string& address);
  void RetirePeer();
  void PullFromSocket();
  size_t TakeFromSocket(std::string& out, size_t maxBytes);
  size_t TakeFromSystem(std::string& out, size_t maxBytes);
  size_t Receive(std::string& to, size_t maxBytes);
  void DrainSocket();
  size_t SystemReceiveBufferSize() const;
  void LimitSystemReceiveBuffer(int64_t descriptor) const;
  void MarkConnectionEnded();
  void FlushPendingOutput();
  void ReportListenFailure(uint16_t port);
  void ShowMessage(const std::string& text);

  PortContext context_;
  TcpPortOptions options_;
  std::unique_ptr<QObject> receiver_;  // context of every connection to socket signals
  std::unique_ptr<QTimer> reconnectTimer_;
  std::unique_ptr<QTcpServer> server_;
  QTcpSocket* socket_ = nullptr;  // the client socket or the current peer; owned
  ReceiveBuffer received_;
  // Bytes at the front of received_ that an ended connection left; the connection number
  // moves on once they have been read.
  size_t endedConnectionBytes_ = 0;
  uint32_t connectionNumber_ = 0;
  uint32_t endedConnections_ = 0;
  std::string chunk_;  // reused for moving bytes out of the socket
  size_t readBudget_ = 0;
  std::string remoteHost_;
  uint16_t remotePort_ = 0;
  bool open_ = false;
  bool serverMode_ = false;
  PeerFilter allowedPeers_;             // read at each Open
  std::set<std::string> refusedPeers_;  // told once each
};

// The port number a port text stands for (decimal digits, blanks around them allowed), or
// nothing when it is not a number from 1 to 65535.
std::optional<uint16_t> TcpPortNumberOf(std::string_view text);

// The machine's own address as a server would be reached at: the first IPv4 address of an
// interface that is up and not the loopback, else such an IPv6 address that is not
// link-local; "" when the machine has no network address.
std::string LocalNetworkAddress();

}  // namespace fenno

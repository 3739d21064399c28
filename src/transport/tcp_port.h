#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "transport/port.h"
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
  // Received bytes held for the reader. Beyond this the socket is no longer read, so a
  // peer that sends faster than the reader takes is held back by TCP itself.
  size_t receiveLimit = size_t{1} << 20;
  // Qt's own buffer below the receive buffer.
  int64_t socketReadBufferSize = 64 * 1024;
};

// The connection of the TCP program. As client (TcpMode 0) it connects to TcpRemoteHost and
// TcpRemotePort and keeps trying again after every failure or close; as server (TcpMode 1)
// it listens on TcpLocalPort and talks to one peer at a time, a new peer replacing the
// current one. There are no serial lines: the line operations do nothing.
class TcpPort : public Port {
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

  size_t Read(std::string& out, size_t maxBytes) override;
  // Takes all of `data` while connected, nothing otherwise.
  size_t Write(std::string_view data) override;
  // Drops what was received and not yet read.
  void Purge() override;

  bool HasLines() const override { return false; }
  void SetDtr(bool) override {}
  void SetRts(bool) override {}
  void PulseDtr() override {}
  void SetBreak(bool) override {}
  uint32_t ModemStatus() override { return 0; }
  bool SetBaudRate(int32_t) override { return false; }
  bool SetParity(int) override { return false; }
  bool SetDataBits(int) override { return false; }
  bool SetStopBits(int) override { return false; }

  // SocketStateNumber of the connection now.
  int SocketState() const;
  bool IsConnected() const { return SocketState() == kSocketConnected; }
  // The peer's address while connected, "" otherwise.
  std::string PeerAddress() const;
  // The port the server listens on (0 when not listening).
  uint16_t ListeningPort() const;
  // Received bytes held in this process: the receive buffer and the socket's own buffer.
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
  void RetirePeer();
  void PullFromSocket();
  void DrainSocket();
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
  std::string chunk_;  // reused for moving bytes out of the socket
  std::string remoteHost_;
  uint16_t remotePort_ = 0;
  bool open_ = false;
  bool serverMode_ = false;
};

// The port number a port text stands for (decimal digits, blanks around them allowed), or
// nothing when it is not a number from 1 to 65535.
std::optional<uint16_t> TcpPortNumberOf(std::string_view text);

// The machine's own IPv4 network address, "" when it has none besides loopback.
std::string LocalNetworkAddress();

}  // namespace fenno

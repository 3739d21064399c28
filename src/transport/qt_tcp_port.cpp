#include "transport/qt_tcp_port.h"

#include <sys/socket.h>

#include <QHostAddress>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <charconv>

#include "base/qt_text.h"
#include "transport/port_dialogs.h"
#include "transport/port_text_ids.h"
#include "transport/transport_text_ids.h"

namespace fenno {
namespace {

// Output already taken from the caller is given this long to leave at Close.
constexpr int kCloseFlushLimitMs = 1000;
constexpr int kFirstUnprivilegedPort = 1024;
// Reads from the system take at least this much (into the receive buffer when the reader
// wants less).
constexpr size_t kSmallestSystemRead = 64 * 1024;

int StateNumberOf(QAbstractSocket::SocketState state) {
  switch (state) {
    case QAbstractSocket::HostLookupState:
      return kSocketResolvingHost;
    case QAbstractSocket::ConnectingState:
      return kSocketConnecting;
    case QAbstractSocket::ConnectedState:
      return kSocketConnected;
    case QAbstractSocket::BoundState:
      return kSocketOpen;
    case QAbstractSocket::ListeningState:
      return kSocketListening;
    case QAbstractSocket::ClosingState:
      return kSocketPeerClosing;
    case QAbstractSocket::UnconnectedState:
      break;
  }
  return kSocketClosed;
}

std::string_view Trimmed(std::string_view text) {
  constexpr std::string_view blanks = " \t";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string AddressText(const QHostAddress& address) {
  bool mapped = false;
  const quint32 ipv4 = address.toIPv4Address(&mapped);
  return ToBytes((mapped ? QHostAddress(ipv4) : address).toString());
}

}  // namespace

std::optional<uint16_t> TcpPortNumberOf(std::string_view text) {
  const std::string_view digits = Trimmed(text);
  unsigned number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) return {};
  if (number < 1 || number > 65535) return {};
  return static_cast<uint16_t>(number);
}

TcpPort::TcpPort(const PortContext& context, TcpPortOptions options)
    : context_(context),
      options_(options),
      receiver_(std::make_unique<QObject>()),
      reconnectTimer_(std::make_unique<QTimer>()) {
  readBudget_ = options_.readBudget;
  reconnectTimer_->setInterval(options_.reconnectInterval);
  QObject::connect(reconnectTimer_.get(), &QTimer::timeout, receiver_.get(),
                   [this] { ConnectToRemote(); });
}

TcpPort::~TcpPort() {
  Close();
}

bool TcpPort::Open() {
  Close();
  serverMode_ = context_.settings.TcpMode == 1;
  open_ = serverMode_ ? StartServer() : StartClient();
  return open_;
}

std::optional<uint16_t> TcpPort::ConfiguredPort(const std::string& portText) {
  const std::optional<uint16_t> port = TcpPortNumberOf(portText);
  if (!port) ShowMessage(context_.strings.Format(str::kTcpPortInvalid, {portText}));
  return port;
}

bool TcpPort::StartClient() {
  const std::optional<uint16_t> port = ConfiguredPort(context_.settings.TcpRemotePort);
  if (!port) return false;
  remoteHost_ = context_.settings.TcpRemoteHost;
  remotePort_ = *port;
  socket_ = new QTcpSocket;
  WatchSocket(socket_);
  QObject::connect(socket_, &QTcpSocket::connected, receiver_.get(), [this] {
    reconnectTimer_->stop();
    LimitSystemReceiveBuffer(socket_->socketDescriptor());
  });
  ConnectToRemote();
  return true;
}

bool TcpPort::StartServer() {
  const std::optional<uint16_t> port = ConfiguredPort(context_.settings.TcpLocalPort);
  if (!port) return false;
  allowedPeers_ =
      PeerFilter::FromText(LoadAllowedPeers(context_.store, context_.edition.programName));
  server_ = std::make_unique<QTcpServer>();
  QObject::connect(server_.get(), &QTcpServer::newConnection, receiver_.get(),
                   [this] { OnNewPeers(); });
  if (server_->listen(QHostAddress::Any, *port)) {
    LimitSystemReceiveBuffer(server_->socketDescriptor());  // peers take it over
    return true;
  }
  ReportListenFailure(*port);
  server_.reset();
  return false;
}

void TcpPort::ConnectToRemote() {
  // A slow attempt may still be under way when the timer fires again; it is left to finish.
  if (!socket_ || socket_->state() != QAbstractSocket::UnconnectedState) return;
  socket_->connectToHost(FromBytes(remoteHost_), remotePort_);
}

void TcpPort::WatchSocket(QTcpSocket* socket) {
  socket->setReadBufferSize(options_.socketReadBufferSize);
  QObject::connect(socket, &QTcpSocket::readyRead, receiver_.get(), [this] { PullFromSocket(); });
  QObject::connect(socket, &QTcpSocket::stateChanged, receiver_.get(),
                   [this, socket](QAbstractSocket::SocketState state) {
                     if (state == QAbstractSocket::UnconnectedState) OnConnectionEnded(socket);
                   });
}

void TcpPort::OnConnectionEnded(QTcpSocket* socket) {
  if (socket != socket_) return;
  if (serverMode_) {
    RetirePeer();
    return;
  }
  // What the peer sent before it closed may still wait in the socket, which forgets it on
  // the next attempt to connect.
  DrainSocket();
  MarkConnectionEnded();
  if (!reconnectTimer_->isActive()) reconnectTimer_->start();
}

void TcpPort::OnNewPeers() {
  while (server_ && server_->hasPendingConnections()) {
    QTcpSocket* peer = server_->nextPendingConnection();
    const std::string address = AddressText(peer->peerAddress());
    if (allowedPeers_.Allows(address))
      AdoptPeer(peer);
    else
      RefusePeer(peer, address);
  }
}

// Closed before a byte is read; the current peer stays. The message comes once per
// address, so a device that keeps calling does not bury the desktop in messages.
void TcpPort::RefusePeer(QTcpSocket* peer, const std::string& address) {
  peer->abort();
  peer->deleteLater();
  if (refusedPeers_.insert(address).second)
    ShowMessage(context_.strings.Format(str::kPeerRefused, {address}));
}

void TcpPort::AdoptPeer(QTcpSocket* peer) {
  RetirePeer();
  peer->setParent(nullptr);
  LimitSystemReceiveBuffer(peer->socketDescriptor());
  socket_ = peer;
  WatchSocket(peer);
  PullFromSocket();
}

void TcpPort::RetirePeer() {
  if (!socket_) return;
  QObject::disconnect(socket_, nullptr, receiver_.get(), nullptr);
  DrainSocket();
  MarkConnectionEnded();
  socket_->abort();
  // This may run inside one of the socket's own signals.
  socket_->deleteLater();
  socket_ = nullptr;
}

// Between the reader's turns, what arrives is moved into the receive buffer, so the system's
// buffers do not fill up and stop the peer while the reader waits for its next turn.
void TcpPort::PullFromSocket() {
  if (!socket_ || received_.Size() >= options_.receiveLimit) return;
  const auto held = static_cast<size_t>(std::max<qint64>(socket_->bytesAvailable(), 0));
  const size_t wanted = std::min(options_.receiveLimit - received_.Size(), held);
  if (wanted == 0) return;
  chunk_.resize(wanted);
  const qint64 got = socket_->read(chunk_.data(), static_cast<qint64>(wanted));
  if (got > 0) received_.Append(std::string_view(chunk_.data(), static_cast<size_t>(got)));
  TellArrival();
}

// The connection ends here, so everything it brought is kept: what Qt has read first, then
// all that is still with the system, beyond the receive limit if need be (the socket's
// receive buffer bounds it). A device that closed and called again before the reader
// caught up sent those bytes as whole records.
void TcpPort::DrainSocket() {
  if (!socket_) return;
  const QByteArray held = socket_->readAll();
  received_.Append(std::string_view(held.constData(), static_cast<size_t>(held.size())));
  for (size_t room = SystemReceiveBufferSize(); room > 0;) {
    chunk_.clear();
    const size_t got = Receive(chunk_, room);
    if (got == 0) break;
    received_.Append(chunk_);
    room -= got;
  }
}

void TcpPort::LimitSystemReceiveBuffer(int64_t descriptor) const {
  if (descriptor < 0 || options_.systemReceiveBufferSize <= 0) return;
  const int size = options_.systemReceiveBufferSize;
  ::setsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
}

size_t TcpPort::SystemReceiveBufferSize() const {
  const qintptr descriptor = socket_ ? socket_->socketDescriptor() : -1;
  int size = 0;
  socklen_t length = sizeof size;
  if (descriptor < 0 ||
      ::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_RCVBUF, &size, &length) != 0)
    return 0;
  return static_cast<size_t>(std::max(size, 0));
}

void TcpPort::Close() {
  reconnectTimer_->stop();
  if (server_) {
    QObject::disconnect(server_.get(), nullptr, receiver_.get(), nullptr);
    server_->close();
  }
  if (socket_) {
    QObject::disconnect(socket_, nullptr, receiver_.get(), nullptr);
    FlushPendingOutput();
    socket_->abort();
    delete socket_;
    socket_ = nullptr;
  }
  server_.reset();
  open_ = false;
}

void TcpPort::FlushPendingOutput() {
  if (socket_->state() != QAbstractSocket::ConnectedState) return;
  socket_->flush();
  if (socket_->bytesToWrite() > 0) socket_->waitForBytesWritten(kCloseFlushLimitMs);
}

void TcpPort::MarkConnectionEnded() {
  ++endedConnections_;
  endedConnectionBytes_ = received_.Size();
  if (endedConnectionBytes_ == 0) connectionNumber_ = endedConnections_;
}

size_t TcpPort::Read(std::string& out, size_t maxBytes) {
  // An ended connection's bytes are handed out on their own, so the reader sees the
  // connection number change exactly between them and the next connection's.
  if (endedConnectionBytes_ > 0) {
    const size_t taken = received_.TakeFront(out, std::min(maxBytes, endedConnectionBytes_));
    endedConnectionBytes_ -= taken;
    if (endedConnectionBytes_ == 0) connectionNumber_ = endedConnections_;
    return taken;
  }
  size_t taken = received_.TakeFront(out, maxBytes);
  if (taken < maxBytes && socket_) taken += TakeFromSocket(out, maxBytes - taken);
  return taken;
}

size_t TcpPort::TakeFromSocket(std::string& out, size_t maxBytes) {
  const auto held = static_cast<size_t>(std::max<qint64>(socket_->bytesAvailable(), 0));
  if (held == 0) return TakeFromSystem(out, maxBytes);
  const size_t start = out.size();
  out.resize(start + std::min(held, maxBytes));
  const qint64 got = socket_->read(out.data() + start, static_cast<qint64>(out.size() - start));
  out.resize(start + static_cast<size_t>(std::max<qint64>(got, 0)));
  return out.size() - start;
}

// Large reads go straight into the reader's text; a small one takes a block into the
// receive buffer, so a reader taking a byte at a time does not cost a system call a byte.
size_t TcpPort::TakeFromSystem(std::string& out, size_t maxBytes) {
  if (!IsConnected() || readBudget_ == 0) return 0;
  if (readBudget_ == options_.readBudget)
    QTimer::singleShot(0, receiver_.get(), [this] { readBudget_ = options_.readBudget; });
  const size_t wanted = std::min(readBudget_, std::max(maxBytes, kSmallestSystemRead));
  const bool direct = wanted <= maxBytes;
  chunk_.clear();
  const size_t got = Receive(direct ? out : chunk_, wanted);
  readBudget_ -= got;
  if (direct) return got;
  received_.Append(chunk_);
  return received_.TakeFront(out, maxBytes);
}

// Appends to `to` what the system holds, at most `maxBytes`; never waits.
size_t TcpPort::Receive(std::string& to, size_t maxBytes) {
  const qintptr descriptor = socket_ ? socket_->socketDescriptor() : -1;
  if (descriptor < 0 || maxBytes == 0) return 0;
  const size_t start = to.size();
  to.resize(start + maxBytes);
  const ssize_t got =
      ::recv(static_cast<int>(descriptor), to.data() + start, maxBytes, MSG_DONTWAIT);
  to.resize(start + static_cast<size_t>(std::max<ssize_t>(got, 0)));
  return to.size() - start;
}

size_t TcpPort::Write(std::string_view data) {
  if (data.empty() || !IsConnected()) return 0;
  const qint64 written = socket_->write(data.data(), static_cast<qint64>(data.size()));
  return written > 0 ? static_cast<size_t>(written) : 0;
}

void TcpPort::Purge() {
  received_.Clear();
  endedConnectionBytes_ = 0;
  connectionNumber_ = endedConnections_;
  if (!socket_) return;
  socket_->skip(socket_->bytesAvailable());
  // What has reached the system by now goes too, up to the read budget.
  for (size_t dropped = 0; dropped < options_.readBudget;) {
    chunk_.clear();
    const size_t got = Receive(chunk_, kSmallestSystemRead);
    if (got == 0) break;
    dropped += got;
  }
}

int TcpPort::SocketState() const {
  if (!open_) return kSocketClosed;
  const int peerState = socket_ ? StateNumberOf(socket_->state()) : kSocketClosed;
  if (peerState == kSocketClosed && server_ && server_->isListening()) return kSocketListening;
  return peerState;
}

std::string TcpPort::PeerAddress() const {
  if (!IsConnected()) return {};
  return AddressText(socket_->peerAddress());
}

uint16_t TcpPort::ListeningPort() const {
  return server_ && server_->isListening() ? server_->serverPort() : 0;
}

size_t TcpPort::BufferedBytes() const {
  const qint64 inSocket = socket_ ? socket_->bytesAvailable() : 0;
  return received_.Size() + static_cast<size_t>(std::max<qint64>(inSocket, 0));
}

void TcpPort::ReportListenFailure(uint16_t port) {
  const std::string number = std::to_string(port);
  switch (server_->serverError()) {
    case QAbstractSocket::AddressInUseError:
      return ShowMessage(context_.strings.Format(str::kTcpPortInUse, {number}));
    case QAbstractSocket::SocketAccessError:
      if (port < kFirstUnprivilegedPort)
        return ShowMessage(context_.strings.Format(str::kTcpPortPrivileged, {number}));
      [[fallthrough]];
    default:
      return ShowMessage(
          context_.strings.Format(str::kTcpListenFailed, {number, ToUtf8(server_->errorString())}));
  }
}

void TcpPort::ShowMessage(const std::string& text) {
  PromptMessage message;
  message.text = text;
  message.title = std::string(context_.edition.programName);
  message.icon = PromptIcon::Exclamation;
  context_.prompt.Show(message);
}

std::string LocalNetworkAddress() {
  std::string ipv6;
  for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
    const auto flags = interface.flags();
    if (!flags.testFlag(QNetworkInterface::IsUp) || flags.testFlag(QNetworkInterface::IsLoopBack))
      continue;
    for (const QNetworkAddressEntry& entry : interface.addressEntries()) {
      const QHostAddress address = entry.ip();
      if (address.protocol() == QAbstractSocket::IPv4Protocol) return AddressText(address);
      if (ipv6.empty() && !address.isLinkLocal()) ipv6 = AddressText(address);
    }
  }
  return ipv6;
}

}  // namespace fenno

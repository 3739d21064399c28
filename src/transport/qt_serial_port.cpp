#include "transport/qt_serial_port.h"

#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QFileInfo>
#include <QSerialPort>
#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <limits>
#include <thread>
#include <vector>

#include "base/qt_text.h"
#include "transport/port_names.h"
#include "transport/port_text_ids.h"
#include "transport/transport_text_ids.h"

namespace fenno {
namespace {

constexpr auto kDtrPulse = std::chrono::milliseconds(155);
// Output already taken from the caller is given this long to reach the device at Close.
constexpr auto kCloseFlushLimit = std::chrono::milliseconds(1000);

// Unix98 pseudo-terminal slaves; 3 is the old BSD-style slave.
constexpr unsigned kFirstPtySlaveMajor = 136;
constexpr unsigned kLastPtySlaveMajor = 143;
constexpr unsigned kBsdPtySlaveMajor = 3;

QSerialPort::DataBits QtDataBits(int bits) {
  return static_cast<QSerialPort::DataBits>(bits);
}

// The line is checked with IsValidLine before any of these is asked.
QSerialPort::Parity QtParity(int parity) {
  constexpr std::array<QSerialPort::Parity, 5> kParities = {
      QSerialPort::NoParity, QSerialPort::OddParity, QSerialPort::EvenParity,
      QSerialPort::MarkParity, QSerialPort::SpaceParity};
  return kParities.at(static_cast<size_t>(parity));
}

// Qt would turn one and a half stop bits into one; the UART gives 1.5 with CSTOPB.
QSerialPort::StopBits QtStopBits(int stopBits) {
  return stopBits == kOneStopBit ? QSerialPort::OneStop : QSerialPort::TwoStop;
}

// Opto-RS has no handshake; it differs from "None" only in RTS, which is set after opening.
QSerialPort::FlowControl QtFlowControl(int flowControl) {
  constexpr std::array<QSerialPort::FlowControl, 4> kFlowControls = {
      QSerialPort::NoFlowControl, QSerialPort::SoftwareControl, QSerialPort::HardwareControl,
      QSerialPort::NoFlowControl};
  return kFlowControls.at(static_cast<size_t>(flowControl));
}

bool HungUp(int fd) {
  pollfd watch{fd, POLLIN, 0};
  if (::poll(&watch, 1, 0) < 0) return errno != EINTR;
  return (watch.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

std::string CurrentUserName() {
  if (const passwd* user = ::getpwuid(::geteuid())) return user->pw_name;
  const char* name = std::getenv("USER");
  return name ? name : "$USER";
}

bool InSessionGroup(gid_t gid) {
  if (::getegid() == gid) return true;
  std::vector<gid_t> groups(static_cast<size_t>(std::max(::getgroups(0, nullptr), 0)));
  const int count = ::getgroups(static_cast<int>(groups.size()), groups.data());
  return std::find(groups.begin(), groups.begin() + std::max(count, 0), gid) !=
         groups.begin() + std::max(count, 0);
}

// The groups the user database gives `user`, as the next login will have them.
bool InUserGroups(const std::string& user, gid_t gid) {
  const passwd* entry = ::getpwnam(user.c_str());
  if (!entry) return false;
  int count = 64;
  std::vector<gid_t> groups(static_cast<size_t>(count));
  if (::getgrouplist(user.c_str(), entry->pw_gid, groups.data(), &count) < 0) {
    groups.resize(static_cast<size_t>(count));
    if (::getgrouplist(user.c_str(), entry->pw_gid, groups.data(), &count) < 0) return false;
  }
  groups.resize(static_cast<size_t>(count));
  return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

}  // namespace

bool IsPseudoTerminalDevice(int fd) {
  struct stat info {};
  if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) return false;
  const unsigned deviceMajor = major(info.st_rdev);
  return (deviceMajor >= kFirstPtySlaveMajor && deviceMajor <= kLastPtySlaveMajor) ||
         deviceMajor == kBsdPtySlaveMajor;
}

// A user added to the device's group keeps the old groups until the next login; adding the
// user again would not help, so that case gets its own advice.
std::string PermissionHintFor(const StringTable& strings, const std::string& devicePath) {
  struct stat info {};
  const bool groupMayUse = ::stat(devicePath.c_str(), &info) == 0 && info.st_gid != 0 &&
                           (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
  const group* owner = groupMayUse ? ::getgrgid(info.st_gid) : nullptr;
  if (!owner || InSessionGroup(info.st_gid))
    return strings.Format(str::kPermissionHintNoGroup, {devicePath});
  const std::string user = CurrentUserName();
  const std::string groupName = owner->gr_name;
  if (InUserGroups(user, info.st_gid))
    return strings.Format(str::kPermissionHintLoginAgain, {devicePath, groupName, user});
  return strings.Format(str::kPermissionHint, {devicePath, groupName, user});
}

SerialPort::SerialPort(const PortContext& context, SerialPortOptions options)
    : context_(context), options_(options), serial_(std::make_unique<QSerialPort>()) {
  WatchForDeviceLoss();
}

SerialPort::~SerialPort() {
  Close();
}

bool SerialPort::Open() {
  Close();
  ++openGeneration_;
  reopened_ = 0;
  pseudoTerminal_ = false;
  portName_ = PortNameOf(context_.settings.PortIndex);
  devicePath_ = DevicePathOfPort(portName_, context_.store, context_.edition.programName);
  line_ = LineSettingsOf(context_.settings);
  if (devicePath_.empty()) {
    ReportOpenFailure(OpenFailure::NoDevice);
    return false;
  }
  if (!IsValidLine(line_)) {
    ReportLineRefused();
    return false;
  }
  if (!OpenDevice()) {
    ReportOpenFailure(ClassifyOpenFailure());
    return false;
  }
  pseudoTerminal_ = IsPseudoTerminalDevice(serial_->handle());
  if (!LineHeld(line_)) {
    serial_->close();
    ReportLineRefused();
    return false;
  }
  RaiseLinesAfterOpen();
  return true;
}

bool SerialPort::OpenDevice() {
  // Opening the device a link (/dev/serial/by-id/...) points to puts the lock that keeps
  // other programs out on the device itself, whatever name it is reached by.
  const QFileInfo device(FromPath(devicePath_));
  openedPath_ = ToPath(device.exists() ? device.canonicalFilePath() : device.absoluteFilePath());
  serial_->setPortName(FromPath(openedPath_));
  serial_->setReadBufferSize(std::max<qint64>(context_.settings.InputBufferSize, 1));
  // Given before opening, the settings are applied as the device opens; a pseudo-terminal
  // would refuse a later change of its data bits.
  ApplyLine(line_);
  serial_->clearError();
  return serial_->open(QIODevice::ReadWrite);
}

bool SerialPort::ApplyLine(const LineSettings& line) {
  bool applied = serial_->setBaudRate(line.baudRate);
  applied = serial_->setDataBits(QtDataBits(line.dataBits)) && applied;
  applied = serial_->setParity(QtParity(line.parity)) && applied;
  applied = serial_->setStopBits(QtStopBits(line.stopBits)) && applied;
  applied = serial_->setFlowControl(QtFlowControl(line.flowControl)) && applied;
  return applied;
}

bool SerialPort::LineHeld(const LineSettings& wanted) const {
  termios settings{};
  if (::tcgetattr(serial_->handle(), &settings) != 0) return false;
  return TermiosHoldsLine(settings, wanted, pseudoTerminal_);
}

void SerialPort::RaiseLinesAfterOpen() {
  SetDtr(true);
  // With the RTS handshake the driver owns RTS.
  if (line_.flowControl != kFlowHardware) SetRts(line_.flowControl != kFlowOptoRs);
}

SerialPort::OpenFailure SerialPort::ClassifyOpenFailure() const {
  switch (serial_->error()) {
    case QSerialPort::DeviceNotFoundError:
      return OpenFailure::Missing;
    case QSerialPort::UnsupportedOperationError:
      return OpenFailure::NotSerial;
    case QSerialPort::PermissionError: {
      // Qt reports a lock held by another program and missing rights alike.
      const bool denied =
          ::access(openedPath_.c_str(), R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM);
      return denied ? OpenFailure::PermissionDenied : OpenFailure::InUse;
    }
    default:
      return OpenFailure::Other;
  }
}

void SerialPort::ReportOpenFailure(OpenFailure failure) {
  const StringTable& strings = context_.strings;
  switch (failure) {
    case OpenFailure::NoDevice:
      return ShowDeviceError(strings.Format(str::kNoDeviceForPortHint, {portName_}));
    case OpenFailure::Missing:
      return ShowDeviceError(strings.Format(str::kDeviceMissingHint, {devicePath_, portName_}));
    case OpenFailure::InUse:
      return ShowDeviceError(strings.Format(str::kDeviceInUseHint, {devicePath_}));
    case OpenFailure::PermissionDenied:
      return ShowDeviceError(PermissionHintFor(strings, openedPath_));
    case OpenFailure::NotSerial:
      return ShowPlain(str::kGetComStateFailed,
                       strings.Format(str::kNotASerialPortHint, {devicePath_}));
    case OpenFailure::Other:
      return ShowDeviceError(devicePath_ + ": " + ToUtf8(serial_->errorString()));
  }
}

void SerialPort::ReportLineRefused() {
  ShowPlain(str::kSetComStateFailed,
            context_.strings.Format(str::kLineRefusedHint, {devicePath_, DescribeLine(line_)}));
}

void SerialPort::ShowDeviceError(const std::string& hint) {
  PromptMessage message;
  message.text = portName_ + " " + context_.strings.Text(str::kDeviceNotAvailable) + "\n" + hint;
  message.title = context_.strings.Text(str::kDeviceErrorTitle);
  message.icon = PromptIcon::Exclamation;
  context_.prompt.Show(message);
}

void SerialPort::ShowPlain(int textNumber, const std::string& hint) {
  PromptMessage message;
  message.text = context_.strings.Text(textNumber) + "\n" + hint;
  message.title = std::string(context_.edition.programName);
  context_.prompt.Show(message);
}

void SerialPort::WatchForDeviceLoss() {
  QObject::connect(serial_.get(), &QSerialPort::readyRead, serial_.get(),
                   [this] { TellArrival(); });
  QObject::connect(
      serial_.get(), &QSerialPort::errorOccurred, serial_.get(),
      [this](QSerialPort::SerialPortError error) {
        if (deviceLossPending_ || !serial_->isOpen()) return;
        const bool readOrWrite =
            error == QSerialPort::ReadError || error == QSerialPort::WriteError;
        if (error != QSerialPort::ResourceError && !(readOrWrite && HungUp(serial_->handle())))
          return;
        // A hung-up device stays readable, so the port must close; but not from
        // inside the notification that is reporting it.
        deviceLossPending_ = true;
        QMetaObject::invokeMethod(
            serial_.get(), [this, generation = openGeneration_] { OnDeviceLost(generation); },
            Qt::QueuedConnection);
      });
}

void SerialPort::OnDeviceLost(int generation) {
  deviceLossPending_ = false;
  if (generation != openGeneration_ || !serial_->isOpen()) return;
  KeepUnwrittenOutput();
  KeepReceivedInput();
  serial_->close();
  serial_->clearError();
  MarkConnectionEnded();
  deviceLost_ = true;
  nextReopen_ = std::chrono::steady_clock::now() + options_.reopenInterval;
  ShowDeviceNews(str::kDeviceLost, PromptIcon::Exclamation,
                 context_.strings.Text(str::kDeviceErrorTitle));
}

void SerialPort::ReopenIfDue() {
  const auto now = std::chrono::steady_clock::now();
  if (now < nextReopen_) return;
  nextReopen_ = now + options_.reopenInterval;
  if (!Reopen()) return;
  QMetaObject::invokeMethod(
      serial_.get(),
      [this] {
        ShowDeviceNews(str::kDeviceBack, PromptIcon::Information,
                       std::string(context_.edition.programName));
      },
      Qt::QueuedConnection);
}

// Opens the device again as the last Open did, silently: while it stays away, each attempt
// would only repeat what the loss already said.
bool SerialPort::Reopen() {
  const bool opened = OpenDevice();
  pseudoTerminal_ = opened && IsPseudoTerminalDevice(serial_->handle());
  if (!opened || !LineHeld(line_)) {
    serial_->close();
    serial_->clearError();
    return false;
  }
  ++openGeneration_;
  ++reopened_;
  deviceLost_ = false;
  RaiseLinesAfterOpen();
  return true;
}

// What QSerialPort still holds of the output is the tail of what was handed to it; it
// never reached the device.
void SerialPort::KeepUnwrittenOutput() {
  TrimUnwritten();
  heldForReopen_.insert(0, unwritten_);
  unwritten_.clear();
}

size_t SerialPort::TrimUnwritten() {
  const auto pending = static_cast<size_t>(std::max<qint64>(serial_->bytesToWrite(), 0));
  if (unwritten_.size() > pending) unwritten_.erase(0, unwritten_.size() - pending);
  return pending;
}

// Closing would throw away what QSerialPort has read from the device and the caller has
// not taken yet: records the device sent whole before it went away.
void SerialPort::KeepReceivedInput() {
  const qint64 held = serial_->bytesAvailable();
  if (held <= 0) return;
  std::string bytes(static_cast<size_t>(held), '\0');
  const qint64 got = serial_->read(bytes.data(), held);
  bytes.resize(static_cast<size_t>(std::max<qint64>(got, 0)));
  receivedFromLost_.Append(bytes);
}

void SerialPort::MarkConnectionEnded() {
  ++endedConnections_;
  if (receivedFromLost_.Empty()) connectionNumber_ = endedConnections_;
}

void SerialPort::ShowDeviceNews(int textNumber, PromptIcon icon, const std::string& title) {
  PromptMessage message;
  message.text = context_.strings.Format(textNumber, {portName_, devicePath_});
  message.title = title;
  message.icon = icon;
  context_.prompt.Show(message);
}

void SerialPort::Close() {
  deviceLost_ = false;
  heldForReopen_.clear();
  receivedFromLost_.Clear();
  connectionNumber_ = endedConnections_;
  if (!serial_->isOpen()) return;
  FlushPendingOutput();
  SetDtr(false);
  SetRts(false);
  serial_->close();
  unwritten_.clear();
}

void SerialPort::FlushPendingOutput() {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + kCloseFlushLimit;
  while (serial_->bytesToWrite() > 0 && !HungUp(serial_->handle())) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0 || !serial_->waitForBytesWritten(static_cast<int>(left.count()))) break;
  }
  serial_->clearError();
}

bool SerialPort::IsOpen() const {
  return serial_->isOpen();
}

size_t SerialPort::BytesWaiting() const {
  const size_t inQt = serial_->isOpen() ? static_cast<size_t>(serial_->bytesAvailable()) : 0;
  return receivedFromLost_.Size() + inQt;
}

void SerialPort::KeepDeviceUp() {
  if (deviceLost_) ReopenIfDue();
  if (!heldForReopen_.empty() && serial_->isOpen())
    heldForReopen_.erase(0, HandOver(heldForReopen_));
}

size_t SerialPort::Read(std::string& out, size_t maxBytes) {
  KeepDeviceUp();
  // A lost device's last bytes are handed out on their own, so the reader sees the
  // connection number move on exactly after them.
  if (!receivedFromLost_.Empty()) {
    const size_t taken = receivedFromLost_.TakeFront(out, maxBytes);
    if (receivedFromLost_.Empty()) connectionNumber_ = endedConnections_;
    return taken;
  }
  if (!serial_->isOpen()) return 0;
  const auto wanted =
      std::min<uint64_t>(maxBytes, static_cast<uint64_t>(serial_->bytesAvailable()));
  if (wanted == 0) return 0;
  const size_t start = out.size();
  out.resize(start + wanted);
  const qint64 got =
      std::max<qint64>(serial_->read(out.data() + start, static_cast<qint64>(wanted)), 0);
  out.resize(start + static_cast<size_t>(got));
  return static_cast<size_t>(got);
}

size_t SerialPort::Write(std::string_view data) {
  KeepDeviceUp();
  if (!serial_->isOpen() || !heldForReopen_.empty()) return 0;
  return HandOver(data);
}

size_t SerialPort::HandOver(std::string_view data) {
  if (data.empty()) return 0;
  const auto pending = static_cast<qint64>(TrimUnwritten());
  const qint64 room = std::max<qint64>(context_.settings.OutputBufferSize, 1) - pending;
  if (room <= 0) return 0;
  const qint64 count = std::min<qint64>(room, static_cast<qint64>(data.size()));
  const auto taken = static_cast<size_t>(std::max<qint64>(serial_->write(data.data(), count), 0));
  unwritten_.append(data.substr(0, taken));
  return taken;
}

void SerialPort::Purge() {
  heldForReopen_.clear();
  unwritten_.clear();
  receivedFromLost_.Clear();
  connectionNumber_ = endedConnections_;
  if (!serial_->isOpen()) return;
  serial_->clear(QSerialPort::AllDirections);
  serial_->clearError();
}

// The line operations below fail on a pseudo-terminal, which has no modem lines; such a
// failure is cleared so that it is not taken for a broken port.
void SerialPort::SetDtr(bool on) {
  if (!serial_->isOpen()) return;
  serial_->setDataTerminalReady(on);
  serial_->clearError();
}

void SerialPort::SetRts(bool on) {
  if (!serial_->isOpen()) return;
  serial_->setRequestToSend(on);
  serial_->clearError();
}

void SerialPort::PulseDtr() {
  if (!serial_->isOpen()) return;
  SetDtr(false);
  std::this_thread::sleep_for(kDtrPulse);
  SetDtr(true);
}

void SerialPort::SetBreak(bool on) {
  if (!serial_->isOpen()) return;
  serial_->setBreakEnabled(on);
  serial_->clearError();
}

uint32_t SerialPort::ModemStatus() {
  if (!serial_->isOpen()) return 0;
  const QSerialPort::PinoutSignals pins = serial_->pinoutSignals();
  serial_->clearError();
  uint32_t status = 0;
  if (pins & QSerialPort::ClearToSendSignal) status |= kCtsOn;
  if (pins & QSerialPort::DataSetReadySignal) status |= kDsrOn;
  if (pins & QSerialPort::RingIndicatorSignal) status |= kRingOn;
  if (pins & QSerialPort::DataCarrierDetectSignal) status |= kRlsdOn;
  return status;
}

bool SerialPort::ChangeLine(const LineSettings& wanted, const std::function<bool()>& apply,
                            bool framingOnly) {
  if (!serial_->isOpen() || !IsValidLine(wanted)) return false;
  bool accepted = apply();
  serial_->clearError();
  // A pseudo-terminal takes any data bits and parity without holding them: a byte stream
  // has no frames. Its answer would refuse a change that means nothing to it.
  if (framingOnly && pseudoTerminal_) accepted = true;
  accepted = accepted && LineHeld(wanted);
  if (accepted) {
    line_ = wanted;
  } else {
    ApplyLine(line_);
    serial_->clearError();
  }
  return accepted;
}

bool SerialPort::SetBaudRate(int32_t rate) {
  LineSettings wanted = line_;
  wanted.baudRate = rate;
  return ChangeLine(
      wanted, [&] { return serial_->setBaudRate(rate); }, false);
}

bool SerialPort::SetParity(int parityCode) {
  LineSettings wanted = line_;
  wanted.parity = parityCode;
  return ChangeLine(
      wanted, [&] { return serial_->setParity(QtParity(parityCode)); }, true);
}

bool SerialPort::SetDataBits(int bits) {
  LineSettings wanted = line_;
  wanted.dataBits = bits;
  return ChangeLine(
      wanted, [&] { return serial_->setDataBits(QtDataBits(bits)); }, true);
}

bool SerialPort::SetStopBits(int stopBitsCode) {
  LineSettings wanted = line_;
  wanted.stopBits = stopBitsCode;
  return ChangeLine(
      wanted, [&] { return serial_->setStopBits(QtStopBits(stopBitsCode)); }, false);
}

}  // namespace fenno

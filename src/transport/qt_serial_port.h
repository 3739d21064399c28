#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "engine/port.h"
#include "transport/port_context.h"
#include "transport/receive_buffer.h"
#include "transport/serial_line.h"

class QSerialPort;

namespace fenno {

struct SerialPortOptions {
  // How long a lost device is left alone before the next attempt to open it again.
  std::chrono::milliseconds reopenInterval{1000};
};

// A serial port on QSerialPort, found by its "COMn" name (see port_names.h). Reads take
// what has already arrived; at most InputBufferSize bytes wait in this process, beyond that
// the kernel's buffer and the line's flow control hold the device back. Writes hand over at
// most OutputBufferSize bytes not yet written; the caller keeps the rest.
//
// A device that disappears while open (a USB adapter pulled out) is reported once and the
// port closes. What it sent before and this process had already received is still handed
// out by Read, and the connection number moves on once it has been read. It is then opened again
// from Read and Write, at most once per reopenInterval and without messages while it stays away, at
// the same port name (and so at whatever device a link of that name points to by then). While it is
// away, writes are refused, so the caller's queue keeps what was not sent, and output handed over
// before the loss that never left this process is sent first once the device is back. Its return is
// reported once too. Both reports are shown between events, never from inside a call.
class SerialPort : public Port {
 public:
  explicit SerialPort(const PortContext& context, SerialPortOptions options = {});
  ~SerialPort() override;
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  bool Open() override;
  void Close() override;
  bool IsOpen() const override;

  size_t Read(std::string& out, size_t maxBytes) override;
  size_t Write(std::string_view data) override;
  void Purge() override;

  bool HasLines() const override { return true; }
  void SetDtr(bool on) override;
  void SetRts(bool on) override;
  void PulseDtr() override;
  void SetBreak(bool on) override;
  uint32_t ModemStatus() override;

  bool SetBaudRate(int32_t rate) override;
  bool SetParity(int parityCode) override;
  bool SetDataBits(int bits) override;
  bool SetStopBits(int stopBitsCode) override;

  // "COMn" and the device path of the last Open.
  const std::string& PortName() const { return portName_; }
  const std::string& DevicePath() const { return devicePath_; }
  // The line settings the device was last given, including the data bits and parity that
  // a pseudo-terminal takes without holding them.
  const LineSettings& Line() const { return line_; }
  bool IsPseudoTerminal() const { return pseudoTerminal_; }
  // Received bytes waiting in this process (at most InputBufferSize).
  size_t BytesWaiting() const;
  // The device went away while open and has not come back yet. Cleared by Open and Close.
  bool DeviceLost() const { return deviceLost_; }
  // How often the device came back after a loss since the last Open.
  int Reopened() const { return reopened_; }
  // Moves on once the last bytes received from a lost device have been read.
  uint32_t ConnectionNumber() const override { return connectionNumber_; }

 private:
  enum class OpenFailure { NoDevice, Missing, InUse, PermissionDenied, NotSerial, Other };

  bool OpenDevice();
  bool ApplyLine(const LineSettings& line);
  // Applies one changed member through `apply`; `framingOnly` says it is data bits or parity.
  bool ChangeLine(const LineSettings& wanted, const std::function<bool()>& apply, bool framingOnly);
  bool LineHeld(const LineSettings& wanted) const;
  void RaiseLinesAfterOpen();
  void FlushPendingOutput();
  OpenFailure ClassifyOpenFailure() const;
  void ReportOpenFailure(OpenFailure failure);
  void ReportLineRefused();
  void ShowDeviceError(const std::string& hint);
  void ShowPlain(int textNumber, const std::string& hint);
  void WatchForDeviceLoss();
  void OnDeviceLost(int generation);
  void KeepDeviceUp();
  void ReopenIfDue();
  bool Reopen();
  size_t HandOver(std::string_view data);
  void KeepUnwrittenOutput();
  // Takes over what QSerialPort has received from a device that is going away.
  void KeepReceivedInput();
  void MarkConnectionEnded();
  // Drops from unwritten_ what has been written since; answers what QSerialPort holds.
  size_t TrimUnwritten();
  void ShowDeviceNews(int textNumber, PromptIcon icon, const std::string& title);

  PortContext context_;
  SerialPortOptions options_;
  std::unique_ptr<QSerialPort> serial_;
  std::string portName_;
  std::string devicePath_;
  std::string openedPath_;  // the device path with links resolved
  LineSettings line_;
  bool pseudoTerminal_ = false;
  bool deviceLost_ = false;
  bool deviceLossPending_ = false;
  int openGeneration_ = 0;  // tells a loss noticed before a reopen from one after it
  int reopened_ = 0;
  std::chrono::steady_clock::time_point nextReopen_;
  // The tail of what was handed to QSerialPort that it has not written yet, and what of
  // it a lost device never got, to be sent first when it is back.
  std::string unwritten_;
  std::string heldForReopen_;
  // Bytes a lost device sent that were received and not yet read; they are read before
  // anything from the device's next connection.
  ReceiveBuffer receivedFromLost_;
  uint32_t connectionNumber_ = 0;
  uint32_t endedConnections_ = 0;
};

// Whether the open descriptor is the slave end of a pseudo-terminal.
bool IsPseudoTerminalDevice(int fd);

// The message text shown when opening a port fails because of missing permission:
// names the group owning `devicePath` (or asks for access when it has no readable group).
std::string PermissionHintFor(const StringTable& strings, const std::string& devicePath);

}  // namespace fenno

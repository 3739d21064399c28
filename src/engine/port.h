#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace fenno {

// Modem status bits, as reported by Port::ModemStatus.
enum ModemStatusBits : uint32_t { kCtsOn = 0x10, kDsrOn = 0x20, kRingOn = 0x40, kRlsdOn = 0x80 };

// The device end of the engine: a serial port, a TCP connection or the virtual device.
// Everything runs on the one event-loop thread; no call waits for the device except
// PulseDtr, which holds DTR low for 155 ms.
class Port {
 public:
  virtual ~Port() = default;

  // Opens and configures the device from the settings it was built with. On failure it
  // reports one message through the Prompt it was given and leaves nothing open.
  virtual bool Open() = 0;
  // Drops DTR and RTS (where there are lines) and closes.
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;

  // Appends to `out` at most `maxBytes` of what has already arrived; never waits.
  // Returns the number of bytes appended (0 when nothing is waiting).
  virtual size_t Read(std::string& out, size_t maxBytes) = 0;
  // Offers `data` to the device and returns how many leading bytes it accepted; the
  // caller keeps the rest queued. A TCP connection that is not up accepts nothing.
  virtual size_t Write(std::string_view data) = 0;
  // Discards what is waiting in both directions (engine reset).
  virtual void Purge() = 0;
  // Changes when the bytes Read hands out start to come from another connection (a
  // serial device opened again, a new TCP connection or peer), so that the reader can drop
  // a record the old connection left unfinished instead of joining it to the next one.
  virtual uint32_t ConnectionNumber() const { return 0; }
  // Called on the event loop whenever bytes have arrived that Read can hand out, so that
  // they are read as they arrive rather than only at the next tick. Null stops the calls.
  virtual void SetArrivalHandler(std::function<void()> handler) {
    arrivalHandler_ = std::move(handler);
  }

  // Serial lines. A transport without lines (TCP) does nothing and reports false.
  virtual bool HasLines() const = 0;
  virtual void SetDtr(bool on) = 0;
  virtual void SetRts(bool on) = 0;
  virtual void PulseDtr() = 0;  // DTR low for 155 ms, then high
  virtual void SetBreak(bool on) = 0;
  virtual uint32_t ModemStatus() = 0;  // ModemStatusBits

  // Run-time line changes. Each answers whether the driver accepted the change; the
  // caller updates the settings only then.
  virtual bool SetBaudRate(int32_t rate) = 0;
  virtual bool SetParity(int parityCode) = 0;      // 0 none, 1 odd, 2 even, 3 mark, 4 space
  virtual bool SetDataBits(int bits) = 0;          // 5..8
  virtual bool SetStopBits(int stopBitsCode) = 0;  // 0 one, 1 one and a half, 2 two

 protected:
  void TellArrival() const {
    if (arrivalHandler_) arrivalHandler_();
  }

 private:
  std::function<void()> arrivalHandler_;
};

// A transport without serial lines (a TCP connection, the virtual device): the line
// operations do nothing and every line change is refused.
class LinelessPort : public Port {
 public:
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
};

}  // namespace fenno

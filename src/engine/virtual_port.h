#pragma once

#include <functional>
#include <string>

#include "engine/port.h"

namespace fenno {

// The device of virtual mode: what the user "sends" from the virtual device (the
// virtual device window, or standard input when headless) is the engine's input, and
// what the engine sends to the device is handed to a display. There are no lines.
class VirtualPort : public LinelessPort {
 public:
  using Display = std::function<void(std::string_view)>;
  explicit VirtualPort(Display display) : display_(std::move(display)) {}

  // Text sent from the virtual device: read by the engine as if it came from a device.
  void SendToEngine(std::string_view bytes) {
    VirtualInput.append(bytes);
    TellArrival();
  }
  bool HasUnreadInput() const { return readPos_ < VirtualInput.size(); }

  bool Open() override { return true; }
  void Close() override {}
  bool IsOpen() const override { return true; }
  size_t Read(std::string& out, size_t maxBytes) override;
  size_t Write(std::string_view data) override;
  void Purge() override;

  std::string VirtualInput;

 private:
  Display display_;
  size_t readPos_ = 0;
};

}  // namespace fenno

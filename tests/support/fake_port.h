#pragma once

#include <string>
#include <vector>

#include "engine/port.h"

namespace fenno::testing {

// A device for tests: input is queued by the test, output is collected, every line
// operation is recorded, and writes can be limited to a number of bytes per call.
class FakePort : public Port {
 public:
  bool Open() override {
    ++opens;
    open = openSucceeds;
    return open;
  }
  void Close() override {
    open = false;
    operations.push_back("close");
  }
  bool IsOpen() const override { return open; }
  size_t Read(std::string& out, size_t maxBytes) override;
  // The device sends `bytes`: they wait to be read, and the reader is told.
  void Arrive(std::string_view bytes) {
    input.append(bytes);
    TellArrival();
  }
  size_t Write(std::string_view data) override;
  void Purge() override {
    input.clear();
    operations.push_back("purge");
  }

  bool HasLines() const override { return lines; }
  void SetDtr(bool on) override { operations.push_back(on ? "dtr on" : "dtr off"); }
  void SetRts(bool on) override { operations.push_back(on ? "rts on" : "rts off"); }
  void PulseDtr() override { operations.push_back("dtr pulse"); }
  void SetBreak(bool on) override { operations.push_back(on ? "break on" : "break off"); }
  uint32_t ModemStatus() override { return modemStatus; }
  uint32_t ConnectionNumber() const override { return connectionNumber; }
  bool SetBaudRate(int32_t rate) override { return Record("baud " + std::to_string(rate)); }
  bool SetParity(int code) override { return Record("parity " + std::to_string(code)); }
  bool SetDataBits(int bits) override { return Record("data bits " + std::to_string(bits)); }
  bool SetStopBits(int code) override { return Record("stop bits " + std::to_string(code)); }

  std::string input;             // bytes the device has sent and the engine has not read
  std::string output;            // bytes the engine wrote
  size_t writeLimit = SIZE_MAX;  // bytes accepted per Write call
  std::vector<std::string> operations;
  uint32_t modemStatus = 0;
  bool lines = true;
  bool open = false;
  bool openSucceeds = true;
  bool acceptLineChanges = true;
  int opens = 0;
  int reads = 0;
  uint32_t connectionNumber = 0;

 private:
  bool Record(std::string operation) {
    operations.push_back(std::move(operation));
    return acceptLineChanges;
  }
};

}  // namespace fenno::testing

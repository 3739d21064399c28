#pragma once

#include <algorithm>
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
    return open = true;
  }
  void Close() override {
    open = false;
    operations.push_back("close");
  }
  bool IsOpen() const override { return open; }
  size_t Read(std::string& out, size_t maxBytes) override {
    const size_t count = std::min(maxBytes, input.size());
    out.append(input, 0, count);
    input.erase(0, count);
    return count;
  }
  // The device sends `bytes`: they wait to be read, and the reader is told.
  void Arrive(std::string_view bytes) {
    input.append(bytes);
    TellArrival();
  }
  size_t Write(std::string_view data) override {
    const size_t count = std::min(writeLimit, data.size());
    output.append(data.substr(0, count));
    return count;
  }
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
  bool lines = true;
  bool open = false;
  int opens = 0;
  uint32_t connectionNumber = 0;
  uint32_t modemStatus = 0;  // ModemStatusBits

 private:
  bool Record(std::string operation) {
    operations.push_back(std::move(operation));
    return true;
  }
};

}  // namespace fenno::testing

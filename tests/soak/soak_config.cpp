// Writes the configuration the soak test runs a program with, using the program's own
// writer: flood records (one line each, CR LF after it) logged one line per record, as they
// came, under a fixed live-data topic.
//
//   soak_config comfenno FILE.DE3 --log PATH --port-index N [--input-buffer BYTES] [--ack TEXT]
//   soak_config netfenno FILE.DO3 --log PATH (--server PORT | --client HOST:PORT)

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/config_file.h"
#include "config/settings.h"
#include "base/prompt.h"
#include "base/string_table.h"

namespace fenno {
namespace {

constexpr const char* kUsage =
    "usage: soak_config comfenno FILE --log PATH --port-index N [--input-buffer BYTES]\n"
    "                   [--ack TEXT]\n"
    "       soak_config netfenno FILE --log PATH (--server PORT | --client HOST:PORT)\n";

// The live-data topic, so that the bus name does not depend on the port.
constexpr const char* kSoakTopic = "Soak";

struct Request {
  const Edition* edition = nullptr;
  std::string file;
  std::string logPath;
  int portIndex = 0;
  int32_t inputBufferSize = 0;  // 0: the program's default
  std::string serverPort;
  std::string clientAddress;  // HOST:PORT
  std::string ack;            // sent to the device after each record
};

std::optional<int> ParseNumber(const std::string& text, int lowest, int highest) {
  try {
    size_t used = 0;
    const int value = std::stoi(text, &used);
    if (used == text.size() && value >= lowest && value <= highest) return value;
  } catch (const std::exception&) {
  }
  return std::nullopt;
}

std::optional<Request> ParseArguments(const std::vector<std::string>& args) {
  if (args.size() < 2) return std::nullopt;
  Request request;
  if (args[0] == "comfenno")
    request.edition = &ComfennoEdition();
  else if (args[0] == "netfenno")
    request.edition = &NetfennoEdition();
  else
    return std::nullopt;
  request.file = args[1];
  for (size_t i = 2; i + 1 < args.size(); i += 2) {
    const std::string& option = args[i];
    const std::string& value = args[i + 1];
    if (option == "--log") {
      request.logPath = value;
    } else if (option == "--port-index") {
      const std::optional<int> index = ParseNumber(value, 0, 254);
      if (!index) return std::nullopt;
      request.portIndex = *index;
    } else if (option == "--input-buffer") {
      const std::optional<int> bytes = ParseNumber(value, 1, 1 << 24);
      if (!bytes) return std::nullopt;
      request.inputBufferSize = *bytes;
    } else if (option == "--ack") {
      request.ack = value;
    } else if (option == "--server") {
      request.serverPort = value;
    } else if (option == "--client") {
      request.clientAddress = value;
    } else {
      return std::nullopt;
    }
  }
  if (args.size() % 2 != 0 || request.logPath.empty()) return std::nullopt;
  const bool tcp = !request.edition->IsSerial();
  if (tcp && request.serverPort.empty() == request.clientAddress.empty()) return std::nullopt;
  if (tcp && !request.clientAddress.empty() &&
      request.clientAddress.find(':') == std::string::npos)
    return std::nullopt;
  return request;
}

Settings SoakSettings(const Request& request) {
  Settings s = Settings::Defaults(*request.edition, "");
  s.OutputMethod = kLogToDisk;
  s.LogFilePath = request.logPath;
  s.PreInputTranslation[10] = kIgnoreEntry;  // a record ends at its CR; the LF is dropped
  s.DDETopic = kSoakTopic;
  if (request.inputBufferSize > 0) s.InputBufferSize = request.inputBufferSize;
  s.AckString = request.ack;
  if (request.edition->IsSerial()) {
    s.PortIndex = static_cast<int16_t>(request.portIndex);
  } else if (!request.serverPort.empty()) {
    s.TcpMode = 1;
    s.TcpLocalPort = request.serverPort;
  } else {
    const size_t colon = request.clientAddress.rfind(':');
    s.TcpMode = 0;
    s.TcpRemoteHost = request.clientAddress.substr(0, colon);
    s.TcpRemotePort = request.clientAddress.substr(colon + 1);
  }
  return s;
}

int Run(const std::vector<std::string>& args) {
  const std::optional<Request> request = ParseArguments(args);
  if (!request) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  ConsolePrompt prompt;
  const StringTable strings(request->edition->kind, Language::English);
  return WriteConfigFile(request->file, SoakSettings(*request), *request->edition, strings, prompt)
             ? 0
             : 1;
}

}  // namespace
}  // namespace fenno

int main(int argc, char** argv) {
  return fenno::Run(std::vector<std::string>(argv + 1, argv + argc));
}

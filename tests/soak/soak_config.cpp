// Writes the configuration the soak test runs a program with, using the program's own
// writer: flood records (one line each, CR LF after it) logged one line per record, as they
// came, under a fixed live-data topic (so that the bus name does not depend on the port).
//
//   soak_config comfenno FILE.DE3 LOG PORT-INDEX INPUT-BUFFER-BYTES [ACK-TEXT]
//   soak_config netfenno FILE.DO3 LOG server PORT
//   soak_config netfenno FILE.DO3 LOG client HOST PORT

#include <cstdio>
#include <string>
#include <vector>

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/config_file.h"
#include "config/settings.h"

namespace fenno {
namespace {

int Run(const std::vector<std::string>& args) {
  const bool serial = (args.size() == 5 || args.size() == 6) && args[0] == "comfenno";
  const bool server = args.size() == 5 && args[0] == "netfenno" && args[3] == "server";
  const bool client = args.size() == 6 && args[0] == "netfenno" && args[3] == "client";
  if (!serial && !server && !client) {
    std::fputs("usage: see the head of tests/soak/soak_config.cpp\n", stderr);
    return 2;
  }
  const Edition& edition = serial ? ComfennoEdition() : NetfennoEdition();
  Settings s = Settings::Defaults(edition, "");
  s.OutputMethod = kLogToDisk;
  s.LogFilePath = args[2];
  s.PreInputTranslation[10] = kIgnoreEntry;  // a record ends at its CR; the LF is dropped
  s.DDETopic = "Soak";
  if (serial) {
    s.PortIndex = static_cast<int16_t>(std::stoi(args[3]));
    s.InputBufferSize = std::stoi(args[4]);
    if (args.size() == 6) s.AckString = args[5];  // the serial benchmark's acknowledgement
  } else if (server) {
    s.TcpMode = 1;
    s.TcpLocalPort = args[4];
  } else {
    s.TcpMode = 0;
    s.TcpRemoteHost = args[4];
    s.TcpRemotePort = args[5];
  }
  ConsolePrompt prompt;
  const StringTable strings(edition.kind, Language::English);
  return WriteConfigFile(args[1], s, edition, strings, prompt) ? 0 : 1;
}

}  // namespace
}  // namespace fenno

int main(int argc, char** argv) {
  return fenno::Run(std::vector<std::string>(argv + 1, argv + argc));
}

#include "examples/example_configs.h"

namespace fenno {
namespace {

// A balance that answers every weighing with "ST,GS,+0012.345 g" CR LF: status, mode
// and weight, separated by commas.
Settings BalanceRecords(const Edition& edition) {
  Settings s = Settings::Defaults(edition, "");
  s.BaudIndex = 6;      // 9600
  s.ParityIndex = 0;    // none
  s.DataBitsIndex = 3;  // 8 data bits
  s.RecordStructure = kDelimitedFields;
  s.FieldCount = 3;
  s.FieldFilter[3] = "N";  // digits, sign and decimal point only
  s.FieldMathExpr[3] = "val(field(3))";
  s.FieldFormat[3] = "0.000";
  s.PreInputTranslation[10] = kIgnoreEntry;  // the LF after each CR is not part of a record
  return s;
}

ExampleConfig BalanceToLog() {
  Settings s = BalanceRecords(ComfennoEdition());
  s.OutputMethod = kLogToDisk;
  s.LogFilePath = "balance.log";  // next to where the program runs
  s.RecordPreamble = "{CENTURY}{YEAR}-{MONTH}-{DAY} {HOUR}:{MINUTE}:{SECOND},";
  s.FieldPostamble[1] = ",";
  s.FieldPostamble[2] = ",";
  s.AckString = "\x06";  // the balance waits for ACK before it sends the next weighing
  return {"balance-log.DE3", "balance weighings to a dated log file, acknowledged with ACK",
          &ComfennoEdition(), s};
}

// The same on COM5, the port a user points at a device of their choice (or at the device
// simulator's pseudo-terminal) in the Ports section of the per-user settings.
ExampleConfig BalanceOnCom5() {
  ExampleConfig example = BalanceToLog();
  example.fileName = "balance-com5.DE3";
  example.description = "balance-log.DE3 on COM5";
  example.settings.PortIndex = 4;
  return example;
}

ExampleConfig BalanceOverTcp() {
  Settings s = BalanceRecords(NetfennoEdition());
  s.OutputMethod = kLogToDisk;
  s.LogFilePath = "balance.log";
  s.RecordPreamble = "{HOUR}:{MINUTE}:{SECOND},";
  s.FieldPostamble[1] = ",";
  s.FieldPostamble[2] = ",";
  s.TcpMode = 0;
  s.TcpRemoteHost = "127.0.0.1";
  s.TcpRemotePort = "4001";
  return {"balance-tcp.DO3", "a balance on a network port (client of 127.0.0.1:4001) to a log file",
          &NetfennoEdition(), s};
}

ExampleConfig ScannerToSpreadsheet() {
  Settings s = Settings::Defaults(ComfennoEdition(), "");
  s.OutputMethod = kSendKeystrokes;
  s.BaudIndex = 6;
  s.ParityIndex = 0;
  s.DataBitsIndex = 3;
  s.TargetAppTitle = "Stock Ledger";
  s.FieldPostamble[1] = "{TAB}";
  s.KeystrokeTranslation[13] = "NUL";  // the TAB postamble moves to the next cell instead
  s.InterCharDelay = 0;
  return {"scanner-keys.DE3", "a bar-code reader typing into the window titled Stock Ledger",
          &ComfennoEdition(), s};
}

ExampleConfig GaugeAsLiveItems() {
  Settings s = Settings::Defaults(ComfennoEdition(), "");
  s.OutputMethod = kDdeServer;
  s.ParityIndex = 2;            // even
  s.FlowControl = kFlowOptoRs;  // the gauge answers "?" CR with a reading
  s.DDETopic = "Gauge";
  s.ShowDateTime = true;
  s.DateTimeFormat = "yyyy-mm-dd hh:nn:ss";
  return {"gauge-items.DE3",
          "a gauge queried with ?, its readings served as live items on topic Gauge",
          &ComfennoEdition(), s};
}

}  // namespace

std::vector<ExampleConfig> ExampleConfigs() {
  return {BalanceToLog(), BalanceOnCom5(), BalanceOverTcp(), ScannerToSpreadsheet(),
          GaugeAsLiveItems()};
}

}  // namespace fenno

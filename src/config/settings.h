#pragma once

// The settings record: every value a user configures, with its default. The names are
// the ones used throughout the program and in the configuration file layout. Integers
// are 16-bit and Longs 32-bit because that is what the file format holds; flags are
// bool and stored as -1/0. Texts are byte strings: any of the 256 byte values.

#include <array>
#include <cstdint>
#include <string>

#include "base/limits.h"
#include "config/edition.h"

namespace fenno {

inline constexpr int32_t kMinBufferSize = 128;
inline constexpr int32_t kMaxBufferSize = 131072;
inline constexpr int16_t kMaxRecordLength = 32766;
inline constexpr int16_t kMinRecordTimeGap = 1;
inline constexpr int16_t kMaxRecordTimeGap = 255;
inline constexpr int32_t kTimerIntervalLimit = 100000000;  // intervals must stay below this

inline constexpr std::array<int32_t, 12> kBaudRates = {110,  300,   600,   1200,  2400,  4800,
                                                       9600, 14400, 19200, 38400, 57600, 115200};

// Values of OutputMethod.
enum OutputMethodValue : int16_t { kSendKeystrokes = 0, kDdeServer = 1, kLogToDisk = 2 };
// Values of RecordStructure.
enum RecordStructureValue : int16_t {
  kSingleField = 0,
  kDelimitedFields = 1,
  kFixedLengthFields = 2
};
// Values of StartOfRecordEvent.
enum StartEventValue : int16_t {
  kStartAny = 0,
  kStartAlphaNumeric = 1,
  kStartNumeric = 2,
  kStartSpecial = 3
};
// Values of EndOfRecordEvent.
enum EndEventValue : int16_t {
  kEndCarriageReturn = 0,
  kEndTimeGap = 1,
  kEndByteCount = 2,
  kEndSpecial = 3
};
// Values of FlowControl.
enum FlowControlValue : int16_t {
  kFlowNone = 0,
  kFlowXonXoff = 1,
  kFlowHardware = 2,
  kFlowOptoRs = 3
};
// Bits of TimerFlags.
enum TimerFlagBits : int16_t {
  kTimerOnAtStart = 1,
  kTimerSendsString = 2,
  kTimerPulsesDtr = 4,
  kTimerIssuesBreak = 8
};
// Bits of EngineButtons.
enum EngineButtonBits : int16_t { kShowDtrButton = 1, kShowBreakButton = 2 };

// Special pre-input table entries besides a single replacement character.
inline constexpr const char* kIgnoreEntry = "Ignore";
inline constexpr const char* kVoidRecordEntry = "Void Record";
// Keystroke table entry meaning "drop this character".
inline constexpr const char* kNulEntry = "NUL";

struct Settings {
  // Port (serial program).
  int16_t PortIndex = 0;
  int16_t BaudIndex = 6;
  int16_t ParityIndex = 1;
  int16_t DataBitsIndex = 2;
  int16_t StopBitsIndex = 0;
  int16_t FlowControl = kFlowNone;
  int32_t InputBufferSize = 4096;
  int32_t OutputBufferSize = 1024;

  // Connection (TCP program).
  int16_t TcpMode = 0;  // 0 client, 1 server
  std::string TcpRemoteHost;
  std::string TcpRemotePort;
  std::string TcpLocalPort;

  // Output and input behaviour.
  int16_t OutputMethod = kSendKeystrokes;
  bool BeepOnInput = false;
  std::string LogFilePath;

  // Record structure.
  int16_t RecordStructure = kSingleField;
  int16_t StartOfRecordEvent = kStartAny;
  int16_t EndOfRecordEvent = kEndCarriageReturn;
  std::string StartOfRecordChars;
  std::string EndOfRecordChars;
  int16_t RecordTimeGap = 3;
  int16_t RecordLength = 0;
  int16_t FieldCount = 1;
  char Delimiter = ',';
  std::string RecordPreamble;

  // Field definitions, index 1..40 (slot 0 is spare).
  std::array<std::string, kMaxFields + 1> FieldFilter;
  std::array<int16_t, kMaxFields + 1> FieldLength{};
  std::array<std::string, kMaxFields + 1> FieldPostamble;
  std::array<std::string, kMaxFields + 1> FieldFormat;
  std::array<std::string, kMaxFields + 1> FieldMathExpr;

  // Translation tables.
  std::array<std::string, kTableSize> PreInputTranslation;
  std::array<std::string, kTableSize> KeystrokeTranslation;
  std::string DdeTranslation;  // exactly 256 characters
  std::string LogTranslation;  // exactly 256 characters

  // Keystroke target.
  std::string TargetAppTitle;
  std::string TargetAppCommand;
  bool TargetSpecified = true;
  int32_t InterCharDelay = 1;

  // Live data items and links.
  std::string DdeTargetApp = "Excel";
  std::string DdeTargetTopic = "System";
  std::string DdeTargetItem;
  std::string CommandLinkApp;
  std::string CommandLinkTopic;
  std::string CommandLinkItem;
  bool CommandLinkAuto = false;
  std::string BufferLinkApp;
  std::string BufferLinkTopic;
  std::string BufferLinkItem;
  bool BufferLinkAuto = false;
  bool StripCrLf = true;
  std::string DDETopic;

  // Output strings, index 1..20 (slot 0 is spare).
  std::array<std::string, kOutputStrings + 1> ButtonCaption;
  std::array<std::string, kOutputStrings + 1> ButtonString;
  std::string AckString;
  std::string TimerString;
  int32_t TimerInterval = 0;
  int16_t TimerFlags = 0;

  // Hot keys, index 0..49.
  std::array<int16_t, kHotKeys> HotKeyAction{};
  std::array<int16_t, kHotKeys> HotKeyCode{};
  std::array<std::string, kHotKeys> HotKeyString;

  // Window preferences.
  bool StartSuspended = false;
  bool MinimizeOnActivation = false;
  bool AlwaysOnTop = false;
  int16_t EngineButtons = 0;
  bool ShowDateTime = false;
  std::string DateTimeFormat;

  // A record holding every default. The log path depends on the program and the
  // user's home folder, which is why the edition and home are passed in.
  static Settings Defaults(const Edition& edition, const std::string& homeFolder);

  bool operator==(const Settings&) const = default;
};

// The default translation tables, also used by the table editor's "Reset All".
std::array<std::string, kTableSize> DefaultPreInputTranslation();
std::array<std::string, kTableSize> DefaultKeystrokeTranslation();
std::string DefaultDdeTranslation();
std::string DefaultLogTranslation();

// Default log path: <home>/Comfenno.Log (or Netfenno.Log).
std::string DefaultLogFilePath(const Edition& edition, const std::string& homeFolder);
// The user's home folder from $HOME (or the password database), "" when unknown.
std::string HomeFolder();

// Rate of a baud index; any index outside the table gives 9600.
int32_t BaudRateOfIndex(int index);
// Index of a rate in the baud table, or -1.
int BaudIndexOfRate(int32_t rate);

// "COM" followed by PortIndex + 1.
std::string PortNameOf(int16_t portIndex);

// Working values kept beside the record, never stored in a configuration file.
struct WorkingValues {
  std::string ConfigFileName;
  bool ConfigLoaded = false;
  bool ConfigModified = false;
  bool SkipSavePrompt = false;
  std::array<std::string, kNamedFormats + 1> FormatNames;         // 1..6
  std::array<std::string, kNamedFormats + 1> FormatDisplayNames;  // 1..6, user's language
  std::string PortName;
};

// The six named formats handed to the formatter.
const std::array<std::string, kNamedFormats + 1>& FixedFormatNames();

}  // namespace fenno

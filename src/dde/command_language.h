#pragma once

// The command language other programs drive a running engine with: one command per
// request, such as {BAUD9600}, {SEND(ABC)} or {CONFIG(/path/setup.DE3)}. Commands arrive
// over the live-data interface and through the command-source link. Each is accepted or
// refused; the handler keeps no state between commands.
//
// A command is trimmed of blanks, upper-cased, cut after its last "}" or "]", and a
// leading "[" / trailing "]" count as braces. It then matches a whole command exactly, or
// else the first argument command whose prefix it begins with and whose minimum length it
// reaches. Arguments are cut either from the text as sent (letter case kept) or from the
// upper-cased text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/clock.h"
#include "base/prompt.h"
#include "base/string_table.h"
#include "config/edition.h"
#include "config/settings.h"
#include "engine/engine_control.h"
#include "engine/regional.h"

namespace fenno {

class LinkMenu;

// What the commands reach besides the engine.
struct CommandServices {
  EngineControl& engine;
  const Edition& edition;
  const Clock& clock;
  const RegionalSettings& regional;
  const StringTable& strings;
  Prompt& prompt;
  WorkingValues& working;
  // The Edit menu's link and copy operations; null when there are none (the link and
  // copy commands are then refused).
  LinkMenu* linkMenu = nullptr;
};

// The output-string notation: quoted literal text and decimal character codes, e.g.
// 'AB'13,10 gives A, B, CR, LF. A code is taken modulo 256; any character outside quotes
// other than a digit ends a code; an unclosed quote runs to the end.
std::string DecodeOutputString(std::string_view notation);

// The whole content of a file to be sent to the device, or nullopt when it cannot be
// read, is not a regular file, or holds more than `maxBytes` bytes.
std::optional<std::string> ReadFileToSend(const std::string& path, int64_t maxBytes);

class CommandLanguage {
 public:
  // The device output that "{SENDFILE(" may fill up to.
  static constexpr int64_t kMaxQueuedFileBytes = 131000;

  explicit CommandLanguage(CommandServices services);

  // Runs one command; true when it is accepted.
  bool Execute(std::string_view command);

 private:
  using WholeHandler = bool (*)(CommandLanguage& language, int parameter);
  using ArgumentHandler = bool (CommandLanguage::*)(const std::string& argument);
  enum class Source { AsSent, UpperCased };
  struct WholeCommand {
    std::string_view text;
    WholeHandler handler;
    int parameter;
    bool serialOnly;
  };
  struct ArgumentCommand {
    std::string_view prefix;
    size_t minLength;
    size_t closingLength;  // ")}" or "}"
    Source source;
    ArgumentHandler handler;
    bool serialOnly;
  };
  enum LinkAction {
    kPasteCommand,
    kRefreshCommand,
    kTerminateCommand,
    kPasteBuffer,
    kRefreshBuffer,
    kTerminateBuffer
  };

  static const WholeCommand kWholeCommands[];
  static const ArgumentCommand kArgumentCommands[];

  bool Available(bool serialOnly) const { return !serialOnly || services_.edition.IsSerial(); }
  bool IsVirtual() const { return services_.engine.Mode() == ActivationMode::Virtual; }
  Settings& settings() { return services_.engine.settings(); }

  // Whole commands: engine operations that are simply carried out, and the handlers
  // that decide something first.
  template <void (EngineControl::*Operation)()>
  static bool Forward(CommandLanguage& language, int) {
    (language.services_.engine.*Operation)();
    return true;
  }
  template <void (EngineControl::*Operation)(int)>
  static bool ForwardValue(CommandLanguage& language, int value) {
    (language.services_.engine.*Operation)(value);
    return true;
  }
  template <void (EngineControl::*Operation)(bool)>
  static bool ForwardSwitch(CommandLanguage& language, int on) {
    (language.services_.engine.*Operation)(on != 0);
    return true;
  }
  template <bool (CommandLanguage::*Handler)(int)>
  static bool Decide(CommandLanguage& language, int parameter) {
    return (language.*Handler)(parameter);
  }
  bool TimerOff(int);
  bool TimerOn(int);
  bool ResumeForOneRecord(int);
  bool Suspend(int);
  bool Resume(int);
  bool LinkCommand(int action);
  bool SetStripCrLf(int on);
  bool CopyDateTime(int);
  bool CopyRecordNumber(int);

  // Argument commands.
  bool Send(const std::string& text);
  bool SendOut(const std::string& notation);
  bool SetTimerString(const std::string& notation);
  bool SendCode(const std::string& number);
  bool SendDate(const std::string& pattern);
  bool SendFile(const std::string& path);
  bool Push(const std::string& name);
  bool LoadConfig(const std::string& path);
  bool CopyField(const std::string& number);
  bool SetTimerInterval(const std::string& number);

  CommandServices services_;
};

}  // namespace fenno

#include "dde/command_language.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "config/config_file.h"
#include "dde/dde_names.h"
#include "dde/link_menu.h"
#include "engine/formatter.h"
#include "expr/ascii.h"
#include "expr/number_text.h"

namespace fenno {
namespace {

constexpr bool kSerial = true;
constexpr bool kBoth = false;

std::string TrimSpaces(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

// Latin-1 upper case, as button captions are compared.
std::string UpperCased(std::string text) {
  for (char& c : text) c = UpperLatin1Letter(c);
  return text;
}

// The command text: upper-cased, cut after its last closing bracket, square brackets at
// either end taken as braces.
std::string CommandText(const std::string& trimmed) {
  std::string text = UpperCased(trimmed);
  const size_t last = text.find_last_of("}]");
  if (last != std::string::npos) text.resize(last + 1);
  if (text.empty()) return text;
  if (text.front() == '[') text.front() = '{';
  if (text.back() == ']') text.back() = '}';
  return text;
}

// A number as `val` reads it; nullopt when it is beyond what a number can hold.
std::optional<double> ReadNumber(const std::string& text) {
  return ValChecked(text);
}

class FileCloser {
 public:
  explicit FileCloser(int fd) : fd_(fd) {}
  ~FileCloser() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileCloser(const FileCloser&) = delete;
  FileCloser& operator=(const FileCloser&) = delete;

 private:
  int fd_;
};

}  // namespace

std::string DecodeOutputString(std::string_view notation) {
  std::string result;
  bool quoted = false;
  bool pendingCode = false;
  unsigned code = 0;
  const auto flushCode = [&] {
    if (pendingCode) result += static_cast<char>(code);
    pendingCode = false;
    code = 0;
  };
  for (const char c : notation) {
    if (c == '\'') {
      quoted = !quoted;
      if (quoted) flushCode();
    } else if (quoted) {
      result += c;
    } else if (IsAsciiDigit(c)) {
      pendingCode = true;
      code = (code * 10 + static_cast<unsigned>(c - '0')) % 256;
    } else {
      flushCode();
    }
  }
  flushCode();
  return result;
}

std::optional<std::string> ReadFileToSend(const std::string& path, int64_t maxBytes) {
  if (maxBytes < 0) return std::nullopt;
  // Non-blocking, so that a named pipe without a writer cannot stall the program; only
  // regular files are sent.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  const FileCloser closer(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > maxBytes)
    return std::nullopt;
  std::string content;
  char buffer[16 * 1024];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    content.append(buffer, static_cast<size_t>(n));
    // The file may have grown since it was measured.
    if (static_cast<int64_t>(content.size()) > maxBytes) return std::nullopt;
  }
  return content;
}

// Whole commands, matched exactly.
const CommandLanguage::WholeCommand CommandLanguage::kWholeCommands[] = {
    {"{BAUD110}", &ForwardValue<&EngineControl::ChangeBaudRate>, 110, kSerial},
    {"{BAUD300}", &ForwardValue<&EngineControl::ChangeBaudRate>, 300, kSerial},
    {"{BAUD600}", &ForwardValue<&EngineControl::ChangeBaudRate>, 600, kSerial},
    {"{BAUD1200}", &ForwardValue<&EngineControl::ChangeBaudRate>, 1200, kSerial},
    {"{BAUD2400}", &ForwardValue<&EngineControl::ChangeBaudRate>, 2400, kSerial},
    {"{BAUD4800}", &ForwardValue<&EngineControl::ChangeBaudRate>, 4800, kSerial},
    {"{BAUD9600}", &ForwardValue<&EngineControl::ChangeBaudRate>, 9600, kSerial},
    {"{BAUD14400}", &ForwardValue<&EngineControl::ChangeBaudRate>, 14400, kSerial},
    {"{BAUD19200}", &ForwardValue<&EngineControl::ChangeBaudRate>, 19200, kSerial},
    {"{BAUD38400}", &ForwardValue<&EngineControl::ChangeBaudRate>, 38400, kSerial},
    {"{BAUD57600}", &ForwardValue<&EngineControl::ChangeBaudRate>, 57600, kSerial},
    {"{BAUD115200}", &ForwardValue<&EngineControl::ChangeBaudRate>, 115200, kSerial},
    {"{PARITYNONE}", &ForwardValue<&EngineControl::ChangeParity>, 0, kSerial},
    {"{PARITYODD}", &ForwardValue<&EngineControl::ChangeParity>, 1, kSerial},
    {"{PARITYEVEN}", &ForwardValue<&EngineControl::ChangeParity>, 2, kSerial},
    {"{PARITYMARK}", &ForwardValue<&EngineControl::ChangeParity>, 3, kSerial},
    {"{PARITYSPACE}", &ForwardValue<&EngineControl::ChangeParity>, 4, kSerial},
    {"{DATABITS5}", &ForwardValue<&EngineControl::ChangeDataBits>, 5, kSerial},
    {"{DATABITS6}", &ForwardValue<&EngineControl::ChangeDataBits>, 6, kSerial},
    {"{DATABITS7}", &ForwardValue<&EngineControl::ChangeDataBits>, 7, kSerial},
    {"{DATABITS8}", &ForwardValue<&EngineControl::ChangeDataBits>, 8, kSerial},
    {"{STOPBITS1}", &ForwardValue<&EngineControl::ChangeStopBits>, 0, kSerial},
    {"{STOPBITS1.5}", &ForwardValue<&EngineControl::ChangeStopBits>, 1, kSerial},
    {"{STOPBITS2}", &ForwardValue<&EngineControl::ChangeStopBits>, 2, kSerial},
    {"{BEEP}", &Forward<&EngineControl::Beep>, 0, kBoth},
    {"{TIMER-OFF}", &Decide<&CommandLanguage::TimerOff>, 0, kBoth},
    {"{TIMER-ON}", &Decide<&CommandLanguage::TimerOn>, 0, kBoth},
    {"{RESUME1}", &Decide<&CommandLanguage::ResumeForOneRecord>, 0, kBoth},
    {"{SUSPEND}", &Decide<&CommandLanguage::Suspend>, 0, kBoth},
    {"{RESUME}", &Decide<&CommandLanguage::Resume>, 0, kBoth},
    {"{BREAK}", &Forward<&EngineControl::StartBreak>, 0, kSerial},
    {"{TOGGLEDTR}", &Forward<&EngineControl::PulseDtr>, 0, kSerial},
    {"{DTR=ON}", &ForwardSwitch<&EngineControl::SetDtr>, 1, kSerial},
    {"{DTR=OFF}", &ForwardSwitch<&EngineControl::SetDtr>, 0, kSerial},
    {"{RTS=ON}", &ForwardSwitch<&EngineControl::SetRts>, 1, kSerial},
    {"{RTS=OFF}", &ForwardSwitch<&EngineControl::SetRts>, 0, kSerial},
    {"{RESET}", &Forward<&EngineControl::Reset>, 0, kBoth},
    {"{CLEAR}", &Forward<&EngineControl::ClearFields>, 0, kBoth},
    {"{APPNORMAL}", &Forward<&EngineControl::ShowWindowNormal>, 0, kBoth},
    {"{APPMINIMIZE}", &Forward<&EngineControl::MinimizeWindow>, 0, kBoth},
    {"{APPEXIT}", &Forward<&EngineControl::RequestExit>, 0, kBoth},
    {"{PASTE-COMMAND}", &Decide<&CommandLanguage::LinkCommand>, kPasteCommand, kBoth},
    {"{REFRESH-COMMAND}", &Decide<&CommandLanguage::LinkCommand>, kRefreshCommand, kBoth},
    {"{TERMINATE-COMMAND}", &Decide<&CommandLanguage::LinkCommand>, kTerminateCommand, kBoth},
    {"{PASTE-BUFFER}", &Decide<&CommandLanguage::LinkCommand>, kPasteBuffer, kBoth},
    {"{REFRESH-BUFFER}", &Decide<&CommandLanguage::LinkCommand>, kRefreshBuffer, kBoth},
    {"{TERMINATE-BUFFER}", &Decide<&CommandLanguage::LinkCommand>, kTerminateBuffer, kBoth},
    {"{STRIPCRLF-ON}", &Decide<&CommandLanguage::SetStripCrLf>, 1, kBoth},
    {"{STRIPCRLF-OFF}", &Decide<&CommandLanguage::SetStripCrLf>, 0, kBoth},
    {"{COPYDATE}", &Decide<&CommandLanguage::CopyDateTime>, 0, kBoth},
    {"{COPYRECNUM}", &Decide<&CommandLanguage::CopyRecordNumber>, 0, kBoth},
};

// Argument commands, tried in this order; the minimum length is that of the whole
// command text and asks for an argument of at least one (two for "=") characters.
const CommandLanguage::ArgumentCommand CommandLanguage::kArgumentCommands[] = {
    {"{SEND(", 9, 2, Source::AsSent, &CommandLanguage::Send, kBoth},
    {"{SENDOUT(", 12, 2, Source::AsSent, &CommandLanguage::SendOut, kBoth},
    {"{TIMERSTRING=", 16, 1, Source::AsSent, &CommandLanguage::SetTimerString, kSerial},
    {"{SENDCODE(", 13, 2, Source::AsSent, &CommandLanguage::SendCode, kBoth},
    {"{SENDDATE(", 13, 2, Source::AsSent, &CommandLanguage::SendDate, kBoth},
    {"{SENDFILE(", 13, 2, Source::AsSent, &CommandLanguage::SendFile, kBoth},
    {"{PUSH(", 9, 2, Source::UpperCased, &CommandLanguage::Push, kBoth},
    // Paths keep their letter case: the file system tells cases apart.
    {"{CONFIG(", 11, 2, Source::AsSent, &CommandLanguage::LoadConfig, kBoth},
    {"{COPYFIELD(", 14, 2, Source::UpperCased, &CommandLanguage::CopyField, kBoth},
    {"{TIMERINTERVAL=", 18, 1, Source::UpperCased, &CommandLanguage::SetTimerInterval, kBoth},
};

CommandLanguage::CommandLanguage(CommandServices services) : services_(services) {}

bool CommandLanguage::Execute(std::string_view command) {
  const std::string sent = TrimSpaces(command);
  const std::string text = CommandText(sent);
  if (text.empty()) return true;
  for (const WholeCommand& whole : kWholeCommands) {
    if (text == whole.text && Available(whole.serialOnly))
      return whole.handler(*this, whole.parameter);
  }
  for (const ArgumentCommand& entry : kArgumentCommands) {
    if (!Available(entry.serialOnly) || text.size() < entry.minLength ||
        !text.starts_with(entry.prefix))
      continue;
    const std::string& source = entry.source == Source::AsSent ? sent : text;
    const size_t length = text.size() - entry.closingLength - entry.prefix.size();
    return (this->*entry.handler)(source.substr(entry.prefix.size(), length));
  }
  return false;
}

// ---------------------------------------------------------------------------------------
// Whole commands that decide something before they act. (Line changes that the driver
// refuses, or that have no port to act on, are silent: those commands are still accepted.)

bool CommandLanguage::TimerOff(int) {
  if (services_.engine.TimedOutputRunning()) services_.engine.ToggleTimedOutput();
  return true;
}

// Without an interval, timed output is on but sends nothing until an interval is set.
bool CommandLanguage::TimerOn(int) {
  if (!services_.engine.TimedOutputRunning()) services_.engine.ToggleTimedOutput();
  return true;
}

bool CommandLanguage::ResumeForOneRecord(int) {
  if (services_.engine.Suspended()) services_.engine.ResumeForOneRecord();
  return true;
}

bool CommandLanguage::Suspend(int) {
  if (!services_.engine.Suspended()) services_.engine.ToggleSuspend();
  return true;
}

bool CommandLanguage::Resume(int) {
  if (services_.engine.Suspended()) services_.engine.ToggleSuspend();
  return true;
}

// Each link command runs its menu item when the menu would enable it, and is refused
// otherwise.
bool CommandLanguage::LinkCommand(int action) {
  LinkMenu* menu = services_.linkMenu;
  if (!menu) return false;
  const LinkMenuState state = menu->State();
  switch (action) {
    case kPasteCommand:
      return state.pasteCommand && menu->PasteCommandLink();
    case kPasteBuffer:
      return state.pasteBuffer && menu->PasteBufferLink();
    case kRefreshCommand:
      if (state.refreshCommand) menu->RefreshCommandLink();
      return state.refreshCommand;
    case kRefreshBuffer:
      if (state.refreshBuffer) menu->RefreshBufferLink();
      return state.refreshBuffer;
    case kTerminateCommand:
      if (state.terminateCommand) menu->TerminateCommandLink();
      return state.terminateCommand;
    case kTerminateBuffer:
      if (state.terminateBuffer) menu->TerminateBufferLink();
      return state.terminateBuffer;
    default:
      return false;
  }
}

bool CommandLanguage::SetStripCrLf(int on) {
  settings().StripCrLf = on != 0;
  return true;
}

bool CommandLanguage::CopyDateTime(int) {
  LinkMenu* menu = services_.linkMenu;
  return menu && menu->CopyItem(kDateTimeItem, services_.engine.DateTimeText());
}

bool CommandLanguage::CopyRecordNumber(int) {
  LinkMenu* menu = services_.linkMenu;
  return menu && menu->CopyItem(kRecordNumberItem, services_.engine.RecordNumberText());
}

// ---------------------------------------------------------------------------------------
// Argument commands.

bool CommandLanguage::Send(const std::string& text) {
  services_.engine.QueueOutput(text);
  return true;
}

bool CommandLanguage::SendOut(const std::string& notation) {
  services_.engine.QueueOutput(DecodeOutputString(notation));
  return true;
}

bool CommandLanguage::SetTimerString(const std::string& notation) {
  settings().TimerString = DecodeOutputString(notation);
  return true;
}

bool CommandLanguage::SendCode(const std::string& number) {
  const std::optional<double> value = ReadNumber(number);
  if (!value || !(*value >= 0 && *value < 256)) return false;
  const std::optional<int32_t> code = RoundToLong(*value);
  if (!code || *code > 255) return false;
  services_.engine.QueueOutput(std::string(1, static_cast<char>(*code)));
  return true;
}

bool CommandLanguage::SendDate(const std::string& pattern) {
  const std::optional<std::string> text =
      FormatDateTime(services_.clock.Now(), pattern, services_.regional);
  if (!text) return false;
  services_.engine.QueueOutput(*text);
  return true;
}

bool CommandLanguage::SendFile(const std::string& path) {
  const int64_t room =
      kMaxQueuedFileBytes - static_cast<int64_t>(services_.engine.QueuedOutputSize());
  const std::optional<std::string> content = ReadFileToSend(path, room);
  if (!content) return false;
  services_.engine.QueueOutput(*content);
  return true;
}

bool CommandLanguage::Push(const std::string& name) {
  if (services_.edition.IsSerial() && (name == "DTR~" || name == "BREAK")) {
    if (IsVirtual()) return false;
    if (name == "BREAK")
      services_.engine.StartBreak();
    else
      services_.engine.PulseDtr();
    return true;
  }
  for (int button = 1; button <= kOutputStrings; ++button) {
    if (UpperCased(settings().ButtonCaption[button]) == name) {
      services_.engine.PushButton(button);
      return true;
    }
  }
  return false;
}

// A configuration for the same port is read into a copy of the settings first, so that a
// file that turns out to be unusable changes nothing; the new settings take over, and
// the engine starts again, once the current tick has ended.
bool CommandLanguage::LoadConfig(const std::string& path) {
  if (IsVirtual()) return false;
  const int portIndex =
      CheckConfigHeader(path, services_.edition, services_.strings, services_.prompt);
  if (portIndex != settings().PortIndex) return false;
  auto loaded = std::make_shared<Settings>(settings());
  const ReadResult result = ReadConfigFile(path, *loaded, services_.edition);
  if (result == ReadResult::Malformed)
    ShowFileErrorMessage(path, services_.strings, services_.prompt);
  if (result != ReadResult::Ok && result != ReadResult::OldFileOk) return false;
  services_.engine.RunOutsideTick([services = services_, loaded, path, result] {
    services.engine.settings() = *loaded;
    services.working.ConfigFileName = path;
    CompleteConfigRead(result, services.working, services.strings, services.prompt);
    services.engine.Restart();
  });
  return true;
}

bool CommandLanguage::CopyField(const std::string& number) {
  const std::optional<double> value = ReadNumber(number);
  const std::optional<int16_t> field = value ? RoundToInteger(*value) : std::nullopt;
  if (!field || *field < 1 || *field > settings().FieldCount || !services_.linkMenu) return false;
  return services_.linkMenu->CopyItem(FieldItemName(*field), services_.engine.FieldText(*field));
}

bool CommandLanguage::SetTimerInterval(const std::string& number) {
  const std::optional<double> value = ReadNumber(number);
  const std::optional<int32_t> interval = value ? RoundToLong(*value) : std::nullopt;
  if (!interval) return false;
  services_.engine.SetTimerInterval(*interval);
  return true;
}

}  // namespace fenno

#include "keys/dbus_wayland_keystrokes.h"

#include <cstring>

#include "keys/command_words.h"
#include "keys/keys_text_ids.h"
#include "keys/program_start.h"
#include "keys/wayland_text_ids.h"

namespace fenno {
namespace {

// A started program gets this long to show its window before the first record is typed.
constexpr int64_t kStartedProgramSettleMs = 3000;

std::string Latin1ToUtf8(unsigned char character) {
  if (character < 0x80) return std::string(1, static_cast<char>(character));
  return {static_cast<char>(0xC0 | (character >> 6)), static_cast<char>(0x80 | (character & 0x3F))};
}

}  // namespace

WaylandKeystrokes::WaylandKeystrokes(WaylandKeystrokesSetup setup, const Clock& clock,
                                     EventPump& events, Prompt& prompt, const StringTable& texts)
    : setup_(std::move(setup)),
      clock_(clock),
      events_(events),
      prompt_(prompt),
      texts_(texts),
      portal_(setup_.bus, setup_.store, setup_.application) {}

bool WaylandKeystrokes::Activate(Settings& settings) {
  if (!PortalReady()) return false;
  if (setup_.focuser) return FocusTarget(settings);
  if (!focusNoticeGiven_) {
    focusNoticeGiven_ = true;
    Tell(texts_.Text(str::kFocusedWindowOnly));
  }
  StartTargetOnce(settings);
  return !(setup_.ownWindowFocused && setup_.ownWindowFocused());
}

void WaylandKeystrokes::Restore() {
  if (focused_ && focused_->found) setup_.focuser->GiveBack(*focused_);
  focused_.reset();
}

// As on X11: the topmost window whose title holds the target title comes to the front; when
// there is none the target program is started for the record.
bool WaylandKeystrokes::FocusTarget(Settings& settings) {
  focused_.reset();
  if (settings.TargetSpecified) {
    settings.TargetAppTitle = UpperLatin1(TrimBlanks(settings.TargetAppTitle));
    if (!settings.TargetAppTitle.empty()) focused_ = setup_.focuser->Focus(settings.TargetAppTitle);
    if ((!focused_ || !focused_->found) && !settings.TargetAppCommand.empty() &&
        !StartTarget(settings.TargetAppCommand))
      return false;
  }
  return !(setup_.ownWindowFocused && setup_.ownWindowFocused());
}

void WaylandKeystrokes::Type(std::string_view macroText, int32_t interCharDelay) {
  if (sender_) sender_->SendKeysWithDelays(macroText, interCharDelay);
}

// The keymap and the session are made for the first record, so a program that never types
// never asks the user.
bool WaylandKeystrokes::PortalReady() {
  if (!keymap_) {
    std::string why;
    keymap_ = XkbKeymap::FromNames(setup_.layout.layout, setup_.layout.variant, &why);
    if (!keymap_) {
      Tell(texts_.Format(str::kLayoutNotCompiled, {setup_.layout.layout, why}));
      keymap_ = XkbKeymap::FromNames("us", "", &why);
      if (!keymap_) return false;
    }
  }
  const RemoteDesktopPortal::Outcome outcome = portal_.Start();
  if (outcome == RemoteDesktopPortal::Outcome::Started) {
    if (!sink_) {
      sink_ = std::make_unique<PortalKeySink>(
          *keymap_, portal_, [this](unsigned char c) { ReportUntypeable(c); }, setup_.capsLockOn);
      sender_ = std::make_unique<KeySender>(*sink_, clock_, events_);
      sender_->SetContinueCheck(
          [this] { return !(setup_.ownWindowFocused && setup_.ownWindowFocused()); });
    }
    return true;
  }
  if (!portalReported_) {
    portalReported_ = true;
    Tell(texts_.Text(
        outcome == RemoteDesktopPortal::Outcome::Declined ? str::kKeyboardConsentDeclined
        : outcome == RemoteDesktopPortal::Outcome::Ended  ? str::kKeyboardPermissionEnded
                                                          : str::kNoRemoteDesktopPortal));
  }
  return false;
}

// Which window is in front cannot be seen here, so the target program is started once per
// run, on the first record, and given time to come up.
void WaylandKeystrokes::StartTargetOnce(const Settings& settings) {
  if (targetStarted_ || !settings.TargetSpecified || settings.TargetAppCommand.empty()) return;
  targetStarted_ = true;
  StartTarget(settings.TargetAppCommand);
}

// Starts the program and gives it time to come up; false (told) when it cannot start.
bool WaylandKeystrokes::StartTarget(const std::string& commandLine) {
  const std::vector<std::string> words = SplitCommandLine(commandLine);
  std::string reason;
  if (words.empty()) {
    reason = texts_.Text(str::kEmptyCommandLine);
  } else if (const int error = StartDetached(words); error != 0) {
    char buffer[256] = {};
    reason = strerror_r(error, buffer, sizeof buffer);
  } else {
    WaitMilliseconds(clock_, events_, kStartedProgramSettleMs);
    return true;
  }
  prompt_.Show({texts_.Text(str::kCannotRunProgram) + " " + commandLine + "\r" + reason,
                texts_.Text(str::kComfennoErrorTitle), PromptButtons::Ok, PromptIcon::Exclamation});
  return false;
}

void WaylandKeystrokes::ReportUntypeable(unsigned char character) {
  if (reportedCharacters_[character]) return;
  reportedCharacters_[character] = true;
  Tell(texts_.Format(str::kCharacterNotOnLayout, {setup_.layout.layout, Latin1ToUtf8(character)}));
}

void WaylandKeystrokes::Tell(const std::string& text) {
  prompt_.Show({text, texts_.Text(str::kWaylandTitle), PromptButtons::Ok, PromptIcon::Exclamation});
}

}  // namespace fenno

#include "keys/keystroke_delivery.h"

#include <cstring>

#include "keys/command_words.h"
#include "keys/keys_text_ids.h"

namespace fenno {
namespace {

constexpr int kPollMs = 20;

std::string SystemErrorText(int error) {
  char buffer[256] = {};
  return strerror_r(error, buffer, sizeof buffer);
}

}  // namespace

KeystrokeDelivery::KeystrokeDelivery(KeySink& keys, WindowSystem& windows, const Clock& clock,
                                     EventPump& events, Prompt& prompt, const StringTable& texts)
    : windows_(windows),
      clock_(clock),
      events_(events),
      prompt_(prompt),
      texts_(texts),
      sender_(keys, clock, events) {
  sender_.SetContinueCheck([this] { return !OwnWindowInFront(); });
}

bool KeystrokeDelivery::Activate(Settings& settings) {
  savedForeground_ = windows_.ForegroundWindow();
  target_ = kNoWindow;
  wasMinimized_ = false;
  if (settings.TargetSpecified) {
    target_ = FindTargetWindow(settings.TargetAppTitle);
    if (target_ == kNoWindow && !settings.TargetAppCommand.empty() && !StartTarget(settings))
      return false;
  }
  if (!OwnWindowInFront()) return true;
  Restore();
  return false;
}

void KeystrokeDelivery::Type(std::string_view macroText, int32_t interCharDelay) {
  sender_.SendKeysWithDelays(macroText, interCharDelay);
}

void KeystrokeDelivery::Restore() {
  if (wasMinimized_ && target_ != kNoWindow) windows_.MinimizeWindow(target_);
  wasMinimized_ = false;
  // Window managers activate asynchronously: wait (with events running) until the window
  // is in front, so the next record saves the right foreground window and a program that
  // ends after its last record leaves the user where they were.
  if (savedForeground_ != kNoWindow && windows_.ForegroundWindow() != savedForeground_)
    BringToFront(savedForeground_);
  savedForeground_ = target_ = kNoWindow;
}

WindowId KeystrokeDelivery::FindTargetWindow(std::string& title) {
  wasMinimized_ = false;
  title = UpperLatin1(TrimBlanks(title));
  if (title.empty()) return kNoWindow;  // blanks alone would match any window
  for (const TopLevelWindow& window : windows_.WindowsInZOrder()) {
    if (UpperLatin1(window.title).find(title) == std::string::npos) continue;
    if (windows_.IsOwnWindow(window.id)) continue;
    if (window.id != windows_.ForegroundWindow()) wasMinimized_ = ActivateWindow(window.id);
    return window.id;
  }
  return kNoWindow;
}

// Returns whether the window was minimised and has been restored into the foreground.
bool KeystrokeDelivery::ActivateWindow(WindowId window) {
  const bool minimized = windows_.IsMinimized(window);
  if (minimized) windows_.RestoreWindow(window);
  if (BringToFront(window)) return minimized;
  // Activation failed: leave the window as it was; the keys go to whatever has the focus.
  if (minimized) windows_.MinimizeWindow(window);
  return false;
}

// A window manager may not act on a request to activate that reaches it while it is still
// moving the focus elsewhere; the window then stays behind for good. One more request after
// the wait settles that, so the keys and the focus given back reach the right window.
bool KeystrokeDelivery::BringToFront(WindowId window) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!windows_.RequestActivation(window)) return false;
    if (WaitForForeground(window, kActivationTimeoutMs)) return true;
  }
  return false;
}

bool KeystrokeDelivery::WaitForForeground(WindowId window, int64_t timeoutMs) {
  const int64_t deadline = clock_.TickMs() + timeoutMs;
  while (windows_.ForegroundWindow() != window) {
    if (clock_.TickMs() >= deadline) return false;
    WaitMilliseconds(clock_, events_, kPollMs);
  }
  return true;
}

bool KeystrokeDelivery::StartTarget(Settings& settings) {
  const std::string& commandLine = settings.TargetAppCommand;
  const WindowId before = windows_.ForegroundWindow();
  if (SplitCommandLine(commandLine).empty()) {
    ReportStartFailure(commandLine, texts_.Text(str::kEmptyCommandLine));
    return false;
  }
  if (const int error = windows_.StartProgram(commandLine); error != 0) {
    ReportStartFailure(commandLine, SystemErrorText(error));
    return false;
  }
  if (!WaitForStartedProgram(commandLine, before)) return false;
  target_ = savedForeground_ = windows_.ForegroundWindow();
  LearnTargetTitle(settings, target_);
  return true;
}

// Waits for the foreground to change, then lets the program settle for two to three
// seconds (until the wall clock's seconds have moved on by three).
bool KeystrokeDelivery::WaitForStartedProgram(const std::string& commandLine, WindowId before) {
  const int64_t deadline = clock_.TickMs() + kProgramStartTimeoutMs;
  while (windows_.ForegroundWindow() == before) {
    if (clock_.TickMs() >= deadline) {
      prompt_.Show({texts_.Format(str::kProgramShowedNoWindow,
                                  {commandLine, std::to_string(kProgramStartTimeoutMs / 1000)}),
                    texts_.Text(str::kComfennoErrorTitle), PromptButtons::Ok,
                    PromptIcon::Exclamation});
      return false;
    }
    WaitMilliseconds(clock_, events_, kPollMs);
  }
  WaitMilliseconds(clock_, events_, 3000 - clock_.Now().millisecond);
  return true;
}

void KeystrokeDelivery::ReportStartFailure(const std::string& commandLine,
                                           const std::string& reason) {
  prompt_.Show({texts_.Text(str::kCannotRunProgram) + " " + commandLine + "\r" + reason,
                texts_.Text(str::kComfennoErrorTitle), PromptButtons::Ok, PromptIcon::Exclamation});
}

// The next records find the started program by its real title.
void KeystrokeDelivery::LearnTargetTitle(Settings& settings, WindowId window) {
  if (window == kNoWindow || windows_.IsOwnWindow(window)) return;
  const std::string title = UpperLatin1(windows_.WindowTitle(window));
  if (settings.TargetAppTitle.empty() ||
      title.find(UpperLatin1(settings.TargetAppTitle)) == std::string::npos)
    settings.TargetAppTitle = title;
}

bool KeystrokeDelivery::OwnWindowInFront() {
  const WindowId foreground = windows_.ForegroundWindow();
  return foreground != kNoWindow && windows_.IsOwnWindow(foreground);
}

}  // namespace fenno

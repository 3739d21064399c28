#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/clock.h"
#include "base/prompt.h"
#include "base/string_table.h"
#include "config/settings.h"
#include "engine/keystroke_target.h"
#include "keys/key_sender.h"
#include "keys/key_sink.h"
#include "keys/window_system.h"

namespace fenno {

// Limits of the waits around a record's keystrokes.
inline constexpr int64_t kActivationTimeoutMs = 3000;     // a window taking the foreground
inline constexpr int64_t kProgramStartTimeoutMs = 30000;  // a started program showing a window

// Brings the target application to the front for one record, types the record and gives
// the foreground back. The engine calls Activate, then (when it returned true) Type with
// the record's macro text, then Restore.
class KeystrokeDelivery : public KeystrokeTarget {
 public:
  KeystrokeDelivery(KeySink& keys, WindowSystem& windows, const Clock& clock, EventPump& events,
                    Prompt& prompt, const StringTable& texts);

  // Remembers the foreground window, then finds the target by TargetAppTitle (starting
  // TargetAppCommand when no window matches, which may rewrite TargetAppTitle) and brings
  // it to the front. False means the record is to be discarded: the program could not be
  // started, or one of this program's own windows is in front.
  bool Activate(Settings& settings) override;
  // Types the macro text (with "{DELAY n}" pauses) into the foreground window. Typing stops
  // if one of this program's own windows comes to the front while events run.
  void Type(std::string_view macroText, int32_t interCharDelay) override;
  // Minimises the target again if it was minimised and gives the foreground back.
  void Restore() override;

  // Finds the first window in Z order whose title contains `title` (compared in upper
  // case) and activates it. `title` is trimmed and upper-cased in place. Windows of this
  // program are never chosen.
  WindowId FindTargetWindow(std::string& title);
  bool WasMinimized() const { return wasMinimized_; }

 private:
  bool ActivateWindow(WindowId window);
  bool BringToFront(WindowId window);
  bool WaitForForeground(WindowId window, int64_t timeoutMs);
  bool StartTarget(Settings& settings);
  bool WaitForStartedProgram(const std::string& commandLine, WindowId before);
  void ReportStartFailure(const std::string& commandLine, const std::string& reason);
  void LearnTargetTitle(Settings& settings, WindowId window);
  bool OwnWindowInFront();

  WindowSystem& windows_;
  const Clock& clock_;
  EventPump& events_;
  Prompt& prompt_;
  const StringTable& texts_;
  KeySender sender_;
  WindowId savedForeground_ = kNoWindow;
  WindowId target_ = kNoWindow;
  bool wasMinimized_ = false;
};

}  // namespace fenno

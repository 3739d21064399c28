#pragma once

// Fakes of the keyboard and the window system for tests of keystroke output and of the
// code that drives it, and one record's delivery as the engine does it.

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "config/settings.h"
#include "engine/keystroke_target.h"
#include "keys/key_macro.h"
#include "keys/key_sink.h"
#include "keys/virtual_keys.h"
#include "keys/window_system.h"

namespace fenno::testing {

// What the engine does with each record.
inline bool DeliverRecord(KeystrokeTarget& target, Settings& settings, std::string_view macro,
                          int32_t interCharDelay = 0) {
  if (!target.Activate(settings)) return false;
  target.Type(macro, interCharDelay);
  target.Restore();
  return true;
}

// Windows' character-to-key answers for a US keyboard layout.
inline int UsLayoutKey(unsigned char c) {
  if (c >= 'a' && c <= 'z') return c - 'a' + vk::kLetterA;
  if (c >= 'A' && c <= 'Z') return (c - 'A' + vk::kLetterA) | kKeyShiftBit;
  if (c >= '0' && c <= '9') return c;
  static const std::map<unsigned char, int> kOthers = [] {
    std::map<unsigned char, int> keys = {{' ', vk::kSpace},
                                         {'\b', vk::kBackspace},
                                         {'\t', vk::kTab},
                                         {'\r', vk::kEnter},
                                         {27, vk::kEscape}};
    for (int digit = 0; digit < 10; ++digit)
      keys[")!@#$%^&*("[digit]] = ('0' + digit) | kKeyShiftBit;
    // Each punctuation key with its character and its shifted character.
    const std::string_view plain = ";=,-./`[\\]'", shifted = ":+<_>?~{|}\"";
    const int codes[] = {vk::kSemicolon, vk::kEquals,       vk::kComma,     vk::kMinus,
                         vk::kPeriod,    vk::kSlash,        vk::kGrave,     vk::kBracketLeft,
                         vk::kBackslash, vk::kBracketRight, vk::kApostrophe};
    for (size_t i = 0; i < plain.size(); ++i) {
      keys[plain[i]] = codes[i];
      keys[shifted[i]] = codes[i] | kKeyShiftBit;
    }
    return keys;
  }();
  const auto it = kOthers.find(c);
  return it == kOthers.end() ? kNoKey : it->second;
}

// A keyboard with a US layout that records the key events it is sent and renders them as
// the text a receiving window would see: characters as typed, other keys as "{NAME}",
// Ctrl and Alt combinations as "^x" and "%x".
class FakeKeySink : public KeySink {
 public:
  int CharToKey(unsigned char c) override {
    const int key = UsLayoutKey(c);
    if (key == kNoKey && bindsKeylessCharacters && c >= 0xA0) return kCharacterKeyBit | c;
    return key;
  }
  void SendKey(int code, bool press) override {
    events.push_back({code, press});
    if (code == vk::kShift) shift_ = press;
    if (code == vk::kControl) control_ = press;
    if (code == vk::kAlt) alt_ = press;
    if (press && code != vk::kShift && code != vk::kControl && code != vk::kAlt) Render(code);
  }
  void SaveKeyboardState() override {
    calls.push_back("save");
    savedCapsLock_ = capsLock;
    capsLock = false;
    shift_ = control_ = alt_ = false;
  }
  void RestoreKeyboardState() override {
    calls.push_back("restore");
    capsLock = savedCapsLock_;
  }

  bool bindsKeylessCharacters = false;
  bool capsLock = false;
  std::vector<KeyEvent> events;
  std::vector<std::string> calls;
  std::string typed;

 private:
  void Render(int code) {
    std::string text = KeyText(code);
    if (control_) text = "^" + text;
    if (alt_) text = "%" + text;
    typed += text;
  }
  std::string KeyText(int code) const {
    if (code & kCharacterKeyBit) return std::string(1, static_cast<char>(code & 0xFF));
    for (int c = 32; c < 127; ++c) {
      const int key = UsLayoutKey(static_cast<unsigned char>(c));
      const bool upper = (key & kKeyShiftBit) != 0;
      const bool letter = c >= 'A' && c <= 'Z';
      if ((key & 0xFF) == code && upper == (letter ? shift_ != capsLock : shift_))
        return std::string(1, static_cast<char>(c));
    }
    static const std::map<int, std::string> kNames = {
        {vk::kEnter, "{ENTER}"}, {vk::kTab, "{TAB}"},    {vk::kLeft, "{LEFT}"},
        {vk::kRight, "{RIGHT}"}, {vk::kDelete, "{DEL}"}, {vk::kBackspace, "{BS}"},
        {vk::kEscape, "{ESC}"},  {vk::kF1 + 4, "{F5}"},  {0xFF, ""}};
    const auto it = kNames.find(code);
    return it == kNames.end() ? "{" + std::to_string(code) + "}" : it->second;
  }

  bool shift_ = false, control_ = false, alt_ = false;
  bool savedCapsLock_ = false;
};

// A desktop of windows kept in a list, topmost first.
class FakeWindowSystem : public WindowSystem {
 public:
  struct Window {
    WindowId id;
    std::string title;
    bool minimized = false;
    bool own = false;
  };

  WindowId ForegroundWindow() override { return foreground; }
  std::vector<TopLevelWindow> WindowsInZOrder() override {
    std::vector<TopLevelWindow> list;
    for (const Window& w : windows) list.push_back({w.id, w.title});
    return list;
  }
  std::string WindowTitle(WindowId id) override {
    const Window* w = Find(id);
    return w ? w->title : std::string();
  }
  bool RequestActivation(WindowId id) override {
    log.push_back("activate " + std::to_string(id));
    Window* w = Find(id);
    if (!w || refusesActivation) return w != nullptr;
    if (dropsActivations > 0) return --dropsActivations, true;
    w->minimized = false;
    foreground = id;
    std::stable_partition(windows.begin(), windows.end(),
                          [id](const Window& x) { return x.id == id; });
    return true;
  }
  void RestoreWindow(WindowId id) override {
    log.push_back("restore " + std::to_string(id));
    if (Window* w = Find(id)) w->minimized = false;
  }
  void MinimizeWindow(WindowId id) override {
    log.push_back("minimize " + std::to_string(id));
    if (Window* w = Find(id)) w->minimized = true;
  }
  bool IsMinimized(WindowId id) override {
    const Window* w = Find(id);
    return w && w->minimized;
  }
  bool IsOwnWindow(WindowId id) override {
    const Window* w = Find(id);
    return w && w->own;
  }
  int StartProgram(const std::string& commandLine) override {
    startedCommands.push_back(commandLine);
    if (startError != 0) return startError;
    if (!startedTitle.empty()) pendingStart_ = true;
    return 0;
  }
  // Called from the event pump: a started program shows its window some events later.
  void RunEvents() {
    if (!pendingStart_ || --startDelayEvents > 0) return;
    pendingStart_ = false;
    windows.insert(windows.begin(), {nextId, startedTitle});
    foreground = nextId++;
  }

  Window* Find(WindowId id) {
    for (Window& w : windows)
      if (w.id == id) return &w;
    return nullptr;
  }

  std::vector<Window> windows;
  WindowId foreground = kNoWindow;
  bool refusesActivation = false;
  int dropsActivations = 0;  // requests a busy window manager takes and ignores
  int startError = 0;
  std::string startedTitle;  // empty: a started program never shows a window
  int startDelayEvents = 3;
  WindowId nextId = 100;
  std::vector<std::string> startedCommands;
  std::vector<std::string> log;

 private:
  bool pendingStart_ = false;
};

}  // namespace fenno::testing

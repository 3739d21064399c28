#include "hotkeys/hot_keys.h"

#include <algorithm>

namespace fenno {

int16_t HotKeyCodeOf(const HotKeyEvent& event) {
  const int modifiers = (event.shiftDown ? kHotKeyShift : 0) | (event.modifierState & 14);
  return static_cast<int16_t>(modifiers * 256 + (event.virtualKey & 255));
}

std::vector<int> WatchedHotKeyCodes(const Settings& settings) {
  std::vector<int> codes;
  for (const int16_t stored : settings.HotKeyCode) {
    const int code = static_cast<uint16_t>(stored);
    if ((code & 255) != 0 && std::find(codes.begin(), codes.end(), code) == codes.end())
      codes.push_back(code);
  }
  return codes;
}

namespace {

bool IsLineAction(HotKeyActionKind action) {
  switch (action) {
    case HotKeyActionKind::IssueBreak:
    case HotKeyActionKind::PulseDtr:
    case HotKeyActionKind::RaiseDtr:
    case HotKeyActionKind::LowerDtr:
    case HotKeyActionKind::RaiseRts:
    case HotKeyActionKind::LowerRts:
      return true;
    default:
      return false;
  }
}

// Timed output with no interval would send on every tick; an interval of 0 means the
// configuration has no timed output, so the hot key leaves it off.
void EnableTimer(EngineControl& engine) {
  if (engine.settings().TimerInterval > 0 && !engine.TimedOutputRunning())
    engine.ToggleTimedOutput();
}

}  // namespace

HotKeyActionKind EffectiveHotKeyAction(const Edition& edition, int16_t storedAction,
                                       ActivationMode mode) {
  const HotKeyActionKind action = edition.HotKeyActionMeaning(storedAction);
  if (mode == ActivationMode::Virtual && IsLineAction(action)) return HotKeyActionKind::NoAction;
  return action;
}

void PerformHotKeyAction(HotKeyActionKind action, const std::string& text, EngineControl& engine) {
  switch (action) {
    case HotKeyActionKind::NoAction:
      break;
    case HotKeyActionKind::TransmitString:
      engine.QueueOutput(text);
      break;
    case HotKeyActionKind::IssueBreak:
      engine.StartBreak();
      break;
    case HotKeyActionKind::PulseDtr:
      engine.PulseDtr();
      break;
    case HotKeyActionKind::EnableTimer:
      EnableTimer(engine);
      break;
    case HotKeyActionKind::DisableTimer:
      if (engine.TimedOutputRunning()) engine.ToggleTimedOutput();
      break;
    case HotKeyActionKind::RaiseDtr:
    case HotKeyActionKind::LowerDtr:
      engine.SetDtr(action == HotKeyActionKind::RaiseDtr);
      break;
    case HotKeyActionKind::RaiseRts:
    case HotKeyActionKind::LowerRts:
      engine.SetRts(action == HotKeyActionKind::RaiseRts);
      break;
    case HotKeyActionKind::Reset:
      engine.Reset();
      break;
    case HotKeyActionKind::Suspend:
      if (!engine.Suspended()) engine.ToggleSuspend();
      break;
    case HotKeyActionKind::Enable:
      if (engine.Suspended()) engine.ToggleSuspend();
      break;
    case HotKeyActionKind::EnableForOneRecord:
      if (engine.Suspended()) engine.ResumeForOneRecord();
      break;
  }
}

HotKeys::HotKeys(const Edition& edition, EngineControl& engine, HotKeyHook& hook)
    : edition_(edition), engine_(engine), hook_(hook) {}

HotKeys::~HotKeys() {
  Stop();
}

void HotKeys::Start() {
  const std::vector<int> codes = WatchedHotKeyCodes(engine_.settings());
  hook_.Watch(codes, [this](const HotKeyEvent& event) { return OnKey(event); });
  watching_ = true;
}

void HotKeys::Stop() {
  if (!watching_) return;
  watching_ = false;
  hook_.Unwatch();
}

bool HotKeys::OnKey(const HotKeyEvent& event) {
  if ((event.virtualKey & 255) == 0) return false;  // would match the entries without a key
  const int16_t code = HotKeyCodeOf(event);
  const Settings& settings = engine_.settings();
  const bool matches = std::find(settings.HotKeyCode.begin(), settings.HotKeyCode.end(), code) !=
                       settings.HotKeyCode.end();
  if (!matches || event.transition != KeyTransition::Press) return matches;
  for (int entry = 0; entry < kHotKeys; ++entry) {
    if (settings.HotKeyCode[entry] != code) continue;
    PerformHotKeyAction(
        EffectiveHotKeyAction(edition_, settings.HotKeyAction[entry], engine_.Mode()),
        settings.HotKeyString[entry], engine_);
  }
  return true;
}

}  // namespace fenno

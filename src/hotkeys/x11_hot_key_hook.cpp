#include "hotkeys/x11_hot_key_hook.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <algorithm>

#include "keys/virtual_keys.h"

namespace fenno {
namespace {

// Modifier bits a hot-key code can hold on this platform.
constexpr int kGrabbableModifiers = kHotKeyShift | kHotKeyCtrl | kHotKeyAlt;
// The virtual-key code of the print key is 44; the key-name table offers it as 42.
constexpr int kTablePrintKey = 42;

// Each code once, leaving out those no key event here can produce.
std::vector<int> GrabbableCodes(std::span<const int> codes) {
  std::vector<int> grabbable;
  for (const int code : codes) {
    const bool possible =
        code > 0 && code < 65536 && (code & 255) != 0 && ((code >> 8) & ~kGrabbableModifiers) == 0;
    if (possible && std::find(grabbable.begin(), grabbable.end(), code) == grabbable.end())
      grabbable.push_back(code);
  }
  return grabbable;
}

}  // namespace

X11HotKeyHook::X11HotKeyHook(X11Connection& connection, HotKeyProblemReport report)
    : connection_(connection), keymap_(connection), report_(std::move(report)) {
  handlerId_ = connection_.AddEventHandler([this](XEvent& event) { OnEvent(event); });
}

X11HotKeyHook::~X11HotKeyHook() {
  Unwatch();
  connection_.RemoveEventHandler(handlerId_);
}

void X11HotKeyHook::Watch(std::span<const int> codes, Handler handler) {
  Unwatch();
  handler_ = std::move(handler);
  const std::vector<int> configured = GrabbableCodes(codes);
  if (configured.empty()) return;  // no display needed for no keys
  Display* display = connection_.Get();
  if (!display) return;
  keymap_.Refresh();
  Prepare(display);
  GrabAll(display, configured);
  // Checking the grabs may have read key events off the connection; handle them now, as
  // the connection's socket will not signal them again.
  connection_.ProcessPendingEvents();
  ReportProblems();
}

void X11HotKeyHook::GrabAll(Display* display, const std::vector<int>& configured) {
  const auto isConfigured = [&](int code) {
    return std::find(configured.begin(), configured.end(), code) != configured.end();
  };
  for (const int code : configured) GrabCode(display, code, true);
  for (const int code : configured) {
    const int other = code ^ (kHotKeyShift * 256);
    if (!isConfigured(other)) GrabCode(display, other, false);
  }
  XFlush(display);
}

void X11HotKeyHook::Prepare(Display* display) {
  if (!detectableRepeat_) {
    Bool supported = False;
    XkbSetDetectableAutoRepeat(display, True, &supported);
    detectableRepeat_ = true;
  }
  altMask_ = XkbKeysymToModifiers(display, XK_Alt_L);
  if (altMask_ == 0) altMask_ = Mod1Mask;
  numLockMask_ = XkbKeysymToModifiers(display, XK_Num_Lock);
}

void X11HotKeyHook::GrabCode(Display* display, int code, bool configured) {
  const int virtualKey = code & 255;
  const KeyCode keycode = KeycodeFor(virtualKey);
  if (!keycode) {
    if (configured) Report(HotKeyProblem::NotOnLayout, code);
    return;
  }
  std::vector<int>& virtualKeys = virtualKeysOf_[keycode];
  if (std::find(virtualKeys.begin(), virtualKeys.end(), virtualKey) == virtualKeys.end())
    virtualKeys.push_back(virtualKey);
  bool taken = false;
  for (const unsigned int lock : LockVariants()) {
    const unsigned int modifiers = ModifiersOf(code) | lock;
    X11ErrorTrap trap(display);
    XGrabKey(display, keycode, modifiers, DefaultRootWindow(display), False, GrabModeAsync,
             GrabModeSync);
    if (trap.Failed())
      taken = true;
    else
      grabs_.push_back({keycode, modifiers});
  }
  // The Shift counterparts are only watched to be told apart; another program may own them.
  if (taken && configured) Report(HotKeyProblem::InUse, code);
}

KeyCode X11HotKeyHook::KeycodeFor(int virtualKey) {
  const KeyCode keycode = keymap_.KeycodeOfVk(virtualKey);
  if (keycode || virtualKey != kTablePrintKey) return keycode;
  return keymap_.KeycodeOfVk(vk::kPrintScreen);
}

unsigned int X11HotKeyHook::ModifiersOf(int code) const {
  const int modifiers = code >> 8;
  return ((modifiers & kHotKeyShift) ? ShiftMask : 0u) |
         ((modifiers & kHotKeyCtrl) ? ControlMask : 0u) |
         ((modifiers & kHotKeyAlt) ? altMask_ : 0u);
}

std::vector<unsigned int> X11HotKeyHook::LockVariants() const {
  std::vector<unsigned int> variants = {0, LockMask};
  if (numLockMask_ != 0 && numLockMask_ != LockMask) {
    variants.push_back(numLockMask_);
    variants.push_back(numLockMask_ | LockMask);
  }
  return variants;
}

void X11HotKeyHook::Unwatch() {
  handler_ = nullptr;
  if (!grabs_.empty()) {
    if (Display* display = connection_.Get()) {
      for (const Grab& grab : grabs_)
        XUngrabKey(display, grab.keycode, grab.modifiers, DefaultRootWindow(display));
      // A key still held (or waiting for our decision) keeps the keyboard; give it back.
      XUngrabKeyboard(display, CurrentTime);
      // Once stopped, the very next key must reach the windows: wait until the server has
      // released the grabs rather than only sending the requests.
      XSync(display, False);
    }
  }
  grabs_.clear();
  virtualKeysOf_.clear();
  held_.clear();
}

void X11HotKeyHook::OnEvent(XEvent& event) {
  if (event.type != KeyPress && event.type != KeyRelease) return;
  XKeyEvent& key = event.xkey;
  if (!handler_ || key.window != key.root) return;  // only our grabs report on the root
  const auto found = virtualKeysOf_.find(static_cast<KeyCode>(key.keycode));
  if (found == virtualKeysOf_.end()) return;
  const std::vector<int> virtualKeys = found->second;
  if (event.type == KeyPress) {
    OnPress(key, virtualKeys);
    return;
  }
  held_.erase(static_cast<KeyCode>(key.keycode));
  Deliver(key, virtualKeys, KeyTransition::Release);
}

// The keyboard may be frozen by our grab until we decide, so every press is answered,
// whatever the handler does.
void X11HotKeyHook::OnPress(XKeyEvent& key, const std::vector<int>& virtualKeys) {
  const KeyCode keycode = static_cast<KeyCode>(key.keycode);
  const bool repeat = held_.count(keycode) != 0;
  const bool swallow =
      Deliver(key, virtualKeys, repeat ? KeyTransition::Repeat : KeyTransition::Press);
  if (swallow) held_.insert(keycode);
  Display* display = connection_.Get();
  if (!display) return;
  XAllowEvents(display, swallow ? AsyncKeyboard : ReplayKeyboard, key.time);
  XFlush(display);
}

bool X11HotKeyHook::Deliver(const XKeyEvent& key, const std::vector<int>& virtualKeys,
                            KeyTransition transition) {
  const Handler handler = handler_;  // an action may watch other keys meanwhile
  HotKeyEvent event;
  event.transition = transition;
  event.shiftDown = (key.state & ShiftMask) != 0;
  event.modifierState =
      ((key.state & ControlMask) ? kHookCtrl : 0) | ((key.state & altMask_) ? kHookAlt : 0);
  bool swallow = false;
  for (const int virtualKey : virtualKeys) {
    event.virtualKey = virtualKey;
    if (handler && handler(event)) swallow = true;
  }
  return swallow;
}

void X11HotKeyHook::Report(HotKeyProblem problem, int code) {
  if (reported_.insert({code, problem}).second) problems_.emplace_back(problem, code);
}

// Told once every key is in place: a message box may wait for the user, and the keys
// that work should work meanwhile.
void X11HotKeyHook::ReportProblems() {
  const auto problems = std::exchange(problems_, {});
  if (!report_) return;
  for (const auto& [problem, code] : problems) report_(problem, code);
}

}  // namespace fenno

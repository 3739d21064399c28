#pragma once

// The hot-key dialog's key box (HKKey): pressing a key combination in it records the
// combination instead of typing. Plain Enter and Escape still reach the dialog (OK and
// Cancel); with a modifier they are recorded like any key. Tab moves on as everywhere.

#include <QLineEdit>
#include <functional>

namespace fenno {

// The virtual-key code of a Qt key, as stored in hot-key codes: kNoVirtualKey for a key
// that has none (keys of national layouts), kLoneModifier for keys that only modify.
inline constexpr int kNoVirtualKey = -1;
inline constexpr int kLoneModifier = -2;
int VirtualKeyOfQtKey(int qtKey, bool keypad);

class HotKeyBox final : public QLineEdit {
  Q_OBJECT

 public:
  explicit HotKeyBox(QWidget* parent = nullptr);

  // On a desktop whose layout is known, keys are taken by their key code as the hot keys'
  // grab takes them, so that punctuation of national layouts is the key pressed; 0 from
  // `keycodeToVirtualKey` falls back to what Qt reports.
  void SetKeycodeMap(std::function<int(unsigned keycode)> keycodeToVirtualKey) {
    keycodeToVirtualKey_ = std::move(keycodeToVirtualKey);
  }

 signals:
  // `virtualKey` as VirtualKeyOfQtKey answers; `modifiers` 1 Shift, 2 Ctrl, 4 Alt.
  void KeyPressed(int virtualKey, int modifiers);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::function<int(unsigned keycode)> keycodeToVirtualKey_;
};

}  // namespace fenno

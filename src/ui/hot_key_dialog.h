#pragma once

// The hot-key dialog (HotKeyFrm): fifty entries, each a key combination, an action and,
// for "Transmit String", the bytes to send. Keys are recorded by pressing them in the key
// box or chosen from the hot-key picker. Rules: hotkeys/hot_key_table.h and
// hotkeys/hot_key_dialogs.h.

#include <QDialog>

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/edition.h"
#include "config/settings.h"
#include "hotkeys/hot_key_dialogs.h"
#include "hotkeys/hot_key_table.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace fenno {

class HotKeyBox;
class RawStringEdit;

class HotKeyDialog final : public QDialog {
  Q_OBJECT

 public:
  HotKeyDialog(const Edition& edition, Settings& settings, WorkingValues& working, Prompt& prompt,
               const StringTable& strings, KeyOnLayout onLayout = {}, QWidget* parent = nullptr);

  // Keys pressed are taken by their key code (see HotKeyBox::SetKeycodeMap).
  void UseKeycodeMap(std::function<int(unsigned keycode)> keycodeToVirtualKey);

  void accept() override;

 private:
  void ShowEntry(int entry);
  void ShowActionBoxes();
  void OnActionChosen(int action);
  void OnKeyPressed(int virtualKey, int modifiers);
  void OpenKeyList();
  // Takes a recorded or picked code unless another entry has it or the layout lacks it.
  void TakeKey(int code);

  Settings& settings_;
  WorkingValues& working_;
  Prompt& prompt_;
  const StringTable& strings_;
  KeyOnLayout onLayout_;
  HotKeyTable table_;
  int entry_ = 0;
  QListWidget* numbers_;
  QComboBox* actions_;
  HotKeyBox* key_;
  QPushButton* keyList_;
  QLabel* textLabel_ = nullptr;
  RawStringEdit* text_;
};

}  // namespace fenno

#pragma once

// The two key pickers: the keystroke picker (GetAKey), whose choice is macro text, and
// the hot-key picker (GetAKey2), whose choice is a hot-key code with its name. Rules:
// keys/key_pickers.h and hotkeys/hot_key_names.h.

#include <QDialog>
#include <optional>
#include <string>

#include "base/string_table.h"
#include "hotkeys/hot_key_names.h"

class QCheckBox;
class QListWidget;

namespace fenno {

class KeyPickerDialog final : public QDialog {
  Q_OBJECT

 public:
  enum class Kind { Keystroke, HotKey };

  KeyPickerDialog(Kind kind, const StringTable& strings, QWidget* parent = nullptr);

  // The choice as the kind gives it (after OK).
  std::string PickedMacroText() const;
  PickedHotKey PickedKey() const;

 private:
  Kind kind_;
  QListWidget* list_;
  QCheckBox* alt_;
  QCheckBox* ctrl_;
  QCheckBox* shift_;
};

// Modal runs of the pickers; nothing when cancelled.
std::optional<std::string> AskKeystroke(const StringTable& strings, QWidget* parent);
std::optional<PickedHotKey> AskHotKey(const StringTable& strings, QWidget* parent);

}  // namespace fenno

#pragma once

// The first dialog of the record chain (RecType): what starts a record and what ends it,
// with the special characters of either. Rules: config/record_dialogs.h.

#include <QDialog>
#include <array>

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/settings.h"

class QRadioButton;

namespace fenno {

class RawStringEdit;

class RecTypeDialog final : public QDialog {
  Q_OBJECT

 public:
  RecTypeDialog(Settings& settings, WorkingValues& working, Prompt& prompt,
                const StringTable& strings, QWidget* parent = nullptr);

  void accept() override;

 protected:
  // Up and Down in a character box choose option 2 and option 0 of its group; the box
  // that had the focus last takes what the ASCII chart gives.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Settings& settings_;
  WorkingValues& working_;
  Prompt& prompt_;
  const StringTable& strings_;
  std::array<QRadioButton*, 4> startOptions_{};
  std::array<QRadioButton*, 4> endOptions_{};
  RawStringEdit* startChars_;
  RawStringEdit* endChars_;
  RawStringEdit* lastBox_;
};

}  // namespace fenno

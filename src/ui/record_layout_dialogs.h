#pragma once

// The middle dialogs of the record chain: the record length of fixed-length records
// (Fixed), the gap between timed records (Timed), the record structure (RecStructure) and
// the delimiter with the field count (Delim). Rules: config/record_dialogs.h.

#include <QDialog>
#include <array>

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/settings.h"

class QLineEdit;
class QListWidget;
class QRadioButton;

namespace fenno {

// What every dialog of the chain borrows.
struct RecordDialogContext {
  Settings& settings;
  WorkingValues& working;
  Prompt& prompt;
  const StringTable& strings;
};

// A box that takes only the digits 0 to 9 and beeps at anything else.
QLineEdit* NewDigitsBox(Prompt& prompt, const char* objectName, int maxLength);

class FixedDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit FixedDialog(const RecordDialogContext& context, QWidget* parent = nullptr);
  void accept() override;

 private:
  RecordDialogContext c_;
  QLineEdit* length_;
};

class TimedDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit TimedDialog(const RecordDialogContext& context, QWidget* parent = nullptr);
  void accept() override;

 private:
  RecordDialogContext c_;
  QLineEdit* ticks_;
};

class RecStructureDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit RecStructureDialog(const RecordDialogContext& context, QWidget* parent = nullptr);
  void accept() override;

 private:
  RecordDialogContext c_;
  std::array<QRadioButton*, 3> options_{};
};

class DelimDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit DelimDialog(const RecordDialogContext& context, QWidget* parent = nullptr);
  void accept() override;

 private:
  RecordDialogContext c_;
  QListWidget* delimiters_;
  QLineEdit* fieldCount_;
};

}  // namespace fenno

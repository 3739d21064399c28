#pragma once

// The field editor (RecDefs), last dialog of the record chain: the record preamble and,
// field by field, the filter, length, format, math expression and postamble. It edits a
// working copy that OK commits and Cancel drops; a preview beside it runs a sample of the
// device's bytes through the edited definitions. Rules: config/record_dialogs.h.

#include <QDialog>

#include "config/record_dialogs.h"
#include "engine/regional.h"
#include "ui/record_layout_dialogs.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace fenno {

class RawStringEdit;
class RecordPreviewPane;

class RecDefsDialog final : public QDialog {
  Q_OBJECT

 public:
  RecDefsDialog(const RecordDialogContext& context, const RegionalSettings& regional,
                QWidget* parent = nullptr);

  void accept() override;
  const RecordDefinitions& workingCopy() const { return defs_; }
  RecordPreviewPane* preview() const { return preview_; }

 protected:
  // Remembers which macro box had the focus last.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildFieldRows(QGridLayout& grid, const RecordDefinitionTexts& texts);
  void Connect();
  void ShowField(int field);
  void ShowTotals();
  void LengthEdited();
  void Next();
  // The working copy changed: the preview runs it again.
  void Edited();

  RecordDialogContext c_;
  RecordDefinitions defs_;
  bool showing_ = false;  // ShowField fills the boxes: no edit to store
  QLabel* fieldNumber_;
  QLabel* preambleLabel_;
  RawStringEdit* preamble_;
  QLabel* lengthLabel_;
  QLineEdit* length_;
  QLabel* bytesDefined_;
  QComboBox* filter_;
  QComboBox* format_;
  QLineEdit* expression_;
  RawStringEdit* postamble_;
  QPushButton* previous_;
  QPushButton* next_;
  RecordPreviewPane* preview_;
  RawStringEdit* lastMacroBox_;  // the ASCII chart inserts here
};

}  // namespace fenno

#pragma once

// The field editor's preview: a sample of the device's bytes (pasted, or read from a file
// the user chooses) run through the definitions being edited, shown as a table with one
// row per record and one column per field. It runs a short pause after the last edit, off
// the keystrokes, and never touches a running engine or the device
// (engine/record_preview.h).

#include <QTimer>
#include <QWidget>
#include <optional>
#include <string>

#include "config/settings.h"
#include "engine/record_preview.h"
#include "engine/regional.h"
#include "ui/record_layout_dialogs.h"

class QLabel;
class QPlainTextEdit;
class QTableWidget;

namespace fenno {

class RecordPreviewPane final : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kPauseMs = 250;

  RecordPreviewPane(const RecordDialogContext& context, const RegionalSettings& regional,
                    QWidget* parent = nullptr);

  // The edited definitions: the preview runs them after the pause.
  void Schedule(const Settings& edited);
  // The sample as pasted text (line ends become CR LF, as devices send them) or as bytes.
  void SetSampleText(const QString& text);
  void SetSampleBytes(std::string bytes);
  // Runs now (the pause's end); tests wait for the table instead.
  void Refresh();
  const RecordPreview& shown() const { return shown_; }

 private:
  void ChooseSampleFile();
  void ShowTable();

  RecordDialogContext c_;
  const RegionalSettings& regional_;
  Settings edited_;
  std::string sample_;
  bool sampleInBox_ = false;  // the box was edited: its text is the sample
  RecordPreview shown_;
  QTimer pause_;
  QPlainTextEdit* sampleBox_;
  QLabel* status_;
  QTableWidget* table_;
};

}  // namespace fenno

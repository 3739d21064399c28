#pragma once

// The translation editor (TransTbl): the 256 lines of one table, "Translate..." (or a
// double click) for the selected line, "Reset All" for the table's defaults. It edits a
// copy: OK stores it, Cancel (Escape) forgets it. Rules: config/translation_dialogs.h.

#include <QDialog>
#include <functional>
#include <string>

#include "base/string_table.h"
#include "config/settings.h"
#include "config/translation_dialogs.h"

class QTableWidget;

namespace fenno {

// The key picker the keystroke table's "Translate..." opens: the macro text chosen, empty
// when cancelled.
using KeystrokePicker = std::function<std::string(QWidget& parent)>;

class TranslationEditor final : public QDialog {
  Q_OBJECT

 public:
  TranslationEditor(TranslationTable table, Settings& settings, WorkingValues& working,
                    const StringTable& strings, KeystrokePicker pickKeystroke,
                    QWidget* parent = nullptr);

  void accept() override;

 private:
  void TranslateSelected();
  void ResetAll();
  void ShowEntry(int code);

  Settings& settings_;
  WorkingValues& working_;
  const StringTable& strings_;
  KeystrokePicker pickKeystroke_;
  TranslationEntries edited_;
  QTableWidget* list_;
};

}  // namespace fenno

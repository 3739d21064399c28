#pragma once

// Forms are built in code (HACKING.md, "Windows"): every text a form shows is written as
// its string-table number, and ApplyCaptions (captions.h) replaces the numbers once the
// form is built. These helpers keep that short and keep one dialog style: labels with
// buddies, OK as the default button (Enter), Cancel on Escape, object names for tests.

#include <QString>

#include "base/dialog_check.h"
#include "base/prompt.h"
#include "base/string_table.h"

class QDialog;
class QDialogButtonBox;
class QFormLayout;
class QLabel;
class QPushButton;
class QWidget;

namespace fenno {

// The design text of a string-table number: "2104".
inline QString Numbered(int number) {
  return QString::number(number);
}

// A row "label: field" whose label (text `labelNumber`) is the field's buddy.
QLabel* AddFormRow(QFormLayout& form, int labelNumber, QWidget* field, const char* objectName);

// OK (default, accepts) and Cancel (rejects, and Escape) with texts from the table;
// object names "okButton" and "cancelButton".
QDialogButtonBox* AddOkCancel(QDialog& dialog, int okNumber, int cancelNumber);

// Widens a window so that the window manager's frame shows its whole title (bold, beside
// the frame's buttons) instead of eliding it.
void FitTitle(QWidget& window);

// A check that refused: beeps, shows its message through the prompt and gives its field
// (found by object name in `dialog`) the focus with its text selected.
void ShowRefusal(QDialog& dialog, const DialogCheck& check, const StringTable& strings,
                 Prompt& prompt);
// The usual first step of a dialog's OK: true, with the refusal shown as above, when `check`
// refused; false, with nothing shown, when it accepted.
bool RefusedAndShown(QDialog& dialog, const DialogCheck& check, const StringTable& strings,
                     Prompt& prompt);

}  // namespace fenno

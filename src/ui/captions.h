#pragma once

// Windows are built with string-table numbers where their texts go: a window title, a
// label, a button, a menu or menu item, a group box, a tab and its tool tip, a column
// header or any widget's tool tip written as "2104" shows the text of number 2104 in the
// user's language once ApplyCaptions has run (first thing after a window is built). Texts
// that are not a number greater than 0 stay as they are, so a field box named
// "Field(3)" keeps its name.

#include <QString>

#include "base/string_table.h"

class QWidget;

namespace fenno {

// The text of `number` for a window (UTF-8 from the table).
QString Caption(const StringTable& strings, int number);

void ApplyCaptions(QWidget& window, const StringTable& strings);

}  // namespace fenno

#pragma once

// The code lists of the ASCII chart and the translation editor: one line per code, whole
// lines selected, nothing edited in place, headings given as string-table numbers.

#include <initializer_list>

#include "config/translation_dialogs.h"

class QTableWidget;

namespace fenno {

QTableWidget* NewLineTable(std::initializer_list<int> headings, const char* objectName);
// The line's columns, as many as the table has (the chart has no translation column).
void ShowLine(QTableWidget& table, int row, const TranslationLine& line);
// Wide enough for every column, high enough for a screenful of lines.
void FitLineTable(QTableWidget& table);

}  // namespace fenno

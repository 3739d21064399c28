#include "ui/line_table.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTableWidget>
#include <algorithm>

#include "base/qt_text.h"
#include "ui/form_helpers.h"

namespace fenno {

QTableWidget* NewLineTable(std::initializer_list<int> headings, const char* objectName) {
  auto* table = new QTableWidget(0, static_cast<int>(headings.size()));
  table->setObjectName(QLatin1String(objectName));
  int column = 0;
  for (const int heading : headings)
    table->setHorizontalHeaderItem(column++, new QTableWidgetItem(Numbered(heading)));
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setTabKeyNavigation(false);  // Tab leaves the list for the buttons
  table->verticalHeader()->hide();
  table->setWordWrap(false);
  table->horizontalHeader()->setStretchLastSection(true);
  return table;
}

void ShowLine(QTableWidget& table, int row, const TranslationLine& line) {
  if (table.rowCount() <= row) table.setRowCount(row + 1);
  const std::string* columns[] = {&line.value, &line.character, &line.controlCode,
                                  &line.translation};
  for (int column = 0; column < table.columnCount() && column < 4; ++column) {
    auto* item = new QTableWidgetItem(FromUtf8(*columns[column]));
    table.setItem(row, column, item);
  }
}

void FitLineTable(QTableWidget& table) {
  table.resizeColumnsToContents();
  table.resizeRowsToContents();
  int width = table.frameWidth() * 2 + table.verticalScrollBar()->sizeHint().width();
  for (int column = 0; column < table.columnCount(); ++column) width += table.columnWidth(column);
  table.setMinimumWidth(width);
  const int rows = std::min(table.rowCount(), 16);
  table.setMinimumHeight(table.horizontalHeader()->sizeHint().height() +
                         rows * table.verticalHeader()->defaultSectionSize() +
                         table.frameWidth() * 2);
}

}  // namespace fenno

#include "ui/captions.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QWidget>

#include "base/qt_text.h"

namespace fenno {
namespace {

// The number a design text stands for, or 0 when it is not a number greater than 0.
int NumberOf(const QString& text) {
  bool ok = false;
  const int number = text.trimmed().toInt(&ok);
  return ok && number > 0 && number <= 32767 ? number : 0;
}

// Replaces `text` through `set` when it is a number with a text in the table.
template <class Set>
void Replace(const StringTable& strings, const QString& text, Set set) {
  const int number = NumberOf(text);
  if (number == 0 || !strings.Has(number)) return;
  set(Caption(strings, number));
}

void ApplyToAction(QAction& action, const StringTable& strings) {
  Replace(strings, action.text(), [&](const QString& t) { action.setText(t); });
  Replace(strings, action.toolTip(), [&](const QString& t) { action.setToolTip(t); });
  if (QMenu* menu = action.menu()) {
    Replace(strings, menu->title(), [&](const QString& t) { menu->setTitle(t); });
    for (QAction* item : menu->actions()) ApplyToAction(*item, strings);
  }
}

void ApplyToWidget(QWidget& widget, const StringTable& strings) {
  Replace(strings, widget.toolTip(), [&](const QString& t) { widget.setToolTip(t); });
  if (auto* label = qobject_cast<QLabel*>(&widget))
    Replace(strings, label->text(), [&](const QString& t) { label->setText(t); });
  else if (auto* button = qobject_cast<QAbstractButton*>(&widget))
    Replace(strings, button->text(), [&](const QString& t) { button->setText(t); });
  else if (auto* group = qobject_cast<QGroupBox*>(&widget))
    Replace(strings, group->title(), [&](const QString& t) { group->setTitle(t); });
  else if (auto* menu = qobject_cast<QMenu*>(&widget))
    Replace(strings, menu->title(), [&](const QString& t) { menu->setTitle(t); });

  if (auto* tabs = qobject_cast<QTabWidget*>(&widget)) {
    for (int i = 0; i < tabs->count(); ++i) {
      Replace(strings, tabs->tabText(i), [&](const QString& t) { tabs->setTabText(i, t); });
      Replace(strings, tabs->tabToolTip(i), [&](const QString& t) { tabs->setTabToolTip(i, t); });
    }
  }
  if (auto* tree = qobject_cast<QTreeWidget*>(&widget)) {
    QTreeWidgetItem* header = tree->headerItem();
    for (int i = 0; header && i < header->columnCount(); ++i)
      Replace(strings, header->text(i), [&](const QString& t) { header->setText(i, t); });
  }
  if (auto* table = qobject_cast<QTableWidget*>(&widget)) {
    for (int i = 0; i < table->columnCount(); ++i) {
      QTableWidgetItem* header = table->horizontalHeaderItem(i);
      if (header) Replace(strings, header->text(), [&](const QString& t) { header->setText(t); });
    }
  }
  for (QAction* action : widget.actions()) ApplyToAction(*action, strings);
}

}  // namespace

QString Caption(const StringTable& strings, int number) {
  return FromUtf8(strings.Text(number));
}

void ApplyCaptions(QWidget& window, const StringTable& strings) {
  Replace(strings, window.windowTitle(), [&](const QString& t) { window.setWindowTitle(t); });
  ApplyToWidget(window, strings);
  for (QWidget* child : window.findChildren<QWidget*>()) ApplyToWidget(*child, strings);
}

}  // namespace fenno

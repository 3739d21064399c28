#pragma once

// The body of the engine window: the field boxes Field(1)..Field(FieldCount) in a column
// that scrolls when there are many, the record number, the clock, the output-string
// buttons and the DTR toggle and BREAK buttons. It shows what it is given and reports
// what the user does; the window decides what follows.

#include <QPushButton>
#include <QWidget>
#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/limits.h"
#include "base/string_table.h"
#include "config/settings.h"
#include "dde/dde_names.h"
#include "engine/engine_window_rules.h"

class QLineEdit;
class QMenu;

namespace fenno {

// A button that acts when the left mouse button is released over it, and only then: a
// press dragged off before the release, the keyboard and mnemonics do nothing.
class ReleaseButton final : public QPushButton {
  Q_OBJECT

 public:
  using QPushButton::QPushButton;

 signals:
  void ReleasedInside();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

class EnginePanel final : public QWidget {
  Q_OBJECT

 public:
  // Boxes, clock and buttons as the settings have them when the engine starts.
  EnginePanel(const Settings& settings, LineButtons lineButtons, const StringTable& strings,
              QWidget* parent = nullptr);

  void SetFieldText(int field, const QString& text);
  void SetRecordNumber(const QString& text);
  void SetDateTime(const QString& text);

  // The item whose box last had the focus (Edit > Copy copies it), if any.
  std::optional<ItemRef> CopyItem() const { return copyItem_; }

 signals:
  void StringButtonReleased(int button);
  void DtrClicked();
  void BreakClicked();
  // Copy from a box's pop-up menu (the box has the focus by then).
  void CopyRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* AddItemBox(const QString& objectName, const QString& itemName, ItemRef item);
  QWidget* BuildFieldColumn(int fieldCount);
  QWidget* BuildButtons(const Settings& settings, LineButtons lineButtons);
  void ShowPopup(QLineEdit* box, const QPoint& at);

  const StringTable& strings_;
  std::array<QLineEdit*, kMaxFields + 1> fieldBoxes_{};
  std::vector<std::pair<const QLineEdit*, ItemRef>> items_;
  QLineEdit* recordNumberBox_ = nullptr;
  QLineEdit* dateTimeBox_ = nullptr;
  QMenu* popup_ = nullptr;
  std::optional<ItemRef> copyItem_;
};

}  // namespace fenno

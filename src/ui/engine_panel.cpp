#include "ui/engine_panel.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "base/qt_text.h"
#include "ui/captions.h"
#include "ui/engine_window_text_ids.h"

namespace fenno {
namespace {

// With more fields than this the column scrolls.
constexpr int kVisibleFields = 10;
constexpr int kButtonColumns = 4;
// Field boxes are wide enough for this many average characters.
constexpr int kFieldBoxCharacters = 28;

}  // namespace

void ReleaseButton::mouseReleaseEvent(QMouseEvent* event) {
  // Decide before the base class clears the pressed state.
  const bool acts =
      event->button() == Qt::LeftButton && isDown() && rect().contains(event->position().toPoint());
  QPushButton::mouseReleaseEvent(event);
  if (acts) emit ReleasedInside();
}

EnginePanel::EnginePanel(const Settings& settings, LineButtons lineButtons,
                         const StringTable& strings, QWidget* parent)
    : QWidget(parent), strings_(strings) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(BuildFieldColumn(settings.FieldCount));

  auto* form = new QFormLayout;
  auto* recordLabel = new QLabel(QStringLiteral("3012"));
  recordNumberBox_ = AddItemBox(QStringLiteral("recordNumberBox"), FromBytes(kRecordNumberItem),
                                {ItemRef::Kind::RecordNumber});
  recordLabel->setBuddy(recordNumberBox_);
  form->addRow(recordLabel, recordNumberBox_);
  if (settings.ShowDateTime) {
    auto* dateTimeLabel = new QLabel(QStringLiteral("3011"));
    dateTimeBox_ = AddItemBox(QStringLiteral("dateTimeBox"), FromBytes(kDateTimeItem),
                              {ItemRef::Kind::DateTime});
    dateTimeLabel->setBuddy(dateTimeBox_);
    form->addRow(dateTimeLabel, dateTimeBox_);
  }
  layout->addLayout(form);
  if (QWidget* buttons = BuildButtons(settings, lineButtons)) layout->addWidget(buttons);
  layout->addStretch(1);

  popup_ = new QMenu(this);
  popup_->setObjectName(QStringLiteral("fieldPopup"));
  QAction* copy = popup_->addAction(QStringLiteral("3003"));
  copy->setObjectName(QStringLiteral("actionPopupCopy"));
  connect(copy, &QAction::triggered, this, &EnginePanel::CopyRequested);
}

QLineEdit* EnginePanel::AddItemBox(const QString& objectName, const QString& itemName,
                                   ItemRef item) {
  auto* box = new QLineEdit;
  box->setObjectName(objectName);
  box->setReadOnly(true);
  box->setAccessibleName(itemName);
  box->setToolTip(itemName);
  box->setContextMenuPolicy(Qt::DefaultContextMenu);
  box->setMinimumWidth(box->fontMetrics().averageCharWidth() * kFieldBoxCharacters);
  items_.emplace_back(box, item);
  box->installEventFilter(this);
  return box;
}

QWidget* EnginePanel::BuildFieldColumn(int fieldCount) {
  fieldCount = std::clamp(fieldCount, 1, kMaxFields);
  auto* column = new QWidget;
  auto* columnLayout = new QVBoxLayout(column);
  columnLayout->setContentsMargins(0, 0, 0, 0);
  for (int field = 1; field <= fieldCount; ++field) {
    QLineEdit* box = AddItemBox(QStringLiteral("fieldBox%1").arg(field),
                                FromBytes(FieldItemName(field)), {ItemRef::Kind::Field, field});
    fieldBoxes_[static_cast<size_t>(field)] = box;
    columnLayout->addWidget(box);
  }
  columnLayout->addStretch(1);

  auto* scroll = new QScrollArea;
  scroll->setObjectName(QStringLiteral("fieldScroll"));
  scroll->setAccessibleName(Caption(strings_, str::kFieldBoxesName));
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setWidgetResizable(true);
  scroll->setWidget(column);
  // Room for every box up to kVisibleFields, and for the scroll bar beyond that.
  const int rowHeight = fieldBoxes_[1]->sizeHint().height() + columnLayout->spacing();
  const int rows = std::min(fieldCount, kVisibleFields);
  scroll->setMinimumHeight(rows * rowHeight);
  int width = column->sizeHint().width();
  if (fieldCount > kVisibleFields) width += style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  scroll->setMinimumWidth(width);
  return scroll;
}

QWidget* EnginePanel::BuildButtons(const Settings& settings, LineButtons lineButtons) {
  auto* group = new QWidget;
  group->setObjectName(QStringLiteral("buttonGroup"));
  group->setAccessibleName(Caption(strings_, str::kStringButtonsName));
  auto* grid = new QGridLayout(group);
  grid->setContentsMargins(0, 0, 0, 0);
  int shown = 0;
  for (int button = 1; button <= kOutputStrings; ++button) {
    if (!OutputButtonShown(settings, button)) continue;
    // The caption is the user's own text, shown as typed ("&" marks a mnemonic).
    auto* push = new ReleaseButton(FromBytes(settings.ButtonCaption[static_cast<size_t>(button)]));
    push->setObjectName(QStringLiteral("stringButton%1").arg(button));
    push->setAutoDefault(false);
    connect(push, &ReleaseButton::ReleasedInside, this,
            [this, button] { emit StringButtonReleased(button); });
    grid->addWidget(push, shown / kButtonColumns, shown % kButtonColumns);
    ++shown;
  }
  if (lineButtons.dtr || lineButtons.brk) {
    auto* row = new QHBoxLayout;
    if (lineButtons.dtr) {
      auto* dtr = new QPushButton(QStringLiteral("%1").arg(str::kDtrToggleButton));
      dtr->setObjectName(QStringLiteral("dtrButton"));
      dtr->setAutoDefault(false);
      connect(dtr, &QPushButton::clicked, this, &EnginePanel::DtrClicked);
      row->addWidget(dtr);
    }
    if (lineButtons.brk) {
      auto* brk = new QPushButton(QStringLiteral("%1").arg(str::kBreakButton));
      brk->setObjectName(QStringLiteral("breakButton"));
      brk->setAutoDefault(false);
      connect(brk, &QPushButton::clicked, this, &EnginePanel::BreakClicked);
      row->addWidget(brk);
    }
    row->addStretch(1);
    grid->addLayout(row, (shown + kButtonColumns - 1) / kButtonColumns, 0, 1, kButtonColumns);
    ++shown;
  }
  if (shown == 0) {
    delete group;
    return nullptr;
  }
  return group;
}

void EnginePanel::SetFieldText(int field, const QString& text) {
  if (field < 1 || field > kMaxFields) return;
  if (QLineEdit* box = fieldBoxes_[static_cast<size_t>(field)]) {
    box->setText(text);
    box->setCursorPosition(0);
  }
}

void EnginePanel::SetRecordNumber(const QString& text) {
  recordNumberBox_->setText(text);
}

void EnginePanel::SetDateTime(const QString& text) {
  if (dateTimeBox_) dateTimeBox_->setText(text);
}

bool EnginePanel::eventFilter(QObject* watched, QEvent* event) {
  auto* box = qobject_cast<QLineEdit*>(watched);
  if (!box) return QWidget::eventFilter(watched, event);
  if (event->type() == QEvent::FocusIn) {
    for (const auto& [itemBox, item] : items_)
      if (itemBox == box) copyItem_ = item;
    box->selectAll();
  } else if (event->type() == QEvent::ContextMenu) {
    // The box's own editing menu would offer nothing useful: the one item is Copy.
    ShowPopup(box, static_cast<QContextMenuEvent*>(event)->globalPos());
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void EnginePanel::ShowPopup(QLineEdit* box, const QPoint& at) {
  box->setFocus(Qt::MouseFocusReason);
  popup_->popup(at);
}

}  // namespace fenno

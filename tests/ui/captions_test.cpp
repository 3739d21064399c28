#include "ui/captions.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace fenno {
namespace {

TEST(CaptionsTest, NumbersBecomeTextsAndOtherTextsStay) {
  const StringTable strings(EditionKind::Comfenno, Language::English);
  QWidget window;
  window.setWindowTitle(QStringLiteral("5000"));
  auto* layout = new QVBoxLayout(&window);
  auto* record = new QLabel(QStringLiteral("3012"));
  auto* field = new QLabel(QStringLiteral("Field(3)"));
  auto* unknown = new QPushButton(QStringLiteral("31999"));
  auto* menuBar = new QMenuBar;
  QMenu* file = menuBar->addMenu(QStringLiteral("2102"));
  QAction* open = file->addAction(QStringLiteral("2104"));
  for (QWidget* w : {static_cast<QWidget*>(menuBar), static_cast<QWidget*>(record),
                     static_cast<QWidget*>(field), static_cast<QWidget*>(unknown)})
    layout->addWidget(w);

  ApplyCaptions(window, strings);

  EXPECT_EQ(window.windowTitle().toStdString(), strings.Text(5000));
  EXPECT_EQ(record->text(), QStringLiteral("Record #"));
  EXPECT_EQ(open->text(), QStringLiteral("&Open"));
  EXPECT_EQ(file->title().toStdString(), strings.Text(2102));
  EXPECT_EQ(field->text(), QStringLiteral("Field(3)"));
  EXPECT_EQ(unknown->text(), QStringLiteral("31999"));
}

}  // namespace
}  // namespace fenno

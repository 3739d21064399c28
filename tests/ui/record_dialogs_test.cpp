// The record dialogs on the offscreen platform: OK, Cancel and the focus on a refusal,
// and one configuration built through the whole chain. Their rules have their own tests
// (tests/config/record_dialogs_test.cpp).

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include "base/string_ids.h"
#include "config/config_file.h"
#include "support/engine_rig.h"
#include "support/recording_prompt.h"
#include "support/test_files.h"
#include "support/wait.h"
#include "ui/raw_string_edit.h"
#include "ui/record_chain.h"
#include "ui/record_defs_dialog.h"

namespace fenno {
namespace {

class RecordDialogsTest : public ::testing::Test {
 protected:
  std::unique_ptr<QDialog> Open(RecordDialog which) {
    std::unique_ptr<QDialog> dialog = NewRecordDialog(which, context_, regional_, nullptr);
    dialog->show();
    return dialog;
  }
  template <class T>
  static T& Child(QDialog& dialog, const char* name) {
    T* child = dialog.findChild<T*>(QLatin1String(name));
    EXPECT_NE(child, nullptr) << name;
    return *child;
  }
  static void Ok(QDialog& dialog) { Child<QPushButton>(dialog, "okButton").click(); }
  static void Type(QDialog& dialog, const char* box, const char* text) {
    auto& edit = Child<QLineEdit>(dialog, box);
    edit.selectAll();
    edit.insert(QString::fromLatin1(text));
  }
  // The last message shown: its text and title, and where the focus went.
  void ExpectRefused(QDialog& dialog, int message, const char* field) {
    ASSERT_FALSE(prompt_.messages.empty());
    EXPECT_EQ(prompt_.messages.back().text, strings_.Text(message));
    ASSERT_NE(dialog.focusWidget(), nullptr);
    EXPECT_EQ(dialog.focusWidget()->objectName().toStdString(), field);
    EXPECT_TRUE(dialog.isVisible());
  }

  StringTable strings_{ComfennoEdition().kind, Language::English};
  RegionalSettings regional_ = RegionalSettings::English();
  testing::RecordingPrompt prompt_;
  Settings settings_ = Settings::Defaults(ComfennoEdition(), "/home/ann");
  WorkingValues working_;
  RecordDialogContext context_{settings_, working_, prompt_, strings_};
};

TEST_F(RecordDialogsTest, RefusalsFocusTheFieldAndCommitNothing) {
  const Settings before = settings_;
  auto recType = Open(RecordDialog::RecType);
  Child<QRadioButton>(*recType, "StartOfRec3").setChecked(true);
  Ok(*recType);
  ExpectRefused(*recType, str::kSpecialCharMissing, "Text1");
  EXPECT_EQ(prompt_.messages.back().title, strings_.Text(str::kInvalidStartEventTitle));

  auto fixed = Open(RecordDialog::Fixed);
  Type(*fixed, "RecordLength", "32767");
  Ok(*fixed);
  ExpectRefused(*fixed, str::kRecordLengthRange, "RecordLength");

  auto timed = Open(RecordDialog::Timed);
  Type(*timed, "ClockTicks", "256");
  Ok(*timed);
  ExpectRefused(*timed, str::kTimeGapRange, "ClockTicks");

  auto delim = Open(RecordDialog::Delim);
  Type(*delim, "Text1", "41");
  Ok(*delim);
  ExpectRefused(*delim, str::kFieldCountRange, "Text1");

  EXPECT_EQ(ConfigFileBytes(settings_, ComfennoEdition()),
            ConfigFileBytes(before, ComfennoEdition()));
  EXPECT_FALSE(working_.ConfigModified);
  EXPECT_EQ(prompt_.beeps, 4);
}

TEST_F(RecordDialogsTest, FixedLengthsThatDoNotAddUpAreRefused) {
  settings_.EndOfRecordEvent = kEndByteCount;
  settings_.RecordStructure = kFixedLengthFields;
  settings_.RecordLength = 10;
  settings_.FieldCount = 40;
  auto recDefs = Open(RecordDialog::RecDefs);
  Type(*recDefs, "FieldLength", "4");
  Child<QPushButton>(*recDefs, "NextButton").click();
  Type(*recDefs, "FieldLength", "5");
  Ok(*recDefs);
  ExpectRefused(*recDefs, str::kFieldLengthSum, "FieldLength");
  EXPECT_EQ(settings_.FieldLength[1], 0);

  Type(*recDefs, "FieldLength", "6");
  Ok(*recDefs);
  EXPECT_FALSE(recDefs->isVisible());
  EXPECT_EQ(settings_.FieldCount, 2);
  EXPECT_TRUE(working_.ConfigModified);
}

// Cancel in the field editor keeps what the delimiter dialog committed.
TEST_F(RecordDialogsTest, CancelKeepsWhatEarlierDialogsCommitted) {
  auto delim = Open(RecordDialog::Delim);
  Child<QListWidget>(*delim, "DelimList").setCurrentRow(';');
  Type(*delim, "Text1", "3");
  Ok(*delim);
  EXPECT_EQ(settings_.Delimiter, ';');
  EXPECT_TRUE(working_.ConfigModified);

  auto recDefs = Open(RecordDialog::RecDefs);
  Type(*recDefs, "FieldExpression", "field(1)*2");
  Child<QPushButton>(*recDefs, "cancelButton").click();
  EXPECT_EQ(settings_.Delimiter, ';');
  EXPECT_EQ(settings_.FieldCount, 3);
  EXPECT_EQ(settings_.FieldMathExpr[1], "");
}

// A sample file's bytes go in as they are (CR alone ends records here); an unreadable
// file is reported and the preview stays.
TEST_F(RecordDialogsTest, PreviewReadsASampleFileChosenThroughThePrompt) {
  testing::ScratchFolder folder;
  prompt_.ScriptFile(folder.Write("sample.bin", std::string("1\r2\r\0\r", 6)));
  prompt_.ScriptFile(folder.File("missing.bin"));
  settings_.OutputMethod = kLogToDisk;  // the log keeps every byte
  auto recDefs = Open(RecordDialog::RecDefs);
  auto& open = Child<QPushButton>(*recDefs, "PreviewOpenSample");
  auto& table = Child<QTableWidget>(*recDefs, "PreviewTable");
  open.click();
  ASSERT_TRUE(testing::WaitUntil([&] { return table.rowCount() == 3; }));
  EXPECT_EQ(table.item(2, 0)->text().toStdString(), "<NUL><CR>");  // control characters visible
  open.click();
  ASSERT_EQ(prompt_.messages.size(), 1u);
  EXPECT_EQ(table.rowCount(), 3);
}

// A balance sending "ST,GS,+0012.345 g" CR LF: three delimited fields with the weight
// numeric and formatted, set up through the dialogs, previewed, saved, read back and run.
TEST_F(RecordDialogsTest, BalanceConfigurationBuiltThroughTheChain) {
  settings_.OutputMethod = kLogToDisk;
  RecordDialog step = RecordDialog::RecType;
  auto recType = Open(step);
  Ok(*recType);
  step = NextRecordDialog(step, settings_);
  ASSERT_EQ(step, RecordDialog::RecStructure);
  auto structure = Open(step);
  Child<QRadioButton>(*structure, "Option2").setChecked(true);
  Ok(*structure);
  step = NextRecordDialog(step, settings_);
  ASSERT_EQ(step, RecordDialog::Delim);
  auto delim = Open(step);
  Type(*delim, "Text1", "3");
  Ok(*delim);
  step = NextRecordDialog(step, settings_);
  ASSERT_EQ(step, RecordDialog::RecDefs);

  auto opened = Open(step);
  auto& recDefs = static_cast<RecDefsDialog&>(*opened);
  for (int field = 1; field <= 2; ++field) {
    Child<RawStringEdit>(recDefs, "FieldMacro").InsertBytes(",");
    Child<QPushButton>(recDefs, "NextButton").click();
  }
  EXPECT_FALSE(Child<QPushButton>(recDefs, "NextButton").isEnabled());
  Child<QComboBox>(recDefs, "FilterTypes").setCurrentIndex(2);
  Child<QComboBox>(recDefs, "lstFieldFormat").setEditText(QStringLiteral("0.000"));
  Child<QPlainTextEdit>(recDefs, "PreviewSample")
      .setPlainText(QStringLiteral("ST,GS,+0012.345 g\nST,NT,+0000.5 g\n"));
  auto& table = Child<QTableWidget>(recDefs, "PreviewTable");
  const auto cell = [&table](int row, int column) {
    const QTableWidgetItem* item = table.item(row, column);
    return item ? item->text().toStdString() : std::string();
  };
  ASSERT_TRUE(testing::WaitUntil([&] { return cell(1, 2) == "0.500"; }));
  EXPECT_EQ(table.columnCount(), 3);
  EXPECT_EQ(cell(0, 0), "ST");
  EXPECT_EQ(cell(0, 1), "GS");
  EXPECT_EQ(cell(0, 2), "12.345");
  Ok(recDefs);
  ASSERT_FALSE(recDefs.isVisible());

  testing::ScratchFolder folder;
  const std::string path = folder.File("balance.DE3");
  ASSERT_TRUE(WriteConfigFile(path, settings_, ComfennoEdition(), strings_, prompt_));
  testing::EngineRig rig;
  ASSERT_EQ(ReadConfigFile(path, rig.settings, ComfennoEdition()), ReadResult::Ok);
  rig.settings.LogFilePath = folder.File("balance.log");
  rig.Start(ActivationMode::Virtual);
  rig.Feed("ST,GS,+0012.345 g\r\n");
  rig.Close();
  EXPECT_EQ(testing::ReadWholeFile(rig.settings.LogFilePath), "ST,GS,12.345\r\n");
}

}  // namespace
}  // namespace fenno

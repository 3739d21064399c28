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
#include <QTimer>

#include "base/string_ids.h"
#include "config/config_file.h"
#include "support/engine_rig.h"
#include "support/qt_widgets.h"
#include "support/recording_prompt.h"
#include "support/test_files.h"
#include "support/wait.h"
#include "ui/raw_string_edit.h"
#include "ui/record_chain.h"

namespace fenno {
namespace {

using testing::Child;

class RecordDialogsTest : public ::testing::Test {
 protected:
  std::unique_ptr<QDialog> Open(RecordDialog which) {
    std::unique_ptr<QDialog> dialog = NewRecordDialog(which, context_, regional_, nullptr);
    dialog->show();
    return dialog;
  }
  static void Ok(QDialog& dialog) { Child<QPushButton>(dialog, "okButton").click(); }
  static void Type(QDialog& dialog, const char* box, const char* text) {
    auto& edit = Child<QLineEdit>(dialog, box);
    edit.selectAll();
    edit.insert(QString::fromLatin1(text));
  }
  // The last message shown, and where the focus went.
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
  const struct {
    RecordDialog which;
    const char* box;  // typed into; the focus goes there on the refusal
    const char* text;
    int message;
  } cases[] = {
      {RecordDialog::Fixed, "RecordLength", "32767", str::kRecordLengthRange},
      {RecordDialog::Timed, "ClockTicks", "256", str::kTimeGapRange},
      {RecordDialog::Delim, "Text1", "41", str::kFieldCountRange},
      {RecordDialog::RecType, "Text1", nullptr, str::kSpecialCharMissing},
  };
  for (const auto& c : cases) {
    auto dialog = Open(c.which);
    if (c.text)
      Type(*dialog, c.box, c.text);
    else
      Child<QRadioButton>(*dialog, "StartOfRec3").setChecked(true);
    Ok(*dialog);
    ExpectRefused(*dialog, c.message, c.box);
  }
  EXPECT_EQ(ConfigFileBytes(settings_, ComfennoEdition()),
            ConfigFileBytes(before, ComfennoEdition()));
  EXPECT_FALSE(working_.ConfigModified);
  EXPECT_EQ(prompt_.beeps, 4);
}

// The chart's character and the key list's key name go into the box that had the focus
// last, and OK stores them there only.
TEST_F(RecordDialogsTest, PickersInsertIntoTheBoxLastFocused) {
  const struct {
    RecordDialog which;
    const char* box;
    const char* button;
    const std::string& stored;
    const std::string& other;
  } cases[] = {
      {RecordDialog::RecType, "Text2", "Command1", settings_.EndOfRecordChars,
       settings_.StartOfRecordChars},
      {RecordDialog::RecDefs, "FieldMacro", "KeyButton", settings_.FieldPostamble[1],
       settings_.RecordPreamble},
  };
  for (const auto& c : cases) {
    auto dialog = Open(c.which);
    dialog->activateWindow();
    Child<RawStringEdit>(*dialog, c.box).setFocus();
    QApplication::processEvents();
    testing::OnModal([](QDialog& picker) {
      if (auto* chart = picker.findChild<QTableWidget*>(QStringLiteral("ChartList")))
        chart->setCurrentCell(3, 0);
      else
        Child<QListWidget>(picker, "KeyList").setCurrentRow(0);
      picker.accept();
    });
    Child<QPushButton>(*dialog, c.button).click();
    const std::string inserted = Child<RawStringEdit>(*dialog, c.box).Bytes();
    if (c.which == RecordDialog::RecType) {
      EXPECT_EQ(inserted, "\x03");
      Child<QRadioButton>(*dialog, "RecTypeSel3").setChecked(true);
    }
    EXPECT_FALSE(inserted.empty());
    Ok(*dialog);
    EXPECT_EQ(c.stored, inserted);
    EXPECT_EQ(c.other, "");
  }
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
  std::vector<std::string> shown;
  std::vector<std::string> previewCells;
  // Acts in each dialog of the chain as it comes up, as the user would.
  const auto act = [&](QDialog& dialog) {
    const std::string name = dialog.objectName().toStdString();
    if (name == "RecStructure") Child<QRadioButton>(dialog, "Option2").setChecked(true);
    if (name == "Delim") Type(dialog, "Text1", "3");
    if (name == "RecDefs") {
      for (int field = 1; field <= 2; ++field) {
        Child<RawStringEdit>(dialog, "FieldMacro").InsertBytes(",");
        Child<QPushButton>(dialog, "NextButton").click();
      }
      EXPECT_FALSE(Child<QPushButton>(dialog, "NextButton").isEnabled());
      Child<QComboBox>(dialog, "FilterTypes").setCurrentIndex(2);
      Child<QComboBox>(dialog, "lstFieldFormat").setEditText(QStringLiteral("0.000"));
      Child<QPlainTextEdit>(dialog, "PreviewSample")
          .setPlainText(QStringLiteral("ST,GS,+0012.345 g\nST,NT,+0000.5 g\n"));
      auto& table = Child<QTableWidget>(dialog, "PreviewTable");
      const auto cell = [&table](int row, int column) {
        const QTableWidgetItem* item = table.item(row, column);
        return item ? item->text().toStdString() : std::string();
      };
      EXPECT_TRUE(testing::WaitUntil([&] { return cell(1, 2) == "0.500"; }));
      for (int column = 0; column < table.columnCount(); ++column)
        previewCells.push_back(cell(0, column));
    }
    Ok(dialog);
  };
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || (!shown.empty() && shown.back() == dialog->objectName().toStdString())) return;
    shown.push_back(dialog->objectName().toStdString());
    act(*dialog);
  });
  watch.start(0);
  RunRecordDialogs(context_, regional_, nullptr);
  watch.stop();
  EXPECT_EQ(shown, (std::vector<std::string>{"RecType", "RecStructure", "Delim", "RecDefs"}));
  EXPECT_EQ(previewCells, (std::vector<std::string>{"ST", "GS", "12.345"}));
  EXPECT_TRUE(working_.ConfigModified);

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

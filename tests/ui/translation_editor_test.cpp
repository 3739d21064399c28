// The translation editor, the ASCII chart and the date/time format dialog on the offscreen
// platform: OK, Cancel and the focus on a refusal. Their rules have their own tests
// (tests/config/translation_dialogs_test.cpp).

#include "ui/translation_editor.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "support/qt_widgets.h"
#include "support/recording_prompt.h"
#include "ui/ascii_chart_dialog.h"
#include "ui/date_time_format_dialog.h"

namespace fenno {
namespace {

using namespace std::string_literals;

class TranslationEditorTest : public ::testing::Test {
 protected:
  // The chart opens modally from inside the editor: it is answered once it shows.
  static void AnswerChart(int line) {
    testing::OnModal([line](QDialog& chart) {
      testing::Child<QTableWidget>(chart, "ChartList").setCurrentCell(line, 0);
      chart.accept();
    });
  }
  static void Click(QWidget& window, const char* button) {
    window.findChild<QPushButton*>(QLatin1String(button))->click();
  }
  static QString Translation(QWidget& editor, int code) {
    return editor.findChild<QTableWidget*>(QStringLiteral("TransList"))->item(code, 3)->text();
  }
  static void Select(QWidget& editor, int code) {
    editor.findChild<QTableWidget*>(QStringLiteral("TransList"))->setCurrentCell(code, 0);
  }

  Settings settings_ = Settings::Defaults(ComfennoEdition(), "/home/ann");
  WorkingValues working_;
  StringTable strings_{EditionKind::Comfenno, Language::English};
  testing::RecordingPrompt prompt_;
  RegionalSettings regional_ = RegionalSettings::English();
};

TEST_F(TranslationEditorTest, TheChartTranslatesALineAndOkStoresTheCopy) {
  TranslationEditor editor(TranslationTable::Dde, settings_, working_, strings_, {});
  editor.show();
  Select(editor, 65);
  AnswerChart(66);  // "B"
  Click(editor, "cmdTranslate");
  EXPECT_EQ(Translation(editor, 65), QStringLiteral("ASCII 66"));
  EXPECT_EQ(settings_.DdeTranslation[65], 'A');  // not before OK
  Click(editor, "okButton");
  EXPECT_EQ(settings_.DdeTranslation[65], 'B');
  EXPECT_TRUE(working_.ConfigModified);
}

TEST_F(TranslationEditorTest, ResetAllAndCancelChangeNothing) {
  TranslationEditor editor(TranslationTable::PreInput, settings_, working_, strings_, {});
  editor.show();
  Select(editor, 21);
  AnswerChart(1);  // the second of the two words before the codes
  Click(editor, "cmdTranslate");
  EXPECT_EQ(Translation(editor, 21), QStringLiteral("Void Record"));
  Click(editor, "cmdResetAll");
  EXPECT_EQ(Translation(editor, 21), QStringLiteral("ASCII 21"));
  Click(editor, "okButton");
  EXPECT_FALSE(working_.ConfigModified);  // back to what it was

  TranslationEditor keystrokes(TranslationTable::Keystroke, settings_, working_, strings_,
                               [](QWidget&) { return "^{F5}"s; });
  keystrokes.show();
  Select(keystrokes, 10);
  Click(keystrokes, "cmdTranslate");
  EXPECT_EQ(Translation(keystrokes, 10), QStringLiteral("^{F5}"));
  Click(keystrokes, "cancelButton");
  EXPECT_EQ(settings_.KeystrokeTranslation[10], "NUL");
  EXPECT_FALSE(working_.ConfigModified);
}

TEST_F(TranslationEditorTest, TheDateTimeFormatIsRefusedWithFocusOrStored) {
  DateTimeFormatDialog dialog(settings_, working_, regional_, prompt_, strings_);
  dialog.show();
  auto* format = dialog.findChild<QLineEdit*>(QStringLiteral("Text1"));
  format->setText(QStringLiteral("hh \"o'clock"));
  dialog.findChild<QPushButton*>(QStringLiteral("cancelButton"))->setFocus();
  dialog.accept();
  EXPECT_EQ(prompt_.messages.size(), 1u);
  EXPECT_EQ(dialog.focusWidget(), format);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(settings_.DateTimeFormat, "");
  EXPECT_FALSE(working_.ConfigModified);

  format->setText(QStringLiteral("hh:nn"));
  Click(dialog, "okButton");
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(settings_.DateTimeFormat, "hh:nn");
  EXPECT_TRUE(working_.ConfigModified);
}

}  // namespace
}  // namespace fenno

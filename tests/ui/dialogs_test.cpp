// The settings dialogs on the offscreen platform: OK stores, Cancel stores nothing, a
// refusal shows its message and focuses its field, and what a widget adds (key recording,
// pickers, the record chain, the preview). The rules behind them have their own tables
// (tests/config, tests/transport, tests/keys, tests/hotkeys).

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <filesystem>
#include <fstream>

#include "base/string_ids.h"
#include "keys/fake_keys.h"
#include "support/qt_widgets.h"
#include "support/recording_prompt.h"
#include "support/test_files.h"
#include "support/wait.h"
#include "transport/port_names.h"
#include "ui/app_select_dialog.h"
#include "ui/ascii_chart_dialog.h"
#include "ui/captions.h"
#include "ui/connection_dialog.h"
#include "ui/date_time_format_dialog.h"
#include "ui/hot_key_dialog.h"
#include "ui/key_picker_dialog.h"
#include "ui/port_setup_dialog.h"
#include "ui/raw_string_edit.h"
#include "ui/record_chain.h"
#include "ui/send_string_dialog.h"
#include "ui/translation_editor.h"

namespace fenno {
namespace {

using testing::Child;

void Click(QWidget& window, const char* button) {
  Child<QPushButton>(window, button).click();
}

// What a user's typing does: the text changes, then the box tells it was edited.
void Type(QWidget& dialog, const char* box, const char* text) {
  auto& edit = Child<QLineEdit>(dialog, box);
  edit.setText(QLatin1String(text));
  emit edit.textEdited(edit.text());
}

void Press(QWidget& widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
           const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QApplication::sendEvent(&widget, &press);
}

class DialogTest : public ::testing::Test {
 protected:
  template <class Dialog, class... Args>
  std::unique_ptr<Dialog> Open(Args&&... args) {
    auto dialog = std::make_unique<Dialog>(std::forward<Args>(args)...);
    dialog->show();
    return dialog;
  }
  std::unique_ptr<QDialog> OpenRecord(RecordDialog which) {
    std::unique_ptr<QDialog> dialog = NewRecordDialog(which, recordContext_, regional_, nullptr);
    dialog->show();
    return dialog;
  }
  // One more message, the focus on `field`, the dialog still open, nothing stored.
  void ExpectRefused(QDialog& dialog, const char* field, int message = 0) {
    ASSERT_EQ(prompt_.messages.size(), ++messages_) << field;
    EXPECT_TRUE(!message || prompt_.messages.back().text == strings_.Text(message)) << field;
    ASSERT_NE(dialog.focusWidget(), nullptr) << field;
    EXPECT_EQ(dialog.focusWidget()->objectName().toStdString(), field);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(working_.ConfigModified) << field;
  }
  void ExpectNothingStored(const Settings& before) {
    EXPECT_TRUE(settings_ == before);
    EXPECT_FALSE(working_.ConfigModified);
  }

  const Edition& edition_ = ComfennoEdition();
  StringTable strings_{edition_.kind, Language::English};
  RegionalSettings regional_ = RegionalSettings::English();
  testing::RecordingPrompt prompt_;
  MemoryUserStore store_;
  Settings settings_ = Settings::Defaults(edition_, "/home/ann");
  WorkingValues working_;
  RecordDialogContext recordContext_{settings_, working_, prompt_, strings_};
  size_t messages_ = 0;
};

TEST(CaptionsTest, NumbersBecomeTextsAndOtherTextsStay) {
  const StringTable strings(EditionKind::Comfenno, Language::English);
  QWidget window;
  window.setWindowTitle(QStringLiteral("5000"));
  QMenu* file = (new QMenuBar(&window))->addMenu(QStringLiteral("2102"));
  QAction* open = file->addAction(QStringLiteral("2104"));
  auto* record = new QLabel(QStringLiteral("3012"), &window);
  auto* field = new QLabel(QStringLiteral("Field(3)"), &window);
  auto* unknown = new QPushButton(QStringLiteral("31999"), &window);
  ApplyCaptions(window, strings);
  EXPECT_EQ(window.windowTitle().toStdString(), strings.Text(5000));
  EXPECT_EQ(file->title().toStdString(), strings.Text(2102));
  EXPECT_EQ(open->text(), QStringLiteral("&Open"));
  EXPECT_EQ(record->text(), QStringLiteral("Record #"));
  EXPECT_EQ(field->text(), QStringLiteral("Field(3)"));
  EXPECT_EQ(unknown->text(), QStringLiteral("31999"));
}

// A value its rule refuses: the message, the focus on its field, nothing stored; a good
// value then passes OK and is stored.
TEST_F(DialogTest, RefusalsFocusTheirFieldThenOkStores) {
  const auto record = [this](RecordDialog which) {
    return [this, which]() -> std::unique_ptr<QDialog> { return OpenRecord(which); };
  };
  const struct {
    std::function<std::unique_ptr<QDialog>()> open;
    const char* box;   // typed into; the focus goes there on the refusal
    const char* bad;   // none: the dialog's start-of-record option without its characters
    const char* good;  // none: refused only
    int message = 0;
    const std::string* stored = nullptr;
  } cases[] = {
      {record(RecordDialog::Fixed), "RecordLength", "32767", "12", str::kRecordLengthRange},
      {record(RecordDialog::Timed), "ClockTicks", "256", "10", str::kTimeGapRange},
      {record(RecordDialog::Delim), "Text1", "41", "3", str::kFieldCountRange},
      {record(RecordDialog::RecType), "Text1", nullptr, nullptr, str::kSpecialCharMissing},
      {[this] { return Open<SendStringDialog>(settings_, working_, prompt_, strings_); },
       "Interval", "100000000", "2500"},
      {[this] { return Open<AppSelectDialog>(settings_, working_, prompt_, strings_, nullptr); },
       "AppCmd", "ledger\n--new", "ledger", 0, &settings_.TargetAppCommand},
      {[this] {
         return Open<DateTimeFormatDialog>(settings_, working_, regional_, prompt_, strings_);
       },
       "Text1", "hh \"o'clock", "hh:nn", 0, &settings_.DateTimeFormat},
  };
  for (const auto& c : cases) {
    const Settings before = settings_;
    working_.ConfigModified = false;
    auto dialog = c.open();
    Child<QPushButton>(*dialog, "cancelButton").setFocus();
    if (c.bad)
      Type(*dialog, c.box, c.bad);
    else
      Child<QRadioButton>(*dialog, "StartOfRec3").setChecked(true);
    Click(*dialog, "okButton");
    ExpectRefused(*dialog, c.box, c.message);
    EXPECT_TRUE(settings_ == before) << c.box;
    if (!c.good) continue;
    Type(*dialog, c.box, c.good);
    Click(*dialog, "okButton");
    EXPECT_FALSE(dialog->isVisible()) << c.good;
    EXPECT_TRUE(working_.ConfigModified) << c.good;
    EXPECT_TRUE(!c.stored || *c.stored == c.good) << c.good;
  }
  EXPECT_EQ(prompt_.beeps, std::ssize(cases));
}

// --- Output strings, hot keys, the target application, the key pickers -------------------

TEST_F(DialogTest, OutputStringsKeepEachEntryAndCancelStoresNothing) {
  settings_.ButtonString[2] = std::string("B\0", 2);
  const Settings before = settings_;
  for (const char* button : {"cancelButton", "okButton"}) {
    auto dialog = Open<SendStringDialog>(settings_, working_, prompt_, strings_);
    auto& names = Child<QComboBox>(*dialog, "StringNames");
    auto& text = Child<RawStringEdit>(*dialog, "StringText");
    names.setCurrentIndex(1);
    EXPECT_EQ(text.Bytes(), std::string("B\0", 2));
    Child<QLineEdit>(*dialog, "StringControlCaption").setText(QStringLiteral("Zero"));
    names.setCurrentIndex(4);
    text.SetBytes("E");
    Child<QRadioButton>(*dialog, "Action1").setChecked(true);
    EXPECT_TRUE(Child<RawStringEdit>(*dialog, "TimerString").isHidden());
    Type(*dialog, "Interval", "2500");
    Click(*dialog, button);
    if (button == std::string("cancelButton")) ExpectNothingStored(before);
  }
  EXPECT_TRUE(working_.ConfigModified);
  EXPECT_EQ(settings_.ButtonCaption[2], "Zero");
  EXPECT_EQ(settings_.ButtonString[5], "E");
  EXPECT_EQ(settings_.TimerInterval, 2500);
  EXPECT_EQ(settings_.TimerFlags & ~kTimerOnAtStart, kTimerPulsesDtr);
}

// Keys pressed in the key box become hot-key codes; a key another entry acts on is
// refused with its message and the entry keeps its key.
TEST_F(DialogTest, HotKeysRecordPressedKeysAndRefuseTakenOnes) {
  settings_.HotKeyCode[1] = 2 * 256 + 65;  // CTRL+A, entry 2
  settings_.HotKeyAction[1] = 4;
  auto dialog = Open<HotKeyDialog>(edition_, settings_, working_, prompt_, strings_);
  auto& action = Child<QComboBox>(*dialog, "HKActionList");
  auto& key = Child<QLineEdit>(*dialog, "HKKey");
  EXPECT_FALSE(key.isEnabled());
  action.setCurrentIndex(1);
  emit action.activated(1);
  EXPECT_TRUE(key.isEnabled());
  EXPECT_FALSE(Child<RawStringEdit>(*dialog, "Text1").isHidden());
  const struct {
    int qtKey;
    Qt::KeyboardModifiers modifiers;
    QString text;
    const char* shown;
  } presses[] = {
      {Qt::Key_F2, Qt::ControlModifier, {}, "CTRL+F2"},
      {Qt::Key_AltGr, Qt::ControlModifier, {}, "CTRL+F2"},  // a key that only modifies
      {Qt::Key_Exclam, Qt::ShiftModifier, QStringLiteral("!"), "SHIFT+1"},
      {Qt::Key_Asterisk, Qt::KeypadModifier, QStringLiteral("*"), "Gray *"},
      {Qt::Key_Escape, Qt::AltModifier, {}, "ALT+ESCAPE"},
      {Qt::Key_A, Qt::ControlModifier, QStringLiteral("a"), "ALT+ESCAPE"},  // entry 2's
  };
  for (const auto& p : presses) {
    Press(key, p.qtKey, p.modifiers, p.text);
    EXPECT_EQ(key.text().toStdString(), p.shown);
  }
  EXPECT_EQ(prompt_.messages.size(), 1u);
  Click(*dialog, "okButton");
  EXPECT_EQ(settings_.HotKeyCode[0], 4 * 256 + 27);
  EXPECT_EQ(settings_.HotKeyAction[0], 1);
  EXPECT_TRUE(working_.ConfigModified);
}

// On a known layout the key code decides: the key right of L on a German layout types
// "ö", which Qt cannot name as a hot key, but the grab knows it as the ";" key.
TEST_F(DialogTest, HotKeysTakeKeysByTheirKeyCodeWhereTheLayoutIsKnown) {
  settings_.HotKeyAction[0] = 4;
  HotKeyDialog dialog(edition_, settings_, working_, prompt_, strings_);
  dialog.UseKeycodeMap([](unsigned keycode) { return keycode == 47 ? 186 : 0; });
  dialog.show();
  auto& key = Child<QLineEdit>(dialog, "HKKey");
  QKeyEvent german(QEvent::KeyPress, Qt::Key_Odiaeresis, Qt::ControlModifier, 47, 0, 0);
  QApplication::sendEvent(&key, &german);
  EXPECT_EQ(key.text(), QStringLiteral("CTRL+;"));
  Press(key, Qt::Key_Udiaeresis);  // no key code, and none Qt knows: a beep, no key
  EXPECT_EQ(key.text(), QStringLiteral("CTRL+;"));
  EXPECT_EQ(prompt_.beeps, 1);
}

TEST_F(DialogTest, KeyPickersGiveMacroTextAndHotKeyCodes) {
  KeyPickerDialog keystroke(KeyPickerDialog::Kind::Keystroke, strings_);
  Child<QListWidget>(keystroke, "KeyList").setCurrentRow(2);  // ENTER
  Child<QCheckBox>(keystroke, "ShiftBox").setChecked(true);
  EXPECT_EQ(keystroke.PickedMacroText(), "+{ENTER}");
  KeyPickerDialog hotKey(KeyPickerDialog::Kind::HotKey, strings_);
  Child<QListWidget>(hotKey, "KeyList").setCurrentRow(23);  // F2
  Child<QCheckBox>(hotKey, "CtrlBox").setChecked(true);
  Child<QCheckBox>(hotKey, "AltBox").setChecked(true);
  EXPECT_EQ(hotKey.PickedKey().code, 1649);
  EXPECT_EQ(hotKey.PickedKey().text, "CTRL+ALT+F2");
}

TEST_F(DialogTest, TargetApplicationFromBrowseAndTheWindowList) {
  testing::FakeWindowSystem windows;
  windows.windows = {{7, "Stock Ledger - Main"}, {8, "Comfenno", false, true}};
  auto dialog = Open<AppSelectDialog>(settings_, working_, prompt_, strings_, &windows);
  auto& list = Child<QComboBox>(*dialog, "WindowList");
  ASSERT_EQ(list.count(), 2);  // the hint and the other program's window
  emit list.activated(1);
  EXPECT_EQ(Child<QLineEdit>(*dialog, "AppName").text(), QStringLiteral("Stock Ledger - Main"));
  prompt_.ScriptFile("/opt/My Ledger/ledger");
  Click(*dialog, "Command1");
  auto& command = Child<QLineEdit>(*dialog, "AppCmd");
  EXPECT_EQ(command.text(), QStringLiteral("'/opt/My Ledger/ledger'"));
  command.setText(QStringLiteral("ledger"));
  Type(*dialog, "InterCharDelay", "20");
  Click(*dialog, "okButton");
  EXPECT_EQ(settings_.TargetAppTitle, "Stock Ledger - Main");
  EXPECT_EQ(settings_.TargetAppCommand, "ledger");
  EXPECT_EQ(settings_.InterCharDelay, 20);
  EXPECT_TRUE(settings_.TargetSpecified);
}

// --- Translations and the date/time format ----------------------------------------------

QString Translation(QWidget& editor, int code) {
  return Child<QTableWidget>(editor, "TransList").item(code, 3)->text();
}

// The chart opens modally from inside the editor: it is answered once it shows.
void TranslateWithChart(QWidget& editor, int code, int chartLine) {
  Child<QTableWidget>(editor, "TransList").setCurrentCell(code, 0);
  testing::OnModal([chartLine](QDialog& chart) {
    Child<QTableWidget>(chart, "ChartList").setCurrentCell(chartLine, 0);
    chart.accept();
  });
  Click(editor, "cmdTranslate");
}

TEST_F(DialogTest, TranslationsChangeACopyThatOnlyOkStores) {
  const Settings before = settings_;
  auto preInput = Open<TranslationEditor>(TranslationTable::PreInput, settings_, working_, strings_,
                                          KeystrokePicker());
  TranslateWithChart(*preInput, 21, 1);  // the second of the two words before the codes
  EXPECT_EQ(Translation(*preInput, 21), QStringLiteral("Void Record"));
  Click(*preInput, "cmdResetAll");
  EXPECT_EQ(Translation(*preInput, 21), QStringLiteral("ASCII 21"));
  Click(*preInput, "okButton");
  ExpectNothingStored(before);  // back to what it was

  auto keystrokes =
      Open<TranslationEditor>(TranslationTable::Keystroke, settings_, working_, strings_,
                              [](QWidget&) { return std::string("^{F5}"); });
  Child<QTableWidget>(*keystrokes, "TransList").setCurrentCell(10, 0);
  Click(*keystrokes, "cmdTranslate");
  EXPECT_EQ(Translation(*keystrokes, 10), QStringLiteral("^{F5}"));
  Click(*keystrokes, "cancelButton");
  ExpectNothingStored(before);

  auto dde = Open<TranslationEditor>(TranslationTable::Dde, settings_, working_, strings_,
                                     KeystrokePicker());
  TranslateWithChart(*dde, 65, 66);  // "B"
  EXPECT_EQ(Translation(*dde, 65), QStringLiteral("ASCII 66"));
  EXPECT_EQ(settings_.DdeTranslation[65], 'A');
  Click(*dde, "okButton");
  EXPECT_EQ(settings_.DdeTranslation[65], 'B');
  EXPECT_TRUE(working_.ConfigModified);
}

// --- Port > Settings of both programs -------------------------------------------------

TEST_F(DialogTest, PortSetupRefusesABadBufferSizeInTheBoxAndOnOk) {
  const Settings before = settings_;
  testing::ScratchFolder root;  // the sysfs and /dev the dialog sees
  for (const char* button : {"cancelButton", "okButton"}) {
    auto dialog = Open<PortSetupDialog>(
        PortSetupContext{edition_, settings_, working_, store_, prompt_, strings_, root.File("")});
    Type(*dialog, "BuffSize", "4096x");   // not a digit: a beep
    Type(*dialog, "BuffSize", "200000");  // too large: the message
    EXPECT_EQ(Child<QLineEdit>(*dialog, "BuffSize").text(), QLatin1String("4096"));
    ++messages_;
    Child<QListWidget>(*dialog, "ComPort").setCurrentRow(9);
    Child<QRadioButton>(*dialog, "Baud11").setChecked(true);
    Type(*dialog, "BuffSize", "100");
    Click(*dialog, button);
    if (button == std::string("cancelButton")) {
      ExpectNothingStored(before);
      continue;
    }
    ExpectRefused(*dialog, "BuffSize");
    Type(*dialog, "BuffSize", "8192");
    Click(*dialog, button);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
  }
  EXPECT_EQ(prompt_.beeps, 2 + 2 + 1);  // each message beeps too
  EXPECT_EQ(settings_.PortIndex, 9);
  EXPECT_EQ(settings_.BaudIndex, 11);
  EXPECT_EQ(settings_.InputBufferSize, 8192);
  EXPECT_TRUE(working_.ConfigModified);
}

// A device that no COM name stands for yet (found in sysfs) is offered to the chosen port;
// its name goes into the per-user store once the user agrees.
TEST_F(DialogTest, PortSetupOffersADeviceNoPortNameStandsFor) {
  testing::ScratchFolder root;
  std::filesystem::create_directories(root.File("sys/devices/platform/uart0/tty/ttyAMA0"));
  std::filesystem::create_directories(root.File("sys/class/tty/ttyAMA0"));
  std::filesystem::create_directory_symlink("../../../devices/platform/uart0",
                                            root.File("sys/class/tty/ttyAMA0/device"));
  std::filesystem::create_directories(root.File("dev"));
  std::ofstream(root.File("dev/ttyAMA0")).put('\0');
  auto dialog = Open<PortSetupDialog>(
      PortSetupContext{edition_, settings_, working_, store_, prompt_, strings_, root.File("")});
  Child<QListWidget>(*dialog, "ComPort").setCurrentRow(4);
  auto& others = Child<QComboBox>(*dialog, "otherDevices");
  ASSERT_EQ(others.count(), 1);
  EXPECT_EQ(others.itemText(0), QLatin1String("/dev/ttyAMA0"));
  prompt_.ScriptAnswer(PromptAnswer::No);
  emit others.activated(0);
  EXPECT_EQ(store_.Get("Comfenno", kPortsSection, "COM5"), std::nullopt);
  emit others.activated(0);  // answered with the default, Yes
  EXPECT_EQ(store_.Get("Comfenno", kPortsSection, "COM5"), "/dev/ttyAMA0");
  EXPECT_FALSE(working_.ConfigModified) << "the per-user store is not the configuration";
}

TEST_F(DialogTest, ConnectionServesOnlyWithAnAddressAndRefusesABadPeerWithFocus) {
  const Edition& netfenno = NetfennoEdition();
  const StringTable strings(netfenno.kind, Language::English);
  settings_ = Settings::Defaults(netfenno, "/tmp");
  settings_.TcpRemoteHost = "10.0.0.5";
  settings_.TcpRemotePort = "502";
  const auto open = [&](const std::string& localAddress) {
    return Open<ConnectionDialog>(ConnectionDialogContext{netfenno, settings_, working_, store_,
                                                          prompt_, strings, localAddress});
  };
  EXPECT_FALSE(Child<QCheckBox>(*open(""), "TCPOption").isEnabled()) << "no address to serve on";

  auto dialog = open("192.168.1.20");
  Type(*dialog, "portEdit", "70000");
  EXPECT_EQ(Child<QLineEdit>(*dialog, "portEdit").text(), QLatin1String("502"));
  ++messages_;
  Child<QCheckBox>(*dialog, "TCPOption").setChecked(true);
  EXPECT_EQ(Child<QLineEdit>(*dialog, "hostEdit").text(), QLatin1String("192.168.1.20"));
  EXPECT_FALSE(Child<QLineEdit>(*dialog, "hostEdit").isEnabled());
  Type(*dialog, "portEdit", "4001");
  Type(*dialog, "allowEdit", "127.0.0.1, lab-pc");
  Click(*dialog, "okButton");
  ExpectRefused(*dialog, "allowEdit");
  Type(*dialog, "allowEdit", "127.0.0.1, 192.168.1.0/24");
  Click(*dialog, "okButton");
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(settings_.TcpMode, 1);
  EXPECT_EQ(settings_.TcpLocalPort, "4001");
  EXPECT_EQ(settings_.TcpRemotePort, "502");
  EXPECT_TRUE(working_.ConfigModified);
  EXPECT_EQ(store_.Get("Netfenno", "Connection", "AllowedPeers"), "127.0.0.1, 192.168.1.0/24");
}

// --- The record dialogs ------------------------------------------------------------------

// The chart's character and the key list's key name go into the box that had the focus
// last, and OK stores them there only.
TEST_F(DialogTest, RecordPickersInsertIntoTheBoxLastFocused) {
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
    auto dialog = OpenRecord(c.which);
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
    Click(*dialog, c.button);
    const std::string inserted = Child<RawStringEdit>(*dialog, c.box).Bytes();
    if (c.which == RecordDialog::RecType) {
      EXPECT_EQ(inserted, "\x03");
      Child<QRadioButton>(*dialog, "RecTypeSel3").setChecked(true);
    }
    EXPECT_FALSE(inserted.empty());
    Click(*dialog, "okButton");
    EXPECT_EQ(c.stored, inserted);
    EXPECT_EQ(c.other, "");
  }
}

// Cancel in the field editor keeps what the delimiter dialog committed; the editor's
// preview takes a sample file's bytes as they are, and an unreadable one is reported.
TEST_F(DialogTest, RecordCancelKeepsEarlierDialogsAndThePreviewReadsASampleFile) {
  settings_.OutputMethod = kLogToDisk;  // the log keeps every byte
  auto delim = OpenRecord(RecordDialog::Delim);
  Child<QListWidget>(*delim, "DelimList").setCurrentRow(';');
  Type(*delim, "Text1", "3");
  Click(*delim, "okButton");
  EXPECT_EQ(settings_.Delimiter, ';');
  const Settings committed = settings_;

  testing::ScratchFolder folder;
  prompt_.ScriptFile(folder.Write("sample.bin", std::string("1\r2\r\0\r", 6)));
  prompt_.ScriptFile(folder.File("missing.bin"));
  auto recDefs = OpenRecord(RecordDialog::RecDefs);
  auto& table = Child<QTableWidget>(*recDefs, "PreviewTable");
  Click(*recDefs, "PreviewOpenSample");
  ASSERT_TRUE(testing::WaitUntil([&] { return table.rowCount() == 3; }));
  EXPECT_EQ(table.item(2, 0)->text().toStdString(), "<NUL><CR>");  // control characters visible
  Click(*recDefs, "PreviewOpenSample");
  EXPECT_EQ(prompt_.messages.size(), 1u);
  EXPECT_EQ(table.rowCount(), 3);
  Type(*recDefs, "FieldExpression", "field(1)*2");
  Click(*recDefs, "cancelButton");
  EXPECT_TRUE(settings_ == committed);
  EXPECT_TRUE(working_.ConfigModified);
}

// A balance sending "ST,GS,+0012.345 g" CR LF: three delimited fields with the weight
// numeric and formatted, set up through the chain of dialogs as each comes up.
TEST_F(DialogTest, BalanceConfigurationBuiltThroughTheRecordChain) {
  settings_.OutputMethod = kLogToDisk;
  std::vector<std::string> shown;
  // Acts in each dialog of the chain as it comes up, as the user would.
  const auto act = [&](QDialog& dialog) {
    const std::string name = dialog.objectName().toStdString();
    if (name == "RecStructure") Child<QRadioButton>(dialog, "Option2").setChecked(true);
    if (name == "Delim") Type(dialog, "Text1", "3");
    if (name == "RecDefs") {
      for (int field = 1; field <= 2; ++field) {
        Child<RawStringEdit>(dialog, "FieldMacro").InsertBytes(",");
        Click(dialog, "NextButton");
      }
      EXPECT_FALSE(Child<QPushButton>(dialog, "NextButton").isEnabled());
      Child<QComboBox>(dialog, "FilterTypes").setCurrentIndex(2);
      Child<QComboBox>(dialog, "lstFieldFormat").setEditText(QStringLiteral("0.000"));
    }
    Click(dialog, "okButton");
  };
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || (!shown.empty() && shown.back() == dialog->objectName().toStdString())) return;
    shown.push_back(dialog->objectName().toStdString());
    act(*dialog);
  });
  watch.start(0);
  RunRecordDialogs(recordContext_, regional_, nullptr);
  watch.stop();
  EXPECT_EQ(shown, (std::vector<std::string>{"RecType", "RecStructure", "Delim", "RecDefs"}));
  EXPECT_TRUE(working_.ConfigModified);
  EXPECT_EQ(settings_.RecordStructure, kDelimitedFields);
  EXPECT_EQ(settings_.FieldCount, 3);
  EXPECT_EQ(settings_.FieldPostamble[2], ",");
  EXPECT_EQ(settings_.FieldFilter[3], "N");
  EXPECT_EQ(settings_.FieldFormat[3], "0.000");
}

}  // namespace
}  // namespace fenno

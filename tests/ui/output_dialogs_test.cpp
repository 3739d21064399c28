// The output string, hot-key, target application and key picker dialogs on the offscreen
// platform: OK, Cancel, focus on a refusal, key recording, and the setup window's items
// that open them. Their rules have table-driven tests in tests/engine, tests/keys and
// tests/hotkeys.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <functional>

#include "config/config_samples.h"
#include "engine/output_text_ids.h"
#include "keys/fake_keys.h"
#include "support/qt_widgets.h"
#include "support/recording_prompt.h"
#include "ui/app_select_dialog.h"
#include "ui/hot_key_dialog.h"
#include "ui/key_picker_dialog.h"
#include "ui/raw_string_edit.h"
#include "ui/send_string_dialog.h"
#include "ui/setup_window.h"

namespace fenno {
namespace {

using testing::Child;

class OutputDialogsTest : public ::testing::Test {
 protected:
  void Press(QWidget& widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
             const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(&widget, &press);
  }

  const Edition& edition_ = ComfennoEdition();
  StringTable strings_{edition_.kind, Language::English};
  testing::RecordingPrompt prompt_;
  Settings settings_ = Settings::Defaults(edition_, "/home/ann");
  WorkingValues working_;
};

TEST_F(OutputDialogsTest, OutputStringsKeepEachEntryAndRefuseALongInterval) {
  settings_.ButtonString[2] = std::string("B\0", 2);
  SendStringDialog dialog(settings_, working_, prompt_, strings_);
  dialog.show();
  auto& names = Child<QComboBox>(dialog, "StringNames");
  auto& caption = Child<QLineEdit>(dialog, "StringControlCaption");
  auto& text = Child<RawStringEdit>(dialog, "StringText");
  names.setCurrentIndex(1);
  EXPECT_EQ(text.Bytes(), std::string("B\0", 2));
  caption.setText(QStringLiteral("Zero"));
  names.setCurrentIndex(4);
  text.SetBytes("E");
  Child<QRadioButton>(dialog, "Action1").setChecked(true);
  EXPECT_TRUE(Child<RawStringEdit>(dialog, "TimerString").isHidden());
  auto& interval = Child<QLineEdit>(dialog, "Interval");
  interval.setText(QStringLiteral("100000000"));

  dialog.accept();
  EXPECT_EQ(prompt_.messages.size(), 1u);
  EXPECT_EQ(dialog.focusWidget(), &interval);
  EXPECT_FALSE(working_.ConfigModified);

  interval.setText(QStringLiteral("2500"));
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(working_.ConfigModified);
  EXPECT_EQ(settings_.ButtonCaption[2], "Zero");
  EXPECT_EQ(settings_.ButtonString[5], "E");
  EXPECT_EQ(settings_.TimerInterval, 2500);
  EXPECT_EQ(settings_.TimerFlags & ~kTimerOnAtStart, kTimerPulsesDtr);
}

TEST_F(OutputDialogsTest, OutputStringsCancelStoresNothing) {
  const Settings before = settings_;
  SendStringDialog dialog(settings_, working_, prompt_, strings_);
  dialog.show();
  Child<RawStringEdit>(dialog, "AckString").SetBytes("\x06");
  Child<QPushButton>(dialog, "cancelButton").click();
  EXPECT_EQ(settings_.AckString, before.AckString);
  EXPECT_FALSE(working_.ConfigModified);
}

// Keys pressed in the key box become hot-key codes; a key another entry acts on is
// refused with its message and the entry keeps its key.
TEST_F(OutputDialogsTest, HotKeysRecordPressedKeysAndRefuseTakenOnes) {
  settings_.HotKeyCode[1] = 2 * 256 + 65;  // CTRL+A, entry 2
  settings_.HotKeyAction[1] = 4;
  HotKeyDialog dialog(edition_, settings_, working_, prompt_, strings_);
  dialog.show();
  auto& action = Child<QComboBox>(dialog, "HKActionList");
  auto& key = Child<QLineEdit>(dialog, "HKKey");
  EXPECT_FALSE(key.isEnabled());
  action.setCurrentIndex(1);
  emit action.activated(1);
  EXPECT_TRUE(key.isEnabled());
  EXPECT_FALSE(Child<RawStringEdit>(dialog, "Text1").isHidden());

  const struct {
    int qtKey;
    Qt::KeyboardModifiers modifiers;
    QString text;
    const char* shown;
  } presses[] = {
      {Qt::Key_F2, Qt::ControlModifier, {}, "CTRL+F2"},
      {Qt::Key_Control, Qt::ControlModifier, {}, "CTRL+F2"},  // a modifier alone
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

  Child<QPushButton>(dialog, "okButton").click();
  EXPECT_EQ(settings_.HotKeyCode[0], 4 * 256 + 27);
  EXPECT_EQ(settings_.HotKeyAction[0], 1);
  EXPECT_TRUE(working_.ConfigModified);
}

// On a known layout the key code decides: the key right of L on a German layout types
// "ö", which Qt cannot name as a hot key, but the grab knows it as the ";" key.
TEST_F(OutputDialogsTest, HotKeysTakeKeysByTheirKeyCodeWhereTheLayoutIsKnown) {
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

TEST_F(OutputDialogsTest, KeyPickersGiveMacroTextAndHotKeyCodes) {
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

TEST_F(OutputDialogsTest, TargetApplicationFromBrowseAndTheWindowList) {
  testing::FakeWindowSystem windows;
  windows.windows = {{7, "Stock Ledger - Main"}, {8, "Comfenno", false, true}};
  AppSelectDialog dialog(settings_, working_, prompt_, strings_, &windows);
  dialog.show();
  auto& list = Child<QComboBox>(dialog, "WindowList");
  ASSERT_EQ(list.count(), 2);  // the hint and the other program's window
  emit list.activated(1);
  EXPECT_EQ(Child<QLineEdit>(dialog, "AppName").text(), QStringLiteral("Stock Ledger - Main"));
  prompt_.ScriptFile("/opt/My Ledger/ledger");
  Child<QPushButton>(dialog, "Command1").click();
  auto& command = Child<QLineEdit>(dialog, "AppCmd");
  EXPECT_EQ(command.text(), QStringLiteral("'/opt/My Ledger/ledger'"));

  command.setText(QStringLiteral("ledger\n--new"));
  dialog.accept();
  EXPECT_EQ(prompt_.messages.size(), 1u);
  EXPECT_EQ(dialog.focusWidget(), &command);
  command.setText(QStringLiteral("ledger"));
  Child<QLineEdit>(dialog, "InterCharDelay").setText(QStringLiteral("20"));
  Child<QPushButton>(dialog, "okButton").click();
  EXPECT_EQ(settings_.TargetAppTitle, "Stock Ledger - Main");
  EXPECT_EQ(settings_.TargetAppCommand, "ledger");
  EXPECT_EQ(settings_.InterCharDelay, 20);
  EXPECT_TRUE(settings_.TargetSpecified);
}

// Each item opens its dialog; the live-data dialog stores into the settings of its use.
TEST_F(OutputDialogsTest, SetupItemsOpenTheirDialogs) {
  testing::ScratchFolder folder;
  ::setenv("XDG_CONFIG_HOME", folder.path().c_str(), 1);
  RegionalSettings regional;
  MemoryUserStore store;
  SetupWindow window(SetupContext{
      {edition_, settings_, working_, prompt_, strings_, regional, store}, "/home/ann"});
  ASSERT_EQ(window.StartUp(""), std::nullopt);
  const struct {
    const char* item;
    const char* dialog;
    std::function<const std::string&()> stored;
  } items[] = {
      {"GetOutStrings", "SendStringForm", {}},
      {"MHKActions", "HotKeyFrm", {}},
      {"SendKeystrokes", "AppSelect", {}},
      {"UseDDE", "DDEParms", [this]() -> const std::string& { return settings_.DdeTargetApp; }},
      {"DDESource", "DDEParms",
       [this]() -> const std::string& { return settings_.CommandLinkApp; }},
      {"DDEBuffer", "DDEParms", [this]() -> const std::string& { return settings_.BufferLinkApp; }},
  };
  for (const auto& item : items) {
    QString opened;
    // The dialog runs modally: a timer meets it and closes it, or gives up.
    int tries = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!dialog && ++tries < 500) return;
      timer.stop();
      if (!dialog) return;
      opened = dialog->objectName();
      if (auto* app = dialog->findChild<QLineEdit*>(QStringLiteral("DDEApp")))
        app->setText(QLatin1String(item.item));
      dialog->accept();
    });
    timer.start(10);
    window.findChild<QAction*>(QLatin1String(item.item))->trigger();
    EXPECT_EQ(opened.toStdString(), item.dialog) << item.item;
    if (item.stored) {
      EXPECT_EQ(item.stored(), item.item);
    }
  }
  EXPECT_EQ(settings_.OutputMethod, kDdeServer);
}

}  // namespace
}  // namespace fenno

// The screenshot run (HACKING.md "The screenshot run"): every window of Windows(), for both
// programs, in English, German and Japanese, on a private X server with a window manager,
// saved as PNG as it opens and with each menu of its menu bar open. It fails on a clipped
// text or one that is still a string-table number.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTranslator>
#include <QWindow>
#include <functional>

#include "support/fake_port.h"
#include "support/recording_prompt.h"
#include "support/wait.h"
#include "support/x11_widget_main.h"
#include "ui/about_box.h"
#include "ui/app_select_dialog.h"
#include "ui/ascii_chart_dialog.h"
#include "ui/connection_dialog.h"
#include "ui/date_time_format_dialog.h"
#include "ui/dde_parms_dialog.h"
#include "ui/dde_topic_dialog.h"
#include "ui/hot_key_dialog.h"
#include "ui/key_picker_dialog.h"
#include "ui/port_setup_dialog.h"
#include "ui/raw_string_edit.h"
#include "ui/record_chain.h"
#include "ui/record_defs_dialog.h"
#include "ui/record_preview_pane.h"
#include "ui/send_string_dialog.h"
#include "ui/setup_window.h"
#include "ui/terminal_window.h"
#include "ui/translation_editor.h"
#include "ui/ui_language.h"

namespace fenno {
namespace {

// What a window borrows; fresh for each window.
struct ShotContext {
  const Edition& edition;
  const StringTable& strings;
  Settings settings;
  WorkingValues working = WorkingValues();
  testing::RecordingPrompt prompt = {};
  MemoryUserStore store = {};
  RegionalSettings regional = RegionalSettings::English();
};

// What every window starts from, with something of their own for some dialogs to show.
Settings ShotSettings(const Edition& edition) {
  Settings s = Settings::Defaults(edition, "/home/ann");
  s.PreInputTranslation[0] = kIgnoreEntry;
  s.DateTimeFormat = "yyyy-mm-dd hh:nn:ss";
  s.AckString = "\x06\r";
  s.TargetAppTitle = "Ledger";
  return s;
}

using Window = std::unique_ptr<QWidget>;
using WindowFactory = std::function<Window(ShotContext&)>;

Window Setup(ShotContext& c) {
  const std::string program(c.edition.programName), extension(c.edition.configExtension);
  c.store.Set(program, "MRUFiles", "0", "/home/ann/balance-com5" + extension);
  c.store.Set(program, "MRUFiles", "1", "/srv/lab/gauge-items" + extension);
  auto window = std::make_unique<SetupWindow>(SetupContext{
      {c.edition, c.settings, c.working, c.prompt, c.strings, c.regional, c.store}, "/home/ann"});
  window->StartUp("");
  return window;
}

// Five fields, three output-string buttons, the line buttons and the clock.
Window Engine(ShotContext& c) {
  c.settings.RecordStructure = kDelimitedFields;
  c.settings.FieldCount = 5;
  for (size_t i = 1; i <= 3; ++i) {
    c.settings.ButtonCaption[i] = "String " + std::to_string(i);
    c.settings.ButtonString[i] = "S" + std::to_string(i) + "\r";
  }
  c.settings.EngineButtons = kShowDtrButton | kShowBreakButton;
  c.settings.ShowDateTime = true;
  c.working.PortName = "COM1";
  auto window =
      std::make_unique<EngineWindow>(EngineWindowContext{c.edition, c.settings, c.working, c.prompt,
                                                         c.strings, c.regional, c.store},
                                     ActivationMode::Virtual);
  if (window->Open()) window->Start();
  return window;
}

// One dialog of the record chain, on the settings `adjust` leaves.
WindowFactory Record(RecordDialog which, std::function<void(Settings&)> adjust = {}) {
  return [which, adjust](ShotContext& c) -> Window {
    if (adjust) adjust(c.settings);
    return NewRecordDialog(which, {c.settings, c.working, c.prompt, c.strings}, c.regional,
                           nullptr);
  };
}

// The field editor of a balance's three delimited fields, its preview filled; a failing
// expression marks its column.
Window BalanceFields(ShotContext& c) {
  c.settings.OutputMethod = kLogToDisk;
  c.settings.RecordStructure = kDelimitedFields;
  c.settings.FieldCount = 3;
  c.settings.FieldFilter[3] = "N";
  c.settings.FieldFormat[3] = "0.000";
  c.settings.FieldMathExpr[1] = "field(";
  Window editor = Record(RecordDialog::RecDefs)(c);
  editor->findChild<QPlainTextEdit*>(QStringLiteral("PreviewSample"))
      ->setPlainText(QStringLiteral("ST,GS,+0012.345 g\nST,NT,+0000.5 g\nUS,GS,-0003.120 g\n"));
  static_cast<RecDefsDialog&>(*editor).preview()->Refresh();
  return editor;
}

// Fixed-length records of 12 bytes: the length box and the running total.
void FixedFields(Settings& s) {
  s.EndOfRecordEvent = kEndByteCount;
  s.RecordStructure = kFixedLengthFields;
  s.RecordLength = 12;
  s.FieldCount = 40;
  s.FieldLength[1] = 5;
}

// The port analyzer after two readings of a balance.
Window Terminal(ShotContext& c) {
  auto port = std::make_unique<testing::FakePort>();
  port->lines = c.edition.IsSerial();
  port->Open();
  port->Arrive("N000001   +100.125 g\r\nN000002   +100.250 g\r\n");
  auto window = std::make_unique<TerminalWindow>(
      TerminalContext{c.edition, c.settings, c.working, c.prompt, c.strings}, std::move(port));
  window->Tick();
  window->panel().sendBox().SetBytes("?\r");
  return window;
}

// Port > Settings: the serial port dialog, or the TCP program's connection dialog as a
// server with allowed peers.
Window PortSettings(ShotContext& c) {
  if (c.edition.IsSerial())
    return std::make_unique<PortSetupDialog>(
        PortSetupContext{c.edition, c.settings, c.working, c.store, c.prompt, c.strings});
  c.settings.TcpMode = 1;
  c.settings.TcpLocalPort = "4001";
  c.store.Set(std::string(c.edition.programName), "Connection", "AllowedPeers",
              "192.168.1.0/24, 10.0.0.5");
  return std::make_unique<ConnectionDialog>(ConnectionDialogContext{
      c.edition, c.settings, c.working, c.store, c.prompt, c.strings, "192.168.1.20"});
}

WindowFactory Translations(TranslationTable table) {
  return [table](ShotContext& c) {
    return std::make_unique<TranslationEditor>(table, c.settings, c.working, c.strings,
                                               KeystrokePicker());
  };
}

WindowFactory Picker(KeyPickerDialog::Kind kind) {
  return [kind](ShotContext& c) { return std::make_unique<KeyPickerDialog>(kind, c.strings); };
}

// A dialog on the context's settings and working values, the prompt and the strings.
template <class Dialog>
Window Edit(ShotContext& c) {
  return std::make_unique<Dialog>(c.settings, c.working, c.prompt, c.strings);
}

const std::vector<std::pair<const char*, WindowFactory>>& Windows() {
  static const std::vector<std::pair<const char*, WindowFactory>> windows = {
      {"setup", Setup},
      {"engine", Engine},
      {"terminal", Terminal},
      {"virtual-device",
       [](ShotContext& c) {
         auto window = std::make_unique<TerminalWindow>(c.strings, [](std::string_view) {});
         window->ShowDeviceOutput(std::string("ACK\0\r\n", 6));
         return window;
       }},
      {"about", [](ShotContext& c) { return std::make_unique<AboutBox>(c.edition, c.strings); }},
      {"dde-topic", Edit<DdeTopicDialog>},
      {"dde-link",
       [](ShotContext& c) {
         return std::make_unique<DdeParmsDialog>(DdeParmsMode::BufferLink, c.settings, c.working,
                                                 c.strings);
       }},
      {"port-settings", PortSettings},
      {"ascii-chart",
       [](ShotContext& c) { return std::make_unique<AsciiChartDialog>(true, c.strings); }},
      {"translation-keystroke", Translations(TranslationTable::Keystroke)},
      {"translation-pre-input", Translations(TranslationTable::PreInput)},
      {"date-time-format",
       [](ShotContext& c) {
         return std::make_unique<DateTimeFormatDialog>(c.settings, c.working, c.regional, c.prompt,
                                                       c.strings);
       }},
      {"output-strings", Edit<SendStringDialog>},
      {"hot-keys",
       [](ShotContext& c) {
         c.settings.HotKeyCode[0] = 2 * 256 + 113;  // CTRL+F2 sends a string
         c.settings.HotKeyAction[0] = 1;
         c.settings.HotKeyString[0] = "T\r";
         return std::make_unique<HotKeyDialog>(c.edition, c.settings, c.working, c.prompt,
                                               c.strings);
       }},
      {"app-select",
       [](ShotContext& c) {
         return std::make_unique<AppSelectDialog>(c.settings, c.working, c.prompt, c.strings,
                                                  nullptr);
       }},
      {"keystroke-picker", Picker(KeyPickerDialog::Kind::Keystroke)},
      {"hot-key-picker", Picker(KeyPickerDialog::Kind::HotKey)},
      {"record-events", Record(RecordDialog::RecType)},
      {"record-length", Record(RecordDialog::Fixed)},
      {"record-gap", Record(RecordDialog::Timed)},
      {"record-structure", Record(RecordDialog::RecStructure)},
      {"record-delimiter", Record(RecordDialog::Delim)},
      {"record-fields", BalanceFields},
      {"record-fields-fixed", Record(RecordDialog::RecDefs, FixedFields)},
  };
  return windows;
}

// The table's window numbers have four or five digits; a count or record number may be shorter.
bool IsBareNumber(QString text) {
  static const QRegularExpression number(QStringLiteral("^\\s*\\d{4,5}\\s*$"));
  return number.match(text.remove(QLatin1Char('&'))).hasMatch();
}

void Fail(const std::string& where, const char* what, const QString& text) {
  ADD_FAILURE() << where << ": " << what << " \"" << text.toStdString() << "\"";
}

void CheckWidgets(QWidget& window, const std::string& where) {
  if (IsBareNumber(window.windowTitle())) Fail(where, "window title", window.windowTitle());
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    if (!widget->isVisible() || widget->window() != &window) continue;
    QString text;
    bool clipped = false;
    if (auto* label = qobject_cast<QLabel*>(widget)) {
      text = label->text();
      clipped = !text.isEmpty() &&
                (label->wordWrap() ? label->height() < label->heightForWidth(label->width())
                                   : label->width() < label->sizeHint().width() ||
                                         label->height() < label->sizeHint().height());
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      text = button->text();
      clipped = button->width() < button->sizeHint().width();
    }
    if (clipped) Fail(where, "clipped", text);
    // A baud rate is a number of its own, not a caption left unapplied.
    const bool ownNumber = widget->property("ownNumber").toBool();
    if ((!ownNumber && IsBareNumber(text)) || IsBareNumber(widget->toolTip()))
      Fail(where, "a number", text);
  }
}

void CheckMenu(QMenu& menu, const std::string& where) {
  if (menu.width() < menu.sizeHint().width()) Fail(where, "clipped menu", menu.title());
  for (QAction* action : menu.actions()) {
    if (!action->isVisible() || action->isSeparator()) continue;
    const QString shown = QString(action->text()).remove(QLatin1Char('&'));
    if (menu.actionGeometry(action).width() < menu.fontMetrics().horizontalAdvance(shown))
      Fail(where, "clipped menu item", action->text());
    if (IsBareNumber(action->text())) Fail(where, "a number", action->text());
  }
}

// The language as the program starts in it: Qt's translations, and the CJK font for Japanese.
void UseLanguage(Language language) {
  static const QFont desktopFont = QApplication::font();
  for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
    QCoreApplication::removeTranslator(translator);
    delete translator;
  }
  QApplication::setFont(desktopFont);
  PrepareUiLanguage(*qApp, language);
}

// On the screen (and made active by the window manager), then painted.
void Settle(QWidget& window) {
  testing::WaitUntil([&] {
    QApplication::processEvents();
    return window.windowHandle() && window.windowHandle()->isExposed() &&
           (window.isActiveWindow() || window.windowType() == Qt::Popup);
  });
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// The window as it draws itself, with an open menu where it stands on the screen.
void Save(QWidget& window, QWidget* menu, const std::string& name) {
  const QRect area = menu ? window.geometry().united(menu->geometry()) : window.geometry();
  QPixmap picture(area.size());
  picture.fill(Qt::darkGray);
  QPainter painter(&picture);
  painter.drawPixmap(window.geometry().topLeft() - area.topLeft(), window.grab());
  if (menu) painter.drawPixmap(menu->geometry().topLeft() - area.topLeft(), menu->grab());
  painter.end();
  QDir().mkpath(QStringLiteral(FENNO_SCREENSHOT_DIR));
  EXPECT_TRUE(picture.save(QStringLiteral(FENNO_SCREENSHOT_DIR "/") + QString::fromStdString(name) +
                           QStringLiteral(".png")));
}

class ScreenshotTest : public ::testing::TestWithParam<std::tuple<const Edition*, Language>> {};

TEST_P(ScreenshotTest, EveryWindowShowsItsTextsWhole) {
  const auto [edition, language] = GetParam();
  UseLanguage(language);
  const StringTable strings(edition->kind, language);
  for (const auto& [windowName, make] : Windows()) {
    const std::string name = std::string(edition->executableName) + "-" + windowName;
    const std::string suffix = "-" + std::string(LanguageCode(language));
    ShotContext context{*edition, strings, ShotSettings(*edition)};
    const std::unique_ptr<QWidget> window = make(context);
    window->show();
    window->activateWindow();
    Settle(*window);
    Save(*window, nullptr, name + suffix);
    CheckWidgets(*window, name + suffix);
    QMenuBar* bar = window->findChild<QMenuBar*>();
    for (QAction* title : bar ? bar->actions() : QList<QAction*>()) {
      QMenu* menu = title->menu();
      if (!menu || !title->isVisible()) continue;
      const QRect place = bar->actionGeometry(title);  // not pushed into the overflow button
      if (place.isEmpty() || !bar->rect().contains(place))
        Fail(name + suffix, "menu out of the bar", title->text());
      bar->setActiveAction(title);
      ASSERT_TRUE(testing::WaitUntil([&] {
        QApplication::processEvents();
        return menu->isVisible();
      }));
      Settle(*menu);
      const std::string menuName = name + "-" + menu->objectName().toStdString() + suffix;
      Save(*window, menu, menuName);
      CheckMenu(*menu, menuName);
      menu->hide();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    ProgramsAndLanguages, ScreenshotTest,
    ::testing::Combine(::testing::Values(&ComfennoEdition(), &NetfennoEdition()),
                       ::testing::Values(Language::English, Language::German, Language::Japanese)),
    [](const auto& p) {
      return std::string(std::get<0>(p.param)->programName) + "_" +
             std::string(LanguageCode(std::get<1>(p.param)));
    });

TEST(ScreenshotFontTest, AJapaneseFontIsInstalled) {
  // Without one the Japanese pictures show empty boxes, and every check above still passes.
  EXPECT_FALSE(QFontDatabase::families(QFontDatabase::Japanese).isEmpty());
}

}  // namespace
}  // namespace fenno

// The X server comes first: the windows open on it.
int main(int argc, char** argv) {
  return fenno::testing::RunWindowTestsOnOwnXServer(argc, argv);
}

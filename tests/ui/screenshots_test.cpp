// The screenshot run: every window of the list below, in English, German and Japanese and
// for both programs, on a private X server with a window manager. Each window is written
// as a PNG into the build folder (tests/ui/screenshots/), once as it opens and once per
// menu of its menu bar, opened; and the run fails when a visible label, button, menu or
// menu item shows a text narrower than it needs (clipped), or still shows a string-table
// number instead of its text.
//
// A new window joins by adding a factory to Windows(): it builds the window from the
// context (settings, prompt, string table of the language being shown) and returns it,
// shown or not. Look at the pictures: a check cannot see a text that fits but is wrong.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QTranslator>
#include <QWindow>
#include <cstdlib>
#include <functional>
#include <memory>

#include "config/config_samples.h"
#include "config/user_store.h"
#include "engine/regional.h"
#include "support/recording_prompt.h"
#include "support/x11_session.h"
#include "ui/about_box.h"
#include "ui/dde_parms_dialog.h"
#include "ui/dde_topic_dialog.h"
#include "ui/engine_window.h"
#include "ui/setup_window.h"
#include "ui/ui_language.h"

namespace fenno {
namespace {

using testing::PollUntil;
using testing::RecordingPrompt;

// What a window of the run borrows; fresh for each window.
struct ShotContext {
  const Edition& edition;
  const StringTable& strings;
  Settings settings;
  WorkingValues working;
  RecordingPrompt prompt;
  MemoryUserStore store;
  RegionalSettings regional;
  std::string home = "/home/ann";
};

struct WindowFactory {
  const char* name;
  std::function<std::unique_ptr<QWidget>(ShotContext&)> make;
};

std::unique_ptr<QWidget> MakeSetupWindow(ShotContext& c) {
  const std::string program(c.edition.programName);
  c.store.Set(program, "MRUFiles", "0",
              "/home/ann/balance-com5" + std::string(c.edition.configExtension));
  c.store.Set(program, "MRUFiles", "1",
              "/srv/lab/gauge-items" + std::string(c.edition.configExtension));
  auto window = std::make_unique<SetupWindow>(SetupContext{
      c.edition, c.settings, c.working, c.prompt, c.strings, c.regional, c.store, c.home});
  window->StartUp("");
  return window;
}

// Five fields, three output-string buttons, the line buttons and the clock.
std::unique_ptr<QWidget> MakeEngineWindow(ShotContext& c) {
  c.settings.RecordStructure = kDelimitedFields;
  c.settings.FieldCount = 5;
  for (int i = 1; i <= 3; ++i) {
    c.settings.ButtonCaption[static_cast<size_t>(i)] = "String " + std::to_string(i);
    c.settings.ButtonString[static_cast<size_t>(i)] = "S" + std::to_string(i) + "\r";
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

const std::vector<WindowFactory>& Windows() {
  static const std::vector<WindowFactory> windows = {
      {"setup", MakeSetupWindow},
      {"engine", MakeEngineWindow},
      {"about",
       [](ShotContext& c) -> std::unique_ptr<QWidget> {
         return std::make_unique<AboutBox>(c.edition, c.strings);
       }},
      {"dde-topic",
       [](ShotContext& c) -> std::unique_ptr<QWidget> {
         return std::make_unique<DdeTopicDialog>(c.settings, c.working, c.prompt, c.strings);
       }},
      {"dde-link",
       [](ShotContext& c) -> std::unique_ptr<QWidget> {
         return std::make_unique<DdeParmsDialog>(DdeParmsMode::BufferLink, c.settings, c.working,
                                                 c.strings);
       }},
  };
  return windows;
}

// A text that is a string-table number a window forgot to replace (the table's window
// numbers are four and five digits; a record number or a count may show smaller ones).
bool IsBareNumber(QString text) {
  text.remove(QLatin1Char('&'));
  static const QRegularExpression number(QStringLiteral("^\\s*\\d{4,5}\\s*$"));
  return number.match(text).hasMatch();
}

class TextCheck {
 public:
  explicit TextCheck(std::string where) : where_(std::move(where)) {}
  void Fail(const QString& what, const QString& text) {
    ADD_FAILURE() << where_ << ": " << what.toStdString() << " \"" << text.toStdString() << "\"";
  }

  void Widgets(QWidget& window) {
    if (IsBareNumber(window.windowTitle()))
      Fail(QStringLiteral("window title"), window.windowTitle());
    for (QWidget* widget : window.findChildren<QWidget*>()) {
      if (!widget->isVisible() || widget->window() != &window) continue;
      QString text;
      if (auto* label = qobject_cast<QLabel*>(widget)) {
        text = label->text();
        if (text.isEmpty()) continue;
        const bool clipped = label->wordWrap()
                                 ? label->height() < label->heightForWidth(label->width())
                                 : label->width() < label->sizeHint().width() ||
                                       label->height() < label->sizeHint().height();
        if (clipped) Fail(QStringLiteral("clipped label ") + label->objectName(), text);
      } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        text = button->text();
        if (button->width() < button->sizeHint().width())
          Fail(QStringLiteral("clipped button ") + button->objectName(), text);
      }
      if (IsBareNumber(text) || IsBareNumber(widget->toolTip()))
        Fail(QStringLiteral("number instead of a text in ") + widget->objectName(), text);
    }
  }

  void MenuBar(QMenuBar& bar) {
    for (QAction* action : bar.actions()) {
      if (!action->isVisible()) continue;
      const QRect place = bar.actionGeometry(action);
      // An item that does not fit goes into the bar's overflow button.
      if (place.isEmpty() || !bar.rect().contains(place))
        Fail(QStringLiteral("menu out of the menu bar"), action->text());
      if (IsBareNumber(action->text())) Fail(QStringLiteral("menu title"), action->text());
    }
  }

  void Menu(QMenu& menu) {
    if (menu.width() < menu.sizeHint().width()) Fail(QStringLiteral("clipped menu"), menu.title());
    for (QAction* action : menu.actions()) {
      if (!action->isVisible() || action->isSeparator()) continue;
      const QRect place = menu.actionGeometry(action);
      const int needed =
          menu.fontMetrics().horizontalAdvance(QString(action->text()).remove(QLatin1Char('&')));
      if (place.width() < needed) Fail(QStringLiteral("clipped menu item"), action->text());
      if (IsBareNumber(action->text()) || IsBareNumber(action->toolTip()))
        Fail(QStringLiteral("menu item"), action->text());
    }
  }

 private:
  std::string where_;
};

// The program's language as it would start in it: Qt's own translations, and the CJK
// font for Japanese, on top of the desktop's font.
void UseLanguage(Language language) {
  static const QFont desktopFont = QApplication::font();
  for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
    QCoreApplication::removeTranslator(translator);
    delete translator;
  }
  QApplication::setFont(desktopFont);
  PrepareUiLanguage(*qApp, language);
}

// Waits until the window is on the screen (and, for a window, made active by the window
// manager), then lets it paint. The deadline only ends a hang.
void Settle(QWidget& window) {
  PollUntil([&] {
    QApplication::processEvents();
    return window.windowHandle() && window.windowHandle()->isExposed() &&
           (window.isActiveWindow() || window.windowType() == Qt::Popup);
  });
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// The window as it draws itself (the window manager's frame is not ours to check), with an
// open menu drawn where it stands on the screen.
void Save(QWidget& window, QWidget* menu, const std::string& name) {
  const QRect area = menu ? window.geometry().united(menu->geometry()) : window.geometry();
  QPixmap picture(area.size());
  picture.fill(Qt::darkGray);
  QPainter painter(&picture);
  painter.drawPixmap(window.geometry().topLeft() - area.topLeft(), window.grab());
  if (menu) painter.drawPixmap(menu->geometry().topLeft() - area.topLeft(), menu->grab());
  painter.end();
  const QString folder = QStringLiteral(FENNO_SCREENSHOT_DIR);
  QDir().mkpath(folder);
  EXPECT_TRUE(picture.save(folder + QLatin1Char('/') + QString::fromStdString(name) +
                           QStringLiteral(".png")))
      << name;
}

struct Shot {
  const Edition* edition;
  Language language;
};

class ScreenshotTest : public ::testing::TestWithParam<Shot> {};

TEST_P(ScreenshotTest, EveryWindowShowsItsTextsWhole) {
  const Edition& edition = *GetParam().edition;
  const Language language = GetParam().language;
  UseLanguage(language);
  const StringTable strings(edition.kind, language);
  const std::string suffix = "-" + std::string(LanguageCode(language));

  for (const WindowFactory& factory : Windows()) {
    const std::string name = std::string(edition.executableName) + "-" + factory.name;
    ShotContext context{edition, strings, Settings::Defaults(edition, "/home/ann"), {}, {}, {}, {}};
    std::unique_ptr<QWidget> window = factory.make(context);
    if (!window->isVisible()) window->show();
    window->raise();
    window->activateWindow();
    Settle(*window);
    Save(*window, nullptr, name + suffix);
    TextCheck check(name + suffix);
    check.Widgets(*window);

    auto* main = qobject_cast<QMainWindow*>(window.get());
    QMenuBar* bar = main ? main->findChild<QMenuBar*>() : nullptr;
    if (!bar) continue;
    check.MenuBar(*bar);
    for (QAction* title : bar->actions()) {
      QMenu* menu = title->menu();
      if (!menu || !title->isVisible()) continue;
      bar->setActiveAction(title);
      if (!PollUntil(
              [&] {
                QApplication::processEvents();
                return menu->isVisible();
              },
              10000)) {
        ADD_FAILURE() << name << ": menu " << menu->objectName().toStdString() << " did not open";
        continue;
      }
      Settle(*menu);
      Save(*window, menu, name + "-" + menu->objectName().toStdString() + suffix);
      check.Menu(*menu);
      menu->hide();
      PollUntil(
          [&] {
            QApplication::processEvents();
            return !menu->isVisible();
          },
          10000);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(ProgramsAndLanguages, ScreenshotTest,
                         ::testing::Values(Shot{&ComfennoEdition(), Language::English},
                                           Shot{&ComfennoEdition(), Language::German},
                                           Shot{&ComfennoEdition(), Language::Japanese},
                                           Shot{&NetfennoEdition(), Language::English},
                                           Shot{&NetfennoEdition(), Language::German},
                                           Shot{&NetfennoEdition(), Language::Japanese}),
                         [](const auto& p) {
                           return std::string(p.param.edition->programName) + "_" +
                                  std::string(LanguageCode(p.param.language));
                         });

TEST(ScreenshotFontTest, AJapaneseFontIsInstalled) {
  // Without one the Japanese pictures show empty boxes, and every check above still passes.
  EXPECT_FALSE(QFontDatabase::families(QFontDatabase::Japanese).isEmpty());
}

}  // namespace
}  // namespace fenno

// The X server comes first: Qt's windows open on it.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  std::string why;
  auto session = fenno::testing::X11Session::Start({}, &why);
  if (!session) {
    std::fprintf(stderr, "no X server for the screenshots: %s\n", why.c_str());
    return 1;
  }
  ::setenv("DISPLAY", session->DisplayName().c_str(), 1);
  ::setenv("QT_QPA_PLATFORM", "xcb", 1);
  fenno::testing::ScratchFolder userFolder;
  ::setenv("XDG_CONFIG_HOME", userFolder.path().c_str(), 1);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}

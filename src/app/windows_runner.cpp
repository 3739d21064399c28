#include "app/windows_runner.h"

#include <QApplication>
#include <QIcon>

#include "base/qt_text.h"
#include "base/string_table.h"
#include "config/qt_user_store.h"
#include "config/settings.h"
#include "engine/regional.h"
#include "ui/qt_prompt.h"
#include "ui/setup_window.h"
#include "ui/ui_language.h"

namespace fenno {

int RunWindows(const Edition& edition, const CommandLine& command, int argc, char** argv) {
  QApplication app(argc, argv);  // also sets the C library's locale from the environment
  // The setup window hides while an engine runs: the program ends when the setup window
  // says so, not when the last window happens to close.
  QApplication::setQuitOnLastWindowClosed(false);
  // The desktop entry and the icon that the desktop shows for the program's windows.
  QGuiApplication::setDesktopFileName(QLatin1String("org.fenno.") + FromUtf8(edition.programName));
  QApplication::setWindowIcon(QIcon::fromTheme(FromUtf8(edition.executableName)));
  const StringTable strings(edition.kind, LanguageFromEnvironment());
  PrepareUiLanguage(app, strings.language());
  const RegionalSettings regional = RegionalSettings::FromCurrentLocale();
  QtPrompt prompt;
  IniUserStore store{std::string(edition.programName)};
  Settings settings = Settings::Defaults(edition, HomeFolder());
  WorkingValues working;

  SetupWindow window(
      {{edition, settings, working, prompt, strings, regional, store}, HomeFolder()});
  QObject::connect(&window, &SetupWindow::ProgramEnded, &app, [] { QApplication::quit(); });
  if (const std::optional<int> status = window.StartUp(command.configPath)) return *status;
  const int status = QApplication::exec();
  // The engine window of a normal activation closes the program as it is deleted.
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return status;
}

}  // namespace fenno

#include "ui/help_pages.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "base/qt_text.h"
#include "ui/desktop_text_ids.h"
#include "ui/setup_window_text_ids.h"

namespace fenno {

std::string FindHelpPage(const std::string& helpFolder, const std::string& name,
                         Language language) {
  for (const Language candidate : {language, Language::English}) {
    const QFileInfo page(QDir(FromPath(helpFolder)),
                         FromPath(std::string(LanguageCode(candidate)) + "/" + name + ".html"));
    if (page.isFile()) return ToPath(page.canonicalFilePath());
  }
  return {};
}

void OpenHelpPage(const std::string& name, const Edition& edition, const StringTable& strings,
                  Prompt& prompt) {
  const std::string helpFolder =
      ToPath(QCoreApplication::applicationDirPath()) + "/" + kHelpFolderFromProgram;
  const std::string path = FindHelpPage(helpFolder, name, strings.language());
  if (path.empty()) {
    prompt.Show({strings.Format(str::kHelpPageMissing, {name + ".html"}),
                 std::string(edition.programName), PromptButtons::Ok, PromptIcon::Information});
  } else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(FromPath(path)))) {
    prompt.Show({strings.Format(str::kHelpPageNotShown, {path}), std::string(edition.programName),
                 PromptButtons::Ok, PromptIcon::Information});
  }
}

}  // namespace fenno

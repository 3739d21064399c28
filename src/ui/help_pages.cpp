#include "ui/help_pages.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "base/qt_text.h"
#include "ui/setup_window_text_ids.h"

namespace fenno {

std::string FindHelpPage(const std::string& name) {
  const QStringList folders = {
      QCoreApplication::applicationDirPath() + QLatin1String("/../share/doc/fenno"),
      QStringLiteral(FENNO_SOURCE_DOCS),
  };
  for (const QString& folder : folders) {
    for (const char* extension : {".html", ".md"}) {
      const QFileInfo page(QDir(folder), FromPath(name + extension));
      if (page.isFile()) return ToPath(page.canonicalFilePath());
    }
  }
  return {};
}

void OpenHelpPage(const std::string& name, const Edition& edition, const StringTable& strings,
                  Prompt& prompt) {
  const std::string path = FindHelpPage(name);
  if (!path.empty() && QDesktopServices::openUrl(QUrl::fromLocalFile(FromPath(path)))) return;
  prompt.Show({strings.Format(str::kHelpPageMissing, {name + ".html"}),
               std::string(edition.programName), PromptButtons::Ok, PromptIcon::Information});
}

}  // namespace fenno

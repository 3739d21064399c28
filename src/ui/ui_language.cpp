#include "ui/ui_language.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>

#include "base/qt_text.h"

namespace fenno {

void PrepareUiLanguage(QApplication& app, Language language) {
  if (language == Language::English) return;
  const QString code = FromUtf8(LanguageCode(language));
  auto* translator = new QTranslator(&app);
  if (translator->load(QLatin1String("qtbase_") + code,
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(translator);
  if (language != Language::Japanese) return;
  // The desktop's UI font and size, with a Japanese family first for the CJK glyphs.
  const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
  if (japanese.isEmpty()) return;
  QFont font = QApplication::font();
  QString preferred = japanese.constFirst();
  for (const QString& family : japanese)
    if (family.contains(QLatin1String("Noto Sans CJK JP"))) preferred = family;
  font.setFamilies({preferred, font.family()});
  QApplication::setFont(font);
}

}  // namespace fenno

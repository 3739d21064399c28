#include "dde/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "base/qt_text.h"

namespace fenno {
namespace {

QClipboard* SystemClipboard() {
  return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard()
                                                                      : nullptr;
}

}  // namespace

void QtClipboard::SetLink(const std::string& link, const std::string& text) {
  QClipboard* clipboard = SystemClipboard();
  if (!clipboard) return;
  auto* data = new QMimeData;
  data->setData(QLatin1String(kLinkMimeType),
                QByteArray(link.data(), static_cast<qsizetype>(link.size())));
  data->setText(FromBytes(text));
  clipboard->setMimeData(data);
}

std::optional<std::string> QtClipboard::Link() const {
  QClipboard* clipboard = SystemClipboard();
  const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
  if (!data || !data->hasFormat(QLatin1String(kLinkMimeType))) return std::nullopt;
  const QByteArray bytes = data->data(QLatin1String(kLinkMimeType));
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

bool QtClipboard::HasText() const {
  QClipboard* clipboard = SystemClipboard();
  const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
  return data && data->hasText();
}

std::unique_ptr<Clipboard> MakeDesktopClipboard() {
  if (!SystemClipboard()) return nullptr;
  return std::make_unique<QtClipboard>();
}

}  // namespace fenno

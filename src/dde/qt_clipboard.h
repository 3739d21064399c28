#pragma once

// The desktop clipboard through Qt: the link in the MIME type application/x-dde-link,
// beside the text as plain text. Needs a QGuiApplication.

#include <memory>

#include "dde/clipboard.h"

namespace fenno {

inline constexpr char kLinkMimeType[] = "application/x-dde-link";

class QtClipboard : public Clipboard {
 public:
  void SetLink(const std::string& link, const std::string& text) override;
  std::optional<std::string> Link() const override;
  bool HasText() const override;
};

// The desktop clipboard when the program runs with a QGuiApplication (windows), else
// null: without windows (headless) there is no clipboard.
std::unique_ptr<Clipboard> MakeDesktopClipboard();

}  // namespace fenno

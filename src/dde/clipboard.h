#pragma once

// The clipboard as the live-data commands and the Edit menu use it: a link to an item
// ("App|Topic!Item") beside the item's text as plain text.

#include <optional>
#include <string>

namespace fenno {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Replaces the clipboard's content with the link and the plain text (8-bit texts).
  virtual void SetLink(const std::string& link, const std::string& text) = 0;
  // The link bytes, when the clipboard holds the link format.
  virtual std::optional<std::string> Link() const = 0;
  virtual bool HasText() const = 0;
};

}  // namespace fenno

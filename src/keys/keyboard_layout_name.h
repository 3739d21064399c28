#pragma once

// Which keyboard layout a Wayland desktop uses, read from its own settings: the
// compositor keeps the layout, and a program outside it cannot ask for it.

#include <optional>
#include <string>
#include <string_view>

namespace fenno {

struct LayoutName {
  std::string layout = "us";
  std::string variant;
  bool operator==(const LayoutName&) const = default;
};

// GNOME's input sources as `gsettings get org.gnome.desktop.input-sources sources` prints
// them, "[('xkb', 'de+nodeadkeys'), ('ibus', 'anthy')]": the first XKB source.
std::optional<LayoutName> LayoutFromGnomeSources(std::string_view text);
// KDE's keyboard settings file (kxkbrc): the first of LayoutList and of VariantList.
std::optional<LayoutName> LayoutFromKdeSettings(std::string_view text);

}  // namespace fenno

// The desktop's keyboard layout, read from GNOME's and KDE's settings.

#include "keys/keyboard_layout_name.h"

#include <gtest/gtest.h>

namespace fenno {
namespace {

TEST(KeyboardLayoutNameTest, TheFirstKeyboardLayoutOfTheSettingsCounts) {
  using Found = std::optional<LayoutName>;
  EXPECT_EQ(LayoutFromGnomeSources("[('xkb', 'de+nodeadkeys'), ('xkb', 'us')]"),
            Found(LayoutName{"de", "nodeadkeys"}));
  EXPECT_EQ(LayoutFromGnomeSources("[('ibus', 'anthy'), ('xkb', 'fr')]"),
            Found(LayoutName{"fr", ""}));
  EXPECT_EQ(LayoutFromGnomeSources("@a(ss) []"), std::nullopt);
  EXPECT_EQ(LayoutFromKdeSettings("[Layout]\nDisplayNames=,\nLayoutList=de,us\r\n"
                                  "VariantList=nodeadkeys,\nUse=true\n"),
            Found(LayoutName{"de", "nodeadkeys"}));
  EXPECT_EQ(LayoutFromKdeSettings("[Layout]\nLayoutList=fr\n"), Found(LayoutName{"fr", ""}));
  EXPECT_EQ(LayoutFromKdeSettings("[Layout]\nUse=false\nLayoutList=\n"), std::nullopt);
}

}  // namespace
}  // namespace fenno

// Hot-key codes as the global shortcuts portal names them.

#include "hotkeys/portal_shortcuts.h"

#include <gtest/gtest.h>

namespace fenno {
namespace {

TEST(PortalShortcutsTest, CodesBecomeIdsAndTriggers) {
  const struct {
    int code;
    const char* trigger;
  } cases[] = {
      {0x271, "CTRL+F2"},  {0x741, "CTRL+ALT+SHIFT+a"},
      {0x130, "SHIFT+0"},  {0x460, "ALT+KP_0"},
      {0x0D, "Return"},    {0x2BA, "CTRL+semicolon"},
      {0x287, "CTRL+F24"}, {0x214, ""},  // Caps Lock cannot be a shortcut
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ShortcutTrigger(c.code), c.trigger) << c.code;
    EXPECT_EQ(CodeOfShortcutId(ShortcutId(c.code)), c.code);
  }
  EXPECT_EQ(CodeOfShortcutId("hotkey-"), std::nullopt);
  EXPECT_EQ(CodeOfShortcutId("hotkey-12x"), std::nullopt);
  EXPECT_EQ(CodeOfShortcutId("other-12"), std::nullopt);
}

}  // namespace
}  // namespace fenno

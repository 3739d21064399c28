#include "engine/engine_window_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace fenno {
namespace {

// --- Place ------------------------------------------------------------------------------

const std::vector<ScreenRect> kTwoScreens = {{0, 0, 1920, 1080}, {-1280, 0, 1280, 1024}};

TEST(EnginePlace, OpensWhereItClosedIfThatIsOnAScreen) {
  const struct {
    const char* name;
    std::optional<std::string> left, top;
    std::vector<ScreenRect> screens;
    std::optional<ScreenPoint> expected;
  } cases[] = {
      {"stored", "200", "150", kTwoScreens, ScreenPoint{200, 150}},
      {"on the screen left of the first", "-600", "40", kTwoScreens, ScreenPoint{-600, 40}},
      {"nothing stored: the desktop places it", {}, {}, kTwoScreens, {}},
      {"one value missing", "200", {}, kTwoScreens, {}},
      {"not a number", "abc", "150", kTwoScreens, {}},
      {"off every screen (a monitor since removed)", "30000", "15000", kTwoScreens,
       ScreenPoint{0, 0}},
      {"no screens known", "30000", "15000", {}, ScreenPoint{30000, 15000}}};
  for (const auto& c : cases) {
    MemoryUserStore store;
    if (c.left) store.Set("Comfenno - COM2", "Settings", "MainLeft", *c.left);
    if (c.top) store.Set("Comfenno - COM2", "Settings", "MainTop", *c.top);
    EXPECT_EQ(LoadEnginePosition(store, ComfennoEdition(), "COM2", c.screens), c.expected)
        << c.name;
  }
}

TEST(EnginePlace, EachPortKeepsItsOwnPlaceAndNetfennoKeepsNone) {
  MemoryUserStore store;
  StoreEnginePosition(store, ComfennoEdition(), "COM1", {10, 20});
  StoreEnginePosition(store, ComfennoEdition(), "COM3", {30, 40});
  EXPECT_EQ(store.Get("Comfenno - COM1", "Settings", "MainLeft"), "10");
  EXPECT_EQ(store.Get("Comfenno - COM1", "Settings", "MainTop"), "20");
  EXPECT_EQ(LoadEnginePosition(store, ComfennoEdition(), "COM3", kTwoScreens),
            (ScreenPoint{30, 40}));

  StoreEnginePosition(store, NetfennoEdition(), "10.0.0.5", {50, 60});
  EXPECT_EQ(store.Get("Netfenno - 10.0.0.5", "Settings", "MainLeft"), std::nullopt);
  store.Set("Netfenno - 10.0.0.5", "Settings", "MainLeft", "50");
  store.Set("Netfenno - 10.0.0.5", "Settings", "MainTop", "60");
  EXPECT_EQ(LoadEnginePosition(store, NetfennoEdition(), "10.0.0.5", kTwoScreens), std::nullopt);
}

// --- Notification area and window states -------------------------------------------------

TEST(EngineTray, TipIsTheCaptionCutToWholeCharacters) {
  EXPECT_EQ(TrayTip("Comfenno - COM1 (S)"), "Comfenno - COM1 (S)");
  const std::string longAscii(70, 'x');
  EXPECT_EQ(TrayTip(longAscii), std::string(63, 'x'));
  // 60 ASCII characters and five three-byte characters: three of those fit.
  const std::string japanese = std::string(60, 'a') + "仮想デバイス";
  EXPECT_EQ(TrayTip(japanese), std::string(60, 'a') + "仮想デ");
}

TEST(EngineWindowStates, HiddenOnlyWithATrayAndTopmostOnlyWhenNotMinimised) {
  struct Row {
    bool minimised, alwaysOnTop, tray;
    WindowStateAction expected;
  };
  const Row rows[] = {
      {false, false, true, {false, false}}, {true, false, true, {true, false}},
      {true, false, false, {false, false}}, {false, true, false, {false, true}},
      {true, true, false, {false, false}},  {true, true, true, {true, false}},
  };
  for (const Row& row : rows)
    EXPECT_EQ(OnWindowState(row.minimised, row.alwaysOnTop, row.tray), row.expected)
        << row.minimised << row.alwaysOnTop << row.tray;
}

// --- Buttons ------------------------------------------------------------------------------

TEST(EngineButtons, LineButtonsFollowTheBitsInTheSerialProgramOnly) {
  for (int bits = 0; bits < 4; ++bits)
    EXPECT_EQ(LineButtonsShown(ComfennoEdition(), bits),
              (LineButtons{(bits & 1) != 0, (bits & 2) != 0}));
  EXPECT_EQ(LineButtonsShown(NetfennoEdition(), 3), (LineButtons{false, false}));
}

}  // namespace
}  // namespace fenno

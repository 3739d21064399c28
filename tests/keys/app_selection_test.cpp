#include "keys/app_selection.h"

#include <gtest/gtest.h>

#include "keys/app_select_dialogs.h"
#include "keys/command_words.h"
#include "keys/fake_keys.h"

namespace fenno {
namespace {

// The dialog's values are stored only when something differs; titles and commands lose
// their blanks, the delay is rounded.
TEST(StoreAppSelection, StoresTheDialogOnlyWhenSomethingDiffers) {
  struct Case {
    AppSelection typed;
    bool changed;
    std::string title, command;
    int32_t delay;
    bool specified;
  };
  const Case cases[] = {
      {{"Ledger", "ledger", "5"}, false, "Ledger", "ledger", 5, true},
      {{"Ledger", "ledger", "05"}, false, "Ledger", "ledger", 5, true},
      {{" Sheet ", " calc  ", "5"}, true, "Sheet", "calc", 5, true},
      {{"", "", "5"}, true, "", "", 5, false},
      {{"", "ledger", "5"}, true, "", "ledger", 5, true},
      {{"Ledger", "ledger", ""}, true, "Ledger", "ledger", 0, true},
      {{"Ledger", "ledger", "2.5"}, true, "Ledger", "ledger", 2, true},
      {{"Ledger", "ledger", "3.5"}, true, "Ledger", "ledger", 4, true},
      {{"Ledger", "ledger", "99999999999"}, true, "Ledger", "ledger", 2147483647, true}};
  for (const Case& c : cases) {
    Settings settings;
    settings.TargetAppTitle = "Ledger";
    settings.TargetAppCommand = "ledger";
    settings.InterCharDelay = 5;
    settings.TargetSpecified = true;
    EXPECT_EQ(StoreAppSelection(c.typed, settings), c.changed);
    EXPECT_EQ(std::tie(settings.TargetAppTitle, settings.TargetAppCommand, settings.InterCharDelay,
                       settings.TargetSpecified),
              std::tie(c.title, c.command, c.delay, c.specified))
        << c.typed.title << "/" << c.typed.interCharDelay;
  }
}

TEST(CheckAppSelection, RefusesLineBreaksInTitleAndCommand) {
  EXPECT_TRUE(CheckAppSelection({"Ledger", "ledger --new", "5"}).Accepted());
  EXPECT_EQ(CheckAppSelection({"Led\nger", "ledger", "5"}).field, "AppName");
  EXPECT_EQ(CheckAppSelection({"Ledger", "ledger\r", "5"}).field, "AppCmd");
}

// A chosen program is one word of the command line, whatever its path holds.
TEST(CommandLineOfProgram, ThePathSurvivesSplitting) {
  for (const std::string path :
       {"/usr/bin/ledger", "/opt/My Apps/ledger", "/tmp/it's \"x\"", "/a\\b", "/tab\there"}) {
    const std::vector<std::string> words = SplitCommandLine(CommandLineOfProgram(path));
    ASSERT_EQ(words.size(), 1u) << path;
    EXPECT_EQ(words[0], path);
  }
  EXPECT_EQ(CommandLineOfProgram("/usr/bin/ledger"), "/usr/bin/ledger");
}

TEST(OpenWindowTitles, OthersWindowsWithTitlesTopmostFirstEachOnce) {
  testing::FakeWindowSystem windows;
  windows.windows = {{1, "Stock Ledger - Main"},
                     {2, "Setup", false, /*own=*/true},
                     {3, ""},
                     {4, "Terminal"},
                     {5, "Stock Ledger - Main"}};
  EXPECT_EQ(OpenWindowTitles(windows),
            (std::vector<std::string>{"Stock Ledger - Main", "Terminal"}));
}

}  // namespace
}  // namespace fenno

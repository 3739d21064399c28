#include "keys/app_selection.h"

#include <gtest/gtest.h>

namespace fenno {
namespace {

struct SelectionCase {
  AppSelection typed;
  bool changed;
  std::string title, command;
  int32_t delay;
  bool specified;
};

class ApplyAppSelectionTest : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(ApplyAppSelectionTest, StoresTheDialogOnlyWhenSomethingDiffers) {
  Settings settings;
  settings.TargetAppTitle = "Ledger";
  settings.TargetAppCommand = "ledger";
  settings.InterCharDelay = 5;
  settings.TargetSpecified = true;
  const SelectionCase& c = GetParam();
  EXPECT_EQ(StoreAppSelection(c.typed, settings), c.changed);
  EXPECT_EQ(settings.TargetAppTitle, c.title);
  EXPECT_EQ(settings.TargetAppCommand, c.command);
  EXPECT_EQ(settings.InterCharDelay, c.delay);
  EXPECT_EQ(settings.TargetSpecified, c.specified);
}

INSTANTIATE_TEST_SUITE_P(
    Dialog, ApplyAppSelectionTest,
    ::testing::Values(
        SelectionCase{{"Ledger", "ledger", "5"}, false, "Ledger", "ledger", 5, true},
        SelectionCase{{"Ledger", "ledger", "05"}, false, "Ledger", "ledger", 5, true},
        SelectionCase{{" Sheet ", " calc  ", "5"}, true, "Sheet", "calc", 5, true},
        SelectionCase{{"", "", "5"}, true, "", "", 5, false},
        SelectionCase{{"Ledger", "ledger", ""}, true, "Ledger", "ledger", 0, true},
        SelectionCase{{"Ledger", "ledger", "2.5"}, true, "Ledger", "ledger", 2, true},
        SelectionCase{{"Ledger", "ledger", "3.5"}, true, "Ledger", "ledger", 4, true},
        SelectionCase{
            {"Ledger", "ledger", "99999999999"}, true, "Ledger", "ledger", 2147483647, true},
        SelectionCase{{"", "ledger", "5"}, true, "", "ledger", 5, true}));

}  // namespace
}  // namespace fenno

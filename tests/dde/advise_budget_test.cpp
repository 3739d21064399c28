#include "dde/advise_budget.h"

#include <gtest/gtest.h>

namespace fenno {
namespace {

using Changes = std::vector<AdviseBudget::Change>;

TEST(AdviseBudgetTest, ChangesBeyondTheBudgetAreHeldAsEachItemsLatestTextInOrder) {
  AdviseBudget budget(3);
  EXPECT_TRUE(budget.Admit("Field(1)", "a"));
  EXPECT_TRUE(budget.Admit("Field(2)", "b"));
  EXPECT_TRUE(budget.Admit("RecordNumber", "1"));
  EXPECT_FALSE(budget.Admit("Field(1)", "c"));
  EXPECT_FALSE(budget.Admit("RecordNumber", "2"));
  EXPECT_FALSE(budget.Admit("Field(1)", "d"));
  EXPECT_FALSE(budget.Admit("RecordNumber", "3"));
  EXPECT_EQ(budget.EndTurn(), (Changes{{"Field(1)", "d"}, {"RecordNumber", "3"}}));

  // A new turn has its whole budget again, and nothing is held twice.
  EXPECT_TRUE(budget.Admit("Field(1)", "e"));
  EXPECT_TRUE(budget.Admit("Field(1)", "f"));
  EXPECT_TRUE(budget.Admit("Field(1)", "g"));
  EXPECT_FALSE(budget.Admit("Field(2)", "h"));
  EXPECT_EQ(budget.EndTurn(), (Changes{{"Field(2)", "h"}}));
  EXPECT_EQ(budget.EndTurn(), Changes{});
}

}  // namespace
}  // namespace fenno

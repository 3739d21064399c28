#include "dde/dde_dialogs.h"

#include <gtest/gtest.h>

#include "base/string_ids.h"
#include "base/string_table.h"

namespace fenno {
namespace {

class DdeDialogsTest : public ::testing::Test {
 protected:
  Settings settings = Settings::Defaults(ComfennoEdition(), "/tmp");
  WorkingValues working;
  StringTable strings{EditionKind::Comfenno, Language::English};
};

TEST_F(DdeDialogsTest, LinkDialogStoresAllThreeTextsWhenOneChanged) {
  DdeParmsValues values = LoadDdeParms(DdeParmsMode::CommandTarget, settings);
  EXPECT_FALSE(StoreDdeParms(DdeParmsMode::CommandTarget, values, settings));
  values.item = "R1C1";
  EXPECT_TRUE(StoreDdeParms(DdeParmsMode::CommandTarget, values, settings));
  EXPECT_EQ(settings.DdeTargetItem, "R1C1");
  EXPECT_EQ(settings.CommandLinkItem, "");

  // The check boxes are stored on OK without counting as a change there; clicking them
  // did that already.
  values = LoadDdeParms(DdeParmsMode::BufferLink, settings);
  EXPECT_TRUE(values.stripCrLf);
  values.establishOnActivation = true;
  values.stripCrLf = false;
  EXPECT_FALSE(StoreDdeParms(DdeParmsMode::BufferLink, values, settings));
  EXPECT_TRUE(settings.BufferLinkAuto);
  EXPECT_FALSE(settings.StripCrLf);
  EXPECT_FALSE(settings.CommandLinkAuto);
  DdeParmsCheckBoxClicked(working);
  EXPECT_TRUE(working.ConfigModified);

  values = LoadDdeParms(DdeParmsMode::CommandLink, settings);
  values.application = "";  // empty values are allowed: the link is then never made
  values.establishOnActivation = true;
  values.stripCrLf = true;  // not this mode's box
  StoreDdeParms(DdeParmsMode::CommandLink, values, settings);
  EXPECT_TRUE(settings.CommandLinkAuto);
  EXPECT_FALSE(settings.StripCrLf);
  EXPECT_EQ(DdeParmsCaption(DdeParmsMode::CommandLink), str::kDdeCommandLinkCaption);
}

TEST_F(DdeDialogsTest, TopicDialogRefusesABlankTopicOfItsOwn) {
  TopicChoice choice = LoadTopic(settings);
  EXPECT_FALSE(choice.specify);
  choice.specify = true;
  const DialogCheck refused = CheckTopic(choice);
  EXPECT_EQ(strings.Text(refused.message), "DDE Topic value cannot be blank.");
  EXPECT_EQ(strings.Text(refused.title), "Invalid DDE Topic");

  choice.text = "Lab 1";
  EXPECT_TRUE(CheckTopic(choice).Accepted() && StoreTopic(choice, settings));
  EXPECT_EQ(settings.DDETopic, "Lab 1");

  choice = LoadTopic(settings);
  EXPECT_EQ(choice.text, "Lab 1");
  EXPECT_FALSE(StoreTopic(choice, settings));  // specify is loaded back too

  choice.specify = false;  // back to the port name; the text is kept but not used
  EXPECT_TRUE(CheckTopic(choice).Accepted() && StoreTopic(choice, settings));
  EXPECT_EQ(settings.DDETopic, "");
}

}  // namespace
}  // namespace fenno

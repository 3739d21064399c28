#include "dde/dde_dialogs.h"

#include <gtest/gtest.h>

#include "support/recording_prompt.h"
#include "base/string_ids.h"

namespace fenno {
namespace {

class DdeDialogsTest : public ::testing::Test {
 protected:
  Settings settings = Settings::Defaults(ComfennoEdition(), "/tmp");
  WorkingValues working;
  StringTable strings{EditionKind::Comfenno, Language::English};
  testing::RecordingPrompt prompt;
};

TEST_F(DdeDialogsTest, LinkDialogStoresAllThreeTextsWhenOneChanged) {
  DdeParmsValues values = DdeParmsInitial(DdeParmsMode::CommandTarget, settings);
  EXPECT_EQ(values.application, "Excel");
  EXPECT_EQ(values.topic, "System");
  ApplyDdeParms(DdeParmsMode::CommandTarget, values, settings, working);
  EXPECT_FALSE(working.ConfigModified);
  values.item = "R1C1";
  ApplyDdeParms(DdeParmsMode::CommandTarget, values, settings, working);
  EXPECT_TRUE(working.ConfigModified);
  EXPECT_EQ(settings.DdeTargetItem, "R1C1");
  EXPECT_EQ(settings.CommandLinkItem, "");

  // The check boxes are stored on OK without counting as a change there; clicking them
  // did that already.
  working.ConfigModified = false;
  values = DdeParmsInitial(DdeParmsMode::BufferLink, settings);
  EXPECT_TRUE(values.stripCrLf);
  values.establishOnActivation = true;
  values.stripCrLf = false;
  ApplyDdeParms(DdeParmsMode::BufferLink, values, settings, working);
  EXPECT_TRUE(settings.BufferLinkAuto);
  EXPECT_FALSE(settings.StripCrLf);
  EXPECT_FALSE(settings.CommandLinkAuto);
  EXPECT_FALSE(working.ConfigModified);
  DdeParmsCheckBoxClicked(working);
  EXPECT_TRUE(working.ConfigModified);

  values = DdeParmsInitial(DdeParmsMode::CommandLink, settings);
  values.application = "";  // empty values are allowed: the link is then never made
  values.establishOnActivation = true;
  values.stripCrLf = true;  // not this mode's box
  ApplyDdeParms(DdeParmsMode::CommandLink, values, settings, working);
  EXPECT_TRUE(settings.CommandLinkAuto);
  EXPECT_FALSE(settings.StripCrLf);
  EXPECT_EQ(DdeParmsCaption(DdeParmsMode::CommandLink), str::kDdeCommandLinkCaption);
}

TEST_F(DdeDialogsTest, TopicDialogRefusesABlankTopicOfItsOwn) {
  TopicChoice choice = TopicDialogInitial(settings);
  EXPECT_FALSE(choice.specify);
  choice.specify = true;
  EXPECT_FALSE(ApplyTopicDialog(choice, settings, working, strings, prompt));
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].text, "DDE Topic value cannot be blank.");
  EXPECT_EQ(prompt.messages[0].title, "Invalid DDE Topic");
  EXPECT_EQ(prompt.beeps, 1);
  EXPECT_FALSE(working.ConfigModified);

  choice.text = "Lab 1";
  EXPECT_TRUE(ApplyTopicDialog(choice, settings, working, strings, prompt));
  EXPECT_EQ(settings.DDETopic, "Lab 1");
  EXPECT_TRUE(working.ConfigModified);

  working.ConfigModified = false;
  choice = TopicDialogInitial(settings);
  EXPECT_TRUE(choice.specify);
  EXPECT_EQ(choice.text, "Lab 1");
  EXPECT_TRUE(ApplyTopicDialog(choice, settings, working, strings, prompt));
  EXPECT_FALSE(working.ConfigModified);

  choice.specify = false;  // back to the port name; the text is kept but not used
  EXPECT_TRUE(ApplyTopicDialog(choice, settings, working, strings, prompt));
  EXPECT_EQ(settings.DDETopic, "");
  EXPECT_TRUE(working.ConfigModified);
}

}  // namespace
}  // namespace fenno

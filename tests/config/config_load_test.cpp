#include "config/config_load.h"

#include <gtest/gtest.h>

#include "config/config_file.h"
#include "config/config_samples.h"
#include "support/recording_prompt.h"

namespace fenno {
namespace {

using testing::RecordingPrompt;
using testing::RichSettings;
using testing::ScratchFolder;

class LoadConfigurationTest : public ::testing::TestWithParam<const Edition*> {
 protected:
  const Edition& edition() const { return *GetParam(); }
  Settings Defaults() const { return Settings::Defaults(edition(), kHome); }

  // Loads `path` into a record and flags that hold leftovers of an earlier session.
  LoadOutcome Load(const std::string& path) {
    settings_ = RichSettings(edition());
    working_.ConfigFileName = path;
    working_.ConfigLoaded = true;
    working_.ConfigModified = true;
    working_.SkipSavePrompt = true;
    return LoadConfiguration(settings_, working_, edition(), strings_, prompt_, kHome);
  }

  void ExpectReset() {
    EXPECT_TRUE(settings_ == Defaults());
    EXPECT_EQ(working_.ConfigFileName, "");
    EXPECT_FALSE(working_.ConfigLoaded);
    EXPECT_FALSE(working_.ConfigModified);
    EXPECT_FALSE(working_.SkipSavePrompt);
  }

  static constexpr const char* kHome = "/home/ann";
  StringTable strings_{GetParam()->kind, Language::English};
  RecordingPrompt prompt_;
  ScratchFolder folder_;
  Settings settings_;
  WorkingValues working_;
};

INSTANTIATE_TEST_SUITE_P(BothPrograms, LoadConfigurationTest,
                         ::testing::Values(&ComfennoEdition(), &NetfennoEdition()),
                         [](const auto& p) { return std::string(p.param->programName); });

// What cannot be loaded gives the defaults (a damaged file none of its values) and forgets
// the earlier file; a file that is there but unusable is reported.
TEST_P(LoadConfigurationTest, WhatCannotBeLoadedGivesTheDefaults) {
  Settings fileSettings = Defaults();
  fileSettings.FieldCount = 7;
  const std::string bytes = ConfigFileBytes(fileSettings, edition());
  const struct {
    std::string path;
    LoadOutcome outcome;
    size_t messages;
  } cases[] = {
      {"", LoadOutcome::NoFileName, 0},
      {folder_.File("missing.cfg"), LoadOutcome::NotReadable, 0},
      {folder_.Write("x.cfg", "Software Fenno Version 3.00\r\n"), LoadOutcome::Invalid, 1},
      {folder_.Write("cut.cfg", bytes.substr(0, bytes.size() * 2 / 3)), LoadOutcome::Invalid, 1},
  };
  for (const auto& c : cases) {
    prompt_.messages.clear();
    EXPECT_EQ(Load(c.path), c.outcome) << c.path;
    ExpectReset();
    ASSERT_EQ(prompt_.messages.size(), c.messages) << c.path;
    if (c.messages == 0) continue;
    EXPECT_NE(prompt_.messages[0].text.find(c.path), std::string::npos);
  }
  EXPECT_EQ(settings_.LogFilePath,
            std::string(kHome) + "/" + std::string(edition().defaultLogFileName));
  const std::array<std::string, 7> names = {"",         "General Number", "Currency",  "Fixed",
                                            "Standard", "Percent",        "Scientific"};
  EXPECT_EQ(working_.FormatNames, names);
  EXPECT_EQ(working_.FormatDisplayNames, names);
}

TEST_P(LoadConfigurationTest, AGoodFileIsLoaded) {
  const Settings fileSettings = RichSettings(edition());
  const std::string path = folder_.Write("good.cfg", ConfigFileBytes(fileSettings, edition()));
  EXPECT_EQ(Load(path), LoadOutcome::Loaded);
  EXPECT_TRUE(settings_ == fileSettings);
  EXPECT_EQ(working_.ConfigFileName, path);
  EXPECT_TRUE(working_.ConfigLoaded);
  EXPECT_FALSE(working_.ConfigModified);
  EXPECT_FALSE(working_.SkipSavePrompt);
  EXPECT_TRUE(prompt_.messages.empty());
}

TEST_P(LoadConfigurationTest, AnOldFileIsLoadedAnnouncedAndMarkedModified) {
  const Settings fileSettings = Defaults();
  const std::string path =
      folder_.Write("old.cfg", testing::OldLayoutFile(fileSettings, edition()));
  EXPECT_EQ(Load(path), LoadOutcome::LoadedOldFile);
  EXPECT_TRUE(settings_ == testing::AfterOldFileRead(fileSettings, RichSettings(edition())));
  EXPECT_TRUE(working_.ConfigLoaded);
  EXPECT_TRUE(working_.ConfigModified);
  EXPECT_EQ(prompt_.beeps, 1);
  EXPECT_EQ(prompt_.messages.size(), 1u);
}

TEST(FormatNames, DisplayNamesComeFromTheUsersLanguage) {
  WorkingValues working;
  FillFormatNames(working, StringTable(EditionKind::Comfenno, Language::German));
  EXPECT_EQ(working.FormatNames[1], "General Number");
  EXPECT_EQ(working.FormatNames[6], "Scientific");
  EXPECT_EQ(working.FormatDisplayNames[1], "Allgemeine Zahl");
  EXPECT_EQ(working.FormatDisplayNames[6], "Wissenschaftlich");
}

}  // namespace
}  // namespace fenno

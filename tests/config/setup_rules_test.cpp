#include "config/setup_rules.h"

#include <gtest/gtest.h>

#include "config/recent_files.h"

namespace fenno {
namespace {

TEST(RecentFilesTest, KeepsFourMostRecentFirstWithoutDuplicates) {
  struct Row {
    std::vector<std::string> added;
    std::vector<std::string> expected;
  };
  const Row rows[] = {
      {{"a"}, {"a"}},
      {{"a", "b", "c", "d"}, {"d", "c", "b", "a"}},
      {{"a", "b", "c", "d", "e"}, {"e", "d", "c", "b"}},  // the oldest falls off
      {{"a", "b", "c", "b"}, {"b", "c", "a"}},            // moves up, no duplicate
      {{"a", "b", "c", "d", "a"}, {"a", "d", "c", "b"}},  // the last one moves to the top
      {{"a", "A"}, {"A", "a"}},                           // file names keep their case
      {{"a", ""}, {"a"}},
  };
  for (const Row& row : rows) {
    RecentFiles recent;
    for (const std::string& path : row.added) recent.Add(path);
    EXPECT_EQ(recent.entries(), row.expected) << ::testing::PrintToString(row.added);
  }
}

TEST(RecentFilesTest, ReadsUntilTheFirstGapAndWritesWhatItHolds) {
  MemoryUserStore store;
  store.Set("Comfenno", "MRUFiles", "0", "/x/one.DE3");
  store.Set("Comfenno", "MRUFiles", "1", "/x/two.DE3");
  store.Set("Comfenno", "MRUFiles", "2", "");
  store.Set("Comfenno", "MRUFiles", "3", "/x/four.DE3");
  RecentFiles recent;
  recent.Read(store, "Comfenno");
  EXPECT_EQ(recent.entries(), (std::vector<std::string>{"/x/one.DE3", "/x/two.DE3"}));

  recent.Add("/x/new.DE3");
  MemoryUserStore written;
  recent.Write(written, "Netfenno");
  EXPECT_EQ(written.Get("Netfenno", "MRUFiles", "0"), "/x/new.DE3");
  EXPECT_EQ(written.Get("Netfenno", "MRUFiles", "2"), "/x/two.DE3");
  EXPECT_EQ(written.Get("Netfenno", "MRUFiles", "3"), std::nullopt);
}

TEST(SetupCaptionTest, NamesTheFileAfterItsLastSeparator) {
  const StringTable comfenno(EditionKind::Comfenno, Language::English);
  const StringTable netfenno(EditionKind::Netfenno, Language::English);
  EXPECT_EQ(SetupCaption(comfenno, ""), "Comfenno Pro Setup (Untitled)");
  EXPECT_EQ(SetupCaption(comfenno, "/home/ann/scale.DE3"), "Comfenno Pro Setup(scale.DE3)");
  EXPECT_EQ(SetupCaption(comfenno, "C:\\cfg\\old.DE3"), "Comfenno Pro Setup(old.DE3)");
  EXPECT_EQ(SetupCaption(comfenno, "plain.DE3"), "Comfenno Pro Setup(plain.DE3)");
  EXPECT_EQ(SetupCaption(netfenno, ""), "Netfenno Setup (Untitled)");
  EXPECT_EQ(SetupCaption(netfenno, "/srv/line.DO3"), "Netfenno Setup(line.DO3)");
}

TEST(PreferenceTest, EachToggleFlipsItsSettingAndMarksTheConfigurationModified) {
  for (const PreferenceItem& item : PreferenceItems()) {
    Settings settings = Settings::Defaults(ComfennoEdition(), "/tmp");
    settings.EngineButtons = kShowBreakButton;
    const Settings before = settings;
    WorkingValues working;
    const bool wasChecked = PreferenceChecked(item.preference, settings);
    TogglePreference(item.preference, settings, working);
    EXPECT_NE(PreferenceChecked(item.preference, settings), wasChecked) << item.name;
    EXPECT_TRUE(working.ConfigModified) << item.name;
    EXPECT_FALSE(settings == before) << item.name;
    working.ConfigModified = false;
    TogglePreference(item.preference, settings, working);
    EXPECT_TRUE(settings == before) << item.name;  // twice gives back the old value
    EXPECT_TRUE(working.ConfigModified) << item.name;
  }
}

TEST(PreferenceTest, LineButtonsAreBitsOfEngineButtonsInTheSerialProgramOnly) {
  Settings settings = Settings::Defaults(ComfennoEdition(), "/tmp");
  WorkingValues working;
  settings.EngineButtons = kShowBreakButton;
  TogglePreference(Preference::DisplayDtr, settings, working);
  EXPECT_EQ(settings.EngineButtons, kShowDtrButton | kShowBreakButton);
  TogglePreference(Preference::DisplayBreak, settings, working);
  EXPECT_EQ(settings.EngineButtons, kShowDtrButton);
  EXPECT_TRUE(PreferenceAvailable(Preference::DisplayDtr, ComfennoEdition()));
  EXPECT_FALSE(PreferenceAvailable(Preference::DisplayDtr, NetfennoEdition()));
  EXPECT_FALSE(PreferenceAvailable(Preference::DisplayBreak, NetfennoEdition()));
  EXPECT_TRUE(PreferenceAvailable(Preference::ShowDateTime, NetfennoEdition()));
}

TEST(SetupMenuStateTest, NetfennoActivatesOnlyWithCompleteConnectionSettings) {
  struct Row {
    int16_t mode;
    const char* host;
    const char* remotePort;
    const char* localPort;
    bool enabled;
  };
  const Row rows[] = {
      {0, "10.0.0.5", "4001", "", true},   {0, "", "4001", "", false},
      {0, "10.0.0.5", "", "", false},      {0, "10.0.0.5", "0", "", false},
      {0, "10.0.0.5", " 23x", "", true},   {1, "", "", "4001", true},
      {1, "10.0.0.5", "4001", "0", false}, {1, "", "", "abc", false},
  };
  for (const Row& row : rows) {
    Settings settings = Settings::Defaults(NetfennoEdition(), "/tmp");
    settings.TcpMode = row.mode;
    settings.TcpRemoteHost = row.host;
    settings.TcpRemotePort = row.remotePort;
    settings.TcpLocalPort = row.localPort;
    const SetupMenuState state = SetupMenuStateOf(NetfennoEdition(), settings);
    EXPECT_EQ(state.normalEnabled, row.enabled)
        << row.mode << " " << row.host << " " << row.remotePort << " " << row.localPort;
    EXPECT_EQ(state.testEnabled, row.enabled);
    EXPECT_EQ(state.analyzeEnabled, row.enabled);
    // The serial program has nothing to complete.
    EXPECT_TRUE(SetupMenuStateOf(ComfennoEdition(), settings).normalEnabled);
  }
}

TEST(OutputMethodTest, ChoosingAnotherMethodOrLogFileModifiesTheConfiguration) {
  Settings settings = Settings::Defaults(ComfennoEdition(), "/tmp");
  EXPECT_FALSE(ChooseOutputMethod(kSendKeystrokes, settings));
  EXPECT_TRUE(ChooseOutputMethod(kDdeServer, settings));
  EXPECT_EQ(SetupMenuStateOf(ComfennoEdition(), settings).checkedOutputMethod, kDdeServer);
  EXPECT_TRUE(StoreLogFileChoice(settings.LogFilePath, settings));  // method changed
  EXPECT_FALSE(StoreLogFileChoice(settings.LogFilePath, settings));
  EXPECT_TRUE(StoreLogFileChoice("/var/log/scale.log", settings));
  EXPECT_EQ(settings.OutputMethod, kLogToDisk);
}

TEST(SetupRulesTest, ActivationPortNameAndDefaultExtension) {
  Settings settings = Settings::Defaults(ComfennoEdition(), "/tmp");
  settings.PortIndex = 4;
  settings.TcpRemoteHost = "10.0.0.5";
  EXPECT_EQ(ActivationPortName(ComfennoEdition(), settings), "COM5");
  EXPECT_EQ(ActivationPortName(NetfennoEdition(), settings), "10.0.0.5");

  const std::pair<const char*, const char*> names[] = {
      {"/a/scale", "/a/scale.DE3"},     {"/a/scale.DE3", "/a/scale.DE3"},
      {"/a/scale.txt", "/a/scale.txt"}, {"/a.b/scale", "/a.b/scale.DE3"},
      {"/a/.hidden", "/a/.hidden.DE3"}, {"scale", "scale.DE3"},
  };
  for (const auto& [chosen, expected] : names)
    EXPECT_EQ(WithDefaultExtension(chosen, ".DE3"), expected) << chosen;
}

}  // namespace
}  // namespace fenno

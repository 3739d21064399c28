#include "config/setup_rules.h"

#include <gtest/gtest.h>

#include "config/recent_files.h"

namespace fenno {
namespace {

TEST(RecentFilesTest, KeepsFourMostRecentFirstWithoutDuplicates) {
  const std::pair<std::vector<std::string>, std::vector<std::string>> rows[] = {
      {{"a", "b", "c", "d", "e"}, {"e", "d", "c", "b"}},  // the oldest falls off
      {{"a", "b", "c", "b"}, {"b", "c", "a"}},            // moves up, no duplicate
      {{"a", "b", "c", "d", "a"}, {"a", "d", "c", "b"}},
      {{"a", "A", ""}, {"A", "a"}},  // names keep their case; nothing empty
  };
  for (const auto& [added, expected] : rows) {
    RecentFiles recent;
    for (const std::string& path : added) recent.Add(path);
    EXPECT_EQ(recent.entries(), expected) << ::testing::PrintToString(added);
  }
  MemoryUserStore store;
  for (const char* key : {"0", "1", "3"}) store.Set("Comfenno", "MRUFiles", key, key);
  RecentFiles recent;
  recent.Read(store, "Comfenno");  // up to the first gap
  EXPECT_EQ(recent.entries(), (std::vector<std::string>{"0", "1"}));
  recent.Add("new");
  recent.Write(store, "Netfenno");
  EXPECT_EQ(store.Get("Netfenno", "MRUFiles", "2"), "1");
  EXPECT_EQ(store.Get("Netfenno", "MRUFiles", "3"), std::nullopt);
}

TEST(SetupRulesTest, CaptionNamesTheFileAfterItsLastSeparator) {
  const StringTable comfenno(EditionKind::Comfenno, Language::English);
  const StringTable netfenno(EditionKind::Netfenno, Language::English);
  EXPECT_EQ(SetupCaption(comfenno, ""), "Comfenno Pro Setup (Untitled)");
  EXPECT_EQ(SetupCaption(comfenno, "/home/ann/scale.DE3"), "Comfenno Pro Setup(scale.DE3)");
  EXPECT_EQ(SetupCaption(comfenno, "C:\\cfg\\old.DE3"), "Comfenno Pro Setup(old.DE3)");
  EXPECT_EQ(SetupCaption(netfenno, ""), "Netfenno Setup (Untitled)");
  EXPECT_EQ(SetupCaption(netfenno, "line.DO3"), "Netfenno Setup(line.DO3)");
}

TEST(SetupRulesTest, EachPreferenceTogglesBackAndMarksTheConfigurationModifiedEachTime) {
  for (const PreferenceItem& item : PreferenceItems()) {
    Settings settings = Settings::Defaults(ComfennoEdition(), "/tmp");
    settings.EngineButtons = kShowBreakButton;
    const Settings before = settings;
    WorkingValues working;
    TogglePreference(item.preference, settings, working);
    EXPECT_NE(PreferenceChecked(item.preference, settings),
              PreferenceChecked(item.preference, before))
        << item.name;
    EXPECT_TRUE(working.ConfigModified) << item.name;
    working.ConfigModified = false;
    TogglePreference(item.preference, settings, working);
    EXPECT_TRUE(settings == before) << item.name;
    EXPECT_TRUE(working.ConfigModified) << item.name;
  }
  Settings settings = Settings::Defaults(ComfennoEdition(), "/tmp");
  WorkingValues working;
  TogglePreference(Preference::DisplayDtr, settings, working);
  EXPECT_EQ(settings.EngineButtons, kShowDtrButton);  // one bit of the buttons
  EXPECT_FALSE(PreferenceAvailable(Preference::DisplayDtr, NetfennoEdition()));
}

TEST(SetupRulesTest, NetfennoActivatesOnlyWithCompleteConnectionSettings) {
  struct Row {
    int16_t mode;
    const char *host, *remotePort, *localPort;
    bool enabled;
  };
  const Row rows[] = {
      {0, "10.0.0.5", "4001", "", true}, {0, "", "4001", "", false},
      {0, "10.0.0.5", "0", "", false},   {0, "10.0.0.5", " 23x", "", true},
      {1, "", "", "4001", true},         {1, "10.0.0.5", "4001", "abc", false},
  };
  for (const Row& row : rows) {
    Settings settings = Settings::Defaults(NetfennoEdition(), "/tmp");
    settings.TcpMode = row.mode;
    settings.TcpRemoteHost = row.host;
    settings.TcpRemotePort = row.remotePort;
    settings.TcpLocalPort = row.localPort;
    const SetupMenuState state = SetupMenuStateOf(NetfennoEdition(), settings);
    EXPECT_EQ(state.normalEnabled && state.testEnabled && state.analyzeEnabled, row.enabled)
        << row.mode << " " << row.host << " " << row.remotePort << " " << row.localPort;
    EXPECT_TRUE(SetupMenuStateOf(ComfennoEdition(), settings).normalEnabled);
    // An open terminal holds the port: its settings and a second terminal wait.
    const SetupMenuState busy = SetupMenuStateOf(NetfennoEdition(), settings, true);
    EXPECT_FALSE(busy.analyzeEnabled || busy.portSettingsEnabled);
    EXPECT_EQ(busy.normalEnabled, row.enabled);
  }
}

TEST(SetupRulesTest, ASavedNameWithoutExtensionGetsTheDefaultOne) {
  const std::pair<const char*, const char*> names[] = {
      {"/a/scale", "/a/scale.DE3"},
      {"/a/scale.txt", "/a/scale.txt"},
      {"/a.b/scale", "/a.b/scale.DE3"},
      {"/a/.hidden", "/a/.hidden.DE3"},
  };
  for (const auto& [chosen, expected] : names)
    EXPECT_EQ(WithDefaultExtension(chosen, ".DE3"), expected) << chosen;
}

}  // namespace
}  // namespace fenno

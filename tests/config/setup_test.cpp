#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "config/config_file.h"
#include "config/config_samples.h"
#include "config/recent_files.h"
#include "config/setup_files.h"
#include "config/setup_rules.h"
#include "config/setup_text_ids.h"
#include "support/recording_prompt.h"

namespace fenno {
namespace {

using testing::RecordingPrompt;
using testing::ScratchFolder;

TEST(RecentFilesTest, KeepsFourMostRecentFirstWithoutDuplicates) {
  const std::pair<std::vector<std::string>, std::vector<std::string>> rows[] = {
      {{"a", "b", "c", "d", "e"}, {"e", "d", "c", "b"}},  // the oldest falls off
      {{"a", "b", "c", "b"}, {"b", "c", "a"}},            // moves up, no duplicate
      {{"a", "A", ""}, {"A", "a"}},                       // names keep their case; nothing empty
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

TEST(SetupRulesTest, CaptionAndSavedFileNames) {
  const StringTable comfenno(EditionKind::Comfenno, Language::English);
  const StringTable netfenno(EditionKind::Netfenno, Language::English);
  EXPECT_EQ(SetupCaption(comfenno, ""), "Comfenno Pro Setup (Untitled)");
  EXPECT_EQ(SetupCaption(comfenno, "/home/ann/scale.DE3"), "Comfenno Pro Setup(scale.DE3)");
  EXPECT_EQ(SetupCaption(comfenno, "C:\\cfg\\old.DE3"), "Comfenno Pro Setup(old.DE3)");
  EXPECT_EQ(SetupCaption(netfenno, ""), "Netfenno Setup (Untitled)");
  // A name saved without an extension gets the default one.
  const std::pair<const char*, const char*> names[] = {
      {"/a/scale", "/a/scale.DE3"},
      {"/a/scale.txt", "/a/scale.txt"},
      {"/a.b/scale", "/a.b/scale.DE3"},
      {"/a/.hidden", "/a/.hidden.DE3"},
  };
  for (const auto& [chosen, expected] : names)
    EXPECT_EQ(WithDefaultExtension(chosen, ".DE3"), expected) << chosen;
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

class SetupFilesTest : public ::testing::Test {
 protected:
  std::string Saved(const std::string& name, int16_t fieldCount) {
    settings_.FieldCount = fieldCount;
    EXPECT_TRUE(
        WriteConfigFile(folder_.File(name), settings_, ComfennoEdition(), strings_, prompt_));
    return folder_.File(name);
  }

  ScratchFolder folder_;
  StringTable strings_{EditionKind::Comfenno, Language::English};
  RecordingPrompt prompt_;
  Settings settings_ = Settings::Defaults(ComfennoEdition(), "/home/ann");
  WorkingValues working_;
  RecentFiles recent_;
  SetupFiles files_{{ComfennoEdition(), settings_, working_, strings_, prompt_, recent_, "/"}};
};

TEST_F(SetupFilesTest, SaveQuestionAnswersBeforeNew) {
  struct Row {
    bool named;
    PromptAnswer answer;
    bool chooseName;  // under an untitled Yes, Save As: a name, or Cancel
    bool goesOn;
  };
  const Row rows[] = {
      {true, PromptAnswer::Yes, false, true},     {true, PromptAnswer::No, false, true},
      {true, PromptAnswer::Cancel, false, false}, {false, PromptAnswer::Yes, true, true},
      {false, PromptAnswer::Yes, false, false},   {false, PromptAnswer::Cancel, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.named) + " answer " + std::to_string(int(row.answer)));
    const std::string target = folder_.File("saved.DE3");
    std::filesystem::remove(target);
    working_.ConfigFileName = row.named ? target : "";
    working_.ConfigLoaded = row.named;
    working_.ConfigModified = true;
    settings_.FieldCount = 7;
    prompt_ = RecordingPrompt();
    prompt_.ScriptAnswer(row.answer);
    if (row.chooseName) prompt_.ScriptFile(folder_.File("saved"));

    EXPECT_EQ(files_.New(), row.goesOn);
    ASSERT_EQ(prompt_.messages.size(), 1u);
    EXPECT_EQ(prompt_.messages[0].text,
              row.named ? "File has changed. Save?" : "Save Current Configuration?");
    EXPECT_EQ(prompt_.messages[0].title, "Comfenno");
    EXPECT_EQ(settings_.FieldCount, row.goesOn ? 1 : 7);  // New gives the defaults
    EXPECT_EQ(std::filesystem::exists(target), row.answer == PromptAnswer::Yes && row.goesOn);
  }
}

TEST_F(SetupFilesTest, OpenAndRecentFilesLoadAndListEvenWhatIsDamaged) {
  const std::string three = Saved("three.DE3", 3);
  const std::string damaged =
      folder_.Write("damaged.DE3", std::string(ComfennoEdition().currentHeader) + "\r\n x\r\n");
  prompt_.ScriptFile(three);
  EXPECT_TRUE(files_.Open());
  EXPECT_EQ(prompt_.fileRequests[0].filter, "Comfenno Config (*.DE3);;All Files (*)");
  EXPECT_EQ(settings_.FieldCount, 3);
  EXPECT_FALSE(files_.Open());  // cancelled: nothing changes
  EXPECT_EQ(working_.ConfigFileName, three);

  prompt_.ScriptFile(damaged);  // the file message, the defaults, untitled, still listed
  EXPECT_TRUE(files_.Open());
  ASSERT_EQ(prompt_.messages.size(), 1u);
  EXPECT_EQ(prompt_.messages[0].title, "Comfenno File Error");
  EXPECT_EQ(settings_.FieldCount, 1);
  EXPECT_EQ(working_.ConfigFileName, "");
  EXPECT_EQ(recent_.entries(), (std::vector<std::string>{damaged, three}));

  EXPECT_TRUE(files_.OpenRecent(1));
  EXPECT_EQ(settings_.FieldCount, 3);
  EXPECT_EQ(recent_.entries(), (std::vector<std::string>{three, damaged}));
  std::filesystem::remove(three);  // gone since: the defaults, and the reason
  EXPECT_TRUE(files_.OpenRecent(0));
  EXPECT_EQ(settings_.FieldCount, 1);
  EXPECT_NE(prompt_.messages.back().text.find(three), std::string::npos);
}

TEST_F(SetupFilesTest, SaveAsAddsTheExtensionAndAFailedWriteChangesNothing) {
  working_.ConfigModified = true;
  prompt_.ScriptFile(folder_.File("first"));
  EXPECT_TRUE(files_.SaveAs());
  EXPECT_EQ(working_.ConfigFileName, folder_.File("first.DE3"));
  EXPECT_TRUE(working_.ConfigLoaded);
  EXPECT_FALSE(working_.ConfigModified);

  working_.ConfigModified = true;  // a missing folder: "File I/O Error", nothing changes
  prompt_.ScriptFile(folder_.File("missing/second.DE3"));
  EXPECT_FALSE(files_.SaveAs());
  ASSERT_EQ(prompt_.messages.size(), 1u);
  EXPECT_EQ(prompt_.messages[0].text, "File I/O Error");
  EXPECT_EQ(working_.ConfigFileName, folder_.File("first.DE3"));
  EXPECT_TRUE(working_.ConfigModified);
  EXPECT_EQ(recent_.entries(), std::vector<std::string>{folder_.File("first.DE3")});

  // Failing under the save question stops the operation that asked, as Cancel does.
  prompt_.ScriptAnswer(PromptAnswer::Yes);
  working_.ConfigFileName = folder_.File("missing/third.DE3");
  EXPECT_FALSE(files_.New());
  EXPECT_TRUE(working_.ConfigModified);
}

// (The setup window's test takes a file in a good folder.)
TEST_F(SetupFilesTest, LogFileInAFolderItCannotBeMadeInIsToldAndChosenAgain) {
  const std::string closed = folder_.File("closed");
  std::filesystem::create_directory(closed);
  std::filesystem::permissions(
      closed, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  std::vector<std::pair<std::string, int>> rows = {
      {folder_.File("missing/data.log"), str::kLogFolderMissing}};
  if (::access(closed.c_str(), W_OK) != 0)  // root writes anywhere
    rows.emplace_back(closed + "/data.log", str::kLogFolderNotWritable);
  for (const auto& [chosen, message] : rows) {
    prompt_ = RecordingPrompt();
    prompt_.ScriptFile(chosen);
    prompt_.ScriptFile(std::nullopt);  // the dialog again: cancelled
    EXPECT_FALSE(files_.ChooseLogFile());
    ASSERT_EQ(prompt_.messages.size(), 1u);
    const std::string folder = std::filesystem::path(chosen).parent_path().string();
    EXPECT_EQ(prompt_.messages[0].text, strings_.Format(message, {folder}));
    ASSERT_EQ(prompt_.fileRequests.size(), 2u);
    EXPECT_EQ(prompt_.fileRequests[1].initialPath, chosen);
    EXPECT_NE(settings_.OutputMethod, kLogToDisk);
    EXPECT_FALSE(working_.ConfigModified);
  }
  std::filesystem::permissions(closed, std::filesystem::perms::owner_all);
}

}  // namespace
}  // namespace fenno

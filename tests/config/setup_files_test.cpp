#include "config/setup_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "config/config_file.h"
#include "config/config_samples.h"
#include "config/setup_text_ids.h"
#include "support/recording_prompt.h"

namespace fenno {
namespace {

using testing::RecordingPrompt;
using testing::ScratchFolder;

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
  EXPECT_EQ(prompt_.fileRequests[0].title, "Open Comfenno Configuration...");
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
  EXPECT_EQ(prompt_.fileRequests[0].title, "Save Comfenno Configuration As...");
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

}  // namespace
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

}  // namespace fenno

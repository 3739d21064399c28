#include "config/setup_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "config/config_file.h"
#include "config/config_samples.h"
#include "support/recording_prompt.h"

namespace fenno {
namespace {

using testing::RecordingPrompt;
using testing::ScratchFolder;

class SetupFilesTest : public ::testing::Test {
 protected:
  // A modified configuration, named `name` in the scratch folder or untitled.
  void Modified(const std::string& name) {
    working_.ConfigFileName = name.empty() ? "" : folder_.File(name);
    working_.ConfigLoaded = !name.empty();
    working_.ConfigModified = true;
    settings_.FieldCount = 7;
  }
  std::string Saved(const std::string& name) {
    return WriteConfigFile(folder_.File(name), settings_, ComfennoEdition(), strings_, prompt_)
               ? folder_.File(name)
               : "";
  }
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const PromptMessage& message : prompt_.messages) texts.push_back(message.text);
    return texts;
  }

  ScratchFolder folder_;
  StringTable strings_{EditionKind::Comfenno, Language::English};
  RecordingPrompt prompt_;
  Settings settings_ = Settings::Defaults(ComfennoEdition(), "/home/ann");
  WorkingValues working_;
  RecentFiles recent_;
  SetupFiles files_{
      {ComfennoEdition(), settings_, working_, strings_, prompt_, recent_, "/home/ann"}};
};

TEST_F(SetupFilesTest, SaveQuestionAnswersBeforeNew) {
  struct Row {
    const char* name;  // "" untitled
    PromptAnswer answer;
    bool chooseName;  // the Save As dialog under an untitled Yes: a name or Cancel
    bool goesOn;
    const char* question;
  };
  const Row rows[] = {
      {"named.DE3", PromptAnswer::Yes, false, true, "File has changed. Save?"},
      {"named.DE3", PromptAnswer::No, false, true, "File has changed. Save?"},
      {"named.DE3", PromptAnswer::Cancel, false, false, "File has changed. Save?"},
      {"", PromptAnswer::Yes, true, true, "Save Current Configuration?"},
      {"", PromptAnswer::Yes, false, false, "Save Current Configuration?"},
      {"", PromptAnswer::No, false, true, "Save Current Configuration?"},
      {"", PromptAnswer::Cancel, false, false, "Save Current Configuration?"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.name) + " answer " + std::to_string(int(row.answer)));
    std::filesystem::remove_all(folder_.path());
    std::filesystem::create_directory(folder_.path());
    settings_ = Settings::Defaults(ComfennoEdition(), "/home/ann");
    Modified(row.name);
    prompt_ = RecordingPrompt();
    prompt_.ScriptAnswer(row.answer);
    if (row.chooseName) prompt_.ScriptFile(folder_.File("chosen"));

    EXPECT_EQ(files_.New(), row.goesOn);
    ASSERT_EQ(prompt_.messages.size(), 1u);
    EXPECT_EQ(prompt_.messages[0].text, row.question);
    EXPECT_EQ(prompt_.messages[0].title, "Comfenno");
    EXPECT_EQ(prompt_.messages[0].buttons, PromptButtons::YesNoCancel);
    EXPECT_EQ(files_.saveCancelled(), !row.goesOn);
    EXPECT_EQ(settings_.FieldCount, row.goesOn ? 1 : 7);  // New gave the defaults
    const bool written = row.answer == PromptAnswer::Yes && row.goesOn;
    const std::string target = *row.name ? folder_.File(row.name) : folder_.File("chosen.DE3");
    EXPECT_EQ(std::filesystem::exists(target), written) << target;
  }
}

TEST_F(SetupFilesTest, NoQuestionWhenNothingChangedOrSkipped) {
  working_.ConfigModified = false;
  EXPECT_TRUE(files_.AskToSave());
  working_.ConfigModified = true;
  working_.SkipSavePrompt = true;
  EXPECT_TRUE(files_.AskToSave());
  EXPECT_TRUE(prompt_.messages.empty());
}

TEST_F(SetupFilesTest, OpenLoadsTheChosenFileAndListsIt) {
  settings_.FieldCount = 3;
  const std::string path = Saved("scale.DE3");
  settings_ = Settings::Defaults(ComfennoEdition(), "/home/ann");
  prompt_.ScriptFile(path);
  EXPECT_TRUE(files_.Open());
  ASSERT_EQ(prompt_.fileRequests.size(), 1u);
  EXPECT_EQ(prompt_.fileRequests[0].title, "Open Comfenno Configuration...");
  EXPECT_EQ(prompt_.fileRequests[0].filter, "Comfenno Config (*.DE3);;All Files (*)");
  EXPECT_EQ(settings_.FieldCount, 3);
  EXPECT_EQ(working_.ConfigFileName, path);
  EXPECT_TRUE(working_.ConfigLoaded);
  EXPECT_EQ(recent_.entries(), std::vector<std::string>{path});

  // Cancelling the dialog changes nothing.
  EXPECT_FALSE(files_.Open());
  EXPECT_EQ(working_.ConfigFileName, path);
  EXPECT_EQ(prompt_.fileRequests[1].initialPath, path);
}

TEST_F(SetupFilesTest, DamagedFileGivesTheMessageTheDefaultsAndStillEntersTheList) {
  const std::string damaged =
      folder_.Write("damaged.DE3", "Comfenno Pro Configuration File Version 4.00\r\n x\r\n");
  settings_.FieldCount = 5;
  prompt_.ScriptFile(damaged);
  EXPECT_TRUE(files_.Open());
  EXPECT_EQ(MessageTexts().size(), 1u);
  EXPECT_EQ(prompt_.messages[0].title, "Comfenno File Error");
  EXPECT_TRUE(settings_ == Settings::Defaults(ComfennoEdition(), "/home/ann"));
  EXPECT_EQ(working_.ConfigFileName, "");  // the untitled caption
  EXPECT_EQ(recent_.entries(), std::vector<std::string>{damaged});
}

TEST_F(SetupFilesTest, SaveAsAddsTheExtensionAndAFailedWriteChangesNothing) {
  Modified("");
  prompt_.ScriptFile(folder_.File("first"));
  EXPECT_TRUE(files_.SaveAs());
  EXPECT_EQ(prompt_.fileRequests[0].title, "Save Comfenno Configuration As...");
  EXPECT_EQ(prompt_.fileRequests[0].defaultExtension, ".DE3");
  EXPECT_EQ(working_.ConfigFileName, folder_.File("first.DE3"));
  EXPECT_TRUE(working_.ConfigLoaded);
  EXPECT_FALSE(working_.ConfigModified);
  EXPECT_EQ(recent_.entries(), std::vector<std::string>{folder_.File("first.DE3")});

  // A missing folder, then a read-only one: "File I/O Error", and nothing changes.
  working_.ConfigModified = true;
  const std::string readOnly = folder_.File("locked");
  std::filesystem::create_directory(readOnly);
  ::chmod(readOnly.c_str(), 0555);
  const bool root = ::geteuid() == 0;  // root writes into read-only folders
  for (const std::string& target : {folder_.File("missing/second.DE3"), readOnly + "/third.DE3"}) {
    if (root && target.rfind(readOnly, 0) == 0) continue;
    prompt_.messages.clear();
    prompt_.ScriptFile(target);
    EXPECT_FALSE(files_.SaveAs()) << target;
    ASSERT_EQ(prompt_.messages.size(), 1u) << target;
    EXPECT_EQ(prompt_.messages[0].text, "File I/O Error");
    EXPECT_EQ(working_.ConfigFileName, folder_.File("first.DE3"));
    EXPECT_TRUE(working_.ConfigModified);
    EXPECT_EQ(recent_.entries().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(target));
  }
  ::chmod(readOnly.c_str(), 0755);

  // Save on an untitled configuration asks for a name; cancelling leaves it modified.
  working_.ConfigFileName.clear();
  EXPECT_FALSE(files_.Save());
  EXPECT_TRUE(files_.saveCancelled());
  EXPECT_TRUE(working_.ConfigModified);
}

TEST_F(SetupFilesTest, RecentEntryMovesToTheTopAndLoads) {
  settings_.FieldCount = 2;
  const std::string two = Saved("two.DE3");
  settings_.FieldCount = 4;
  const std::string four = Saved("four.DE3");
  recent_.Add(two);
  recent_.Add(four);
  EXPECT_TRUE(files_.OpenRecent(1));
  EXPECT_EQ(settings_.FieldCount, 2);
  EXPECT_EQ(recent_.entries(), (std::vector<std::string>{two, four}));
  EXPECT_FALSE(files_.OpenRecent(2));

  // A listed file that has gone away: the defaults, and the reason.
  std::filesystem::remove(four);
  EXPECT_TRUE(files_.OpenRecent(1));
  EXPECT_EQ(settings_.FieldCount, 1);
  ASSERT_EQ(prompt_.messages.size(), 1u);
  EXPECT_NE(prompt_.messages[0].text.find(four), std::string::npos);
}

TEST_F(SetupFilesTest, NetfennoTextsAndExtension) {
  const StringTable strings(EditionKind::Netfenno, Language::English);
  Settings settings = Settings::Defaults(NetfennoEdition(), "/home/ann");
  SetupFiles files({NetfennoEdition(), settings, working_, strings, prompt_, recent_, "/home/ann"});
  EXPECT_EQ(files.OpenRequest().title, "Open TCP Fenno Configuration...");
  EXPECT_EQ(files.SaveAsRequest().title, "Save Netfenno Configuration As...");
  EXPECT_EQ(files.SaveAsRequest().filter, "Netfenno Config (*.DO3);;All Files (*)");
  EXPECT_EQ(files.SaveAsRequest().defaultExtension, ".DO3");
  working_.ConfigModified = true;
  prompt_.ScriptAnswer(PromptAnswer::Cancel);
  EXPECT_FALSE(files.New());
  EXPECT_EQ(prompt_.messages.back().title, "TCP Fenno");
}

}  // namespace
}  // namespace fenno

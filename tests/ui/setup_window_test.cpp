// The setup window on the offscreen platform, driven through its menu items; the rules
// behind them have their own tests (tests/config/setup_*_test.cpp).

#include "ui/setup_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <cstdlib>
#include <filesystem>

#include "config/config_file.h"
#include "support/qt_widgets.h"
#include "support/recording_prompt.h"
#include "support/test_files.h"
#include "ui/help_pages.h"

namespace fenno {
namespace {

class SetupWindowTest : public ::testing::Test {
 protected:
  explicit SetupWindowTest(const Edition& edition = ComfennoEdition()) : edition_(edition) {}
  void SetUp() override {
    // The engine's own per-user store (device paths) stays out of the user's files.
    ::setenv("XDG_CONFIG_HOME", folder_.path().c_str(), 1);
    window_ = std::make_unique<SetupWindow>(SetupContext{
        {edition_, settings_, working_, prompt_, strings_, regional_, store_}, "/home/ann"});
    QObject::connect(window_.get(), &SetupWindow::ProgramEnded, [this] { ++programEnds_; });
    ASSERT_EQ(window_->StartUp(""), std::nullopt);
  }
  void TearDown() override {
    window_.reset();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  QAction& Item(const char* name) { return *window_->findChild<QAction*>(QLatin1String(name)); }
  // Opening a menu refreshes its items.
  void OpenMenu(const char* name) {
    emit window_->findChild<QMenu*>(QLatin1String(name))->aboutToShow();
  }
  std::string Caption() const { return window_->windowTitle().toStdString(); }
  void AfterEvents() {
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  // A Netfenno client opens without a peer: it keeps trying.
  void Connectable() {
    settings_.TcpRemoteHost = "127.0.0.1";
    settings_.TcpRemotePort = "9";
  }

  const Edition& edition_;
  testing::ScratchFolder folder_;
  StringTable strings_{edition_.kind, Language::English};
  RegionalSettings regional_;
  testing::RecordingPrompt prompt_;
  MemoryUserStore store_;
  Settings settings_ = Settings::Defaults(edition_, "/home/ann");
  WorkingValues working_;
  std::unique_ptr<SetupWindow> window_;
  int programEnds_ = 0;
};

class NetfennoSetupWindowTest : public SetupWindowTest {
 protected:
  NetfennoSetupWindowTest() : SetupWindowTest(NetfennoEdition()) {}
};

TEST_F(SetupWindowTest, FileItemsAskBeforeReplacingChangesAndRefreshTheCaption) {
  const std::string path = folder_.File("scale.DE3");
  settings_.FieldCount = 3;
  ASSERT_TRUE(WriteConfigFile(path, settings_, edition_, strings_, prompt_));
  settings_.FieldCount = 9;
  working_.ConfigModified = true;

  prompt_.ScriptAnswer(PromptAnswer::Cancel);  // New: Cancel keeps everything
  Item("FileNew").trigger();
  EXPECT_EQ(settings_.FieldCount, 9);
  prompt_.ScriptAnswer(PromptAnswer::No);  // Open: No, then the file
  prompt_.ScriptFile(path);
  Item("FileLoad").trigger();
  EXPECT_EQ(settings_.FieldCount, 3);
  EXPECT_NE(Caption().find("scale.DE3"), std::string::npos);
  Item("FileNew").trigger();  // nothing changed: no question
  EXPECT_EQ(Caption().find("scale.DE3"), std::string::npos);
  Item("mnuMRU0").trigger();  // the recent file just opened
  EXPECT_NE(Caption().find("scale.DE3"), std::string::npos);

  working_.ConfigModified = true;
  prompt_.ScriptAnswer(PromptAnswer::Cancel);  // closing: Cancel keeps the window
  EXPECT_FALSE(window_->close());
  EXPECT_EQ(programEnds_, 0);
  prompt_.ScriptAnswer(PromptAnswer::Yes);  // Yes saves, then the program ends
  Item("FileExit").trigger();
  EXPECT_EQ(programEnds_, 1);
  EXPECT_FALSE(working_.ConfigModified);
  EXPECT_EQ(prompt_.messages.size(), 4u);  // New, Open, and twice closing
  EXPECT_EQ(store_.Get("Comfenno", "MRUFiles", "0"), path);
}

TEST_F(SetupWindowTest, ADeviceThatFailsLeavesTheSetupWindowAsItWas) {
  settings_.PortIndex = 98;  // COM99 has no device
  working_.ConfigModified = true;
  for (const char* mode : {"RunTest", "RunNormal"}) {
    prompt_.messages.clear();
    Item(mode).trigger();
    EXPECT_EQ(window_->engineWindow(), nullptr) << mode;
    EXPECT_TRUE(window_->isVisible()) << mode;
    EXPECT_EQ(prompt_.messages.size(), 1u) << mode;  // the device's reason, no save question
  }
  EXPECT_EQ(programEnds_, 0);
}

// Preference items show their settings checked and toggle them; Log To Disk refuses a folder
// it cannot write and asks again.
TEST_F(SetupWindowTest, ItemsShowTheirSettingsAndLogToDiskNeedsAWritableFolder) {
  settings_.ShowDateTime = true;
  OpenMenu("Run");
  EXPECT_TRUE(Item("DateTime").isChecked());
  Item("DisplayDTR").trigger();
  EXPECT_EQ(settings_.EngineButtons, kShowDtrButton);
  EXPECT_TRUE(Item("DisplayDTR").isChecked());
  EXPECT_TRUE(working_.ConfigModified);

  prompt_.ScriptFile(folder_.File("missing/data.log"));
  prompt_.ScriptFile(folder_.File("data.log"));
  Item("SaveToFile").trigger();
  EXPECT_EQ(prompt_.messages.size(), 1u);
  EXPECT_EQ(settings_.LogFilePath, folder_.File("data.log"));
  OpenMenu("XferMethod");
  EXPECT_TRUE(Item("SaveToFile").isChecked());
}

// Each item opens its dialog (known by its object name, or by its title where that tells
// which table it edits); the live-data dialog stores into the settings of its use.
TEST_F(SetupWindowTest, DefineItemsOpenTheirDialogs) {
  settings_.OutputMethod = kLogToDisk;
  const struct {
    const char* item;
    const char* dialog;
    const std::string* stored = nullptr;
  } items[] = {
      {"DefineTranslate", "Translation Table - Log To Disk Mode"},
      {"DateTime", "frmDateTimeFmt"},
      {"GetOutStrings", "SendStringForm"},
      {"MHKActions", "HotKeyFrm"},
      {"SendKeystrokes", "AppSelect"},
      {"UseDDE", "DDEParms", &settings_.DdeTargetApp},
      {"DDESource", "DDEParms", &settings_.CommandLinkApp},
      {"DDEBuffer", "DDEParms", &settings_.BufferLinkApp},
  };
  for (const auto& item : items) {
    QString name, title;
    testing::OnModal([&](QDialog& dialog) {
      name = dialog.objectName();
      title = dialog.windowTitle();
      if (auto* app = dialog.findChild<QLineEdit*>(QStringLiteral("DDEApp")))
        app->setText(QLatin1String(item.item));
      dialog.accept();
    });
    Item(item.item).trigger();
    EXPECT_TRUE(name == QLatin1String(item.dialog) || title == QLatin1String(item.dialog))
        << item.item << " opened " << name.toStdString();
    EXPECT_TRUE(!item.stored || *item.stored == item.item) << item.item;
  }
  EXPECT_EQ(settings_.OutputMethod, kDdeServer);
  EXPECT_TRUE(settings_.ShowDateTime);
  Item("DateTime").trigger();  // off: no dialog
  EXPECT_FALSE(settings_.ShowDateTime);
}

TEST_F(NetfennoSetupWindowTest, AnalyzeOpensTheTerminalWhichHoldsThePortUntilAnActivation) {
  Connectable();
  OpenMenu("PortPullDown");
  Item("PortTest").trigger();
  ASSERT_NE(window_->terminalWindow(), nullptr);
  OpenMenu("PortPullDown");
  EXPECT_FALSE(Item("PortTest").isEnabled());
  EXPECT_FALSE(Item("PortSettings").isEnabled());

  ASSERT_TRUE(window_->Activate(ActivationMode::Test));  // the terminal closes first
  AfterEvents();
  EXPECT_EQ(window_->terminalWindow(), nullptr);
  window_->engineWindow()->close();
  AfterEvents();
  OpenMenu("PortPullDown");
  EXPECT_TRUE(Item("PortTest").isEnabled() && Item("PortSettings").isEnabled());
}

// Each Activate item hides the setup window while its engine runs; Reset brings it back in
// every mode, and so does closing the engine window, except in normal mode, where that
// ends the program. Normal mode asks to save a changed configuration first.
TEST_F(NetfennoSetupWindowTest, ActivationsHideTheSetupWindowUntilResetOrClose) {
  Connectable();
  working_.ConfigModified = true;
  prompt_.ScriptAnswer(PromptAnswer::Cancel);
  EXPECT_FALSE(window_->Activate(ActivationMode::Normal));
  EXPECT_TRUE(window_->isVisible());
  prompt_.ScriptAnswer(PromptAnswer::No);
  for (const char* item : {"RunNormal", "RunTest", "RunVirtual"}) {
    Item(item).trigger();
    ASSERT_NE(window_->engineWindow(), nullptr) << item;
    EXPECT_FALSE(window_->isVisible()) << item;
    emit window_->engineWindow()->ReturnToSetupRequested();
    AfterEvents();
    EXPECT_EQ(window_->engineWindow(), nullptr) << item;
    EXPECT_EQ(window_->activationMode(), ActivationMode::Inactive);
    EXPECT_TRUE(window_->isVisible()) << item;
  }
  working_.ConfigModified = false;
  for (const char* item : {"RunVirtual", "RunNormal"}) {
    Item(item).trigger();
    window_->engineWindow()->close();
    AfterEvents();
    EXPECT_EQ(window_->isVisible(), item == std::string("RunVirtual"));
  }
  EXPECT_EQ(programEnds_, 1);  // closing normal mode's engine only
}

// Port > Settings is the connection dialog in the TCP program; what it stores decides
// whether the Activate menu may connect.
TEST_F(NetfennoSetupWindowTest, PortSettingsEnableActivationOnceTheConnectionIsComplete) {
  OpenMenu("Run");
  EXPECT_FALSE(Item("RunNormal").isEnabled());
  testing::OnModal([](QDialog& dialog) {
    testing::Child<QLineEdit>(dialog, "hostEdit").setText(QLatin1String("10.0.0.5"));
    testing::Child<QLineEdit>(dialog, "portEdit").setText(QLatin1String("502"));
    dialog.accept();
  });
  Item("PortSettings").trigger();
  EXPECT_EQ(settings_.TcpRemoteHost, "10.0.0.5");
  EXPECT_TRUE(working_.ConfigModified);
  OpenMenu("Run");
  EXPECT_TRUE(Item("RunNormal").isEnabled());
}

}  // namespace
// The Help menu finds its pages beside the built program as beside the installed one, in the
// user's language where there is one and in English otherwise.
TEST(HelpPages, ComeFromBesideTheProgramInTheUsersLanguageOrInEnglish) {
  const std::string help =
      (std::filesystem::path(std::getenv("COMFENNO_BIN")).parent_path() / kHelpFolderFromProgram)
          .string();
  EXPECT_TRUE(
      FindHelpPage(help, kQuickStartPage, Language::German).ends_with("/de/quick-start.html"));
  EXPECT_TRUE(FindHelpPage(help, kHelpIndexPage, Language::Japanese).ends_with("/ja/index.html"));
  EXPECT_TRUE(FindHelpPage(help, "ports", Language::German).ends_with("/en/ports.html"));
  EXPECT_EQ(FindHelpPage(help, "no-such-page", Language::English), "");
  EXPECT_EQ(FindHelpPage(help + "/missing", kHelpIndexPage, Language::English), "");
}

}  // namespace fenno

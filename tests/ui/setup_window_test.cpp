// The setup window on the offscreen platform, driven through its menu items; the rules
// behind them have their own tests (tests/config/setup_*_test.cpp).

#include "ui/setup_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <cstdlib>

#include "config/config_file.h"
#include "config/config_samples.h"
#include "support/recording_prompt.h"

namespace fenno {
namespace {

using testing::RecordingPrompt;
using testing::ScratchFolder;

class SetupWindowTest : public ::testing::Test {
 protected:
  explicit SetupWindowTest(const Edition& edition = ComfennoEdition()) : edition_(edition) {}
  void SetUp() override {
    // The engine's own per-user store (device paths) must not reach the user's files.
    ::setenv("XDG_CONFIG_HOME", folder_.path().c_str(), 1);
    window_ = std::make_unique<SetupWindow>(SetupContext{edition(), settings_, working_, prompt_,
                                                         strings_, regional_, store_, "/home/ann"});
    QObject::connect(window_.get(), &SetupWindow::ProgramEnded, [this] { ++programEnds_; });
    ASSERT_EQ(window_->StartUp(""), std::nullopt);
  }
  void TearDown() override {
    window_.reset();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  const Edition& edition() const { return edition_; }
  QAction& Item(const char* name) {
    auto* item = window_->findChild<QAction*>(QLatin1String(name));
    if (!item) ADD_FAILURE() << "no menu item " << name;
    return *item;
  }
  bool HasItem(const char* name) { return window_->findChild<QAction*>(QLatin1String(name)); }
  // Opens a menu as the user would, which refreshes its items.
  void OpenMenu(const char* name) {
    emit window_->findChild<QMenu*>(QLatin1String(name))->aboutToShow();
  }
  std::string Caption() const { return window_->windowTitle().toStdString(); }
  void CloseEngine() {
    ASSERT_NE(window_->engineWindow(), nullptr);
    window_->engineWindow()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  void ProcessQueuedEvents() {
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  // A Netfenno connection the engine can open without a peer: the client keeps trying.
  void Connectable() {
    settings_.TcpRemoteHost = "127.0.0.1";
    settings_.TcpRemotePort = "9";
  }

  const Edition& edition_;
  ScratchFolder folder_;
  StringTable strings_{edition_.kind, Language::English};
  RegionalSettings regional_;
  RecordingPrompt prompt_;
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

class EachProgramSetupWindowTest : public SetupWindowTest,
                                   public ::testing::WithParamInterface<const Edition*> {
 protected:
  EachProgramSetupWindowTest() : SetupWindowTest(*GetParam()) {}
};

INSTANTIATE_TEST_SUITE_P(BothPrograms, EachProgramSetupWindowTest,
                         ::testing::Values(&ComfennoEdition(), &NetfennoEdition()),
                         [](const auto& p) { return std::string(p.param->programName); });

TEST_P(EachProgramSetupWindowTest, FileItemsAskBeforeReplacingChangesAndRefreshTheCaption) {
  const std::string untitled = Caption();
  EXPECT_TRUE(window_->isVisible());
  const std::string path = folder_.File(edition().IsSerial() ? "scale.DE3" : "line.DO3");
  settings_.FieldCount = 3;
  ASSERT_TRUE(WriteConfigFile(path, settings_, edition(), strings_, prompt_));
  settings_.FieldCount = 9;
  working_.ConfigModified = true;

  prompt_.ScriptAnswer(PromptAnswer::Cancel);  // New: Cancel keeps everything
  Item("FileNew").trigger();
  EXPECT_EQ(settings_.FieldCount, 9);
  EXPECT_EQ(prompt_.messages.back().text, "Save Current Configuration?");

  prompt_.ScriptAnswer(PromptAnswer::No);  // Open: No, then the file
  prompt_.ScriptFile(path);
  Item("FileLoad").trigger();
  EXPECT_EQ(settings_.FieldCount, 3);
  const std::string named = std::string(edition().IsSerial() ? "Comfenno Pro Setup(scale.DE3)"
                                                             : "Netfenno Setup(line.DO3)");
  EXPECT_EQ(Caption(), named);
  EXPECT_TRUE(Item("mnuMRU0").isVisible());
  EXPECT_EQ(Item("mnuMRU0").text().toStdString(), "&1 " + path);
  EXPECT_FALSE(Item("mnuMRU1").isVisible());

  Item("FileNew").trigger();  // unchanged: no question
  EXPECT_EQ(Caption(), untitled);
  Item("mnuMRU0").trigger();  // the recent file loads again
  EXPECT_EQ(Caption(), named);

  working_.ConfigModified = true;
  prompt_.ScriptAnswer(PromptAnswer::Cancel);  // closing: Cancel keeps the window
  EXPECT_FALSE(window_->close());
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(programEnds_, 0);
  prompt_.ScriptAnswer(PromptAnswer::Yes);  // Yes saves, then the program ends
  settings_.FieldCount = 4;
  Item("FileExit").trigger();
  EXPECT_EQ(programEnds_, 1);
  EXPECT_EQ(prompt_.messages.back().text, "File has changed. Save?");
  EXPECT_FALSE(working_.ConfigModified);
  EXPECT_EQ(store_.Get(std::string(edition().programName), "MRUFiles", "0"), path);
}

TEST_P(EachProgramSetupWindowTest, VirtualModeHidesTheSetupWindowUntilTheEngineCloses) {
  settings_.PortIndex = 2;
  Item("RunVirtual").trigger();
  ASSERT_NE(window_->engineWindow(), nullptr);
  EXPECT_EQ(window_->activationMode(), ActivationMode::Virtual);
  EXPECT_FALSE(window_->isVisible());
  EXPECT_TRUE(window_->engineWindow()->isVisible());
  EXPECT_EQ(working_.PortName, edition().IsSerial() ? "COM3" : "");  // Netfenno: the host
  CloseEngine();
  EXPECT_EQ(window_->engineWindow(), nullptr);
  EXPECT_EQ(window_->activationMode(), ActivationMode::Inactive);
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(programEnds_, 0);
}

TEST_F(SetupWindowTest, ADeviceThatFailsLeavesTheSetupWindowAsItWas) {
  settings_.PortIndex = 98;  // COM99 has no device
  working_.ConfigModified = true;
  for (const char* mode : {"RunTest", "RunNormal"}) {
    prompt_.messages.clear();
    Item(mode).trigger();
    EXPECT_EQ(window_->engineWindow(), nullptr) << mode;
    EXPECT_TRUE(window_->isVisible()) << mode;
    ASSERT_EQ(prompt_.messages.size(), 1u) << mode;  // the device's reason, no save question
    EXPECT_NE(prompt_.messages[0].text, "File has changed. Save?");
  }
  EXPECT_TRUE(working_.ConfigModified);
  EXPECT_EQ(programEnds_, 0);
}

// Netfenno's client opens without a peer, so its normal mode needs no device.
TEST_F(NetfennoSetupWindowTest, NormalModeAsksToSaveAndEndsTheProgramWithTheEngine) {
  Connectable();
  working_.ConfigModified = true;
  prompt_.ScriptAnswer(PromptAnswer::Cancel);
  EXPECT_FALSE(window_->Activate(ActivationMode::Normal));
  EXPECT_EQ(window_->engineWindow(), nullptr);
  EXPECT_TRUE(window_->isVisible());

  prompt_.ScriptAnswer(PromptAnswer::No);
  Item("RunNormal").trigger();
  ASSERT_NE(window_->engineWindow(), nullptr);
  EXPECT_FALSE(window_->isVisible());
  CloseEngine();
  EXPECT_EQ(programEnds_, 1);
}

TEST_F(NetfennoSetupWindowTest, ResetReturnsToTheSetupWindow) {
  Connectable();
  for (ActivationMode mode :
       {ActivationMode::Normal, ActivationMode::Test, ActivationMode::Virtual}) {
    ASSERT_TRUE(window_->Activate(mode));
    emit window_->engineWindow()->ReturnToSetupRequested();
    ProcessQueuedEvents();
    EXPECT_EQ(window_->engineWindow(), nullptr);
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(programEnds_, 0);  // not even after normal mode
  }
}

TEST_P(EachProgramSetupWindowTest, PreferenceItemsShowAndToggleTheirSettings) {
  settings_.ShowDateTime = true;
  OpenMenu("Run");
  EXPECT_TRUE(Item("DateTime").isChecked());
  EXPECT_FALSE(Item("OnTop").isChecked());
  Item("OnTop").trigger();
  EXPECT_TRUE(settings_.AlwaysOnTop);
  EXPECT_TRUE(Item("OnTop").isChecked());
  EXPECT_TRUE(working_.ConfigModified);
  Item("PortControl").trigger();
  EXPECT_TRUE(settings_.BeepOnInput);
  EXPECT_EQ(HasItem("DisplayDTR"), edition().IsSerial());
  EXPECT_EQ(HasItem("DisplayBrk"), edition().IsSerial());
  if (edition().IsSerial()) {
    Item("DisplayDTR").trigger();
    EXPECT_EQ(settings_.EngineButtons, kShowDtrButton);
    EXPECT_TRUE(Item("DisplayDTR").isChecked());
  }
  // Netfenno's normal and test modes wait for complete connection settings.
  OpenMenu("Run");
  EXPECT_EQ(Item("RunNormal").isEnabled(), edition().IsSerial());
  EXPECT_EQ(Item("RunTest").isEnabled(), edition().IsSerial());
  EXPECT_TRUE(Item("RunVirtual").isEnabled());
  Connectable();
  OpenMenu("PortPullDown");
  EXPECT_TRUE(Item("RunNormal").isEnabled());
  EXPECT_TRUE(Item("PortTest").isEnabled());
}

}  // namespace
}  // namespace fenno

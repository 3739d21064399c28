// Port > Settings of both programs on the offscreen platform: OK, Cancel, the focus on a
// refusal and the boxes that refuse what is typed. The rules have their own tables
// (tests/transport/port_dialogs_test.cpp).

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <fstream>

#include "support/qt_widgets.h"
#include "support/recording_prompt.h"
#include "support/test_files.h"
#include "transport/port_names.h"
#include "ui/connection_dialog.h"
#include "ui/port_setup_dialog.h"

namespace fenno {
namespace {

using testing::Child;
using testing::RecordingPrompt;

// What a user's typing does: the text changes, then the box tells it was edited.
void Type(QLineEdit& box, const char* text) {
  box.setText(QLatin1String(text));
  emit box.textEdited(box.text());
}

void Press(QWidget& dialog, const char* button) {
  Child<QPushButton>(dialog, button).click();
}

class PortSetupDialogTest : public ::testing::Test {
 protected:
  std::unique_ptr<PortSetupDialog> Open() {
    auto dialog = std::make_unique<PortSetupDialog>(PortSetupContext{
        ComfennoEdition(), settings_, working_, store_, prompt_, strings_, root_.File("")});
    dialog->show();
    return dialog;
  }

  Settings settings_ = Settings::Defaults(ComfennoEdition(), "/tmp");
  WorkingValues working_;
  MemoryUserStore store_;
  RecordingPrompt prompt_;
  StringTable strings_{EditionKind::Comfenno, Language::English};
  testing::ScratchFolder root_;  // the sysfs and /dev the dialog sees
};

TEST_F(PortSetupDialogTest, OkStoresCancelDropsAndABadBufferSizeKeepsTheFocus) {
  for (const char* button : {"cancelButton", "okButton"}) {
    auto dialog = Open();
    QLineEdit& input = Child<QLineEdit>(*dialog, "BuffSize");
    Type(input, "4096x");   // not a digit: a beep
    Type(input, "200000");  // too large: the message
    EXPECT_EQ(input.text(), QLatin1String("4096"));
    Child<QListWidget>(*dialog, "ComPort").setCurrentRow(9);
    Child<QRadioButton>(*dialog, "Baud11").setChecked(true);
    Type(input, "100");
    Press(*dialog, button);
    if (std::string_view(button) == "cancelButton") {
      EXPECT_EQ(dialog->result(), QDialog::Rejected);
      EXPECT_EQ(settings_.PortIndex, 0);
      continue;
    }
    EXPECT_EQ(dialog->focusWidget(), &input) << "refused: the box has the focus";
    EXPECT_FALSE(working_.ConfigModified) << "nothing stored while refused";
    Type(input, "8192");
    Press(*dialog, button);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
  }
  EXPECT_EQ(prompt_.beeps, 2 + 2 + 1);  // each message beeps too
  ASSERT_EQ(prompt_.messages.size(), 3u);
  EXPECT_EQ(settings_.PortIndex, 9);
  EXPECT_EQ(settings_.BaudIndex, 11);
  EXPECT_EQ(settings_.InputBufferSize, 8192);
  EXPECT_TRUE(working_.ConfigModified);
}

TEST_F(PortSetupDialogTest, ADeviceNoPortNameStandsForIsOfferedToTheChosenPort) {
  std::filesystem::create_directories(root_.File("sys/devices/platform/uart0/tty/ttyAMA0"));
  std::filesystem::create_directories(root_.File("sys/class/tty/ttyAMA0"));
  std::filesystem::create_directory_symlink("../../../devices/platform/uart0",
                                            root_.File("sys/class/tty/ttyAMA0/device"));
  std::filesystem::create_directories(root_.File("dev"));
  std::ofstream(root_.File("dev/ttyAMA0")).put('\0');

  auto dialog = Open();
  Child<QListWidget>(*dialog, "ComPort").setCurrentRow(4);
  QComboBox& others = Child<QComboBox>(*dialog, "otherDevices");
  ASSERT_EQ(others.count(), 1);
  EXPECT_EQ(others.itemText(0), QLatin1String("/dev/ttyAMA0"));
  prompt_.ScriptAnswer(PromptAnswer::No);
  emit others.activated(0);
  EXPECT_EQ(store_.Get("Comfenno", kPortsSection, "COM5"), std::nullopt);

  emit others.activated(0);  // answered with the default, Yes
  EXPECT_EQ(prompt_.messages.size(), 2u);
  EXPECT_EQ(store_.Get("Comfenno", kPortsSection, "COM5"), "/dev/ttyAMA0");
  EXPECT_FALSE(working_.ConfigModified) << "the per-user store is not the configuration";
}

class ConnectionDialogTest : public ::testing::Test {
 protected:
  std::unique_ptr<ConnectionDialog> Open(const std::string& localAddress) {
    auto dialog = std::make_unique<ConnectionDialog>(ConnectionDialogContext{
        NetfennoEdition(), settings_, working_, store_, prompt_, strings_, localAddress});
    dialog->show();
    return dialog;
  }

  Settings settings_ = Settings::Defaults(NetfennoEdition(), "/tmp");
  WorkingValues working_;
  MemoryUserStore store_;
  RecordingPrompt prompt_;
  StringTable strings_{EditionKind::Netfenno, Language::English};
};

TEST_F(ConnectionDialogTest, OkStoresTheModeCancelDropsAndABadPeerKeepsTheFocus) {
  settings_.TcpRemoteHost = "10.0.0.5";
  settings_.TcpRemotePort = "502";
  auto dialog = Open("");
  EXPECT_FALSE(Child<QCheckBox>(*dialog, "TCPOption").isEnabled()) << "no address to serve on";
  Press(*dialog, "cancelButton");

  dialog = Open("192.168.1.20");
  QLineEdit& port = Child<QLineEdit>(*dialog, "portEdit");
  Type(port, "70000");
  EXPECT_EQ(port.text(), QLatin1String("502"));
  ASSERT_EQ(prompt_.messages.size(), 1u);

  Child<QCheckBox>(*dialog, "TCPOption").setChecked(true);
  EXPECT_EQ(Child<QLineEdit>(*dialog, "hostEdit").text(), QLatin1String("192.168.1.20"));
  EXPECT_FALSE(Child<QLineEdit>(*dialog, "hostEdit").isEnabled());
  Type(port, "4001");
  QLineEdit& allowed = Child<QLineEdit>(*dialog, "allowEdit");
  allowed.setText(QLatin1String("127.0.0.1, lab-pc"));
  Press(*dialog, "okButton");
  ASSERT_EQ(prompt_.messages.size(), 2u);
  EXPECT_EQ(dialog->focusWidget(), &allowed);
  EXPECT_EQ(settings_.TcpMode, 0);

  allowed.setText(QLatin1String("127.0.0.1, 192.168.1.0/24"));
  Press(*dialog, "okButton");
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(settings_.TcpMode, 1);
  EXPECT_EQ(settings_.TcpLocalPort, "4001");
  EXPECT_EQ(settings_.TcpRemotePort, "502");
  EXPECT_TRUE(working_.ConfigModified);
  EXPECT_EQ(store_.Get("Netfenno", "Connection", "AllowedPeers"), "127.0.0.1, 192.168.1.0/24");
}

}  // namespace
}  // namespace fenno

// The terminal window on a real pseudo-terminal (the serial program) and on a loopback
// TCP peer (the TCP program); the analyzer's rules and the view's text have their own
// tests (tests/transport/stream_analyzer_test.cpp, terminal_text_test.cpp).

#include "ui/terminal_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>

#include "base/qt_text.h"
#include "support/fake_port.h"
#include "support/pty_pair.h"
#include "support/recording_prompt.h"
#include "support/wait.h"
#include "transport/qt_device_port.h"
#include "ui/raw_string_edit.h"

namespace fenno {
namespace {

using testing::WaitUntil;

class TerminalWindowTest : public ::testing::Test {
 protected:
  explicit TerminalWindowTest(const Edition& edition = ComfennoEdition())
      : edition_(edition), settings(Settings::Defaults(edition, "/tmp")) {}

  void Open() {
    std::unique_ptr<Port> port =
        MakeDevicePort(PortContext{settings, edition_, store, prompt, strings});
    ASSERT_TRUE(port->Open());
    window = std::make_unique<TerminalWindow>(
        TerminalContext{edition_, settings, working, prompt, strings}, std::move(port));
    QObject::connect(window.get(), &TerminalWindow::Closed, [this] { ++closed; });
    window->show();
  }

  template <class T>
  T* Find(const char* name) const {
    return window->findChild<T*>(QLatin1String(name));
  }
  QString Shown() const { return Find<QPlainTextEdit>("Buffer")->toPlainText(); }
  QString Label(const char* name) const { return Find<QLabel>(name)->text(); }
  void Send(const std::string& bytes) {
    Find<RawStringEdit>("OutputBuffer")->SetBytes(bytes);
    Find<QPushButton>("SendButton")->click();
  }
  void Select(int from, int to) {
    QPlainTextEdit* view = Find<QPlainTextEdit>("Buffer");
    QTextCursor cursor = view->textCursor();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    view->setTextCursor(cursor);
  }

  const Edition& edition_;
  Settings settings;
  WorkingValues working;
  StringTable strings{edition_.kind, Language::English};
  testing::RecordingPrompt prompt;
  MemoryUserStore store;
  std::unique_ptr<TerminalWindow> window;
  int closed = 0;
};

TEST_F(TerminalWindowTest, OnAPseudoTerminalShowsCountsSendsExactlyAndAnalyzes) {
  testing::PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  settings.PortIndex = 4;  // COM5
  store.Set("Comfenno", "Ports", "COM5", pty.SlavePath());
  Open();

  ASSERT_TRUE(pty.DeviceWrites(std::string("12,34\0,56\r\n", 11)));
  ASSERT_TRUE(WaitUntil([&] { return Shown() == QString::fromLatin1("12,34\xff,56\n"); }));
  EXPECT_EQ(Label("BufByteCount"), QStringLiteral("11"));
  Select(3, 6);  // "34" and the NUL
  EXPECT_EQ(Label("SelStartPosition"), QStringLiteral("4"));
  EXPECT_EQ(Label("SelByteCount"), QStringLiteral("3"));

  const std::string sent("?\0\x01\xfe\r\n", 6);
  Send(sent);
  std::string received;
  ASSERT_TRUE(WaitUntil([&] {
    pty.DeviceReads(received);
    return received.size() >= sent.size();
  }));
  EXPECT_EQ(received, sent);

  prompt.ScriptAnswer(PromptAnswer::Yes);
  Find<QPushButton>("AnalyzeButton")->click();
  EXPECT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(settings.RecordStructure, kDelimitedFields);
  EXPECT_EQ(settings.FieldCount, 3);
  EXPECT_TRUE(working.ConfigModified);

  // Clear empties the text and the analyzer; the translation then applies to new bytes.
  Find<QPushButton>("BufferClearButton")->click();
  EXPECT_EQ(Shown(), QString());
  EXPECT_FALSE(Find<QPushButton>("AnalyzeButton")->isEnabled());
  settings.PreInputTranslation['5'] = kIgnoreEntry;
  Find<QCheckBox>("Check1")->setChecked(true);
  ASSERT_TRUE(pty.DeviceWrites("a5b"));
  ASSERT_TRUE(WaitUntil([&] { return Shown() == QStringLiteral("ab"); }));

  window->close();
  EXPECT_EQ(closed, 1);
}

TEST_F(TerminalWindowTest, LineButtonsAndOptoRsActOnThePortAndClosingClosesIt) {
  // The window owns its port and lets it go when it closes.
  struct WatchedPort : testing::FakePort {
    bool* released = nullptr;
    ~WatchedPort() override { *released = true; }
  };
  bool released = false;
  auto owned = std::make_unique<WatchedPort>();
  owned->released = &released;
  testing::FakePort& port = *owned;
  port.Open();
  settings.FlowControl = kFlowOptoRs;
  window = std::make_unique<TerminalWindow>(
      TerminalContext{edition_, settings, working, prompt, strings}, std::move(owned));
  Find<QPushButton>("DTRButton")->click();
  Find<QPushButton>("Command1")->click();  // break for two ticks
  window->Tick();
  EXPECT_EQ(port.operations, (std::vector<std::string>{"dtr pulse", "break on"}));
  port.modemStatus = kDsrOn;  // Opto-RS asks (when, its rule's test tells)
  window->Tick();
  EXPECT_EQ(port.output, "?\r");
  EXPECT_EQ(port.operations.back(), "break off");

  EXPECT_FALSE(Find<QPushButton>("AnalyzeButton")->isEnabled());  // nothing received
  window->close();
  EXPECT_TRUE(released);
}

class NetfennoTerminalWindowTest : public TerminalWindowTest {
 protected:
  NetfennoTerminalWindowTest() : TerminalWindowTest(NetfennoEdition()) {}
};

TEST_F(NetfennoTerminalWindowTest, OnALoopbackPeerShowsTheStateAndExchangesBytes) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
  settings.TcpRemoteHost = "127.0.0.1";
  settings.TcpRemotePort = std::to_string(server.serverPort());
  Open();
  EXPECT_EQ(Find<QPushButton>("DTRButton"), nullptr);  // no lines
  ASSERT_TRUE(WaitUntil([&] { return server.hasPendingConnections(); }));
  QTcpSocket* peer = server.nextPendingConnection();
  ASSERT_TRUE(WaitUntil(
      [&] { return window->windowTitle() == QStringLiteral("Port - 127.0.0.1 - Connected"); }));

  peer->write(QByteArray("A\0B\r", 4));
  ASSERT_TRUE(WaitUntil([&] { return Shown() == QString::fromLatin1("A\xff\x42\n"); }));
  Send("x\r");
  QByteArray received;
  EXPECT_TRUE(WaitUntil([&] { return (received += peer->readAll()) == "x\r"; }));

  window->close();
  EXPECT_EQ(closed, 1);
  EXPECT_TRUE(WaitUntil([&] { return peer->state() == QAbstractSocket::UnconnectedState; }));
}

TEST(TerminalPanel, HoldsOnlyTheLatestBytesButCountsAndAnalyzesThemAll) {
  const StringTable strings(EditionKind::Comfenno, Language::English);
  constexpr size_t kLimit = size_t{64} << 10;
  TerminalPanel panel(TerminalLayout::kAnalyzer, true, strings, nullptr, kLimit);
  panel.findChild<QCheckBox*>(QStringLiteral("hexDump"))->setChecked(true);
  panel.AppendShown("1,2,3\r\n");
  const std::string line = std::string(57, 'x') + "\r\n";
  std::string chunk;
  while (chunk.size() < kLimit) chunk += line;
  uint64_t total = 7;
  for (int i = 0; i < 80; ++i, total += chunk.size()) panel.AppendShown(chunk);
  panel.AppendShown("AB");
  total += 2;

  EXPECT_EQ(panel.findChild<QLabel*>(QStringLiteral("BufByteCount"))->text(),
            QString::number(total));
  EXPECT_FALSE(panel.findChild<QLabel*>(QStringLiteral("viewCutNote"))->isHidden());
  EXPECT_LE(panel.characterView().toPlainText().size(), static_cast<qsizetype>(kLimit));
  EXPECT_TRUE(panel.characterView().toPlainText().endsWith(QStringLiteral("x\nAB")));
  EXPECT_EQ(panel.analyzer().Guess()->fieldCount, 3);
  // The hex dump shows the same bytes, its last line numbered from the first received.
  const QString hex = panel.findChild<QPlainTextEdit*>(QStringLiteral("HexBuffer"))->toPlainText();
  const uint64_t lastLine = (total - 1) / 16 * 16;
  EXPECT_TRUE(hex.endsWith(QStringLiteral("..AB|"))) << hex.right(80).toStdString();
  EXPECT_TRUE(
      hex.contains(QString::asprintf("\n%08llx ", static_cast<unsigned long long>(lastLine))));
}

}  // namespace
}  // namespace fenno

#include "ui/engine_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWindow>
#include <cstdlib>

#include "engine/engine.h"
#include "support/recording_prompt.h"
#include "support/test_files.h"
#include "support/wait.h"
#include "ui/raw_string_edit.h"
#include "ui/terminal_window.h"

namespace fenno {
namespace {

using testing::WaitUntil;

// A virtual-mode run of five comma-separated fields ended by CR, delivered as live data
// (there is no session bus here, so nothing is served; the engine runs all the same).
class EngineWindowTest : public ::testing::Test {
 protected:
  explicit EngineWindowTest(const Edition& edition = ComfennoEdition())
      : edition_(edition),
        settings(Settings::Defaults(edition, "/tmp")),
        strings(edition.kind, Language::English),
        regional(RegionalSettings::English()) {
    settings.OutputMethod = kDdeServer;
    settings.RecordStructure = kDelimitedFields;
    settings.FieldCount = 5;
    settings.ShowDateTime = true;
    settings.AckString = std::string("ACK\0", 4);
    settings.ButtonString[2] = "ping";
    settings.ButtonCaption[2] = "&Ping";
    settings.EngineButtons = 3;
    working.PortName = "COM1";
  }

  EngineWindow& Start(ActivationMode mode = ActivationMode::Virtual) {
    window = std::make_unique<EngineWindow>(
        EngineWindowContext{edition_, settings, working, prompt, strings, regional, store}, mode);
    QObject::connect(window.get(), &EngineWindow::Closed, [this] { ++closed; });
    QObject::connect(window.get(), &EngineWindow::ReturnToSetupRequested, [this] { ++returned; });
    window->Start();
    return *window;
  }

  template <class T>
  T* Find(const char* name) const {
    T* found = window->findChild<T*>(QString::fromLatin1(name));
    if (!found && window->virtualDevice())
      found = window->virtualDevice()->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QString Text(const char* box) const { return Find<QLineEdit>(box)->text(); }

  const Edition& edition_;
  Settings settings;
  WorkingValues working;
  StringTable strings;
  RegionalSettings regional;
  fenno::testing::RecordingPrompt prompt;
  MemoryUserStore store;
  std::unique_ptr<EngineWindow> window;
  int closed = 0;
  int returned = 0;
};

void Click(QWidget* widget, QPoint press, QPoint release) {
  QMouseEvent down(QEvent::MouseButtonPress, press, widget->mapToGlobal(press), Qt::LeftButton,
                   Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &down);
  QMouseEvent up(QEvent::MouseButtonRelease, release, widget->mapToGlobal(release), Qt::LeftButton,
                 Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &up);
}

// A record from the virtual device fills the boxes; Edit > Copy gives a link to a box's
// item; Quit closes the run and the device and keeps the window's place.
TEST_F(EngineWindowTest, RecordsFillTheBoxesCopyAsALinkAndQuitKeepsThePlace) {
  Start();
  EXPECT_NE(window->findChild<QLineEdit*>(QStringLiteral("fieldBox5")), nullptr);
  EXPECT_EQ(window->findChild<QLineEdit*>(QStringLiteral("fieldBox6")), nullptr);
  EXPECT_TRUE(window->virtualDevice()->isVisible());

  Find<RawStringEdit>("OutputBuffer")->SetBytes("1.5,2,3,4,5\r\n");
  Find<QPushButton>("SendButton")->click();
  ASSERT_TRUE(WaitUntil([&] { return Text("recordNumberBox") == QStringLiteral("1"); }));
  EXPECT_EQ(Text("fieldBox1"), QStringLiteral("1.5"));
  EXPECT_EQ(Text("fieldBox5"), QStringLiteral("5"));
  // The acknowledgement goes back to the device; its NUL shows as the character 255.
  auto* shown = Find<QPlainTextEdit>("Buffer");
  ASSERT_TRUE(WaitUntil([&] { return !shown->toPlainText().isEmpty(); }));
  EXPECT_EQ(shown->toPlainText(), QStringLiteral("ACK\u00FF"));
  EXPECT_EQ(shown->textCursor().position(), 4);

  // Edit > Copy takes the box that last had the focus: a link to its item and its text.
  window->activateWindow();
  ASSERT_TRUE(WaitUntil([&] { return window->isActiveWindow(); }));
  Find<QLineEdit>("fieldBox2")->setFocus();
  auto* edit = Find<QMenu>("editMenu");
  edit->popup(QPoint());
  Find<QAction>("actionCopy")->trigger();
  edit->close();
  const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(copied->data(QStringLiteral("application/x-dde-link")),
            QByteArray("Comfenno|COM1!Field(2)"));
  EXPECT_EQ(copied->text(), QStringLiteral("2"));

  window->move(120, 80);
  QCoreApplication::processEvents();
  const QPoint place = window->pos();
  Find<QAction>("actionQuit")->trigger();
  EXPECT_EQ(closed, 1);
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(window->virtualDevice()->isVisible());
  EXPECT_EQ(store.Get("Comfenno - COM1", "Settings", "MainLeft"), std::to_string(place.x()));
  EXPECT_EQ(store.Get("Comfenno - COM1", "Settings", "MainTop"), std::to_string(place.y()));
}

TEST_F(EngineWindowTest, AnOutputButtonSendsOnlyWhenReleasedOverItself) {
  Start();
  Engine& engine = window->engine();
  auto* button = Find<QPushButton>("stringButton2");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(window->findChild<QPushButton*>(QStringLiteral("stringButton1")), nullptr);
  Find<QPushButton>("dtrButton");
  Find<QPushButton>("breakButton");
  const size_t before = engine.QueuedOutputSize();
  const QPoint inside = button->rect().center();

  Click(button, inside, QPoint(button->width() + 5, inside.y()));  // dragged off
  button->click();                                                 // keyboard, mnemonic
  EXPECT_EQ(engine.QueuedOutputSize(), before);

  Click(button, inside, inside);
  EXPECT_EQ(engine.QueuedOutputSize(), before + 4);
  auto* shown = Find<QPlainTextEdit>("Buffer");
  ASSERT_TRUE(WaitUntil([&] { return shown->toPlainText() == QStringLiteral("ping"); }));
}

TEST_F(EngineWindowTest, SuspendTogglesTheMenuAndTheCaptionAndResetKeepsTheWindow) {
  Start();
  auto* suspend = Find<QAction>("actionSuspend");
  auto* resumeOne = Find<QAction>("actionResumeForOneRecord");
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Comfenno - COM1 Virtual Device"));
  EXPECT_EQ(suspend->text(), QStringLiteral("&Suspend Fenno"));
  EXPECT_FALSE(resumeOne->isVisible());

  suspend->trigger();
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Comfenno - COM1 (S) (Virtual Device)"));
  EXPECT_EQ(suspend->text(), QStringLiteral("Re&sume Comfenno"));
  EXPECT_TRUE(resumeOne->isVisible());

  suspend->trigger();
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Comfenno - COM1 (Virtual Device)"));
  EXPECT_FALSE(resumeOne->isVisible());
  Find<QAction>("actionReset")->trigger();
  QCoreApplication::processEvents();
  EXPECT_EQ(returned, 0);
  EXPECT_EQ(closed, 0);
  EXPECT_TRUE(window->isVisible());
}

TEST_F(EngineWindowTest, AMinimisedWindowHidesOnlyWhenATrayCanBringItBack) {
  settings.AlwaysOnTop = true;
  for (const bool tray : {false, true}) {
    SCOPED_TRACE(tray ? "tray" : "no tray");
    Start();
    window->OverrideTrayAvailable(tray);
    EXPECT_TRUE(window->windowHandle()->flags() & Qt::WindowStaysOnTopHint);

    window->showMinimized();
    EXPECT_FALSE(window->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    if (tray) {
      EXPECT_TRUE(WaitUntil([&] { return !window->isVisible(); }));
    } else {
      QCoreApplication::processEvents();
      EXPECT_TRUE(window->isVisible());
      EXPECT_TRUE(window->isMinimized());
    }
    window->showNormal();
    EXPECT_TRUE(window->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    window.reset();
  }
}

class NetfennoEngineWindowTest : public EngineWindowTest {
 protected:
  NetfennoEngineWindowTest() : EngineWindowTest(NetfennoEdition()) {}
};

// Whoever feeds the records of a listening server is named in the caption; Reset returns to
// the setup window.
TEST_F(NetfennoEngineWindowTest, TheCaptionNamesTheConnectedPeerAndResetReturnsToSetup) {
  testing::ScratchFolder config;  // the run's own per-user store
  ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  QTcpServer probe;
  ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
  const uint16_t port = probe.serverPort();
  probe.close();
  settings.TcpMode = 1;
  settings.TcpLocalPort = std::to_string(port);
  working.PortName = "lab";
  Start(ActivationMode::Normal);
  EXPECT_EQ(window->findChild<QPushButton*>(QStringLiteral("dtrButton")), nullptr);
  ASSERT_TRUE(WaitUntil([&] { return window->windowTitle().endsWith(QLatin1String("Listening")); }))
      << window->windowTitle().toStdString();

  QTcpSocket peer;
  peer.connectToHost(QHostAddress::LocalHost, port);
  EXPECT_TRUE(WaitUntil([&] {
    return window->windowTitle().endsWith(QLatin1String(" - Connected to 127.0.0.1"));
  })) << window->windowTitle().toStdString();
  peer.disconnectFromHost();
  EXPECT_TRUE(
      WaitUntil([&] { return window->windowTitle().endsWith(QLatin1String("Listening")); }));
  Find<QAction>("actionReset")->trigger();
  ASSERT_TRUE(WaitUntil([&] { return closed == 1; }));
  EXPECT_EQ(returned, 1);
  EXPECT_FALSE(window->isVisible());
}

}  // namespace
}  // namespace fenno

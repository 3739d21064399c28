// Window activation on KDE Plasma: the program's KWin scripts run in a JavaScript engine
// against a stand-in workspace, behind a fake KWin scripting service on a private bus.

#include "keys/dbus_kwin_windows.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QFile>
#include <QJSEngine>

#include "keys/dbus_gnome_windows.h"
#include "support/dbus_session.h"

namespace fenno {
namespace {

using testing::WaitUntil;

// A focus answer as text: found, target, previous window, whether it was minimised.
std::string Answer(const std::optional<FocusedTarget>& focused) {
  if (!focused) return "no answer";
  return (focused->found ? "found " : "missing ") + focused->target + " after " +
         focused->previous + (focused->wasMinimized ? ", minimised" : "");
}

// A workspace whose windows the scripts see; both Plasma 5's and Plasma 6's names.
constexpr char kStandInWorkspace[] = R"(
var active = null;
var workspace = {
  stackingOrder: windows,
  windowList: function() { return windows; },
  clientList: function() { return windows; },
};
for (var i = 0; i < windows.length; ++i) if (windows[i].internalId === activeId) active = windows[i];
Object.defineProperty(workspace, "activeWindow", {get: function() { return active; },
                                                  set: function(w) { active = w; }});
Object.defineProperty(workspace, "activeClient", {get: function() { return active; },
                                                  set: function(w) { active = w; }});
var reported = null;
function callDBus() { reported = Array.prototype.slice.call(arguments); }
)";

struct StandInWindow {
  std::string id, caption;
  bool minimized = false;
  qint64 pid = 1;
};

// KWin's scripting service: loadScript, start (runs what was loaded) and unloadScript.
class FakeKwin : public QDBusVirtualObject {
 public:
  explicit FakeKwin(QDBusConnection connection) : connection_(std::move(connection)) {
    connection_.registerVirtualObject(QStringLiteral("/Scripting"), this);
    connection_.registerService(QStringLiteral("org.kde.KWin"));
  }
  ~FakeKwin() override {
    connection_.unregisterService(QStringLiteral("org.kde.KWin"));
    connection_.unregisterObject(QStringLiteral("/Scripting"));
  }
  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    calls.push_back(message.member().toStdString());
    if (message.member() == "loadScript") {
      QFile file(message.arguments().value(0).toString());
      if (file.open(QIODevice::ReadOnly)) loaded_ = QString::fromUtf8(file.readAll());
      connection.send(message.createReply(1));
    } else {
      if (message.member() == "start" && !loaded_.isEmpty()) Run(std::exchange(loaded_, {}));
      connection.send(message.createReply());
    }
    return true;
  }

  std::vector<StandInWindow> windows;
  std::string active;
  std::vector<std::string> calls;

 private:
  void Run(const QString& script) {
    QJSEngine engine;
    QJSValue list = engine.newArray(static_cast<uint>(windows.size()));
    for (size_t i = 0; i < windows.size(); ++i) {
      QJSValue window = engine.newObject();
      window.setProperty("internalId", QString::fromStdString(windows[i].id));
      window.setProperty("caption", QString::fromStdString(windows[i].caption));
      window.setProperty("minimized", windows[i].minimized);
      window.setProperty("normalWindow", true);
      window.setProperty("pid", static_cast<double>(windows[i].pid));
      list.setProperty(static_cast<quint32>(i), window);
    }
    engine.globalObject().setProperty("windows", list);
    engine.globalObject().setProperty("activeId", QString::fromStdString(active));
    engine.evaluate(kStandInWorkspace);
    const QJSValue result = engine.evaluate(script);
    ASSERT_FALSE(result.isError()) << result.toString().toStdString();
    for (size_t i = 0; i < windows.size(); ++i)
      windows[i].minimized = list.property(static_cast<quint32>(i)).property("minimized").toBool();
    const QJSValue now = engine.globalObject().property("active");
    active = now.isNull() ? "" : now.property("internalId").toString().toStdString();
    const QJSValue reported = engine.globalObject().property("reported");
    if (reported.isNull()) return;
    QDBusMessage report = QDBusMessage::createMethodCall(
        reported.property(0).toString(), reported.property(1).toString(),
        reported.property(2).toString(), reported.property(3).toString());
    report << reported.property(4).toInt() << reported.property(5).toString();
    connection_.send(report);
  }

  QDBusConnection connection_;
  QString loaded_;
};

TEST(KwinWindowsTest, TheTargetComesToTheFrontAndTheFocusGoesBackOnPlasma5And6) {
  std::string why;
  auto bus = testing::DbusSession::Start(&why);
  if (!bus) GTEST_SKIP() << why;
  for (const int plasma : {5, 6}) {
    SCOPED_TRACE(plasma);
    FakeKwin kwin(bus->Connect());
    kwin.windows = {{"w1", "Notes - Editor", true},
                    {"w2", "Terminal"},
                    {"w3", "Editor - own window", false, ::getpid()}};  // never chosen
    kwin.active = "w2";
    KwinWindows windows(bus->Connect(), plasma);

    const auto focused = windows.Focus("EDITOR");
    EXPECT_EQ(Answer(focused), "found w1 after w2, minimised");
    EXPECT_EQ(kwin.active, "w1");
    EXPECT_FALSE(kwin.windows[0].minimized);

    windows.GiveBack(focused.value_or(FocusedTarget{}));
    EXPECT_EQ(kwin.active, "w2");
    EXPECT_TRUE(kwin.windows[0].minimized);

    EXPECT_EQ(Answer(windows.Focus("SPREADSHEET")).substr(0, 8), "missing ");
    EXPECT_EQ(kwin.active, "w2");
    // Every script is unloaded once it has answered.
    ASSERT_TRUE(WaitUntil([&] { return kwin.calls.size() == 9; }));
    EXPECT_EQ(kwin.calls[2], "unloadScript");
    EXPECT_EQ(kwin.calls[8], "unloadScript");
  }
}

// The GNOME Shell extension's service: it answers Focus as told and logs the calls.
class FakeShellExtension : public QDBusVirtualObject {
 public:
  explicit FakeShellExtension(QDBusConnection connection) : connection_(std::move(connection)) {
    connection_.registerVirtualObject(QStringLiteral("/org/fenno/Windows"), this);
    connection_.registerService(QStringLiteral("org.fenno.Windows"));
  }
  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    std::string line = message.member().toStdString();
    for (const QVariant& argument : message.arguments())
      line += " " + argument.toString().toStdString();
    calls.push_back(line);
    connection.send(message.member() == "Focus" ? message.createReply({true, QStringLiteral("17"),
                                                                       QStringLiteral("4"), true})
                                                : message.createReply());
    return true;
  }
  std::vector<std::string> calls;

 private:
  QDBusConnection connection_;
};

TEST(GnomeExtensionWindowsTest, FocusAndGiveBackGoToTheShellExtension) {
  std::string why;
  auto bus = testing::DbusSession::Start(&why);
  if (!bus) GTEST_SKIP() << why;
  const QDBusConnection client = bus->Connect();
  EXPECT_FALSE(GnomeExtensionWindows::Available(client));
  FakeShellExtension extension(bus->Connect());
  EXPECT_TRUE(GnomeExtensionWindows::Available(client));

  GnomeExtensionWindows windows(client);
  const auto focused = windows.Focus("EDITOR");
  EXPECT_EQ(Answer(focused), "found 17 after 4, minimised");
  windows.GiveBack(focused.value_or(FocusedTarget{}));
  ASSERT_TRUE(WaitUntil([&] { return extension.calls.size() == 2; }));
  EXPECT_EQ(extension.calls[0], "Focus EDITOR " + std::to_string(::getpid()));
  EXPECT_EQ(extension.calls[1], "GiveBack 17 4 true");
}

}  // namespace
}  // namespace fenno

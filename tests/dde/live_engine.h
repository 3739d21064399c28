#pragma once

// An engine with fake device, clock and prompt, serving its live data on a private
// session bus, and a client connection of the test's own to talk to it.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dde/dbus_advise.h"
#include "dde/dbus_live_data.h"
#include "dde/dbus_text.h"
#include "dde/fake_live_data.h"
#include "support/dbus_session.h"
#include "support/dbus_test_service.h"
#include "support/engine_rig.h"

namespace fenno::testing {

class LiveEngineTest : public ::testing::Test, public EngineRig, public RunPart {
 protected:
  LiveEngineTest() { settings.OutputMethod = kDdeServer; }
  ~LiveEngineTest() override { Close(); }

  void SetUp() override {
    std::string why;
    bus = DbusSession::Start(&why);
    if (!bus) GTEST_SKIP() << why;
    client = bus->Connect();
  }

  void StartEngine(const Edition& edition = ComfennoEdition()) {
    program = &edition;
    live =
        std::make_unique<LiveData>(edition, settings, strings, prompt, bus->Connect(), &clipboard);
    ddeClient = live->Client();
    links = live->Links();
    Start(ActivationMode::Normal, {this});
  }
  void Attach(Engine& engine) override { live->Attach(engine, working, clock, regional); }

  QString ServiceName() const { return QString::fromStdString(live->Server()->ServiceName()); }
  // A call of the test's client on the engine's conversation.
  QDBusMessage Call(const QString& method, const QVariantList& arguments = {}) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(ServiceName(), kDdeObjectPath, kDdeInterface, method);
    call.setArguments(arguments);
    return CallAndWait(client, call, 10000);
  }
  std::string Request(const std::string& item) {
    const QDBusMessage answer = Call(QStringLiteral("Request"), {FromBytes(item)});
    if (answer.type() != QDBusMessage::ReplyMessage)
      return "<error " + answer.errorName().toStdString() + ">";
    return ToBytesExactly(answer.arguments().value(0).toString()).value_or("<not 8-bit>");
  }
  // True/false for an answered Execute; nullopt when it failed.
  std::optional<bool> Execute(const QString& command) {
    const QDBusMessage answer = Call(QStringLiteral("Execute"), {command});
    if (answer.type() != QDBusMessage::ReplyMessage) return std::nullopt;
    return answer.arguments().value(0).toBool();
  }
  // A service of the test's own on its own connection.
  std::unique_ptr<DbusTestService> Service(const std::string& name) {
    auto service = std::make_unique<DbusTestService>(bus->Connect());
    EXPECT_TRUE(service->Serve(name)) << name;
    return service;
  }

  std::unique_ptr<DbusSession> bus;
  QDBusConnection client{QString()};
  const StringTable& strings = EnglishStrings(ComfennoEdition());
  FakeClipboard clipboard;
  std::unique_ptr<LiveData> live;
};

}  // namespace fenno::testing

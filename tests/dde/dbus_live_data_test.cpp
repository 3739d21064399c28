// The engine's live data on a private session bus: the items and commands it serves, the
// commands it sends after records to a target program, and its links to another program's
// item, as the programs on the other end see them.

#include "dde/dbus_live_data.h"

#include <gtest/gtest.h>

#include <QTimer>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "dde/advise_budget.h"
#include "dde/dbus_advise.h"
#include "dde/dbus_text.h"
#include "dde/dde_text_ids.h"
#include "dde/fake_live_data.h"
#include "support/dbus_session.h"
#include "support/dbus_test_service.h"
#include "support/engine_rig.h"

namespace fenno {
namespace {

using testing::WaitUntil;
using Texts = std::vector<std::string>;

// What the engine tells its observers, in order.
class EngineEvents : public EngineObserver {
 public:
  void OnFieldText(int field, const std::string& text) override {
    events.push_back("Field(" + std::to_string(field) + ")=" + text);
  }
  void OnRecordNumber(const std::string& text) override { events.push_back("#" + text); }
  void OnQuitRequested() override { events.push_back("quit"); }
  Texts events;
};

// An engine on fakes serving its live data, and a client connection of the test's own.
class LiveDataTest : public ::testing::Test, public testing::EngineRig, public RunPart {
 protected:
  LiveDataTest() {
    settings.OutputMethod = kDdeServer;
    settings.RecordStructure = kDelimitedFields;
    settings.FieldCount = 2;
  }
  ~LiveDataTest() override { Close(); }

  void SetUp() override {
    std::string why;
    bus = testing::DbusSession::Start(&why);
    if (!bus) GTEST_SKIP() << why;
    client = bus->Connect();
  }

  void StartEngine(const Edition& edition = ComfennoEdition()) {
    Close();
    live.reset();
    program = &edition;
    live =
        std::make_unique<LiveData>(edition, settings, strings, prompt, bus->Connect(), &clipboard);
    ddeClient = live->Client();
    links = live->Links();
    Start(ActivationMode::Normal, {this});
  }
  void Attach(Engine& engine) override { live->Attach(engine, working, clock, regional); }

  QString ServiceName() const { return QString::fromStdString(live->Server()->ServiceName()); }
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
  // Another program's conversation, on its own connection.
  std::unique_ptr<testing::DbusTestService> Service(const std::string& name) {
    auto service = std::make_unique<testing::DbusTestService>(bus->Connect());
    EXPECT_TRUE(service->Serve(name)) << name;
    return service;
  }
  std::unique_ptr<AdviseSubscription> Subscribe(Texts& advised) {
    return std::make_unique<AdviseSubscription>(
        client, ServiceName(), [&advised](const std::string& item, const std::string& value) {
          advised.push_back(item + "=" + value);
        });
  }
  // Lets a link's messages arrive.
  void Settle() { testing::PumpEventsFor(100); }

  std::unique_ptr<testing::DbusSession> bus;
  QDBusConnection client{QString()};
  const StringTable& strings = testing::EnglishStrings(ComfennoEdition());
  testing::FakeClipboard clipboard;
  std::unique_ptr<LiveData> live;
};

TEST_F(LiveDataTest, TheServiceNameFollowsTheTopicAndGoesWithTheEngine) {
  const std::vector<std::tuple<const Edition*, std::string, std::string, std::string>> cases = {
      {&ComfennoEdition(), "COM1", "Lab 1", "dde.Comfenno.Lab_201"},
      {&NetfennoEdition(), "10.0.0.5", "", "dde.Netfenno._10_2e0_2e0_2e5"},
  };
  for (const auto& [edition, portName, topic, serviceName] : cases) {
    working.PortName = portName;
    settings.DDETopic = topic;
    StartEngine(*edition);
    EXPECT_TRUE(bus->HasOwner(serviceName)) << serviceName;
    Feed("1," + portName + "\r");
    EXPECT_EQ(Request("Field(2)"), portName);
  }
  Close();
  live.reset();
  EXPECT_FALSE(bus->HasOwner("dde.Netfenno._10_2e0_2e0_2e5"));
}

TEST_F(LiveDataTest, RequestAndItemsServeTheBoxesOfTheLastRecord) {
  settings.FieldCount = 3;
  settings.ShowDateTime = true;
  settings.DateTimeFormat = "yyyy-mm-dd hh:nn:ss";
  StartEngine();
  Feed("1.5,,caf\xe9\r");
  const std::vector<std::pair<std::string, std::string>> answers = {
      {"Field(1)", "1.5"},
      {"Field(2)", ""},
      {"field(3)", "caf\xe9"},
      {"RecordNumber", "1"},
      {"DateTime", "2026-12-05 14:03:09"},
      {"Field(4)", "<error dde.Error.UnknownItem>"},
      {"Other", "<error dde.Error.UnknownItem>"}};
  for (const auto& [item, answer] : answers) EXPECT_EQ(Request(item), answer) << item;
  EXPECT_EQ(Call(QStringLiteral("Items")).arguments().value(0).toStringList(),
            QStringList({"Field(1)", "Field(2)", "Field(3)", "DateTime", "RecordNumber"}));
}

// The target of the commands asks for the items when the last field's command arrives:
// every field and the record number are in place by then, and the engine answers while
// it waits for the target.
TEST_F(LiveDataTest, OneAdvisePerChangedItemAndAllInPlaceBeforeTheLastCommand) {
  settings.DdeTargetApp = "Target";
  settings.DdeTargetTopic = "Sys";
  settings.RecordPreamble = "[pre]";
  settings.FieldPostamble[2] = "[last]";
  auto target = Service("dde.Target.Sys");
  Texts seenAtLast, advised;
  target->onExecute = [&](const std::string& command) {
    if (command != "[last]") return;
    for (const std::string item : {"Field(1)", "Field(2)", "RecordNumber"})
      seenAtLast.push_back(Request(item));
  };
  StartEngine();
  const auto subscription = Subscribe(advised);
  Feed("1.5,2\r");
  Feed("1.5,3\r");
  EXPECT_TRUE(WaitUntil([&] { return advised.size() >= 5; }));
  EXPECT_EQ(advised, (Texts{"Field(1)=1.5", "Field(2)=2", "RecordNumber=1", "Field(2)=3",
                            "RecordNumber=2"}));
  EXPECT_EQ(target->executed, (Texts{"[pre]", "[last]", "[pre]", "[last]"}));
  EXPECT_EQ(seenAtLast, (Texts{"1.5", "2", "1", "1.5", "3", "2"}));
  EXPECT_TRUE(prompt.messages.empty());
}

TEST(AdviseBudgetTest, ChangesBeyondTheBudgetAreHeldAsEachItemsLatestTextInOrder) {
  using Changes = std::vector<AdviseBudget::Change>;
  AdviseBudget budget(3);
  for (const auto& [item, text] :
       Changes{{"Field(1)", "a"}, {"Field(2)", "b"}, {"RecordNumber", "1"}})
    EXPECT_TRUE(budget.Admit(item, text));
  for (const auto& [item, text] :
       Changes{{"Field(1)", "c"}, {"RecordNumber", "2"}, {"Field(1)", "d"}, {"RecordNumber", "3"}})
    EXPECT_FALSE(budget.Admit(item, text));
  EXPECT_EQ(budget.EndTurn(), (Changes{{"Field(1)", "d"}, {"RecordNumber", "3"}}));

  // A new turn has its whole budget again, and nothing is held twice.
  for (const std::string text : {"e", "f", "g"}) EXPECT_TRUE(budget.Admit("Field(1)", text));
  EXPECT_FALSE(budget.Admit("Field(2)", "h"));
  EXPECT_EQ(budget.EndTurn(), (Changes{{"Field(2)", "h"}}));
  EXPECT_EQ(budget.EndTurn(), Changes{});
}

// A flood of records in one tick must not pile signals up in the bus connection: beyond
// the turn's budget, each item goes out once more with the text of the last record.
TEST_F(LiveDataTest, AFloodIsAdvisedWithinTheBudgetAndEndsWithTheLastRecord) {
  settings.FieldCount = 1;
  StartEngine();
  Texts advised;
  const auto subscription = Subscribe(advised);
  std::string flood;
  for (int i = 1; i <= 2000; ++i) flood += std::to_string(i) + "\r";
  Feed(flood);
  const Texts last = {"Field(1)=2000", "RecordNumber=2000"};
  EXPECT_TRUE(WaitUntil(
      [&] { return advised.size() >= 2 && Texts(advised.end() - 2, advised.end()) == last; }));
  EXPECT_LE(advised.size(), AdviseBudget::kChangesPerTurn + 2);
  EXPECT_EQ(advised.front(), "Field(1)=1");
}

TEST_F(LiveDataTest, ExecuteIsAcceptedOrRefusedAsTheCommandLanguageSays) {
  StartEngine();
  EngineEvents quit;
  engine().AddObserver(&quit);
  EXPECT_EQ(Execute(QStringLiteral("{SEND(abc)}")), true);
  EXPECT_EQ(Execute(QStringLiteral(u"  [send(é)] \r\n")), true);
  EXPECT_EQ(Execute(QStringLiteral("{nonsense}")), false);
  // A character no 8-bit device can receive is refused rather than sent garbled.
  EXPECT_EQ(Execute(QStringLiteral(u"{SEND(5 €)}")), false);
  EXPECT_EQ(engine().QueuedOutput(), "abc\xe9");
  EXPECT_EQ(Call(QStringLiteral("Execute"), {42}).type(), QDBusMessage::ErrorMessage);
  EXPECT_EQ(Execute(QStringLiteral("{APPEXIT}")), true);
  EXPECT_TRUE(quit.events.empty());  // answered before the engine quits
}

TEST_F(LiveDataTest, ATopicServedElsewhereOrNoBusIsToldAndTheEngineRunsOn) {
  auto other = Service("dde.Comfenno.COM1");
  StartEngine();
  EXPECT_FALSE(live->Server()->Serving());
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].text,
            strings.Format(str::kTopicAlreadyServed, {"COM1", "dde.Comfenno.COM1"}));
  Feed("5\r");
  EXPECT_EQ(engine().FieldText(1), "5");

  // Without a bus only live-data output is told about it.
  const QDBusConnection none = QDBusConnection::connectToBus(
      QStringLiteral("unix:path=/nonexistent/fenno-bus"), QStringLiteral("fenno-no-bus"));
  for (const int16_t method : {kLogToDisk, kDdeServer}) {
    settings.OutputMethod = method;
    prompt.messages.clear();
    Close();
    live =
        std::make_unique<LiveData>(ComfennoEdition(), settings, strings, prompt, none, &clipboard);
    ddeClient = live->Client();
    links = live->Links();
    EXPECT_EQ(ddeClient, nullptr);
    EXPECT_EQ(links, nullptr);
    Start(ActivationMode::Normal, {this});
    EXPECT_EQ(prompt.messages.size(), method == kDdeServer ? 1u : 0u);
    EXPECT_TRUE(live->Commands()->Execute("{SEND(x)}"));
    EXPECT_EQ(engine().QueuedOutput(), "x");
  }
}

class CommandTargetTest : public LiveDataTest {
 protected:
  CommandTargetTest() {
    settings.FieldCount = 1;
    settings.DdeTargetApp = "Target";
    settings.DdeTargetTopic = "Sys";
    settings.RecordPreamble = "[pre]";
    settings.FieldPostamble[1] = "[post]";
  }
  bool Connected() const { return live->Client()->IsConnected(); }
};

// An absent target costs nothing and is looked for again each record; one that leaves ends
// the conversation without a word.
TEST_F(CommandTargetTest, TheTargetIsLookedForAgainForEachRecord) {
  StartEngine();
  Feed("1\r");
  EXPECT_EQ(Request("RecordNumber"), "1");
  EXPECT_FALSE(Connected());
  auto target = Service("dde.Target.Sys");
  Feed("2\r");
  EXPECT_TRUE(Connected());
  target->Leave();
  EXPECT_TRUE(WaitUntil([&] { return !Connected(); }));
  Feed("3\r");
  ASSERT_TRUE(target->Serve("dde.Target.Sys"));
  Feed("4\r");
  EXPECT_EQ(target->executed, (Texts{"[pre]", "[post]", "[pre]", "[post]"}));
  EXPECT_EQ(Request("RecordNumber"), "4");
  EXPECT_TRUE(prompt.messages.empty());
}

// While the engine waits for a target that does not answer, ticks that fall due are
// skipped rather than run inside the record.
TEST_F(CommandTargetTest, TicksThatFallDueWhileATargetDoesNotAnswerAreSkipped) {
  auto target = Service("dde.Target.Sys");
  target->answerExecute = false;
  StartEngine();
  EngineEvents order;
  engine().AddObserver(&order);
  int skippedTicks = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    if (!engine().InsideTick()) return;
    if (skippedTicks++ == 0) {
      port.input = "7\r";
      target->answerExecute = true;
    }
    Tick();
  });
  ticker.start(20);
  Feed("5\r");
  ticker.stop();
  EXPECT_GT(skippedTicks, 0);
  EXPECT_EQ(order.events, (Texts{"Field(1)=5", "#1", "Field(1)=7", "#2"}));
  EXPECT_EQ(target->executed, (Texts{"[pre]", "[post]", "[pre]", "[post]"}));
}

class LinksTest : public LiveDataTest {
 protected:
  LinksTest() {
    settings.OutputMethod = kLogToDisk;
    settings.LogFilePath = "/dev/null";
    settings.CommandLinkApp = settings.BufferLinkApp = "Sheet";
    settings.CommandLinkTopic = settings.BufferLinkTopic = "Lab";
    settings.CommandLinkItem = "R1C1";
    settings.BufferLinkItem = "Out";
  }
  bool CommandLinkUp() const { return live->Links()->CommandLinkActive(); }
};

// The partner going away drops the command link without a word; Refresh brings it back.
TEST_F(LinksTest, TheCommandLinkRunsEveryValueOfItsItemUntilThePartnerLeaves) {
  auto sheet = Service("dde.Sheet.Lab");
  sheet->SetItem("R1C1", "{SEND(first)}", false);
  settings.CommandLinkAuto = true;
  StartEngine();
  // The current value arrives once when the link is established.
  EXPECT_TRUE(WaitUntil([&] { return engine().QueuedOutput() == "first"; }));
  for (const std::string item : {"R1C1", "R1C1", "r1c1", "R2C1", "R1C1"})
    sheet->SetItem(item, item == "R2C1" ? "{SEND(other item)}" : "{SEND(" + item + ")}");
  sheet->SetItem("R1C1", "");
  sheet->SetItem("R1C1", "{BEEP}");
  EXPECT_TRUE(WaitUntil([&] { return prompt.beeps == 1; }));
  EXPECT_EQ(engine().QueuedOutput(), "firstR1C1R1C1r1c1R1C1");  // item names ignore case

  Tick();
  sheet->Leave();
  EXPECT_TRUE(WaitUntil([&] { return !CommandLinkUp(); }));
  EXPECT_FALSE(live->Menu()->State().terminateCommand);
  EXPECT_TRUE(live->Menu()->State().refreshCommand);
  ASSERT_TRUE(sheet->Serve("dde.Sheet.Lab"));
  sheet->SetItem("R1C1", "{SEND(lost)}");
  Settle();
  EXPECT_EQ(engine().QueuedOutput(), "");

  sheet->SetItem("R1C1", "{SEND(now)}", false);
  live->Menu()->RefreshCommandLink();
  Tick();  // the link is established on the tick
  EXPECT_TRUE(WaitUntil([&] { return engine().QueuedOutput() == "now"; }));
  EXPECT_TRUE(live->Commands()->Execute("{TERMINATE-COMMAND}"));
  EXPECT_FALSE(CommandLinkUp());
  sheet->SetItem("R1C1", "{SEND(after)}");
  Settle();
  EXPECT_EQ(engine().QueuedOutput(), "now");
  EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(LinksTest, TheBufferLinkSendsValuesToTheDeviceWithAndWithoutStrippingCrLf) {
  auto sheet = Service("dde.Sheet.Lab");
  sheet->SetItem("Out", "", false);
  settings.BufferLinkAuto = true;
  StartEngine();
  Settle();
  const std::vector<std::tuple<bool, std::string, std::string>> cases = {
      {true, "ABC\r\n", "ABC"},
      {false, "ABC\r\n", "ABC\r\n"},
      {true, "A\r\n\r\n", "A\r\n"},  // one line end is stripped
      {true, "AB\n\r", "AB\n\r"},
  };
  for (const auto& [strip, value, queued] : cases) {
    settings.StripCrLf = strip;
    Tick();
    sheet->SetItem("Out", value);
    sheet->SetItem("Other", "x");
    Settle();
    EXPECT_EQ(engine().QueuedOutput(), queued) << value;
  }
  EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(LinksTest, ALinkThatCannotBeEstablishedIsReportedOncePerAttempt) {
  settings.CommandLinkAuto = settings.BufferLinkAuto = true;
  settings.BufferLinkApp = "Logger";
  StartEngine();
  EXPECT_TRUE(WaitUntil([&] { return prompt.messages.size() == 2; }));
  Settle();
  ASSERT_EQ(prompt.messages.size(), 2u);
  EXPECT_NE(prompt.messages[0].text.find(" Sheet,Lab,R1C1\n"), std::string::npos);
  EXPECT_NE(prompt.messages[1].text.find(" Logger,Lab,Out\n"), std::string::npos);

  // A partner that is there but has no such item fails too.
  auto sheet = Service("dde.Sheet.Lab");
  for (const std::string item : {"Other", "R1C1"}) {
    sheet->SetItem(item, "", false);
    live->Menu()->RefreshCommandLink();
    Tick();
    Settle();
    EXPECT_TRUE(WaitUntil([&] { return prompt.messages.size() == 3; }));
    EXPECT_EQ(CommandLinkUp(), item == "R1C1");
  }
}

// A link to a program's own item: pasting the link the copy command made.
TEST_F(LinksTest, PasteOfACopiedItemLinksBackToThisProgram) {
  settings.OutputMethod = kDdeServer;
  StartEngine();
  Feed("{SEND(looped)}\r");
  ASSERT_TRUE(live->Commands()->Execute("{COPYFIELD(1)}"));
  EXPECT_EQ(clipboard.link, "Comfenno|COM1!Field(1)");
  ASSERT_TRUE(live->Commands()->Execute("{PASTE-COMMAND}"));
  Tick();
  EXPECT_TRUE(WaitUntil([&] { return engine().QueuedOutput() == "looped"; }));
}

}  // namespace
}  // namespace fenno

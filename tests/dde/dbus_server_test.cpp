// The engine's items and commands on a private session bus, as a client sees them.

#include <QDBusConnectionInterface>

#include "dde/dde_text_ids.h"
#include "dde/live_engine.h"

namespace fenno {
namespace {

using testing::LiveEngineTest;
using testing::WaitUntil;

class QuitCounter : public EngineObserver {
 public:
  void OnQuitRequested() override { ++quits; }
  int quits = 0;
};

class DbusServerTest : public LiveEngineTest {
 protected:
  void Restart(const Edition& edition) {
    Close();
    live.reset();
    StartEngine(edition);
  }
};

TEST_F(DbusServerTest, TheServiceNameFollowsTheTopic) {
  struct Case {
    const Edition& edition;
    std::string portName;
    std::string topic;
    std::string serviceName;
  };
  const std::vector<Case> cases = {
      {ComfennoEdition(), "COM2", "", "dde.Comfenno.COM2"},
      {ComfennoEdition(), "COM1", "Lab 1", "dde.Comfenno.Lab_201"},
      {NetfennoEdition(), "10.0.0.5", "", "dde.Netfenno._10_2e0_2e0_2e5"},
  };
  settings.RecordStructure = kDelimitedFields;
  settings.FieldCount = 3;
  for (const Case& c : cases) {
    working.PortName = c.portName;
    settings.DDETopic = c.topic;
    Restart(c.edition);
    EXPECT_TRUE(bus->HasOwner(c.serviceName)) << c.serviceName;
    Feed("1,2," + c.portName + "\r");
    EXPECT_EQ(Request("Field(3)"), c.portName);
  }
  Close();
  live.reset();
  EXPECT_FALSE(bus->HasOwner("dde.Netfenno._10_2e0_2e0_2e5"));
}

TEST_F(DbusServerTest, RequestAndItemsServeTheBoxesOfTheLastRecord) {
  settings.RecordStructure = kDelimitedFields;
  settings.FieldCount = 3;
  settings.ShowDateTime = true;
  settings.DateTimeFormat = "yyyy-mm-dd hh:nn:ss";
  StartEngine();
  Feed("1.5,,caf\xe9\r");
  EXPECT_EQ(Request("Field(1)"), "1.5");
  EXPECT_EQ(Request("Field(2)"), "");
  EXPECT_EQ(Request("field(3)"), "caf\xe9");
  EXPECT_EQ(Call(QStringLiteral("Request"), {QStringLiteral("Field(3)")}).arguments().value(0),
            QVariant(QStringLiteral(u"café")));
  EXPECT_EQ(Request("RecordNumber"), "1");
  EXPECT_EQ(Request("DateTime"), "2026-12-05 14:03:09");
  for (const std::string unknown : {"Field(4)", "Field(0)", "Field(01)", "Field", "Other"})
    EXPECT_EQ(Request(unknown), "<error dde.Error.UnknownItem>") << unknown;

  const QDBusMessage items = Call(QStringLiteral("Items"));
  EXPECT_EQ(items.arguments().value(0).toStringList(),
            QStringList({"Field(1)", "Field(2)", "Field(3)", "DateTime", "RecordNumber"}));
}

// The target of the commands asks for the items when the last field's command arrives:
// every field and the record number are in place by then, and the engine answers while
// it waits for the target.
TEST_F(DbusServerTest, OneAdvisePerChangedItemAndAllInPlaceBeforeTheLastCommand) {
  settings.RecordStructure = kDelimitedFields;
  settings.FieldCount = 2;
  settings.DdeTargetApp = "Target";
  settings.DdeTargetTopic = "Sys";
  settings.RecordPreamble = "[pre]";
  settings.FieldPostamble[2] = "[last]";
  auto target = Service("dde.Target.Sys");
  std::vector<std::string> seenAtLast;
  target->onExecute = [&](const std::string& command) {
    if (command != "[last]") return;
    for (const std::string item : {"Field(1)", "Field(2)", "RecordNumber"})
      seenAtLast.push_back(Request(item));
  };
  StartEngine();
  std::vector<std::string> advised;
  AdviseSubscription subscription(client, ServiceName(),
                                  [&](const std::string& item, const std::string& value) {
                                    advised.push_back(item + "=" + value);
                                  });
  Feed("1.5,2\r");
  Feed("1.5,3\r");
  EXPECT_TRUE(WaitUntil([&] { return advised.size() >= 5; }));
  EXPECT_EQ(advised, (std::vector<std::string>{"Field(1)=1.5", "Field(2)=2", "RecordNumber=1",
                                               "Field(2)=3", "RecordNumber=2"}));
  EXPECT_EQ(target->executed, (std::vector<std::string>{"[pre]", "[last]", "[pre]", "[last]"}));
  EXPECT_EQ(seenAtLast, (std::vector<std::string>{"1.5", "2", "1", "1.5", "3", "2"}));
  EXPECT_TRUE(prompt.messages.empty());
}

// A flood of records in one tick must not pile signals up in the bus connection: beyond
// the turn's budget, each item goes out once more with the text of the last record.
TEST_F(DbusServerTest, AFloodIsAdvisedWithinTheBudgetAndEndsWithTheLastRecord) {
  settings.RecordStructure = kDelimitedFields;
  settings.FieldCount = 1;
  StartEngine();
  std::vector<std::string> advised;
  AdviseSubscription subscription(client, ServiceName(),
                                  [&](const std::string& item, const std::string& value) {
                                    advised.push_back(item + "=" + value);
                                  });
  std::string flood;
  const int records = 2000;
  for (int i = 1; i <= records; ++i) flood += std::to_string(i) + "\r";
  Feed(flood);
  const std::vector<std::string> last = {"Field(1)=2000", "RecordNumber=2000"};
  EXPECT_TRUE(WaitUntil([&] {
    return advised.size() >= 2 &&
           std::vector<std::string>(advised.end() - 2, advised.end()) == last;
  }));
  EXPECT_LE(advised.size(), AdviseBudget::kChangesPerTurn + 2);
  EXPECT_EQ(advised.front(), "Field(1)=1");
}

TEST_F(DbusServerTest, ExecuteIsAcceptedOrRefusedAsTheCommandLanguageSays) {
  StartEngine();
  EXPECT_EQ(Execute(QStringLiteral("{SEND(abc)}")), true);
  EXPECT_EQ(Execute(QStringLiteral(u"  [send(é)] \r\n")), true);
  EXPECT_EQ(engine().QueuedOutput(), "abc\xe9");
  EXPECT_EQ(Execute(QStringLiteral("{nonsense}")), false);
  EXPECT_EQ(Execute(QStringLiteral("{SEND()}")), false);
  // A character no 8-bit device can receive is refused rather than sent garbled.
  EXPECT_EQ(Execute(QStringLiteral(u"{SEND(5 €)}")), false);
  EXPECT_EQ(engine().QueuedOutput(), "abc\xe9");
  EXPECT_EQ(Execute(QStringLiteral("{SUSPEND}")), true);
  EXPECT_TRUE(engine().Suspended());
  const QDBusMessage wrong = Call(QStringLiteral("Execute"), {42});
  EXPECT_EQ(wrong.type(), QDBusMessage::ErrorMessage);
  // {APPEXIT} is answered before the engine quits.
  QuitCounter quit;
  engine().AddObserver(&quit);
  EXPECT_EQ(Execute(QStringLiteral("{APPEXIT}")), true);
  EXPECT_EQ(quit.quits, 0);
}

TEST_F(DbusServerTest, ATopicServedByAnotherProgramIsReportedAndTheEngineRunsOn) {
  auto other = Service("dde.Comfenno.COM1");
  StartEngine();
  EXPECT_FALSE(live->Server()->Serving());
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].text,
            strings.Format(str::kTopicAlreadyServed, {"COM1", "dde.Comfenno.COM1"}));
  Feed("5\r");
  EXPECT_EQ(engine().FieldText(1), "5");
}

TEST_F(DbusServerTest, WithoutABusOnlyLiveDataOutputIsToldAboutIt) {
  const QDBusConnection none = QDBusConnection::connectToBus(
      QStringLiteral("unix:path=/nonexistent/fenno-bus"), QStringLiteral("fenno-no-bus"));
  for (const int16_t method : {kLogToDisk, kDdeServer}) {
    settings.OutputMethod = method;
    prompt.messages.clear();
    Close();
    live =
        std::make_unique<LiveData>(ComfennoEdition(), settings, strings, prompt, none, &clipboard);
    EXPECT_EQ(live->Client(), nullptr);
    EXPECT_EQ(live->Links(), nullptr);
    Start(ActivationMode::Normal, {this});
    EXPECT_EQ(prompt.messages.size(), method == kDdeServer ? 1u : 0u);
    EXPECT_TRUE(live->Commands()->Execute("{SEND(x)}"));
    EXPECT_EQ(engine().QueuedOutput(), "x");
  }
}

}  // namespace
}  // namespace fenno

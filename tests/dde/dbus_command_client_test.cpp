// The commands sent after records to the target program over the bus.

#include <QTimer>
#include <utility>

#include "dde/live_engine.h"

namespace fenno {
namespace {

using testing::LiveEngineTest;
using testing::WaitUntil;

class RecordOrder : public EngineObserver {
 public:
  void OnFieldText(int field, const std::string& text) override {
    events.push_back("Field(" + std::to_string(field) + ")=" + text);
  }
  void OnRecordNumber(const std::string& text) override { events.push_back("#" + text); }
  std::vector<std::string> events;
};

class DbusCommandClientTest : public LiveEngineTest {
 protected:
  DbusCommandClientTest() {
    settings.DdeTargetApp = "Target";
    settings.DdeTargetTopic = "Sys";
    settings.RecordPreamble = "[pre]";
    settings.FieldPostamble[1] = "[post]";
  }
  bool Connected() const { return live->Client()->IsConnected(); }
};

TEST_F(DbusCommandClientTest, AnAbsentTargetCostsNothingAndIsLookedForAgainEachRecord) {
  StartEngine();
  Feed("1\r");
  EXPECT_EQ(Request("Field(1)"), "1");
  EXPECT_EQ(Request("RecordNumber"), "1");
  EXPECT_FALSE(Connected());
  EXPECT_TRUE(prompt.messages.empty());

  auto target = Service("dde.Target.Sys");
  Feed("2\r");
  EXPECT_EQ(target->executed, (std::vector<std::string>{"[pre]", "[post]"}));
  EXPECT_TRUE(Connected());
}

TEST_F(DbusCommandClientTest, ATargetThatLeavesEndsTheConversationAndTheNextRecordReconnects) {
  auto target = Service("dde.Target.Sys");
  StartEngine();
  Feed("1\r");
  ASSERT_TRUE(Connected());
  target->Leave();
  EXPECT_TRUE(WaitUntil([&] { return !Connected(); }));
  Feed("2\r");  // nobody there: nothing sent, nothing shown
  ASSERT_TRUE(target->Serve("dde.Target.Sys"));
  Feed("3\r");
  EXPECT_EQ(target->executed, (std::vector<std::string>{"[pre]", "[post]", "[pre]", "[post]"}));
  EXPECT_EQ(Request("RecordNumber"), "3");
  EXPECT_TRUE(prompt.messages.empty());
}

// While the engine waits for a target that does not answer, ticks that fall due are
// skipped rather than run inside the record.
TEST_F(DbusCommandClientTest, TicksThatFallDueWhileATargetDoesNotAnswerAreSkipped) {
  auto target = Service("dde.Target.Sys");
  target->answerExecute = false;
  StartEngine();
  RecordOrder order;
  engine().AddObserver(&order);
  int skippedTicks = 0;
  bool sent = false;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    if (!engine().InsideTick()) return;
    ++skippedTicks;
    if (!std::exchange(sent, true)) {
      port.input = "7\r";
      target->answerExecute = true;
    }
    Tick();
  });
  ticker.start(20);

  Feed("5\r");
  ticker.stop();

  EXPECT_GT(skippedTicks, 0);
  EXPECT_EQ(order.events, (std::vector<std::string>{"Field(1)=5", "#1", "Field(1)=7", "#2"}));
  EXPECT_EQ(target->executed, (std::vector<std::string>{"[pre]", "[post]", "[pre]", "[post]"}));
  EXPECT_EQ(Request("Field(1)"), "7");
}

}  // namespace
}  // namespace fenno

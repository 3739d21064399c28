// The command-source and output-buffer links to another program's item.

#include "dde/live_engine.h"

namespace fenno {
namespace {

using testing::LiveEngineTest;
using testing::PumpEventsFor;
using testing::WaitUntil;

class DbusLinksTest : public LiveEngineTest {
 protected:
  DbusLinksTest() {
    settings.OutputMethod = kLogToDisk;
    settings.LogFilePath = "/dev/null";
    settings.CommandLinkApp = "Sheet";
    settings.CommandLinkTopic = "Lab";
    settings.CommandLinkItem = "R1C1";
    settings.BufferLinkApp = "Sheet";
    settings.BufferLinkTopic = "Lab";
    settings.BufferLinkItem = "Out";
  }
  bool CommandLinkUp() const { return live->Links()->CommandLinkActive(); }
  // Lets the link's messages arrive.
  void Settle() { PumpEventsFor(100); }
};

TEST_F(DbusLinksTest, CommandLinkRunsEveryValueTheSameValueTwiceTwice) {
  auto sheet = Service("dde.Sheet.Lab");
  sheet->SetItem("R1C1", "{SEND(first)}", false);
  settings.CommandLinkAuto = true;
  StartEngine();
  // The current value arrives once when the link is established.
  EXPECT_TRUE(WaitUntil([&] { return engine().QueuedOutput() == "first"; }));
  EXPECT_TRUE(CommandLinkUp());
  sheet->SetItem("R1C1", "{SEND(A)}");
  sheet->SetItem("R1C1", "{SEND(A)}");
  sheet->SetItem("r1c1", "{SEND(B)}");  // item names ignore letter case
  sheet->SetItem("R2C1", "{SEND(other item)}");
  sheet->SetItem("R1C1", "");
  sheet->SetItem("R1C1", "{BEEP}");
  EXPECT_TRUE(WaitUntil([&] { return prompt.beeps == 1; }));
  EXPECT_EQ(engine().QueuedOutput(), "firstAAB");
  EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(DbusLinksTest, BufferLinkSendsValuesToTheDeviceWithAndWithoutStrippingCrLf) {
  auto sheet = Service("dde.Sheet.Lab");
  sheet->SetItem("Out", "", false);
  settings.BufferLinkAuto = true;
  StartEngine();
  Settle();
  EXPECT_TRUE(live->Links()->BufferLinkActive());
  const std::vector<std::tuple<bool, std::string, std::string>> cases = {
      {true, "ABC\r\n", "ABC"},     {false, "ABC\r\n", "ABC\r\n"}, {true, "\r\n", ""},
      {true, "A\r\n\r\n", "A\r\n"}, {true, "AB\n\r", "AB\n\r"},    {true, "", ""},
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

// The partner going away drops the command link without a word; Refresh brings it back.
TEST_F(DbusLinksTest, APartnerThatLeavesDropsTheLinkAndRefreshReestablishesIt) {
  auto sheet = Service("dde.Sheet.Lab");
  sheet->SetItem("R1C1", "", false);
  settings.CommandLinkAuto = true;
  StartEngine();
  Settle();
  ASSERT_TRUE(CommandLinkUp());
  sheet->Leave();
  EXPECT_TRUE(WaitUntil([&] { return !CommandLinkUp(); }));
  EXPECT_TRUE(prompt.messages.empty());
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
  EXPECT_TRUE(CommandLinkUp());
  sheet->SetItem("R1C1", "{SEND(!)}");
  EXPECT_TRUE(WaitUntil([&] { return engine().QueuedOutput() == "now!"; }));

  // Terminate from the command language itself.
  EXPECT_TRUE(live->Commands()->Execute("{TERMINATE-COMMAND}"));
  EXPECT_FALSE(CommandLinkUp());
  sheet->SetItem("R1C1", "{SEND(after)}");
  Settle();
  EXPECT_EQ(engine().QueuedOutput(), "now!");
}

TEST_F(DbusLinksTest, ALinkThatCannotBeEstablishedIsReportedOncePerAttempt) {
  settings.CommandLinkAuto = true;
  settings.BufferLinkAuto = true;
  settings.BufferLinkApp = "Logger";
  StartEngine();
  EXPECT_TRUE(WaitUntil([&] { return prompt.messages.size() == 2; }));
  Settle();
  ASSERT_EQ(prompt.messages.size(), 2u);
  EXPECT_NE(prompt.messages[0].text.find(" Sheet,Lab,R1C1\n"), std::string::npos);
  EXPECT_NE(prompt.messages[1].text.find(" Logger,Lab,Out\n"), std::string::npos);
  EXPECT_FALSE(CommandLinkUp());

  // A partner that is there but has no such item fails too.
  auto sheet = Service("dde.Sheet.Lab");
  sheet->SetItem("Other", "x", false);
  live->Menu()->RefreshCommandLink();
  Tick();
  EXPECT_TRUE(WaitUntil([&] { return prompt.messages.size() == 3; }));
  EXPECT_FALSE(CommandLinkUp());

  sheet->SetItem("R1C1", "", false);
  live->Menu()->RefreshCommandLink();
  Tick();
  Settle();
  EXPECT_TRUE(CommandLinkUp());
  EXPECT_EQ(prompt.messages.size(), 3u);
}

// A link to a program's own item: pasting the link the copy command made.
TEST_F(DbusLinksTest, PasteOfACopiedItemLinksBackToThisProgram) {
  settings.OutputMethod = kDdeServer;
  StartEngine();
  Feed("{SEND(looped)}\r");
  ASSERT_TRUE(live->Commands()->Execute("{COPYFIELD(1)}"));
  EXPECT_EQ(clipboard.link, "Comfenno|COM1!Field(1)");
  ASSERT_TRUE(live->Commands()->Execute("{PASTE-COMMAND}"));
  EXPECT_EQ(settings.CommandLinkApp, "Comfenno");
  Tick();
  EXPECT_TRUE(WaitUntil([&] { return engine().QueuedOutput() == "looped"; }));
}

}  // namespace
}  // namespace fenno

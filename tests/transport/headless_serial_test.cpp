// `comfenno --headless` on a pseudo-terminal where the device simulator plays a balance:
// COM5 is pointed at the simulator's link in a per-user store of the test's own.

#include <gtest/gtest.h>

#include "transport/headless_support.h"

namespace fenno {
namespace {

using namespace testing;

class HeadlessSerialTest : public ::testing::Test {
 protected:
  HeadlessSerialTest()
      : folder_("headless-serial"), link_(folder_ / "balance"), log_(folder_ / "balance.log") {
    AssignPort(ConfigHome(), "COM5", link_);
    settings_ = BalanceToLog(ComfennoEdition(), folder_.Path(), log_);
    settings_.PortIndex = 4;
  }

  fs::path ConfigHome() const { return folder_.Path() / "config"; }

  std::unique_ptr<ChildProcess> StartBalance(std::vector<std::string> extra = {}) {
    std::vector<std::string> arguments = {"--pty",   "--link", link_, "--device",
                                          "balance", "--rate", "20",  "--echo-received"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    auto simulator = StartSimulator(arguments, folder_.Path() / "simulator");
    EXPECT_NE(simulator->WaitForLine("LINK"), "") << simulator->Errors();
    return simulator;
  }

  std::unique_ptr<ChildProcess> StartComfenno(const std::string& name) {
    const std::string config = folder_ / (name + ".DE3");
    WriteConfiguration(config, settings_, ComfennoEdition());
    return std::make_unique<ChildProcess>(
        std::vector<std::string>{Comfenno(), "--headless", config}, folder_.Path() / name,
        std::map<std::string, std::string>{{"XDG_CONFIG_HOME", ConfigHome().string()}});
  }

  std::vector<long> Logged() const { return WeighingNumbers(ReadWholeFile(log_)); }

  ScratchFolder folder_;
  std::string link_;
  std::string log_;
  Settings settings_;
};

TEST_F(HeadlessSerialTest, WeighingsReachTheLogAndEachIsAcknowledgedToTheBalance) {
  auto balance = StartBalance();
  auto program = StartComfenno("balance");
  ASSERT_TRUE(WaitUntil([&] { return Logged().size() >= 10 && AcksReceived(*balance) >= 10; }))
      << program->Errors();
  Terminate(*program);

  const std::vector<long> numbers = Logged();
  ExpectWholeOrderedLines(ReadWholeFile(log_));
  EXPECT_TRUE(Consecutive(numbers));
  // The acknowledgement of the last record may still have been queued at the end.
  EXPECT_TRUE(WaitUntil([&] { return AcksReceived(*balance) + 1 >= numbers.size(); }));
  EXPECT_LE(AcksReceived(*balance), numbers.size());
}

TEST_F(HeadlessSerialTest, APortThatCannotBeOpenedEndsTheProgramWithStatus3) {
  AssignPort(ConfigHome(), "COM5", folder_ / "no-such-device");
  auto missing = StartComfenno("missing");
  ASSERT_TRUE(missing->WaitForExit());
  EXPECT_EQ(missing->ExitCode(), 3);
  EXPECT_NE(missing->Errors().find("COM5 Device Not Available."), std::string::npos)
      << missing->Errors();
  EXPECT_NE(missing->Errors().find("does not exist"), std::string::npos);

  AssignPort(ConfigHome(), "COM5", link_);
  auto balance = StartBalance();
  auto first = StartComfenno("first");
  ASSERT_TRUE(WaitUntil([&] { return !Logged().empty(); })) << first->Errors();
  settings_.LogFilePath = folder_ / "second.log";
  auto second = StartComfenno("second");
  ASSERT_TRUE(second->WaitForExit());
  EXPECT_EQ(second->ExitCode(), 3);
  EXPECT_NE(second->Errors().find("in use by another program"), std::string::npos)
      << second->Errors();
  EXPECT_TRUE(first->Running()) << "the program that holds the port goes on";
  Terminate(*first);
}

// The balance's pseudo-terminal goes away and a new one appears at the same link, as a USB
// adapter that is pulled out and plugged in again: the running program opens it again.
TEST_F(HeadlessSerialTest, ABalanceThatComesBackIsReadAgainWithoutARestart) {
  auto balance = StartBalance({"--drop-after", "2", "--down-for", "1.5"});
  auto program = StartComfenno("balance");
  ASSERT_TRUE(WaitUntil([&] {
    return program->Errors().find("was disconnected") != std::string::npos;
  })) << program->Errors();
  const std::vector<long> before = Logged();
  ASSERT_TRUE(WaitUntil([&] {
    return program->Errors().find("connected again") != std::string::npos;
  })) << program->Errors();
  const size_t acksBefore = AcksReceived(*balance);
  ASSERT_TRUE(WaitUntil([&] {
    return Logged().size() >= before.size() + 10 && AcksReceived(*balance) >= acksBefore + 5;
  })) << program->Errors();
  Terminate(*program);

  ASSERT_GE(before.size(), 3u);
  const std::vector<long> numbers = Logged();
  ExpectWholeOrderedLines(ReadWholeFile(log_));
  EXPECT_TRUE(std::equal(before.begin(), before.end(), numbers.begin()));
  EXPECT_TRUE(Consecutive(
      std::vector<long>(numbers.begin() + static_cast<long>(before.size()), numbers.end())));
  const std::string messages = program->Errors();
  EXPECT_EQ(Occurrences(messages, "was disconnected"), 1u) << messages;
  EXPECT_EQ(Occurrences(messages, "connected again"), 1u) << messages;
  EXPECT_EQ(Occurrences(messages, "Device Not Available"), 0u) << messages;
}

}  // namespace
}  // namespace fenno

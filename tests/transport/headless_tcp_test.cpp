// `netfenno --headless` against the device simulator over loopback, as client of a device
// that listens and as server that a device calls.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "transport/headless_support.h"

namespace fenno {
namespace {

using namespace testing;

// A TCP socket listening on `port` of every address (0: any free port), as another
// program holding the port would.
class Listener {
 public:
  explicit Listener(uint16_t port = 0) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    socklen_t size = sizeof address;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), size) != 0 || ::listen(fd_, 1) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
      return;
    port_ = ntohs(address.sin_port);
  }
  ~Listener() { ::close(fd_); }
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  uint16_t Port() const { return port_; }

 private:
  int fd_;
  uint16_t port_ = 0;
};

// A port that was free a moment ago.
uint16_t FreePort() {
  return Listener().Port();
}

class HeadlessTcpTest : public ::testing::Test {
 protected:
  HeadlessTcpTest()
      : folder_("headless-tcp"),
        log_(folder_ / "balance.log"),
        settings_(BalanceToLog(NetfennoEdition(), folder_.Path(), log_)) {}

  std::unique_ptr<ChildProcess> StartBalance(const std::vector<std::string>& where) {
    std::vector<std::string> arguments = where;
    for (const char* word : {"--device", "balance", "--rate", "20", "--echo-received"})
      arguments.push_back(word);
    return StartSimulator(arguments, folder_.Path() / "simulator");
  }

  std::unique_ptr<ChildProcess> StartNetfenno(const std::string& name) {
    const std::string config = folder_ / (name + ".DO3");
    WriteConfiguration(config, settings_, NetfennoEdition());
    return std::make_unique<ChildProcess>(
        std::vector<std::string>{Netfenno(), "--headless", config}, folder_.Path() / name);
  }

  // Lets ten weighings through, ends the program and checks the log and the device.
  void ExpectWeighingsLoggedAndAcknowledged(ChildProcess& program, const ChildProcess& balance) {
    ASSERT_TRUE(WaitUntil([&] { return Logged().size() >= 10 && AcksReceived(balance) >= 10; }))
        << program.Errors() << balance.Errors();
    Terminate(program);
    const std::vector<long> numbers = Logged();
    ExpectWholeOrderedLines(ReadWholeFile(log_));
    EXPECT_EQ(numbers.front(), 1) << "the device sends only once connected";
    EXPECT_TRUE(Consecutive(numbers));
    EXPECT_TRUE(WaitUntil([&] { return AcksReceived(balance) + 1 >= numbers.size(); }));
    EXPECT_LE(AcksReceived(balance), numbers.size());
    EXPECT_EQ(program.Errors(), "");
  }

  std::vector<long> Logged() const { return WeighingNumbers(ReadWholeFile(log_)); }

  ScratchFolder folder_;
  std::string log_;
  Settings settings_;
};

TEST_F(HeadlessTcpTest, AsClientOfAListeningBalance) {
  auto balance = StartBalance({"--tcp-server", "0", "--bind", "127.0.0.1"});
  const std::string listening = balance->WaitForLine("LISTENING");
  ASSERT_NE(listening, "") << balance->Errors();
  settings_.TcpMode = 0;
  settings_.TcpRemoteHost = "127.0.0.1";
  settings_.TcpRemotePort = listening.substr(listening.find(' ') + 1);
  auto program = StartNetfenno("client");
  ExpectWeighingsLoggedAndAcknowledged(*program, *balance);
}

TEST_F(HeadlessTcpTest, AsServerThatABalanceCalls) {
  const std::string port = std::to_string(FreePort());
  settings_.TcpMode = 1;
  settings_.TcpLocalPort = port;
  auto program = StartNetfenno("server");
  auto balance = StartBalance({"--tcp-client", "127.0.0.1:" + port});
  ExpectWeighingsLoggedAndAcknowledged(*program, *balance);
}

TEST_F(HeadlessTcpTest, APortThatCannotBeListenedOnEndsTheProgramWithStatus3) {
  const Listener otherProgram;
  ASSERT_NE(otherProgram.Port(), 0);
  struct Case {
    std::string localPort;
    std::string says;
  };
  const std::vector<Case> cases = {
      {std::to_string(otherProgram.Port()), "is already in use by another program"},
      {"70000", "\"70000\" is not a valid TCP port number"},
  };
  settings_.TcpMode = 1;
  for (const Case& row : cases) {
    SCOPED_TRACE(row.localPort);
    settings_.TcpLocalPort = row.localPort;
    auto program = StartNetfenno("server");
    ASSERT_TRUE(program->WaitForExit());
    EXPECT_EQ(program->ExitCode(), 3);
    EXPECT_NE(program->Errors().find(row.says), std::string::npos) << program->Errors();
  }
}

}  // namespace
}  // namespace fenno

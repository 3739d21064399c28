// The device simulator of tools/ driving the real ports end to end.

#include <gtest/gtest.h>

#include <QProcess>
#include <QTcpServer>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <regex>

#include "transport/qt_serial_port.h"
#include "transport/qt_tcp_port.h"
#include "transport/transport_test_support.h"

namespace fenno {
namespace {

using testing::WaitUntil;

std::string SimulatorPath() {
  const char* source = std::getenv("FENNO_SOURCE_DIR");
  const std::filesystem::path root =
      source ? std::filesystem::path(source)
             : std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
  return (root / "tools" / "device_simulator.py").string();
}

// The simulator as a child process, with the lines it announces.
class Simulator {
 public:
  explicit Simulator(const QStringList& arguments) {
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start("python3", QStringList{QString::fromStdString(SimulatorPath())} + arguments);
  }
  ~Simulator() {
    process_.terminate();
    if (!process_.waitForFinished(10000)) process_.kill();
    process_.waitForFinished(10000);
  }

  // Waits for an announced line starting with `word`; answers the rest of it.
  std::string WaitFor(const std::string& word) {
    std::string found;
    WaitUntil([&] {
      while (process_.canReadLine()) {
        const std::string line = process_.readLine().trimmed().toStdString();
        if (line.rfind(word + " ", 0) == 0 || line == word) {
          found = line.size() > word.size() ? line.substr(word.size() + 1) : "-";
          return true;
        }
      }
      return process_.state() == QProcess::NotRunning;
    });
    return found;
  }

 private:
  QProcess process_;
};

// Sequence numbers of the complete records in `text` that match `pattern` (first group).
std::vector<long> SequenceNumbers(const std::string& text, const std::regex& pattern) {
  std::vector<long> numbers;
  for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
    numbers.push_back(std::stol((*it)[1]));
  return numbers;
}

bool Consecutive(const std::vector<long>& numbers) {
  for (size_t i = 1; i < numbers.size(); ++i)
    if (numbers[i] != numbers[i - 1] + 1) return false;
  return true;
}

class DeviceSimulatorTest : public ::testing::Test {
 protected:
  DeviceSimulatorTest() : serial_(ComfennoEdition()), tcp_(NetfennoEdition()) {
    link_ = ::testing::TempDir() + "fenno-simulated-device-" + std::to_string(::getpid());
    serial_.settings.PortIndex = 4;
    serial_.store.Set("Comfenno", "Ports", "COM5", link_);
  }

  testing::PortFixtureContext serial_;
  testing::PortFixtureContext tcp_;
  std::string link_;
};

TEST_F(DeviceSimulatorTest, AFloodOverAPseudoTerminalArrivesWholeAndInOrder) {
  Simulator simulator(
      {"--pty", "--link", QString::fromStdString(link_), "--device", "flood", "--count", "3000"});
  ASSERT_FALSE(simulator.WaitFor("LINK").empty());
  SerialPort port(serial_.context);
  ASSERT_TRUE(port.Open());

  std::string received;
  const std::regex record("SEQ (\\d{10}) [A-Z]+\r\n");
  ASSERT_TRUE(WaitUntil([&] {
    port.Read(received, 1 << 16);
    return received.size() >= 3000u * 64;
  }));
  const std::vector<long> numbers = SequenceNumbers(received, record);
  ASSERT_EQ(numbers.size(), 3000u);
  EXPECT_EQ(numbers.front(), 1);
  EXPECT_TRUE(Consecutive(numbers));
}

TEST_F(DeviceSimulatorTest, APseudoTerminalRecreatedAtTheSamePathIsOpenedAgainByItself) {
  Simulator simulator({"--pty", "--link", QString::fromStdString(link_), "--device", "balance",
                       "--rate", "50", "--drop-after", "1", "--down-for", "0.5"});
  ASSERT_FALSE(simulator.WaitFor("LINK").empty());
  SerialPort port(serial_.context, SerialPortOptions{std::chrono::milliseconds(100)});
  ASSERT_TRUE(port.Open());
  std::string before;
  ASSERT_TRUE(WaitUntil([&] {
    port.Read(before, 4096);
    return port.DeviceLost();
  }));
  EXPECT_EQ(serial_.prompt.messages.size(), 1u);

  std::string after;
  const std::regex weight("N(\\d{6}) +[+-][0-9.]+ g\r\n");
  ASSERT_TRUE(WaitUntil([&] {
    port.Read(after, 4096);
    return SequenceNumbers(after, weight).size() >= 3;
  }));
  EXPECT_EQ(port.Reopened(), 1);
  const std::vector<long> first = SequenceNumbers(before, weight);
  const std::vector<long> second = SequenceNumbers(after, weight);
  ASSERT_FALSE(first.empty());
  EXPECT_TRUE(Consecutive(first));
  EXPECT_TRUE(Consecutive(second));
  EXPECT_GT(second.front(), first.back());
  ASSERT_TRUE(WaitUntil([&] { return serial_.prompt.messages.size() >= 2; }));
  EXPECT_NE(serial_.prompt.messages[1].text.find("connected again"), std::string::npos);
}

TEST_F(DeviceSimulatorTest, ABalanceWaitingForAcknowledgementSendsOneWeighingPerAck) {
  Simulator simulator({"--pty", "--link", QString::fromStdString(link_), "--device", "balance",
                       "--format", "status", "--rate", "50", "--wait-ack"});
  ASSERT_FALSE(simulator.WaitFor("LINK").empty());
  SerialPort port(serial_.context);
  ASSERT_TRUE(port.Open());
  const std::regex weighing("ST,GS,\\+\\d{4}\\.\\d{3} g\r\n");
  std::string received;
  for (int ack = 0; ack < 3; ++ack) {
    ASSERT_TRUE(WaitUntil([&] {
      port.Read(received, 4096);
      return received.find('\n') != std::string::npos;
    }));
    testing::RunEventRounds(20);  // a balance that did not wait would send several meanwhile
    port.Read(received, 4096);
    EXPECT_TRUE(std::regex_match(received, weighing)) << received;
    received.clear();
    ASSERT_EQ(port.Write("\x06"), 1u);
  }
}

TEST_F(DeviceSimulatorTest, AQueryDeviceCallingTheServerAnswersARequest) {
  QTcpServer probe;
  ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
  const uint16_t localPort = probe.serverPort();
  probe.close();
  tcp_.settings.TcpMode = 1;
  tcp_.settings.TcpLocalPort = std::to_string(localPort);
  TcpPort port(tcp_.context);
  ASSERT_TRUE(port.Open());
  Simulator simulator(
      {"--tcp-client", QString("127.0.0.1:%1").arg(localPort), "--device", "query"});
  ASSERT_TRUE(WaitUntil([&] { return port.IsConnected(); }));

  EXPECT_EQ(port.Write("?\r"), 2u);
  std::string reply;
  ASSERT_TRUE(WaitUntil([&] {
    port.Read(reply, 100);
    return reply.find("\r\n") != std::string::npos;
  }));
  EXPECT_TRUE(std::regex_match(reply, std::regex("S000001 +\\+100\\.125 g\r\n"))) << reply;
}

}  // namespace
}  // namespace fenno

// How fast received bytes get from the device to the engine: the receive buffer taken one
// byte at a time (as the engine's read loop does), and a TCP peer flooding the TCP port over
// loopback while the reader drains it. Prints figures; nothing passes or fails here.

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <thread>
#include <vector>

#include "base/prompt.h"
#include "config/user_store.h"
#include "transport/qt_tcp_port.h"
#include "transport/receive_buffer.h"

namespace fenno {
namespace {

void BM_ReceiveBufferTakeOneByteAtATime(benchmark::State& state) {
  const std::string block(static_cast<size_t>(state.range(0)), 'x');
  ReceiveBuffer buffer;
  std::string out;
  for (auto _ : state) {
    buffer.Append(block);
    out.clear();
    while (buffer.TakeFront(out, 1) != 0) {
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReceiveBufferTakeOneByteAtATime)->Arg(4096)->Arg(1 << 20);

void SendToLoopback(uint16_t port, size_t total) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    const std::vector<char> block(64 * 1024, 'y');
    for (size_t sent = 0; sent < total;) {
      const ssize_t n =
          ::send(fd, block.data(), std::min(block.size(), total - sent), MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<size_t>(n);
    }
  }
  ::close(fd);
}

// A TCP peer sends 16 MiB; the reader takes `range(0)` bytes per read between events.
void BM_TcpPortLoopbackThroughput(benchmark::State& state) {
  constexpr size_t kTotal = 16u << 20;
  const size_t perRead = static_cast<size_t>(state.range(0));
  Settings settings = Settings::Defaults(NetfennoEdition(), "/tmp");
  settings.TcpMode = 1;
  MemoryUserStore store;
  ConsolePrompt prompt;
  const StringTable strings(EditionKind::Netfenno, Language::English);
  const PortContext context{settings, NetfennoEdition(), store, prompt, strings};
  uint16_t localPort = 40000;
  for (auto _ : state) {
    TcpPort port(context);
    for (bool open = false; !open; ++localPort) {
      settings.TcpLocalPort = std::to_string(localPort);
      open = port.Open();
    }
    std::thread sender(SendToLoopback, port.ListeningPort(), kTotal);
    std::string out;
    for (size_t received = 0; received < kTotal;) {
      QCoreApplication::processEvents(QEventLoop::AllEvents);
      out.clear();
      for (size_t n; (n = port.Read(out, perRead)) != 0; received += n) {
        if (out.size() > (1 << 16)) out.clear();
      }
    }
    sender.join();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTotal));
}
BENCHMARK(BM_TcpPortLoopbackThroughput)->Arg(1)->Arg(1 << 16)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace fenno

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// Records from a loopback TCP device into `netfenno --headless` in log mode, measured
// against two yardsticks fed the same stream in the same run: a plain copy of the stream
// to a file (the limit any parser works against) and a plain script that logs each line as
// it arrives, opening, appending and closing the log per line (bench/line_logger.py).
//
// For each it prints records/s, MB/s, processor time, and the delay from sending a record
// to its line being in the file (median and 99th percentile), once with the device sending
// as fast as it is read and once at a steady rate; then the two ratios. Nothing passes or
// fails here: the figures are printed, and the exit status is 0 whenever the runs finished.
//
// Each flood is run --repeat times and the fastest run is shown: on a shared machine it is
// the one the neighbours disturbed least.
//
//   netfenno_throughput_bench [--records N] [--script-records N] [--paced-rate R]
//                             [--paced-records N] [--repeat N] [--netfenno PATH]

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/config_file.h"
#include "config/settings.h"

namespace fenno {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kDeadline = std::chrono::seconds(600);

struct Options {
  size_t records = 2000000;
  size_t scriptRecords = 100000;
  double pacedRate = 200;
  size_t pacedRecords = 400;
  int repeat = 3;
  std::string netfenno;
  std::string script;
};

double Seconds(Clock::duration span) {
  return std::chrono::duration<double>(span).count();
}

double CpuSecondsOf(const rusage& usage) {
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double OwnCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return CpuSecondsOf(usage);
}

// The device's stream: numbered balance weighings, CR LF after each.
struct Stream {
  std::string bytes;
  std::vector<size_t> recordEnds;  // offset just past each record
};

Stream MakeStream(size_t records) {
  Stream stream;
  stream.recordEnds.reserve(records);
  char text[64];
  for (size_t n = 1; n <= records; ++n) {
    const int size = std::snprintf(text, sizeof text, "N%08zu %+10.3f g\r\n", n,
                                   100.0 + static_cast<double>(n % 1000) * 0.125);
    stream.bytes.append(text, static_cast<size_t>(size));
    stream.recordEnds.push_back(stream.bytes.size());
  }
  return stream;
}

// Follows a file as others append to it and notes when each line appears in it.
class LineWatcher {
 public:
  LineWatcher(fs::path path, size_t lines) : path_(std::move(path)), appeared_(lines) {
    thread_ = std::thread([this] { Follow(); });
  }
  ~LineWatcher() { Stop(); }
  LineWatcher(const LineWatcher&) = delete;
  LineWatcher& operator=(const LineWatcher&) = delete;

  bool WaitForAll(Clock::time_point deadline) {
    while (seen_.load() < appeared_.size() && Clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return seen_.load() == appeared_.size();
  }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  // Valid after Stop.
  const std::vector<Clock::time_point>& Appeared() const { return appeared_; }
  size_t Seen() const { return seen_.load(); }
  size_t OutOfOrder() const { return outOfOrder_; }

 private:
  void Follow() {
    int fd = -1;
    std::string partial;
    char buffer[1 << 16];
    while (!stop_ && seen_.load() < appeared_.size()) {
      if (fd < 0) fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
      const ssize_t n = fd < 0 ? 0 : ::read(fd, buffer, sizeof buffer);
      if (n <= 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(500));
        continue;
      }
      const Clock::time_point now = Clock::now();
      partial.append(buffer, static_cast<size_t>(n));
      TakeLines(partial, now);
    }
    if (fd >= 0) ::close(fd);
  }

  void TakeLines(std::string& text, Clock::time_point now) {
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
      const size_t index = seen_.load();
      if (index >= appeared_.size()) break;
      appeared_[index] = now;
      const size_t mark = text.find('N', start);
      if (mark > end || std::strtoul(text.c_str() + mark + 1, nullptr, 10) != index + 1)
        ++outOfOrder_;
      seen_.store(index + 1);
    }
    text.erase(0, start);
  }

  fs::path path_;
  std::vector<Clock::time_point> appeared_;
  std::atomic<size_t> seen_{0};
  std::atomic<bool> stop_{false};
  size_t outOfOrder_ = 0;
  std::thread thread_;
};

// The device end: a loopback listener that the consumer calls.
class Device {
 public:
  Device() : listener_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address = Loopback(0);
    socklen_t size = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), size);
    ::listen(listener_, 1);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
  }
  ~Device() {
    Hangup();
    ::close(listener_);
  }
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  static sockaddr_in Loopback(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
  }
  uint16_t Port() const { return port_; }

  bool Accept() {
    pollfd wait{listener_, POLLIN, 0};
    if (::poll(&wait, 1, 30000) != 1) return false;
    peer_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    return peer_ >= 0;
  }
  void Hangup() {
    if (peer_ >= 0) ::close(peer_);
    peer_ = -1;
  }

  // Sends everything as fast as the consumer reads it; a record counts as sent when the
  // call that took its last byte returns.
  std::vector<Clock::time_point> Flood(const Stream& stream) {
    std::vector<Clock::time_point> sent(stream.recordEnds.size());
    size_t done = 0;
    size_t record = 0;
    while (done < stream.bytes.size()) {
      const size_t chunk = std::min<size_t>(64 * 1024, stream.bytes.size() - done);
      const ssize_t n = ::send(peer_, stream.bytes.data() + done, chunk, MSG_NOSIGNAL);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
      const Clock::time_point now = Clock::now();
      while (record < sent.size() && stream.recordEnds[record] <= done) sent[record++] = now;
    }
    return sent;
  }

  // Sends one record at a time, `rate` records per second.
  std::vector<Clock::time_point> Paced(const Stream& stream, double rate) {
    std::vector<Clock::time_point> sent(stream.recordEnds.size());
    const Clock::time_point start = Clock::now();
    size_t begin = 0;
    for (size_t i = 0; i < sent.size(); ++i) {
      std::this_thread::sleep_until(
          start + std::chrono::duration_cast<Clock::duration>(
                      std::chrono::duration<double>(static_cast<double>(i) / rate)));
      const size_t end = stream.recordEnds[i];
      if (::send(peer_, stream.bytes.data() + begin, end - begin, MSG_NOSIGNAL) <= 0) break;
      sent[i] = Clock::now();
      begin = end;
    }
    return sent;
  }

 private:
  int listener_;
  int peer_ = -1;
  uint16_t port_ = 0;
};

// A program that reads the device and writes lines to a file.
struct Consumer {
  const char* name;
  // Starts it, connecting to the device's port and writing to the file; answers its pid.
  std::function<pid_t(uint16_t port, const fs::path& file)> start;
  // Whether it ends by itself when the device hangs up (otherwise it is sent SIGTERM).
  bool endsAtHangup;
};

struct Figures {
  size_t records = 0;
  size_t bytes = 0;
  double seconds = 0;
  double cpuSeconds = 0;
  double deviceCpuSeconds = 0;
  double medianMs = 0;
  double p99Ms = 0;
  size_t outOfOrder = 0;
  bool complete = false;
};

double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  const auto index = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1));
  std::nth_element(values.begin(), values.begin() + static_cast<long>(index), values.end());
  return values[index];
}

Figures Measure(const Consumer& consumer, const Stream& stream, const fs::path& folder,
                std::optional<double> pacedRate) {
  Figures figures;
  figures.records = stream.recordEnds.size();
  figures.bytes = stream.bytes.size();
  const fs::path file = folder / (std::string(consumer.name) + ".log");
  fs::remove(file);
  Device device;
  const pid_t pid = consumer.start(device.Port(), file);
  if (pid <= 0 || !device.Accept()) {
    if (pid > 0) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
    }
    return figures;
  }
  LineWatcher watcher(file, figures.records);
  const double ownCpuBefore = OwnCpuSeconds();
  const Clock::time_point start = Clock::now();
  const std::vector<Clock::time_point> sent =
      pacedRate ? device.Paced(stream, *pacedRate) : device.Flood(stream);
  figures.complete = watcher.WaitForAll(Clock::now() + kDeadline);
  watcher.Stop();
  figures.deviceCpuSeconds = OwnCpuSeconds() - ownCpuBefore;

  if (!consumer.endsAtHangup) ::kill(pid, SIGTERM);
  device.Hangup();
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  figures.cpuSeconds = CpuSecondsOf(usage);
  figures.outOfOrder = watcher.OutOfOrder();
  if (!figures.complete || watcher.Seen() == 0) return figures;

  figures.seconds = Seconds(watcher.Appeared().back() - start);
  std::vector<double> delays;
  delays.reserve(figures.records);
  for (size_t i = 0; i < figures.records; ++i)
    delays.push_back(Seconds(watcher.Appeared()[i] - sent[i]) * 1000);
  figures.medianMs = Percentile(delays, 0.5);
  figures.p99Ms = Percentile(delays, 0.99);
  return figures;
}

// ---------------------------------------------------------------------------------------
// The three consumers

pid_t Spawn(const std::vector<std::string>& command, const fs::path& errors) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  const int null = ::open("/dev/null", O_RDWR);
  const int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ::dup2(null, STDIN_FILENO);
  ::dup2(null, STDOUT_FILENO);
  ::dup2(err, STDERR_FILENO);
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  ::execvp(argv[0], argv.data());
  std::_Exit(127);
}

// The yardstick: what copying the bytes from the socket to the file costs, no more.
pid_t StartPlainCopy(uint16_t port, const fs::path& file) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in address = Device::Loopback(port);
  if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
    std::_Exit(1);
  const int out = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  std::vector<char> buffer(1 << 16);
  for (ssize_t n; (n = ::read(socket, buffer.data(), buffer.size())) > 0;) {
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = ::write(out, buffer.data() + done, static_cast<size_t>(n - done));
      if (w <= 0) std::_Exit(1);
      done += w;
    }
  }
  std::_Exit(0);
}

fs::path WriteNetfennoConfig(const fs::path& folder, uint16_t port, const fs::path& log) {
  Settings settings = Settings::Defaults(NetfennoEdition(), folder.string());
  settings.TcpMode = 0;
  settings.TcpRemoteHost = "127.0.0.1";
  settings.TcpRemotePort = std::to_string(port);
  settings.OutputMethod = kLogToDisk;
  settings.LogFilePath = log.string();
  settings.PreInputTranslation[10] = kIgnoreEntry;
  const fs::path config = folder / "bench.DO3";
  ConsolePrompt prompt;
  WriteConfigFile(config.string(), settings, NetfennoEdition(),
                  StringTable(EditionKind::Netfenno, Language::English), prompt);
  return config;
}

std::vector<Consumer> Consumers(const Options& options, const fs::path& folder) {
  return {
      {"plain copy", StartPlainCopy, true},
      {"netfenno",
       [&options, folder](uint16_t port, const fs::path& file) {
         const fs::path config = WriteNetfennoConfig(folder, port, file);
         return Spawn({options.netfenno, "--headless", config.string()}, folder / "netfenno.err");
       },
       false},
      {"script",
       [&options, folder](uint16_t port, const fs::path& file) {
         return Spawn({"python3", options.script, "127.0.0.1", std::to_string(port), file.string()},
                      folder / "script.err");
       },
       true},
  };
}

// ---------------------------------------------------------------------------------------
// Printing

double RecordsPerSecond(const Figures& f) {
  return f.seconds > 0 ? static_cast<double>(f.records) / f.seconds : 0;
}

double RecordsPerCpuSecond(const Figures& f) {
  return f.cpuSeconds > 0 ? static_cast<double>(f.records) / f.cpuSeconds : 0;
}

void PrintFlood(const char* name, const Figures& f) {
  if (!f.complete) {
    std::printf("  %-11s did not finish (%zu records out of order)\n", name, f.outOfOrder);
    return;
  }
  std::printf(
      "  %-11s %8zu records %8.3f s %11.0f records/s %8.1f MB/s  cpu %6.2f s"
      " (%9.0f records per cpu-s; device side %5.2f s)  delay median %7.1f ms,"
      " 99%% %7.1f ms%s\n",
      name, f.records, f.seconds, RecordsPerSecond(f),
      static_cast<double>(f.bytes) / f.seconds / 1e6, f.cpuSeconds, RecordsPerCpuSecond(f),
      f.deviceCpuSeconds, f.medianMs, f.p99Ms, f.outOfOrder ? "  LINES OUT OF ORDER" : "");
}

void PrintPaced(const char* name, const Figures& f) {
  if (!f.complete) {
    std::printf("  %-11s did not finish\n", name);
    return;
  }
  std::printf("  %-11s delay median %7.2f ms, 99%% %7.2f ms  cpu %6.2f s\n", name, f.medianMs,
              f.p99Ms, f.cpuSeconds);
}

void PrintRatio(const char* what, double netfenno, double other, std::optional<double> goal) {
  if (other <= 0) return;
  const double ratio = netfenno / other;
  std::printf("  netfenno / %-24s %8.3f", what, ratio);
  if (goal) std::printf("  (goal: at least %.1f, %s)", *goal, ratio >= *goal ? "met" : "missed");
  std::printf("\n");
}

Figures Fastest(const Consumer& consumer, const Stream& stream, const fs::path& folder,
                int repeat) {
  Figures best;
  for (int run = 0; run < repeat; ++run) {
    Figures figures = Measure(consumer, stream, folder, std::nullopt);
    if (!figures.complete) return figures;
    if (RecordsPerSecond(figures) > RecordsPerSecond(best)) best = figures;
  }
  return best;
}

// ---------------------------------------------------------------------------------------
// Start

std::string NetfennoNextToThisProgram() {
  const fs::path self = fs::read_symlink("/proc/self/exe");
  return (self.parent_path().parent_path() / "src" / "app" / "netfenno").string();
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  const char* fromEnvironment = std::getenv("NETFENNO_BIN");
  options.netfenno = fromEnvironment ? fromEnvironment : NetfennoNextToThisProgram();
  const char* source = std::getenv("FENNO_SOURCE_DIR");
  options.script = source ? std::string(source) + "/bench/line_logger.py"
                          : (fs::path(__FILE__).parent_path() / "line_logger.py").string();
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const char* value = argv[i + 1];
    if (name == "--records") options.records = std::strtoull(value, nullptr, 10);
    if (name == "--script-records") options.scriptRecords = std::strtoull(value, nullptr, 10);
    if (name == "--paced-rate") options.pacedRate = std::strtod(value, nullptr);
    if (name == "--paced-records") options.pacedRecords = std::strtoull(value, nullptr, 10);
    if (name == "--netfenno") options.netfenno = value;
    if (name == "--repeat") options.repeat = std::max(1, std::atoi(value));
  }
  return options;
}

int Run(const Options& options) {
  const fs::path folder =
      fs::temp_directory_path() / ("fenno-throughput-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  std::printf("netfenno: %s\nscript:   %s\nstream:   balance weighings of 24 bytes (CR LF)\n\n",
              options.netfenno.c_str(), options.script.c_str());

  std::printf("Device sending as fast as it is read (fastest of %d runs):\n", options.repeat);
  std::vector<Figures> flood;
  for (const Consumer& consumer : Consumers(options, folder)) {
    const bool isScript = std::string(consumer.name) == "script";
    const Stream stream = MakeStream(isScript ? options.scriptRecords : options.records);
    flood.push_back(Fastest(consumer, stream, folder, options.repeat));
    PrintFlood(consumer.name, flood.back());
    std::fflush(stdout);
  }

  std::printf("\nDevice sending %.0f records/s:\n", options.pacedRate);
  const Stream paced = MakeStream(options.pacedRecords);
  for (const Consumer& consumer : Consumers(options, folder)) {
    PrintPaced(consumer.name, Measure(consumer, paced, folder, options.pacedRate));
    std::fflush(stdout);
  }

  std::printf("\nRatios of records per second, and of records per second of processor time:\n");
  const Figures& copy = flood[0];
  const Figures& netfenno = flood[1];
  const Figures& script = flood[2];
  PrintRatio("script", RecordsPerSecond(netfenno), RecordsPerSecond(script), 10);
  PrintRatio("plain copy", RecordsPerSecond(netfenno), RecordsPerSecond(copy), 0.3);
  PrintRatio("script (per cpu-s)", RecordsPerCpuSecond(netfenno), RecordsPerCpuSecond(script),
             std::nullopt);
  PrintRatio("plain copy (per cpu-s)", RecordsPerCpuSecond(netfenno), RecordsPerCpuSecond(copy),
             std::nullopt);
  fs::remove_all(folder);
  return 0;
}

}  // namespace
}  // namespace fenno

int main(int argc, char** argv) {
  ::signal(SIGPIPE, SIG_IGN);
  return fenno::Run(fenno::ParseOptions(argc, argv));
}

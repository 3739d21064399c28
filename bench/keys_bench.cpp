// Keystrokes per second typed through XTest into a recorder window on a private X server,
// with no pause between keys, and whole records per second through the target window
// finder. Prints figures; needs Xvfb, openbox and the fenno_key_recorder program (found
// beside the test programs of the build tree, or named by FENNO_KEY_RECORDER).

#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/clock.h"
#include "base/prompt.h"
#include "base/string_table.h"
#include "config/settings.h"
#include "engine/qt_event_pump.h"
#include "keys/key_sender.h"
#include "keys/keystroke_delivery.h"

// Xlib comes after the headers its macros would break.
#include "keys/x11_connection.h"
#include "keys/x11_key_sink.h"
#include "keys/x11_window_system.h"
// Benchmarks do not link the test support library; the session helper is built in.
#include "../tests/support/wait.cpp"
#include "../tests/support/x11_session.cpp"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

std::string RecorderPath() {
  if (const char* path = std::getenv("FENNO_KEY_RECORDER")) return path;
  const fs::path self = fs::read_symlink("/proc/self/exe");
  return (self.parent_path().parent_path() / "tests" / "keys" / "fenno_key_recorder").string();
}

uintmax_t FileSize(const std::string& path) {
  std::error_code error;
  const uintmax_t size = fs::file_size(path, error);
  return error ? 0 : size;
}

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// Types `pieces` copies of `piece`, which arrives as `arrivingBytes` bytes each.
void TypeAndMeasure(const char* name, fenno::KeySender& sender, const std::string& piece,
                    int pieces, size_t arrivingBytes, const std::string& file) {
  const uintmax_t before = FileSize(file);
  const uintmax_t expected = before + arrivingBytes * static_cast<uintmax_t>(pieces);
  const auto start = Clock::now();
  for (int i = 0; i < pieces; ++i) sender.SendKeysWithDelays(piece, 0);
  const auto sent = Clock::now();
  const bool arrived =
      fenno::testing::WaitUntil([&] { return FileSize(file) >= expected; }, 120000);
  const auto done = Clock::now();
  const double characters = static_cast<double>(piece.size()) * pieces;
  std::printf("%-34s %7.0f chars  sent %9.0f chars/s  received %9.0f chars/s%s\n", name, characters,
              characters / Seconds(start, sent), characters / Seconds(start, done),
              arrived ? "" : "  (not all arrived)");
}

void MeasureRecords(fenno::X11KeySink& keys, fenno::X11WindowSystem& windows,
                    const std::string& file) {
  fenno::SystemClock clock;
  fenno::QtEventPump events;
  fenno::ConsolePrompt prompt;
  const fenno::StringTable texts(fenno::EditionKind::Comfenno, fenno::Language::English);
  fenno::KeystrokeDelivery delivery(keys, windows, clock, events, prompt, texts);
  fenno::Settings settings;
  settings.TargetSpecified = true;
  settings.TargetAppTitle = "bench recorder";
  constexpr int kRecords = 200;
  const uintmax_t expected = FileSize(file) + kRecords * std::string("12.5{ENTER}").size();
  const auto start = Clock::now();
  for (int i = 0; i < kRecords; ++i) {
    if (!delivery.Activate(settings)) continue;
    delivery.Type("12.5{ENTER}", 0);
    delivery.Restore();
  }
  fenno::testing::WaitUntil([&] { return FileSize(file) >= expected; }, 120000);
  std::printf("%-34s %7d records  %9.0f records/s\n", "records \"12.5{ENTER}\" via target",
              kRecords, kRecords / Seconds(start, Clock::now()));
}

}  // namespace

int main(int argc, char** argv) {
  if (!fenno::testing::X11Session::XvfbInstalled()) {
    std::printf("keys_bench: Xvfb is not installed; nothing measured\n");
    return 0;
  }
  const std::string recorder = RecorderPath();
  if (::access(recorder.c_str(), X_OK) != 0) {
    std::printf(
        "keys_bench: %s not found (build the fenno_key_recorder target); nothing measured\n",
        recorder.c_str());
    return 0;
  }
  QCoreApplication app(argc, argv);
  std::string why;
  auto session = fenno::testing::X11Session::Start(fenno::testing::X11Session::Options{}, &why);
  if (!session) {
    std::printf("keys_bench: no X server (%s); nothing measured\n", why.c_str());
    return 0;
  }
  const std::string file =
      (fs::temp_directory_path() / ("fenno-keys-bench-" + std::to_string(::getpid()) + ".txt"))
          .string();
  session->Launch({recorder, "--record-title", "Bench Recorder", "--record-to", file});
  const Window window = session->WaitForWindow("Bench Recorder");
  fenno::testing::WaitUntil([&] { return window != None && session->ActiveWindow() == window; });
  // The recorder handles keys once a space typed into it arrives.
  fenno::testing::WaitUntil([&] {
    session->TypeKey(' ');
    return fenno::testing::WaitUntil([&] { return FileSize(file) > 0; }, 2000);
  });
  {
    fenno::X11Connection connection(session->DisplayName());
    fenno::X11KeySink keys(connection);
    fenno::X11WindowSystem windows(connection);
    fenno::SystemClock clock;
    fenno::QtEventPump events;
    fenno::KeySender sender(keys, clock, events);
    const std::string lower = "the quick brown fox jumps over the lazy dog 0123456789 ";
    std::string mixed;
    for (int i = 0; i < 20; ++i) mixed += "Weight 12.5 KG, Tare 0.3 g; ";
    std::string keyless;
    for (int i = 0; i < 40; ++i) keyless += "\xE9\xB5\xB0\xFC\xDF";
    TypeAndMeasure("lower case and digits", sender, lower, 40, lower.size(), file);
    TypeAndMeasure("mixed case and punctuation", sender, mixed, 4, mixed.size(), file);
    TypeAndMeasure("Latin-1 characters without a key", sender, keyless, 4, keyless.size() * 2,
                   file);
    MeasureRecords(keys, windows, file);
  }
  session.reset();
  if (!std::getenv("KEEP")) fs::remove(file);
  return 0;
}

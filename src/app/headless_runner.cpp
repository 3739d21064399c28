#include "app/headless_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <clocale>
#include <cstdio>
#include <memory>

#include "app/program_text_ids.h"
#include "assembly/desktop_run.h"
#include "base/prompt.h"
#include "base/string_table.h"
#include "config/config_load.h"
#include "config/settings.h"
#include "config/setup_rules.h"
#include "config/setup_text_ids.h"
#include "engine/engine.h"

namespace fenno {
namespace {

// Standard input of virtual mode is read only while the engine keeps up, so a large
// input file does not pile up in memory.
constexpr size_t kMaxUnreadInput = 1 << 20;

int signalPipe[2] = {-1, -1};

void OnSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t ignored = ::write(signalPipe[1], &byte, 1);
}

// Turns SIGINT and SIGTERM into an event on the Qt loop.
class SignalWatcher {
 public:
  explicit SignalWatcher(std::function<void()> onSignal) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [onSignal] {
      char byte = 0;
      [[maybe_unused]] const ssize_t ignored = ::read(signalPipe[0], &byte, 1);
      onSignal();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
  }

 private:
  std::unique_ptr<QSocketNotifier> notifier_;
};

void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n > 0)
      bytes.remove_prefix(static_cast<size_t>(n));
    else if (n < 0 && errno == EINTR)
      continue;
    else
      return;  // standard output closed: what the device would get is dropped
  }
}

// Feeds standard input to the virtual device and notices its end.
class StandardInputFeeder {
 public:
  explicit StandardInputFeeder(VirtualPort& port) : port_(port) {
    ::fcntl(STDIN_FILENO, F_SETFL, ::fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK);
    notifier_ = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { ReadSome(); });
  }
  bool AtEnd() const { return atEnd_; }
  // Reading pauses while much input waits unread, and resumes here.
  void Resume() {
    if (!atEnd_ && port_.VirtualInput.size() < kMaxUnreadInput) notifier_->setEnabled(true);
  }

 private:
  void ReadSome() {
    char buffer[64 * 1024];
    for (;;) {
      const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
      if (n > 0) {
        port_.SendToEngine(std::string_view(buffer, static_cast<size_t>(n)));
        if (port_.VirtualInput.size() >= kMaxUnreadInput) break;
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) atEnd_ = true;
      break;
    }
    notifier_->setEnabled(false);
    Resume();
  }

  VirtualPort& port_;
  std::unique_ptr<QSocketNotifier> notifier_;
  bool atEnd_ = false;
};

class QuitOnRequest : public EngineObserver {
 public:
  void OnQuitRequested() override { QCoreApplication::quit(); }
};

}  // namespace

int RunHeadless(const Edition& edition, const CommandLine& command, int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::setlocale(LC_ALL, "");
  const RegionalSettings regional = RegionalSettings::FromCurrentLocale();
  const StringTable strings(edition.kind, LanguageFromEnvironment());
  ConsolePrompt prompt;

  Settings settings = Settings::Defaults(edition, HomeFolder());
  WorkingValues working;
  working.ConfigFileName = command.configPath;
  const LoadOutcome outcome =
      LoadConfiguration(settings, working, edition, strings, prompt, HomeFolder());
  if (outcome == LoadOutcome::NotReadable) {
    prompt.Show({strings.Format(str::kConfigNotReadable, {command.configPath}),
                 std::string(edition.programName), PromptButtons::Ok, PromptIcon::Exclamation});
  }
  if (!working.ConfigLoaded) return kExitConfigError;
  working.PortName = ActivationPortName(edition, settings);

  DesktopRunOptions options;
  options.mode = command.virtualMode ? ActivationMode::Virtual : ActivationMode::Normal;
  options.virtualDisplay = [](std::string_view bytes) { WriteAll(STDOUT_FILENO, bytes); };
  options.unattended = true;  // without windows there is no clipboard either
  DesktopRun run(edition, settings, working, prompt, strings, regional, std::move(options));
  if (!run.Open()) return kExitPortError;
  Engine& engine = run.engine();
  QuitOnRequest quitter;
  engine.AddObserver(&quitter);

  SignalWatcher signalWatcher([&engine] {
    engine.RequestStop();
    QCoreApplication::quit();
  });
  std::unique_ptr<StandardInputFeeder> input;
  if (command.virtualMode) input = std::make_unique<StandardInputFeeder>(run.virtualPort());

  bool toldSuspended = false;
  run.Start([&] {
    if (!input) return;
    input->Resume();
    if (!input->AtEnd()) return;
    // A suspended engine keeps the program running past the end of its input: say so once,
    // so that the wait does not look like a hang.
    if (engine.Suspended() && !toldSuspended) {
      toldSuspended = true;
      prompt.Show({strings.Text(str::kInputEndedWhileSuspended), std::string(edition.programName),
                   PromptButtons::Ok, PromptIcon::Information});
    }
    if (!run.virtualPort().HasUnreadInput() && !engine.Suspended() && engine.Idle())
      QCoreApplication::quit();
  });
  app.exec();
  run.Close();
  return kExitOk;
}

}  // namespace fenno

#pragma once

// Shared by the transport tests: the one Qt application of a test binary, waiting with
// events running, and the context a port is built from.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <functional>
#include <string>

#include "base/string_table.h"
#include "config/edition.h"
#include "config/settings.h"
#include "config/user_store.h"
#include "support/pty_pair.h"
#include "support/recording_prompt.h"
#include "support/wait.h"
#include "transport/port_context.h"

namespace fenno::testing {

inline QCoreApplication& TestApp() {
  static int argc = 1;
  static char name[] = "transport_test";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  return app;
}

// Runs events for a number of rounds (each waits up to 10 ms for an event).
inline void RunEventRounds(int rounds) {
  for (int i = 0; i < rounds; ++i)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
}

// Everything a port borrows, for one program.
struct PortFixtureContext {
  explicit PortFixtureContext(const Edition& edition)
      : settings(Settings::Defaults(edition, "/tmp")),
        strings(edition.kind, Language::English),
        context{settings, edition, store, prompt, strings} {
    TestApp();
  }

  Settings settings;
  MemoryUserStore store;
  RecordingPrompt prompt;
  StringTable strings;
  PortContext context;
};

}  // namespace fenno::testing

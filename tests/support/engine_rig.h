#pragma once

// An engine run as the programs assemble it (EngineAssembly), on fakes: the device, the
// clock and its event pump, the prompt, English texts and regional settings. A test sets
// the settings and whatever optional service it needs, starts, feeds device bytes and ticks.

#include <memory>
#include <string_view>
#include <vector>

#include "base/string_table.h"
#include "config/edition.h"
#include "config/settings.h"
#include "engine/engine_assembly.h"
#include "support/fake_clock.h"
#include "support/fake_port.h"
#include "support/recording_prompt.h"

namespace fenno::testing {

// The English string table of the edition's program, built once.
const StringTable& EnglishStrings(const Edition& edition);

class EngineRig {
 public:
  explicit EngineRig(const Edition& edition = ComfennoEdition());
  ~EngineRig();
  EngineRig(const EngineRig&) = delete;
  EngineRig& operator=(const EngineRig&) = delete;

  // Builds and starts the engine (closing one that runs) with `parts` around it.
  Engine& Start(ActivationMode mode = ActivationMode::Normal, std::vector<RunPart*> parts = {});
  // Runs `count` ticks, each one tick's time after the last.
  void Tick(int count = 1);
  // Queues device bytes and runs the tick that reads them.
  void Feed(std::string_view bytes);
  void Close();

  Engine& engine() { return assembly_->engine(); }
  Engine* operator->() { return &assembly_->engine(); }

  const Edition* program;
  Settings settings;
  WorkingValues working;
  RegionalSettings regional = RegionalSettings::English();
  FakePort port;
  FakeClock clock;
  FakeEventPump events{clock};
  RecordingPrompt prompt;
  // Taken by Start: optional services, and observers told from the start on.
  KeystrokeTarget* keystrokes = nullptr;
  DdeClient* ddeClient = nullptr;
  DdeLinks* links = nullptr;
  bool unattended = false;
  std::vector<EngineObserver*> observers;

 private:
  std::unique_ptr<EngineAssembly> assembly_;
};

}  // namespace fenno::testing

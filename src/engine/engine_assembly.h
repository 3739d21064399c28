#pragma once

// One run of the engine wired together: the engine, the services it is given and the
// parts that live around it (live data, hot keys), started, ticked and closed in the one
// order every owner needs. The headless runner and the engine window build it from the
// real services (assembly/desktop_run.h); tests, the fuzz targets and the benchmarks from
// fakes. Plain C++: the parts reach the outside world only through their interfaces.

#include <memory>
#include <vector>

#include "engine/engine.h"

namespace fenno {

// Something set up around a running engine.
class RunPart {
 public:
  virtual ~RunPart() = default;
  // After the engine is built, before it starts (live data serves its items from here).
  virtual void Attach(Engine& /*engine*/) {}
  // After the engine has started (hot keys are grabbed from here).
  virtual void Started() {}
  // A new configuration was loaded while running ("{CONFIG(").
  virtual void Restarted() {}
  // Before the engine closes.
  virtual void Stopping() {}
};

class EngineAssembly : private EngineObserver {
 public:
  EngineAssembly(const Edition& edition, Settings& settings, WorkingValues& working,
                 ActivationMode mode, const EngineServices& services,
                 std::vector<RunPart*> parts = {});
  ~EngineAssembly() override;
  EngineAssembly(const EngineAssembly&) = delete;
  EngineAssembly& operator=(const EngineAssembly&) = delete;

  Engine& engine() { return engine_; }
  const Engine& engine() const { return engine_; }

  // Attaches the parts and starts the engine, then tells the parts it runs.
  void Start();
  // The tick; the owner's timer calls it every Engine::kTickMs.
  void Tick() { engine_.Tick(); }
  // Tells the parts, then stops and closes the engine (once; later calls do nothing).
  void Close();

 private:
  void OnRestarted() override;

  Engine engine_;
  std::vector<RunPart*> parts_;
  bool started_ = false;
  bool closed_ = false;
};

}  // namespace fenno

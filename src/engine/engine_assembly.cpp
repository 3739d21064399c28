#include "engine/engine_assembly.h"

namespace fenno {

EngineAssembly::EngineAssembly(const Edition& edition, Settings& settings, WorkingValues& working,
                               ActivationMode mode, const EngineServices& services,
                               std::vector<RunPart*> parts)
    : engine_(edition, settings, working, mode, services), parts_(std::move(parts)) {
  engine_.AddObserver(this);
}

EngineAssembly::~EngineAssembly() {
  Close();
}

void EngineAssembly::Start() {
  for (RunPart* part : parts_) part->Attach(engine_);
  engine_.Start();
  started_ = true;
  for (RunPart* part : parts_) part->Started();
}

void EngineAssembly::Close() {
  if (closed_ || !started_) return;
  closed_ = true;
  for (RunPart* part : parts_) part->Stopping();
  engine_.RequestStop();
  engine_.Close();
}

void EngineAssembly::OnRestarted() {
  for (RunPart* part : parts_) part->Restarted();
}

}  // namespace fenno

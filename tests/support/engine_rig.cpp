#include "support/engine_rig.h"

namespace fenno::testing {

const StringTable& EnglishStrings(const Edition& edition) {
  static const StringTable serial(EditionKind::Comfenno, Language::English);
  static const StringTable tcp(EditionKind::Netfenno, Language::English);
  return edition.IsSerial() ? serial : tcp;
}

EngineRig::EngineRig(const Edition& edition)
    : program(&edition), settings(Settings::Defaults(edition, "/tmp")) {
  working.PortName = edition.IsSerial() ? "COM1" : "localhost";
  for (int k = 1; k <= kNamedFormats; ++k) working.FormatDisplayNames[k] = FixedFormatNames()[k];
}

EngineRig::~EngineRig() = default;

Engine& EngineRig::Start(ActivationMode mode, std::vector<RunPart*> parts) {
  assembly_.reset();
  EngineServices services{port, clock, events, prompt, EnglishStrings(*program), regional};
  services.keystrokes = keystrokes;
  services.ddeClient = ddeClient;
  services.links = links;
  services.unattended = unattended;
  assembly_ = std::make_unique<EngineAssembly>(*program, settings, working, mode, services,
                                               std::move(parts));
  for (EngineObserver* observer : observers) assembly_->engine().AddObserver(observer);
  assembly_->Start();
  return assembly_->engine();
}

void EngineRig::Tick(int count) {
  for (int i = 0; i < count; ++i) {
    clock.Advance(Engine::kTickMs);
    assembly_->Tick();
  }
}

void EngineRig::Feed(std::string_view bytes) {
  port.input.append(bytes);
  Tick();
}

void EngineRig::Close() {
  if (assembly_) assembly_->Close();
}

}  // namespace fenno::testing

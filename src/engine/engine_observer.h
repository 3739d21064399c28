#pragma once

#include <string>

namespace fenno {

// What an engine window shows, reported as it changes. The engine window, the headless
// runner and the live-data server (whose items are these texts) observe the engine.
class EngineObserver {
 public:
  virtual ~EngineObserver() = default;
  // The text of field box i (1..FieldCount) changed.
  virtual void OnFieldText(int /*field*/, const std::string& /*text*/) {}
  virtual void OnRecordNumber(const std::string& /*text*/) {}
  virtual void OnDateTime(const std::string& /*text*/) {}
  virtual void OnCaption(const std::string& /*caption*/) {}
  // Suspended state or the captions of the engine menu changed.
  virtual void OnMenuState() {}
  // Commands ask the engine window to show itself (without taking the focus) or to
  // minimise itself.
  virtual void OnShowWindowNormal() {}
  virtual void OnMinimizeWindow() {}
  // The engine was activated again with a new configuration ("{CONFIG("): whatever was
  // set up from the old one (hot keys) is set up again.
  virtual void OnRestarted() {}
  // The engine was reset by its menu, a hot key or a command (not by a log failure).
  virtual void OnReset() {}
  // The engine asks its owner to quit, as the Quit menu does.
  virtual void OnQuitRequested() {}
};

}  // namespace fenno

#pragma once

// The operations other parts of the program drive a running engine with: the command
// language of the live-data interface, hot keys, buttons and menus. The engine implements
// it; tests of those parts may implement it with a fake.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "config/settings.h"

namespace fenno {

enum class ActivationMode : int16_t { Inactive = 0, Normal = 1, Virtual = 2, Test = 3 };

class EngineControl {
 public:
  virtual ~EngineControl() = default;

  virtual ActivationMode Mode() const = 0;
  virtual Settings& settings() = 0;

  // Output to the device (written by the next tick).
  virtual void QueueOutput(std::string_view text) = 0;
  virtual size_t QueuedOutputSize() const = 0;
  virtual void PushButton(int button) = 0;

  // Run state and timed output.
  virtual bool Suspended() const = 0;
  virtual void ToggleSuspend() = 0;
  virtual void ResumeForOneRecord() = 0;
  virtual void Reset() = 0;
  virtual bool TimedOutputRunning() const = 0;
  virtual void ToggleTimedOutput() = 0;
  virtual void SetTimerInterval(int32_t milliseconds) = 0;
  virtual void RequestExit() = 0;

  // Serial lines: nothing happens in virtual mode or without lines. The line changes
  // update the port settings only when the driver accepts them.
  virtual void StartBreak() = 0;
  virtual void PulseDtr() = 0;
  virtual void SetDtr(bool on) = 0;
  virtual void SetRts(bool on) = 0;
  virtual void ChangeBaudRate(int32_t rate) = 0;
  virtual void ChangeParity(int parityCode) = 0;
  virtual void ChangeDataBits(int bits) = 0;
  virtual void ChangeStopBits(int stopBitsCode) = 0;

  // What the engine window shows, and requests to its window.
  virtual const std::string& FieldText(int field) const = 0;
  virtual const std::string& RecordNumberText() const = 0;
  virtual const std::string& DateTimeText() const = 0;
  virtual std::string ServerTopic() const = 0;
  virtual void ClearFields() = 0;
  virtual void ShowWindowNormal() = 0;
  virtual void MinimizeWindow() = 0;
  virtual void Beep() = 0;

  // Re-runs activation after a new configuration has been read into the settings.
  virtual void Restart() = 0;
  // Runs `action` now, or once the current tick has ended when called from inside one.
  virtual void RunOutsideTick(std::function<void()> action) = 0;
};

}  // namespace fenno

#pragma once

// Fakes for the live-data tests: an engine that records what it is asked to do, a
// clipboard in memory, and client links whose state the test sets.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "dde/clipboard.h"
#include "engine/command_client.h"
#include "engine/engine_control.h"

namespace fenno::testing {

class FakeEngineControl : public EngineControl {
 public:
  explicit FakeEngineControl(Settings initial) : current(std::move(initial)) {}

  ActivationMode Mode() const override { return mode; }
  Settings& settings() override { return current; }
  void QueueOutput(std::string_view text) override { queue.append(text); }
  size_t QueuedOutputSize() const override { return queue.size(); }
  void PushButton(int button) override { Record("push " + std::to_string(button)); }
  bool Suspended() const override { return suspended; }
  void ToggleSuspend() override {
    suspended = !suspended;
    Record("toggle suspend");
  }
  void ResumeForOneRecord() override {
    suspended = false;
    Record("resume one");
  }
  void Reset() override { Record("reset"); }
  bool TimedOutputRunning() const override { return timedOutput; }
  void ToggleTimedOutput() override {
    timedOutput = !timedOutput;
    Record("toggle timed output");
  }
  void SetTimerInterval(int32_t ms) override { Record("interval " + std::to_string(ms)); }
  void RequestExit() override { Record("exit"); }
  void StartBreak() override { Record("break"); }
  void PulseDtr() override { Record("dtr pulse"); }
  void SetDtr(bool on) override { Record(on ? "dtr on" : "dtr off"); }
  void SetRts(bool on) override { Record(on ? "rts on" : "rts off"); }
  void ChangeBaudRate(int32_t rate) override { Record("baud " + std::to_string(rate)); }
  void ChangeParity(int code) override { Record("parity " + std::to_string(code)); }
  void ChangeDataBits(int bits) override { Record("data bits " + std::to_string(bits)); }
  void ChangeStopBits(int code) override { Record("stop bits " + std::to_string(code)); }
  const std::string& FieldText(int field) const override {
    static const std::string kNone;
    return field >= 1 && field <= kMaxFields ? fields[static_cast<size_t>(field)] : kNone;
  }
  const std::string& RecordNumberText() const override { return recordNumber; }
  const std::string& DateTimeText() const override { return dateTime; }
  std::string ServerTopic() const override { return topic; }
  void ClearFields() override { Record("clear"); }
  void ShowWindowNormal() override { Record("show normal"); }
  void MinimizeWindow() override { Record("minimize"); }
  void Beep() override { Record("beep"); }
  void Restart() override { Record("restart"); }
  void RunOutsideTick(std::function<void()> action) override {
    if (insideTick)
      afterTick.push_back(std::move(action));
    else
      action();
  }
  void EndTick() {
    insideTick = false;
    for (auto& action : afterTick) action();
    afterTick.clear();
  }

  void Record(std::string call) { calls.push_back(std::move(call)); }

  Settings current;
  ActivationMode mode = ActivationMode::Normal;
  std::string queue;
  std::vector<std::string> calls;
  bool suspended = false;
  bool timedOutput = false;
  bool insideTick = false;
  std::vector<std::function<void()>> afterTick;
  std::array<std::string, kMaxFields + 1> fields;
  std::string recordNumber;
  std::string dateTime;
  std::string topic = "COM1";
};

class FakeClipboard : public Clipboard {
 public:
  void SetLink(const std::string& linkBytes, const std::string& plainText) override {
    link = linkBytes;
    text = plainText;
  }
  std::optional<std::string> Link() const override { return link; }
  bool HasText() const override { return text.has_value(); }

  std::optional<std::string> link;
  std::optional<std::string> text;
};

class FakeLinks : public DdeLinks {
 public:
  void EstablishCommandLink() override { commandActive = true; }
  void EstablishBufferLink() override { bufferActive = true; }
  void TerminateCommandLink() override { commandActive = false; }
  void TerminateBufferLink() override { bufferActive = false; }
  bool CommandLinkActive() const override { return commandActive; }
  bool BufferLinkActive() const override { return bufferActive; }
  void DropLinks() override { commandActive = bufferActive = false; }

  bool commandActive = false;
  bool bufferActive = false;
};

}  // namespace fenno::testing

#pragma once

#include <deque>
#include <string>
#include <vector>

#include "ui/prompt.h"

namespace fenno::testing {

// Records every message and beep; answers from a script, then with the default button.
class RecordingPrompt : public Prompt {
 public:
  PromptAnswer Show(const PromptMessage& message) override;
  void Beep() override { ++beeps; }

  void ScriptAnswer(PromptAnswer answer) { script_.push_back(answer); }

  std::vector<PromptMessage> messages;
  int beeps = 0;

 private:
  std::deque<PromptAnswer> script_;
};

}  // namespace fenno::testing

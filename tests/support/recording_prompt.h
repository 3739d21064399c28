#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "base/prompt.h"

namespace fenno::testing {

// Records every message and beep; answers from a script, then with the default button.
class RecordingPrompt : public Prompt {
 public:
  PromptAnswer Show(const PromptMessage& message) override;
  void Beep() override { ++beeps; }

  void ScriptAnswer(PromptAnswer answer) { script_.push_back(answer); }

  std::vector<PromptMessage> messages;
  int beeps = 0;
  // Runs while a message is shown, as the user would act before answering.
  std::function<void(const PromptMessage&)> onShow;

 private:
  std::deque<PromptAnswer> script_;
};

}  // namespace fenno::testing

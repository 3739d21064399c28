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
  // File dialogs answer from their own script (nullopt: cancelled), then cancel.
  std::optional<std::string> ChooseFile(const FileRequest& request) override;
  void ScriptFile(std::optional<std::string> path) { files_.push_back(std::move(path)); }

  std::vector<PromptMessage> messages;
  std::vector<FileRequest> fileRequests;
  int beeps = 0;
  // Runs while a message is shown, as the user would act before answering.
  std::function<void(const PromptMessage&)> onShow;

 private:
  std::deque<PromptAnswer> script_;
  std::deque<std::optional<std::string>> files_;
};

}  // namespace fenno::testing

#include "support/recording_prompt.h"

namespace fenno::testing {

PromptAnswer RecordingPrompt::Show(const PromptMessage& message) {
  messages.push_back(message);
  if (onShow) onShow(message);
  if (script_.empty()) return DefaultAnswer(message.buttons);
  const PromptAnswer answer = script_.front();
  script_.pop_front();
  return answer;
}

std::optional<std::string> RecordingPrompt::ChooseFile(const FileRequest& request) {
  fileRequests.push_back(request);
  if (files_.empty()) return std::nullopt;
  std::optional<std::string> path = files_.front();
  files_.pop_front();
  return path;
}

}  // namespace fenno::testing

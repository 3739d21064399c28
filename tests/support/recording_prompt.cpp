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

}  // namespace fenno::testing

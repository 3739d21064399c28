#include "base/prompt.h"

#include <cstdio>

namespace fenno {

PromptAnswer DefaultAnswer(PromptButtons buttons) {
  switch (buttons) {
    case PromptButtons::YesNo:
    case PromptButtons::YesNoCancel:
      return PromptAnswer::Yes;
    case PromptButtons::RetryCancel:
      return PromptAnswer::Retry;
    case PromptButtons::Ok:
    case PromptButtons::OkCancel:
      break;
  }
  return PromptAnswer::Ok;
}

ConsolePrompt::ConsolePrompt(std::function<void(const std::string&)> write)
    : write_(std::move(write)) {
  if (!write_) {
    write_ = [](const std::string& line) {
      std::fwrite(line.data(), 1, line.size(), stderr);
      std::fflush(stderr);
    };
  }
}

PromptAnswer ConsolePrompt::Show(const PromptMessage& message) {
  std::string line;
  if (!message.title.empty()) line = message.title + ": ";
  // Message texts may hold CR line breaks meant for a message box.
  for (size_t i = 0; i < message.text.size(); ++i) {
    const char c = message.text[i];
    if (c != '\r')
      line += c;
    else if (i + 1 >= message.text.size() || message.text[i + 1] != '\n')
      line += '\n';
  }
  if (line.empty() || line.back() != '\n') line += '\n';
  write_(line);
  return DefaultAnswer(message.buttons);
}

void ConsolePrompt::Beep() {
  write_("\a");
}

}  // namespace fenno

#pragma once

#include <functional>
#include <string>

namespace fenno {

enum class PromptIcon { Plain, Information, Question, Exclamation, Critical };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No, Retry };

// A message box question. Texts are UTF-8; byte texts from settings or paths are
// passed through as they are.
struct PromptMessage {
  std::string text;
  std::string title;
  PromptButtons buttons = PromptButtons::Ok;
  PromptIcon icon = PromptIcon::Plain;
};

// The first button of each set is its default: Ok, Ok, Yes, Yes, Retry.
PromptAnswer DefaultAnswer(PromptButtons buttons);

// Message boxes and the beep. The GUI shows real message boxes; the headless runner
// prints to standard error and answers with the default button; tests record the
// messages and answer as scripted.
class Prompt {
 public:
  virtual ~Prompt() = default;
  virtual PromptAnswer Show(const PromptMessage& message) = 0;
  virtual void Beep() = 0;
};

// Headless prompt: "title: text" on standard error, the default answer, and the bell
// character for a beep.
class ConsolePrompt : public Prompt {
 public:
  explicit ConsolePrompt(std::function<void(const std::string&)> write = {});
  PromptAnswer Show(const PromptMessage& message) override;
  void Beep() override;

 private:
  std::function<void(const std::string&)> write_;
};

}  // namespace fenno

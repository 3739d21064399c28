#pragma once

#include <functional>
#include <optional>
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

// A file dialog: open (the file must exist) or save (a chosen name without an extension
// gets `defaultExtension`). `filter` is in Qt's form, "Comfenno Files (*.DE3);;All (*)".
// Texts are UTF-8; paths are in the file system's encoding.
struct FileRequest {
  enum class Kind { Open, Save };
  Kind kind = Kind::Open;
  std::string title;
  std::string filter;
  std::string initialPath;
  std::string defaultExtension;  // ".DE3"
};

// The first button of each set is its default: Ok, Ok, Yes, Yes, Retry.
PromptAnswer DefaultAnswer(PromptButtons buttons);

// Message boxes, file dialogs and the beep. The GUI shows real message boxes; the headless runner
// prints to standard error and answers with the default button; tests record the
// messages and answer as scripted.
class Prompt {
 public:
  virtual ~Prompt() = default;
  virtual PromptAnswer Show(const PromptMessage& message) = 0;
  virtual void Beep() = 0;
  // The chosen path, or nullopt when the user cancels. Without windows nobody chooses.
  virtual std::optional<std::string> ChooseFile(const FileRequest& /*request*/) {
    return std::nullopt;
  }
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

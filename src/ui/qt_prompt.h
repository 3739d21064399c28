#pragma once

#include <QPointer>

#include "base/prompt.h"

class QWidget;

namespace fenno {

// Message boxes and file dialogs of the windowed program, over the window given as
// parent (the active window when none is given). Qt's own dialogs are used everywhere so
// that they look and behave the same on every desktop; their standard buttons take the
// user's language from Qt's translations.
class QtPrompt : public Prompt {
 public:
  explicit QtPrompt(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

  PromptAnswer Show(const PromptMessage& message) override;
  void Beep() override;
  std::optional<std::string> ChooseFile(const FileRequest& request) override;

 private:
  QWidget* Parent() const;
  QPointer<QWidget> parent_;
};

}  // namespace fenno

#include "ui/engine_window.h"

#include <QCloseEvent>

#include "assembly/desktop_run.h"

namespace fenno {

EngineWindow::EngineWindow(const EngineWindowContext& context, ActivationMode mode,
                           QWidget* parent)
    : QMainWindow(parent), context_(context), mode_(mode) {
  DesktopRunOptions options;
  options.mode = mode;
  run_ = std::make_unique<DesktopRun>(context.edition, context.settings, context.working,
                                      context.prompt, context.strings, context.regional,
                                      std::move(options));
}

EngineWindow::~EngineWindow() = default;

bool EngineWindow::Open() { return run_->Open(); }

void EngineWindow::Start() {
  show();
  run_->Start();
}

Engine& EngineWindow::engine() { return run_->engine(); }

void EngineWindow::closeEvent(QCloseEvent* event) {
  run_->Close();
  event->accept();
  emit Closed();
}

}  // namespace fenno

#include "ui/terminal_window.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include "base/qt_text.h"
#include "base/string_ids.h"
#include "transport/qt_tcp_port.h"
#include "transport/stream_analyzer.h"
#include "ui/ascii_chart_dialog.h"
#include "ui/captions.h"
#include "ui/form_helpers.h"
#include "ui/raw_string_edit.h"

namespace fenno {
namespace {

constexpr int kTickMilliseconds = 50;
// Bytes taken from the port in one tick at most, so that a flood leaves the window
// responsive; the rest waits in the port for the next tick.
constexpr size_t kReadPerTick = size_t{256} << 10;
// Ticks a break lasts.
constexpr int kBreakTicks = 2;

}  // namespace

TerminalWindow::TerminalWindow(const TerminalContext& context, std::unique_ptr<Port> port,
                               QWidget* parent)
    : QWidget(parent, Qt::Window),
      context_(context),
      strings_(context.strings),
      port_(std::move(port)) {
  setObjectName(QLatin1String("ComShow"));
  setWindowTitle(Numbered(str::kComShowCaption));
  Build(TerminalLayout::kAnalyzer, port_->HasLines());
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &QWidget::close);
  connect(panel_, &TerminalPanel::DtrClicked, this, [this] { port_->PulseDtr(); });
  connect(panel_, &TerminalPanel::BreakClicked, this, &TerminalWindow::StartBreak);
  connect(panel_, &TerminalPanel::AnalyzeClicked, this, &TerminalWindow::Analyze);
  connect(panel_, &TerminalPanel::QuitClicked, this, &QWidget::close);
  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, &TerminalWindow::Tick);
  timer_->start(kTickMilliseconds);
  RefreshCaption();
}

TerminalWindow::TerminalWindow(const StringTable& strings,
                               std::function<void(std::string_view)> send, QWidget* parent)
    : QWidget(parent, Qt::Window), strings_(strings), sendToEngine_(std::move(send)) {
  setObjectName(QLatin1String("virtualDeviceWindow"));
  setWindowTitle(Numbered(str::kVirtualDeviceCaption));
  Build(TerminalLayout::kVirtualDevice, false);
  connect(panel_, &TerminalPanel::QuitClicked, this, &TerminalWindow::QuitRequested);
}

TerminalWindow::~TerminalWindow() {
  if (port_) port_->Close();
}

void TerminalWindow::Build(TerminalLayout layout, bool hasLines) {
  auto* column = new QVBoxLayout(this);
  panel_ = new TerminalPanel(layout, hasLines, strings_);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(panel_);
  connect(panel_, &TerminalPanel::SendClicked, this, &TerminalWindow::Send);
  connect(panel_, &TerminalPanel::AsciiChartClicked, this, &TerminalWindow::ChooseCharacter);
  ApplyCaptions(*this, strings_);
  FitTitle(*this);
}

void TerminalWindow::Send() {
  const std::string& bytes = panel_->sendBox().Bytes();
  if (sendToEngine_) {
    if (!bytes.empty()) sendToEngine_(bytes);
  } else {
    outputQueue_ += bytes;  // written by the next tick
  }
  panel_->sendBox().setFocus(Qt::OtherFocusReason);
}

void TerminalWindow::StartBreak() {
  port_->SetBreak(true);
  breakTicks_ = kBreakTicks;
}

void TerminalWindow::ChooseCharacter() {
  InsertFromAsciiChart(panel_->sendBox(), strings_);
  panel_->sendBox().setFocus(Qt::OtherFocusReason);
}

void TerminalWindow::Tick() {
  if (!port_) return;
  const Settings& settings = context_->settings;
  if (port_->HasLines() && settings.FlowControl == kFlowOptoRs &&
      optoRs_.OnModemStatus(port_->ModemStatus()))
    outputQueue_ += kOptoRsRequest;
  if (breakTicks_ != 0 && --breakTicks_ == 0) port_->SetBreak(false);
  if (!outputQueue_.empty()) outputQueue_.erase(0, port_->Write(outputQueue_));
  ReadPort();
  RefreshCaption();
}

void TerminalWindow::ReadPort() {
  std::string received;
  // A read that fails counts as nothing read.
  while (received.size() < kReadPerTick && port_->Read(received, kReadPerTick - received.size()))
    ;
  if (received.empty()) return;
  const auto* table = panel_->TranslatesInput() ? &context_->settings.PreInputTranslation : nullptr;
  panel_->AppendShown(TerminalShownBytes(received, table));
}

void TerminalWindow::RefreshCaption() {
  const auto* tcp = dynamic_cast<const TcpPort*>(port_.get());
  if (!tcp) return;
  std::string caption =
      TcpTerminalCaption(strings_, context_->settings, tcp->SocketState(), tcp->PeerAddress());
  if (caption == caption_) return;
  caption_ = std::move(caption);
  setWindowTitle(FromUtf8(caption_));
}

void TerminalWindow::Analyze() {
  const std::optional<RecordGuess> guess = panel_->analyzer().Guess();
  QPlainTextEdit& buffer = panel_->characterView();
  if (!guess) {
    context_->prompt.Beep();
    buffer.setFocus(Qt::OtherFocusReason);
    return;
  }
  const PromptAnswer answer =
      context_->prompt.Show({GuessQuestion(*guess, strings_), strings_.Text(str::kGuessTitle),
                             PromptButtons::YesNo, PromptIcon::Question});
  if (answer == PromptAnswer::Yes)
    context_->working.ConfigModified |= StoreGuess(*guess, context_->settings);
  buffer.setFocus(Qt::OtherFocusReason);
}

void TerminalWindow::ShowDeviceOutput(std::string_view bytes) {
  panel_->AppendShown(bytes);
}

void TerminalWindow::CloseQuietly() {
  closingQuietly_ = true;
  close();
}

void TerminalWindow::closeEvent(QCloseEvent* event) {
  if (sendToEngine_ && !closingQuietly_) {
    // Closing the virtual device ends the run; the engine window closes this window.
    event->ignore();
    emit QuitRequested();
    return;
  }
  event->accept();
  if (!port_) return;
  timer_->stop();
  port_->Close();
  port_.reset();
  emit Closed();
}

}  // namespace fenno

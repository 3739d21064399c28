#pragma once

// The terminal window (ComShow). As port analyzer (Port > Analyze) it owns an open port:
// it shows what the device sends, sends the send box's bytes, pulses DTR, sends a break,
// and guesses the record layout from what arrived; closing it closes the port. As the
// virtual device of virtual mode it shows what the engine sends and feeds the send box's
// bytes to the engine; there its Quit button, and closing it, end the engine run.

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/edition.h"
#include "config/settings.h"
#include "engine/port.h"
#include "transport/terminal_text.h"
#include "ui/terminal_panel.h"

class QTimer;

namespace fenno {

// What the analyzer borrows; everything outlives the window.
struct TerminalContext {
  const Edition& edition;
  Settings& settings;
  WorkingValues& working;
  Prompt& prompt;
  const StringTable& strings;
};

class TerminalWindow final : public QWidget {
  Q_OBJECT

 public:
  // The port analyzer on `port`, which is open.
  TerminalWindow(const TerminalContext& context, std::unique_ptr<Port> port,
                 QWidget* parent = nullptr);
  // The virtual device: `send` takes the bytes the user sends to the engine.
  TerminalWindow(const StringTable& strings, std::function<void(std::string_view)> send,
                 QWidget* parent = nullptr);
  ~TerminalWindow() override;

  TerminalPanel& panel() const { return *panel_; }

  // Virtual device: what the engine sent to the device, shown at the end.
  void ShowDeviceOutput(std::string_view bytes);
  // Virtual device: closes without asking the engine to quit (the engine is closing).
  void CloseQuietly();

  // One turn of the analyzer's 50 ms timer (tests call it to run a turn at once).
  void Tick();

 signals:
  // Virtual device: Quit or the close button; the engine window ends the run.
  void QuitRequested();
  // Port analyzer: the window has closed and the port with it.
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Build(TerminalLayout layout, bool hasLines);
  void Send();
  void StartBreak();
  void ChooseCharacter();
  void Analyze();
  void ReadPort();
  void RefreshCaption();

  std::optional<TerminalContext> context_;  // the analyzer only
  const StringTable& strings_;
  std::unique_ptr<Port> port_;
  std::function<void(std::string_view)> sendToEngine_;  // the virtual device only
  TerminalPanel* panel_ = nullptr;
  QTimer* timer_ = nullptr;
  std::string outputQueue_;  // PortOutputQueue of the analyzer
  OptoRsRequest optoRs_;
  int breakTicks_ = 0;
  std::string caption_;
  bool closingQuietly_ = false;
};

}  // namespace fenno

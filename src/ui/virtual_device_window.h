#pragma once

// The virtual device of virtual mode: it shows what the engine sends to the device and
// feeds what the user types to the engine as the device's input. Its Quit button, and
// closing it, end the engine run as the engine window's Quit does.

#include <QWidget>
#include <functional>
#include <string_view>

#include "base/string_table.h"
#include "engine/engine_window_rules.h"

class QPlainTextEdit;
class QPushButton;

namespace fenno {

class VirtualDeviceWindow final : public QWidget {
  Q_OBJECT

 public:
  // `send` takes the bytes the user sends to the engine.
  VirtualDeviceWindow(const StringTable& strings, std::function<void(std::string_view)> send,
                      QWidget* parent = nullptr);

  // What the engine sent to the device: shown at the end, the caret after it.
  void ShowDeviceOutput(std::string_view bytes);
  // Closes without asking the engine to quit (the engine is closing this window).
  void CloseQuietly();

 signals:
  void QuitRequested();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Send();

  std::function<void(std::string_view)> send_;
  VirtualDisplayForm displayForm_;
  QPlainTextEdit* inputBuffer_;
  QPlainTextEdit* sendBox_;
  bool closingQuietly_ = false;
};

}  // namespace fenno

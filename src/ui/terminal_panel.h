#pragma once

// The controls of the terminal window: the received text (as characters or as a hex
// dump), its byte counters and selection, the pre-input translation box, the send box and
// the buttons. The panel shows what it is given and says which button was pressed; the
// window (terminal_window.h) talks to the device.

#include <QWidget>
#include <string>
#include <string_view>

#include "base/string_table.h"
#include "transport/stream_analyzer.h"
#include "transport/terminal_text.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

namespace fenno {

class RawStringEdit;

enum class TerminalLayout {
  kAnalyzer,       // Port > Analyze: counters, translation, analyzer, line buttons
  kVirtualDevice,  // virtual mode: what the engine sends, and the send box that feeds it
};

class TerminalPanel final : public QWidget {
  Q_OBJECT

 public:
  // The view holds at most this many of the latest bytes.
  static constexpr size_t kDefaultViewLimit = size_t{256} << 10;

  TerminalPanel(TerminalLayout layout, bool hasLines, const StringTable& strings,
                QWidget* parent = nullptr, size_t viewLimit = kDefaultViewLimit);

  // Bytes as they are shown (see TerminalShownBytes): appended to the view, counted and
  // fed to the analyzer.
  void AppendShown(std::string_view shown);
  void ClearInput();
  bool TranslatesInput() const;
  const StreamAnalyzer& analyzer() const { return analyzer_; }
  const TerminalText& text() const { return text_; }
  RawStringEdit& sendBox() const { return *sendBox_; }
  QPlainTextEdit& characterView() const { return *characterView_; }

 signals:
  void SendClicked();
  void DtrClicked();
  void BreakClicked();
  void AnalyzeClicked();
  void AsciiChartClicked();
  void QuitClicked();

 private:
  QPushButton* AddButton(int caption, const char* name, void (TerminalPanel::*clicked)());
  QLayout* BuildCounters();
  void ShowAppended(bool viewRebuilt);
  void ShowHexTail(bool viewRebuilt);
  void SwitchView(bool hex);
  void UpdateCounters();

  const StringTable& strings_;
  TerminalText text_;
  StreamAnalyzer analyzer_;
  QStackedWidget* views_;
  QPlainTextEdit* characterView_;
  QPlainTextEdit* hexView_;
  size_t hexBytesShown_ = 0;  // view bytes in the hex dump
  QLabel* totalCount_ = nullptr;
  QLabel* selectionCount_ = nullptr;
  QLabel* selectionStart_ = nullptr;
  QLabel* viewCutNote_;
  QCheckBox* translate_;
  QCheckBox* hexSwitch_;
  RawStringEdit* sendBox_;
  QPushButton* analyze_;
};

}  // namespace fenno

#pragma once

// What the terminal window shows of a device's bytes, as plain rules: each received byte
// as it is shown (optionally through the pre-input translation), the text of the window's
// character view with its byte positions, its hex dump, and the caption of the TCP
// program's terminal.
//
// The view holds only the latest bytes (viewLimit): a device that has sent megabytes
// must not make the window slow. The byte counts and positions still count every byte
// since the last Clear; what the analyzer reads is fed to it as it arrives, never from
// the view.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/string_table.h"
#include "config/settings.h"

namespace fenno {

// The received bytes as the terminal shows them. With `preInput` (the pre-input
// translation table) each byte is shown as its entry: "Ignore" shows nothing, "Void
// Record" the byte itself. NUL stays NUL here; the views show it as the character of
// code 255.
std::string TerminalShownBytes(std::string_view received,
                               const std::array<std::string, kTableSize>* preInput);

class TerminalText {
 public:
  static constexpr size_t kViewLineLength = 1024;

  explicit TerminalText(size_t viewLimit) : viewLimit_(viewLimit) {}

  // Appends shown bytes. Answers true when the view dropped its oldest bytes, so that the
  // window shows ViewText() anew rather than appending `AddedText()`.
  bool Append(std::string_view shown);
  void Clear();

  // The character view: every byte one character except that CR LF, a lone CR and a lone
  // LF each become one line end "\n"; NUL as the character of code 255 (Latin-1). A line
  // longer than kViewLineLength is broken by a "\n" that stands for no byte: a text view
  // lays out a whole line again whenever it grows, which a device sending no line ends
  // would otherwise make slower with every byte.
  const std::string& ViewText() const { return viewText_; }
  // What the last Append added to ViewText().
  std::string_view AddedText() const;
  // The bytes the view holds.
  const std::string& ViewBytes() const { return viewBytes_; }
  uint64_t TotalBytes() const { return droppedBytes_ + viewBytes_.size(); }
  // Bytes received before the view's first byte.
  uint64_t DroppedBytes() const { return droppedBytes_; }
  bool ViewIsCut() const { return droppedBytes_ != 0; }

  // The position in the whole received text (from 0) of a position in ViewText().
  uint64_t BytePosition(size_t viewPosition) const;

 private:
  void AppendShown(std::string_view shown);
  void DropOldest();

  size_t viewLimit_;
  std::string viewBytes_;
  std::string viewText_;
  size_t addedFrom_ = 0;
  // Positions in viewText_ of the line ends that stand for CR LF (two bytes), ascending.
  std::vector<size_t> crLfEnds_;
  // Positions in viewText_ of the breaks of long lines, ascending.
  std::vector<size_t> longLineBreaks_;
  size_t lineLength_ = 0;
  uint64_t droppedBytes_ = 0;
  bool lastWasCr_ = false;
};

// Hex dump lines of `bytes`, 16 to a line: "00000010  31 32 2C ...  |12,...|", the
// offsets counted from `firstOffset`; lines joined by "\n", none at the end.
inline constexpr size_t kHexBytesPerLine = 16;
std::string HexDumpLines(std::string_view bytes, uint64_t firstOffset);

// Flow control Opto-RS: the terminal asks the device for a reading ("?" and CR) once each
// time the modem status becomes exactly DSR on.
inline constexpr char kOptoRsRequest[] = "?\r";
class OptoRsRequest {
 public:
  // This tick's modem status; true when the request is to be queued now.
  bool OnModemStatus(uint32_t status);

 private:
  uint32_t marker_ = 0;
};

// The TCP program's terminal caption: "Port", the remote host (client only) and the
// connection state, joined by " - "; a server's connected state names the peer.
std::string TcpTerminalCaption(const StringTable& strings, const Settings& settings,
                               int socketState, std::string_view peerAddress);

}  // namespace fenno

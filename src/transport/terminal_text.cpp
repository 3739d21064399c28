#include "transport/terminal_text.h"

#include <algorithm>

#include "base/string_ids.h"
#include "engine/port.h"

namespace fenno {
namespace {

constexpr int kConnectedState = 7;  // the socket state "Connected"

}  // namespace

std::string TerminalShownBytes(std::string_view received,
                               const std::array<std::string, kTableSize>* preInput) {
  if (!preInput) return std::string(received);
  std::string shown;
  shown.reserve(received.size());
  for (const char byte : received) {
    const std::string& entry = (*preInput)[static_cast<unsigned char>(byte)];
    if (entry == kIgnoreEntry) continue;
    if (entry == kVoidRecordEntry)
      shown += byte;
    else
      shown += entry;
  }
  return shown;
}

bool TerminalText::Append(std::string_view shown) {
  addedFrom_ = viewText_.size();
  viewBytes_.append(shown);
  AppendShown(shown);
  if (viewBytes_.size() <= viewLimit_) return false;
  DropOldest();
  return true;
}

void TerminalText::AppendShown(std::string_view shown) {
  for (const char byte : shown) {
    const bool afterCr = lastWasCr_;
    lastWasCr_ = byte == '\r';
    if (byte == '\n' && afterCr) {
      crLfEnds_.push_back(viewText_.size() - 1);
      continue;
    }
    if (byte == '\r' || byte == '\n') {
      viewText_ += '\n';
      lineLength_ = 0;
      continue;
    }
    if (lineLength_ == kViewLineLength) {
      longLineBreaks_.push_back(viewText_.size());
      viewText_ += '\n';
      lineLength_ = 0;
    }
    viewText_ += byte == '\0' ? '\xFF' : byte;
    ++lineLength_;
  }
}

void TerminalText::DropOldest() {
  // Half the view goes at once, so that the view is shown anew rarely; the cut is put
  // after a line end nearby, so the view starts with a whole line.
  size_t cut = viewBytes_.size() - viewLimit_ / 2;
  const size_t lineEnd = viewBytes_.find_first_of("\r\n", cut);
  if (lineEnd != std::string::npos && lineEnd - cut < viewLimit_ / 4) {
    cut = lineEnd + 1;
    if (viewBytes_[lineEnd] == '\r' && cut < viewBytes_.size() && viewBytes_[cut] == '\n') ++cut;
  }
  droppedBytes_ += cut;
  viewBytes_.erase(0, cut);
  viewText_.clear();
  crLfEnds_.clear();
  longLineBreaks_.clear();
  lineLength_ = 0;
  lastWasCr_ = false;
  AppendShown(viewBytes_);
  addedFrom_ = 0;
}

void TerminalText::Clear() {
  *this = TerminalText(viewLimit_);
}

std::string_view TerminalText::AddedText() const {
  return std::string_view(viewText_).substr(addedFrom_);
}

uint64_t TerminalText::BytePosition(size_t viewPosition) const {
  const auto crLfs = std::lower_bound(crLfEnds_.begin(), crLfEnds_.end(), viewPosition);
  const auto breaks =
      std::lower_bound(longLineBreaks_.begin(), longLineBreaks_.end(), viewPosition);
  return droppedBytes_ + viewPosition + static_cast<size_t>(crLfs - crLfEnds_.begin()) -
         static_cast<size_t>(breaks - longLineBreaks_.begin());
}

std::string HexDumpLines(std::string_view bytes, uint64_t firstOffset) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  static constexpr char kOffsetDigits[] = "0123456789abcdef";
  std::string lines;
  lines.reserve((bytes.size() / kHexBytesPerLine + 1) * 80);
  for (size_t start = 0; start < bytes.size(); start += kHexBytesPerLine) {
    const std::string_view line = bytes.substr(start, kHexBytesPerLine);
    if (start != 0) lines += '\n';
    const uint64_t offset = firstOffset + start;
    int top = 28;  // eight digits, more once past 4 GiB
    while (top < 60 && (offset >> (top + 4)) != 0) top += 4;
    for (int shift = top; shift >= 0; shift -= 4) lines += kOffsetDigits[(offset >> shift) & 0xF];
    lines += ' ';
    for (size_t i = 0; i < kHexBytesPerLine; ++i) {
      lines += ' ';
      if (i < line.size()) {
        const auto code = static_cast<unsigned char>(line[i]);
        lines += kDigits[code >> 4];
        lines += kDigits[code & 0xF];
      } else {
        lines += "  ";
      }
    }
    lines += "  |";
    for (const char byte : line) lines += byte >= 0x20 && byte < 0x7F ? byte : '.';
    lines += '|';
  }
  return lines;
}

bool OptoRsRequest::OnModemStatus(uint32_t status) {
  if (status != kDsrOn) {
    marker_ = 0;
    return false;
  }
  if (marker_ != 0) return false;
  marker_ = status;
  return true;
}

std::string TcpTerminalCaption(const StringTable& strings, const Settings& settings,
                               int socketState, std::string_view peerAddress) {
  std::string caption = strings.Text(str::kTcpCaptionPort);
  if (settings.TcpMode == 0) caption += " - " + settings.TcpRemoteHost;
  caption += " - " + strings.Text(str::TcpStateName(socketState));
  if (settings.TcpMode != 0 && socketState == kConnectedState && !peerAddress.empty()) {
    caption += ' ';
    caption += strings.Text(str::kTcpConnectedTo);
    caption += ' ';
    caption += peerAddress;
  }
  return caption;
}

}  // namespace fenno

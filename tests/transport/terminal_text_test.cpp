#include "transport/terminal_text.h"

#include <gtest/gtest.h>

#include <vector>

#include "config/edition.h"
#include "engine/port.h"

namespace fenno {
namespace {

TEST(TerminalText, EachByteIsOneCharacterExceptThatEveryLineEndIsOne) {
  struct Row {
    std::vector<std::string> pieces;
    std::string shown;
  };
  const Row rows[] = {
      {{std::string("A\0\x01\xfe", 4)}, "A\xFF\x01\xfe"},  // NUL alone shows as another byte
      {{"12.5\r", "\n13.0"}, "12.5\n13.0"},                // CR LF split between two reads
      {{"a\r\rb\n\nc"}, "a\n\nb\n\nc"},
  };
  for (const Row& row : rows) {
    TerminalText text(1000);
    std::string added;
    for (const std::string& piece : row.pieces) {
      EXPECT_FALSE(text.Append(piece));
      added += text.AddedText();
    }
    EXPECT_EQ(text.ViewText(), row.shown);
    EXPECT_EQ(added, row.shown);
  }
}

TEST(TerminalText, PositionsCountBothBytesOfCrLfAndTheBytesNoLongerShown) {
  TerminalText text(16);
  text.Append("ab\r\ncd\r\n");  // view "ab\ncd\n"
  const std::pair<size_t, uint64_t> positions[] = {{0, 0}, {2, 2}, {3, 4}, {5, 6}, {6, 8}};
  for (const auto& [view, byte] : positions) EXPECT_EQ(text.BytePosition(view), byte) << view;

  // Past the limit the oldest half goes, cut after a line end; counts go on.
  EXPECT_TRUE(text.Append("efghij\r\nklmnop"));
  EXPECT_EQ(text.TotalBytes(), 22u);
  EXPECT_TRUE(text.ViewIsCut());
  EXPECT_EQ(text.ViewBytes(), "klmnop");
  EXPECT_EQ(text.ViewText(), "klmnop");
  EXPECT_EQ(text.BytePosition(0), 16u);
  text.Clear();
  EXPECT_EQ(text.TotalBytes(), 0u);
  EXPECT_FALSE(text.ViewIsCut());

  // A line without end is broken for the view; the break stands for no byte.
  constexpr size_t kLong = TerminalText::kViewLineLength;
  text = TerminalText(4 * kLong);
  text.Append(std::string(kLong + 1, 'x') + "\r\ny");
  EXPECT_EQ(text.ViewText(), std::string(kLong, 'x') + "\nx\ny");
  EXPECT_EQ(text.BytePosition(kLong), kLong);
  EXPECT_EQ(text.BytePosition(kLong + 1), kLong);
  EXPECT_EQ(text.BytePosition(kLong + 3), kLong + 3);  // the y, after CR LF
}

TEST(TerminalText, ShownBytesFollowThePreInputTranslation) {
  auto table = Settings::Defaults(ComfennoEdition(), "/tmp").PreInputTranslation;
  table['a'] = kIgnoreEntry;
  table['b'] = kVoidRecordEntry;
  table['c'] = std::string(1, '\0');
  table['d'] = "xy";
  EXPECT_EQ(TerminalShownBytes("abcde", &table), std::string("b\0xye", 5));
  EXPECT_EQ(TerminalShownBytes("abcde", nullptr), "abcde");
}

TEST(TerminalText, HexDumpLinesCountFromTheFirstOffset) {
  EXPECT_EQ(HexDumpLines(std::string("12,\0\r\n\xff", 7), 0x20),
            "00000020  31 32 2C 00 0D 0A FF                             |12,....|");
  const std::string dump = HexDumpLines(std::string(17, 'A'), 0);
  EXPECT_EQ(dump.substr(dump.find('\n') + 1, 12), "00000010  41");
}

TEST(TerminalText, OptoRsAsksOnceEachTimeDsrComesOnAlone) {
  OptoRsRequest request;
  const std::pair<uint32_t, bool> ticks[] = {
      {0, false}, {kDsrOn, true}, {kDsrOn, false}, {kDsrOn | kCtsOn, false}, {kDsrOn, true}};
  for (const auto& [status, asks] : ticks) EXPECT_EQ(request.OnModemStatus(status), asks);
}

TEST(TerminalText, TheTcpCaptionShowsHostStateAndTheServersPeer) {
  const StringTable strings(EditionKind::Netfenno, Language::English);
  Settings settings = Settings::Defaults(NetfennoEdition(), "/tmp");
  settings.TcpRemoteHost = "10.0.0.5";
  EXPECT_EQ(TcpTerminalCaption(strings, settings, 6, ""), "Port - 10.0.0.5 - Connecting");
  settings.TcpMode = 1;
  EXPECT_EQ(TcpTerminalCaption(strings, settings, 7, "127.0.0.1"), "Port - Connected to 127.0.0.1");
  EXPECT_EQ(TcpTerminalCaption(strings, settings, 42, ""), "Port - Error");
}

}  // namespace
}  // namespace fenno

#include "transport/serial_line.h"

#include <gtest/gtest.h>

namespace fenno {
namespace {

// A line as a driver holds it.
termios Tty(speed_t speed, tcflag_t cflag, tcflag_t iflag = 0) {
  termios line{};
  line.c_cflag = cflag;
  line.c_iflag = iflag;
  cfsetispeed(&line, speed);
  cfsetospeed(&line, speed);
  return line;
}

TEST(SerialLine, TheConfigurationsDefaultsGive9600Odd7One) {
  const Settings settings = Settings::Defaults(ComfennoEdition(), "/tmp");
  const LineSettings line = LineSettingsOf(settings);
  EXPECT_EQ(line, (LineSettings{9600, 7, kParityOdd, kOneStopBit, kFlowNone}));
  EXPECT_EQ(DescribeLine(line), "9600,O,7,1");
  EXPECT_EQ(DescribeLine({110, 5, kParityMark, kOneAndHalfStopBits, kFlowNone}), "110,M,5,1.5");
}

TEST(SerialLine, OnlyValuesInTheirRangesMakeALine) {
  const LineSettings good{9600, 8, kParityNone, kOneStopBit, kFlowNone};
  EXPECT_TRUE(IsValidLine(good));
  for (auto bad :
       {LineSettings{0, 8, 0, 0, 0}, LineSettings{9600, 4, 0, 0, 0}, LineSettings{9600, 9, 0, 0, 0},
        LineSettings{9600, 8, 5, 0, 0}, LineSettings{9600, 8, -1, 0, 0},
        LineSettings{9600, 8, 0, 3, 0}, LineSettings{9600, 8, 0, 0, 4}}) {
    EXPECT_FALSE(IsValidLine(bad)) << DescribeLine(bad);
    EXPECT_FALSE(TermiosHoldsLine(Tty(B9600, CS8), bad, false));
  }
}

TEST(SerialLine, ADriverHoldsALineOnlyWhenEverySettingReadsBack) {
  const struct {
    const char* name;
    termios driver;
    LineSettings wanted;
    bool framingFixed;
    bool holds;
  } cases[] = {
      // clang-format off
      {"odd 7 one", Tty(B9600, CS7 | PARENB | PARODD), {9600, 7, kParityOdd, 0, 0}, false, true},
      {"mark", Tty(B9600, CS8|PARENB|PARODD|CMSPAR), {9600, 8, kParityMark, 0, 0}, false, true},
      {"space", Tty(B9600, CS8 | PARENB | CMSPAR), {9600, 8, kParitySpace, 0, 0}, false, true},
      {"no mark", Tty(B9600, CS8 | PARENB | PARODD), {9600, 8, kParityMark, 0, 0}, false, false},
      {"5 bits refused", Tty(B9600, CS8), {9600, 5, kParityNone, 0, 0}, false, false},
      {"rate refused", Tty(B9600, CS8), {19200, 8, kParityNone, 0, 0}, false, false},
      {"rate outside the table", Tty(B9600, CS8), {14400, 8, kParityNone, 0, 0}, false, true},
      {"one and a half", Tty(B300, CS5 | CSTOPB), {300, 5, 0, kOneAndHalfStopBits, 0}, false, true},
      {"two stop bits missing", Tty(B300, CS8), {300, 8, 0, kTwoStopBits, 0}, false, false},
      {"rts/cts", Tty(B9600, CS8 | CRTSCTS), {9600, 8, 0, 0, kFlowHardware}, false, true},
      {"rts/cts missing", Tty(B9600, CS8), {9600, 8, 0, 0, kFlowHardware}, false, false},
      {"xon", Tty(B9600, CS8, IXON | IXOFF | IXANY), {9600, 8, 0, 0, kFlowXonXoff}, false, true},
      {"xon left on", Tty(B9600, CS8, IXON | IXOFF), {9600, 8, 0, 0, kFlowOptoRs}, false, false},
      {"pty ignores framing", Tty(B9600, CS8), {9600, 7, kParityEven, 0, 0}, true, true},
      {"pty still holds the rate", Tty(B9600, CS8), {4800, 7, kParityEven, 0, 0}, true, false},
      // clang-format on
  };
  for (const auto& row : cases)
    EXPECT_EQ(TermiosHoldsLine(row.driver, row.wanted, row.framingFixed), row.holds) << row.name;
}

}  // namespace
}  // namespace fenno

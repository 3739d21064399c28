#pragma once

// Line settings of a serial port as this program describes them, and how they show in the
// terminal settings a driver reports back. No Qt here, so the checks are tested directly.

#include <termios.h>

#include <cstdint>
#include <string>

#include "config/settings.h"

namespace fenno {

// Parity codes as stored in ParityIndex and passed by the parity commands.
enum ParityCode : int {
  kParityNone = 0,
  kParityOdd = 1,
  kParityEven = 2,
  kParityMark = 3,
  kParitySpace = 4
};
// Stop-bit codes as stored in StopBitsIndex.
enum StopBitsCode : int { kOneStopBit = 0, kOneAndHalfStopBits = 1, kTwoStopBits = 2 };

struct LineSettings {
  int32_t baudRate = 9600;
  int dataBits = 7;  // 5..8
  int parity = kParityOdd;
  int stopBits = kOneStopBit;
  int flowControl = kFlowNone;  // FlowControlValue

  bool operator==(const LineSettings&) const = default;
};

// The line a configuration asks for (an unknown baud index gives 9600).
LineSettings LineSettingsOf(const Settings& settings);

// Whether every value lies in its range (a positive rate, 5..8 data bits, known codes).
bool IsValidLine(const LineSettings& line);

// "9600,O,7,1" style, for messages.
std::string DescribeLine(const LineSettings& line);

// Whether the settings a driver reports back hold `wanted`. A pseudo-terminal carries bytes,
// not frames: it always reports 8 data bits without parity, so with `framingFixed` those two
// are not compared. A rate outside the standard table is not compared either: drivers round
// such rates, and the driver's own answer to setting it is what counts.
bool TermiosHoldsLine(const termios& settings, const LineSettings& wanted, bool framingFixed);

}  // namespace fenno

#include "transport/serial_line.h"

#include <array>
#include <utility>

namespace fenno {
namespace {

constexpr std::array<std::pair<int32_t, speed_t>, 11> kStandardSpeeds = {{
    {110, B110},
    {300, B300},
    {600, B600},
    {1200, B1200},
    {2400, B2400},
    {4800, B4800},
    {9600, B9600},
    {19200, B19200},
    {38400, B38400},
    {57600, B57600},
    {115200, B115200},
}};

bool SpeedHolds(const termios& settings, int32_t rate) {
  for (const auto& [standardRate, speed] : kStandardSpeeds) {
    if (standardRate == rate) return cfgetospeed(&settings) == speed;
  }
  return true;
}

bool DataBitsHold(const termios& settings, int dataBits) {
  constexpr std::array<tcflag_t, 4> kSizes = {CS5, CS6, CS7, CS8};
  return (settings.c_cflag & CSIZE) == kSizes[static_cast<size_t>(dataBits - 5)];
}

bool ParityHolds(const termios& settings, int parity) {
  const tcflag_t bits = settings.c_cflag & (PARENB | PARODD | CMSPAR);
  switch (parity) {
    case kParityNone:
      return (bits & PARENB) == 0;
    case kParityOdd:
      return bits == (PARENB | PARODD);
    case kParityEven:
      return bits == PARENB;
    case kParityMark:
      return bits == (PARENB | PARODD | CMSPAR);
    case kParitySpace:
      return bits == (PARENB | CMSPAR);
  }
  return false;
}

// A UART sends 1.5 stop bits with CSTOPB and 5 data bits; with more data bits it sends two,
// which a receiver expecting one and a half accepts as well.
bool StopBitsHold(const termios& settings, int stopBits) {
  return ((settings.c_cflag & CSTOPB) != 0) == (stopBits != kOneStopBit);
}

bool FlowControlHolds(const termios& settings, int flowControl) {
  const bool hardware = (settings.c_cflag & CRTSCTS) != 0;
  const bool software = (settings.c_iflag & (IXON | IXOFF)) == (IXON | IXOFF);
  const bool noSoftware = (settings.c_iflag & (IXON | IXOFF)) == 0;
  switch (flowControl) {
    case kFlowXonXoff:
      return software && !hardware;
    case kFlowHardware:
      return hardware && noSoftware;
    case kFlowNone:
    case kFlowOptoRs:
      return !hardware && noSoftware;
  }
  return false;
}

}  // namespace

LineSettings LineSettingsOf(const Settings& settings) {
  LineSettings line;
  line.baudRate = BaudRateOfIndex(settings.BaudIndex);
  line.dataBits = settings.DataBitsIndex + 5;
  line.parity = settings.ParityIndex;
  line.stopBits = settings.StopBitsIndex;
  line.flowControl = settings.FlowControl;
  return line;
}

bool IsValidLine(const LineSettings& line) {
  return line.baudRate > 0 && line.dataBits >= 5 && line.dataBits <= 8 &&
         line.parity >= kParityNone && line.parity <= kParitySpace &&
         line.stopBits >= kOneStopBit && line.stopBits <= kTwoStopBits &&
         line.flowControl >= kFlowNone && line.flowControl <= kFlowOptoRs;
}

std::string DescribeLine(const LineSettings& line) {
  constexpr std::array<const char*, 5> kParityLetters = {"N", "O", "E", "M", "S"};
  constexpr std::array<const char*, 3> kStopBits = {"1", "1.5", "2"};
  if (!IsValidLine(line)) return std::to_string(line.baudRate) + ",?";
  return std::to_string(line.baudRate) + "," + kParityLetters[static_cast<size_t>(line.parity)] +
         "," + std::to_string(line.dataBits) + "," + kStopBits[static_cast<size_t>(line.stopBits)];
}

bool TermiosHoldsLine(const termios& settings, const LineSettings& wanted, bool framingFixed) {
  if (!IsValidLine(wanted)) return false;
  const bool framingHolds = framingFixed || (DataBitsHold(settings, wanted.dataBits) &&
                                             ParityHolds(settings, wanted.parity));
  return framingHolds && SpeedHolds(settings, wanted.baudRate) &&
         StopBitsHold(settings, wanted.stopBits) && FlowControlHolds(settings, wanted.flowControl);
}

}  // namespace fenno

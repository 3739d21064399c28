#include "config/settings.h"

#include <gtest/gtest.h>

namespace fenno {
namespace {

// The defaults that decide what a device sees and what reaches the targets; the file layout
// tests check the rest as lines of the defaults file.
TEST(SettingsDefaults, LineTablesAndPaths) {
  const Settings s = Settings::Defaults(ComfennoEdition(), "/home/ann");
  // COM1, 9600 baud, odd parity, 7 data bits.
  EXPECT_EQ(PortNameOf(s.PortIndex), "COM1");
  EXPECT_EQ(BaudRateOfIndex(s.BaudIndex), 9600);
  EXPECT_EQ(s.DataBitsIndex + 5, 7);
  for (int code = 0; code < 256; ++code) {
    EXPECT_EQ(static_cast<unsigned char>(s.DdeTranslation[code]), code < 32 ? 0 : code) << code;
    EXPECT_EQ(static_cast<unsigned char>(s.LogTranslation[code]), code) << code;
    EXPECT_EQ(s.PreInputTranslation[code], std::string(1, static_cast<char>(code))) << code;
  }
  for (const auto& [code, keys] : {std::pair<int, std::string>{10, "NUL"},
                                   {13, "{ENTER}"},
                                   {'+', "{+}"},
                                   {127, "{DELETE}"},
                                   {160, " "},
                                   {233, "\xE9"}})
    EXPECT_EQ(s.KeystrokeTranslation[code], keys) << code;
  EXPECT_EQ(s.LogFilePath, "/home/ann/Comfenno.Log");
  EXPECT_EQ(Settings::Defaults(NetfennoEdition(), "/home/ann/").LogFilePath,
            "/home/ann/Netfenno.Log");
}

TEST(BaudTable, IndexAndRate) {
  EXPECT_EQ(BaudRateOfIndex(0), 110);
  EXPECT_EQ(BaudRateOfIndex(11), 115200);
  EXPECT_EQ(BaudRateOfIndex(12), 9600);
  EXPECT_EQ(BaudRateOfIndex(-1), 9600);
  EXPECT_EQ(BaudIndexOfRate(19200), 8);
  EXPECT_EQ(BaudIndexOfRate(12345), -1);
  EXPECT_EQ(PortNameOf(9), "COM10");
}

}  // namespace
}  // namespace fenno

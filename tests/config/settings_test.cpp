#include <gtest/gtest.h>

#include "config/settings.h"

namespace fenno {
namespace {

TEST(SettingsDefaults, MatchTheDocumentedDefaults) {
  const Settings s = Settings::Defaults(ComfennoEdition(), "/home/ann");
  EXPECT_EQ(s.ButtonCaption[7], "String7");
  EXPECT_EQ(s.ButtonCaption[20], "String20");
  EXPECT_EQ(s.FieldFilter[1], "C");
  EXPECT_EQ(s.FieldFilter[40], "C");
  EXPECT_EQ(s.DdeTargetApp, "Excel");
  EXPECT_EQ(s.DdeTargetTopic, "System");
  EXPECT_TRUE(s.StripCrLf);
  EXPECT_TRUE(s.TargetSpecified);
  EXPECT_EQ(s.InterCharDelay, 1);
  EXPECT_EQ(s.Delimiter, ',');
  EXPECT_EQ(s.RecordTimeGap, 3);
  // COM1, 9600 baud, odd parity, 7 data bits, 1 stop bit, no flow control.
  EXPECT_EQ(s.PortIndex, 0);
  EXPECT_EQ(BaudRateOfIndex(s.BaudIndex), 9600);
  EXPECT_EQ(s.ParityIndex, 1);
  EXPECT_EQ(s.DataBitsIndex + 5, 7);
  EXPECT_EQ(s.StopBitsIndex, 0);
  EXPECT_EQ(s.FlowControl, 0);
  EXPECT_EQ(s.LogFilePath, "/home/ann/Comfenno.Log");
  EXPECT_EQ(Settings::Defaults(NetfennoEdition(), "/home/ann/").LogFilePath,
            "/home/ann/Netfenno.Log");
}

TEST(SettingsDefaults, TranslationTables) {
  const Settings s = Settings::Defaults(ComfennoEdition(), "/tmp");
  ASSERT_EQ(s.DdeTranslation.size(), 256u);
  ASSERT_EQ(s.LogTranslation.size(), 256u);
  for (int code = 0; code < 256; ++code) {
    EXPECT_EQ(static_cast<unsigned char>(s.DdeTranslation[code]), code < 32 ? 0 : code) << code;
    EXPECT_EQ(static_cast<unsigned char>(s.LogTranslation[code]), code) << code;
    EXPECT_EQ(s.PreInputTranslation[code], std::string(1, static_cast<char>(code))) << code;
  }
  EXPECT_EQ(s.KeystrokeTranslation[10], "NUL");
  EXPECT_EQ(s.KeystrokeTranslation[27], "NUL");
  EXPECT_EQ(s.KeystrokeTranslation[150], "NUL");
  EXPECT_EQ(s.KeystrokeTranslation[13], "{ENTER}");
  EXPECT_EQ(s.KeystrokeTranslation['+'], "{+}");
  EXPECT_EQ(s.KeystrokeTranslation[127], "{DELETE}");
  EXPECT_EQ(s.KeystrokeTranslation[160], " ");
  EXPECT_EQ(s.KeystrokeTranslation['A'], "A");
  EXPECT_EQ(s.KeystrokeTranslation[233], "\xE9");
}

TEST(BaudTable, IndexAndRate) {
  EXPECT_EQ(BaudRateOfIndex(0), 110);
  EXPECT_EQ(BaudRateOfIndex(11), 115200);
  EXPECT_EQ(BaudRateOfIndex(12), 9600);
  EXPECT_EQ(BaudRateOfIndex(-1), 9600);
  EXPECT_EQ(BaudIndexOfRate(19200), 8);
  EXPECT_EQ(BaudIndexOfRate(12345), -1);
  EXPECT_EQ(PortNameOf(0), "COM1");
  EXPECT_EQ(PortNameOf(9), "COM10");
}

TEST(EditionTable, TcpActionsMapOntoSerialActions) {
  const Edition& net = NetfennoEdition();
  EXPECT_EQ(net.HotKeyActionMeaning(2), HotKeyActionKind::EnableTimer);
  EXPECT_EQ(net.HotKeyActionMeaning(4), HotKeyActionKind::Reset);
  EXPECT_EQ(net.HotKeyActionMeaning(7), HotKeyActionKind::EnableForOneRecord);
  EXPECT_EQ(net.HotKeyActionMeaning(8), HotKeyActionKind::NoAction);
  EXPECT_EQ(ComfennoEdition().HotKeyActionMeaning(9), HotKeyActionKind::LowerRts);
}

}  // namespace
}  // namespace fenno

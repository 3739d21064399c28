#include "transport/port_dialogs.h"

#include <gtest/gtest.h>

#include "base/string_ids.h"
#include "base/string_table.h"
#include "transport/peer_filter.h"
#include "transport/port_text_ids.h"

namespace fenno {
namespace {

TEST(PortDialogsTest, NumberBoxesRefuseWhatIsTyped) {
  struct Row {
    std::string text;
    TypedNumber buffer;
    TypedNumber tcpPort;
  };
  const Row rows[] = {
      {"", TypedNumber::Accepted, TypedNumber::Accepted},
      {"65535", TypedNumber::Accepted, TypedNumber::Accepted},
      {"131072", TypedNumber::Accepted, TypedNumber::TooLarge},
      {"99999999999999999999", TypedNumber::TooLarge, TypedNumber::TooLarge},
      {" 80", TypedNumber::NotDigits, TypedNumber::NotDigits},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(CheckTypedBufferSize(row.text), row.buffer);
    EXPECT_EQ(CheckTypedTcpPort(row.text), row.tcpPort);
  }
}

TEST(PortDialogsTest, PortSetupRefusesBufferSizesOutOfRangeAndStoresChanges) {
  struct Row {
    std::string input;
    std::string output;
    std::string field;  // "" accepted
  };
  const Row rows[] = {
      {"100", "1024", "BuffSize"},       {"", "1024", "BuffSize"}, {"4096", "127", "OutBuffSize"},
      {"4096", "131073", "OutBuffSize"}, {"128", "131072", ""},
  };
  Settings settings = Settings::Defaults(ComfennoEdition(), "/tmp");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.input + " " + row.output);
    PortSetupValues values = LoadPortSetup(settings);
    values.inputBufferText = row.input;
    values.outputBufferText = row.output;
    EXPECT_EQ(CheckPortSetup(values).field, row.field);
  }

  PortSetupValues values = LoadPortSetup(settings);
  EXPECT_EQ(values.inputBufferText, "4096");
  EXPECT_FALSE(StorePortSetup(values, settings));
  values = {9, 11, 4, 3, 2, kFlowOptoRs, "128", "131072"};
  EXPECT_TRUE(StorePortSetup(values, settings));
  EXPECT_EQ(LoadPortSetup(settings), values);
}

// (The dialog's window test refuses typed numbers and stores a server and its allowed peers.)
TEST(PortDialogsTest, ConnectionDialogStoresOnlyTheShownModesTexts) {
  Settings settings = Settings::Defaults(NetfennoEdition(), "/tmp");
  settings.TcpMode = 1;
  settings.TcpLocalPort = "4001";
  ConnectionValues values = LoadConnection(settings, "192.168.1.20", "");
  EXPECT_TRUE(StoreConnection(values, settings));     // OK marks modified, changed or not
  EXPECT_EQ(settings.TcpRemoteHost, "192.168.1.20");  // the address shown in server mode
  values.server = false;
  values.remoteHost = "plc\n3";
  EXPECT_EQ(CheckConnection(values).field, "hostEdit");
  values.remoteHost = "plc-3";
  values.remotePort = "8000";
  values.localPort = "9";  // not this mode's box: kept as it was
  EXPECT_TRUE(CheckConnection(values).Accepted());
  EXPECT_TRUE(StoreConnection(values, settings));
  EXPECT_EQ(settings.TcpMode, 0);
  EXPECT_EQ(settings.TcpRemoteHost, "plc-3");
  EXPECT_EQ(settings.TcpRemotePort, "8000");
  EXPECT_EQ(settings.TcpLocalPort, "4001");
}

TEST(PeerFilterTest, AllowsOnlyListedAddressesAndNetworks) {
  struct Row {
    std::string list;
    std::string peer;
    bool allowed;
  };
  const Row rows[] = {
      {"", "203.0.113.9", true},
      {"192.168.1.0/24", "192.168.1.77", true},
      {"192.168.1.0/24", "::ffff:192.168.1.77", true},  // dual-stack form of IPv4
      {"10.0.0.5", "10.0.0.5", true},
      {"10.0.0.0/9", "10.127.255.255", true},
      {"10.0.0.0/9", "10.128.0.0", false},
      {"0.0.0.0/0", "8.8.8.8", true},
      {"0.0.0.0/0", "2001:db8::1", false},  // all of IPv4 is not all of IPv6
      {"fd00::/8", "fd12:3456::1", true},
      {"fe80::/10", "fe80::1%eth0", true},
      {"::1", "127.0.0.1", false},
      {"10.0.0.5, ::1", "::1", true},
      {"plc-4", "127.0.0.1", false},  // nothing usable lets nobody in
      {"10.0.0.5", "not an address", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.list + " / " + row.peer);
    EXPECT_EQ(PeerFilter::FromText(row.list).Allows(row.peer), row.allowed);
  }
  for (const char* bad : {"1.2.3.4/", "1.2.3.4/-1", "::/129", "1.2.3", "1.2.3.4/8x"})
    EXPECT_FALSE(ParsePeerNetwork(bad)) << bad;
}

}  // namespace
}  // namespace fenno

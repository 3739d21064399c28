#include "transport/port_names.h"

#include <gtest/gtest.h>

namespace fenno {
namespace {

TEST(PortNames, EachRangeOfPortNumbersStandsForOneKindOfDevice) {
  const struct {
    int port;
    const char* device;
  } cases[] = {{1, "/dev/ttyS0"},
               {32, "/dev/ttyS31"},
               {33, "/dev/ttyUSB0"},
               {64, "/dev/ttyUSB31"},
               {65, "/dev/ttyACM0"},
               {96, "/dev/ttyACM31"},
               {97, ""},
               {99, ""},
               {0, ""},
               {100, ""},
               {-1, ""}};
  for (const auto& row : cases) EXPECT_EQ(DefaultDevicePath(row.port), row.device) << row.port;
}

TEST(PortNames, OnlyComFollowedByANumberFrom1To99IsAPortName) {
  const struct {
    const char* name;
    int number;
  } cases[] = {{"COM1", 1}, {"COM10", 10}, {"COM99", 99}, {"COM100", 0}, {"COM0", 0}, {"COM01", 0},
               {"COM", 0},  {"com1", 0},   {"COM1 ", 0},  {"COM-1", 0},  {"", 0}};
  for (const auto& row : cases) EXPECT_EQ(PortNumberOf(row.name), row.number) << row.name;
}

TEST(PortNames, ADevicePathAssignedInTheUserStoreWinsOverTheDefault) {
  MemoryUserStore store;
  store.Set("Comfenno", "Ports", "COM5", "/dev/serial/by-id/usb-Scale_1234-if00");
  store.Set("Comfenno", "Ports", "COM98", "/dev/pts/7");
  store.Set("Comfenno", "Ports", "COM6", "");
  store.Set("Other", "Ports", "COM7", "/dev/ttyUSB9");

  EXPECT_EQ(DevicePathOfPort("COM5", store, "Comfenno"), "/dev/serial/by-id/usb-Scale_1234-if00");
  EXPECT_EQ(DevicePathOfPort("COM98", store, "Comfenno"), "/dev/pts/7");
  EXPECT_EQ(DevicePathOfPort("COM6", store, "Comfenno"), "/dev/ttyS5")
      << "an empty entry assigns nothing";
  EXPECT_EQ(DevicePathOfPort("COM7", store, "Comfenno"), "/dev/ttyS6") << "another program's entry";
  EXPECT_EQ(DevicePathOfPort("COM97", store, "Comfenno"), "");
}

TEST(PortNames, ThePortListNamesEveryPortWithItsDeviceAndWhetherItIsThere) {
  MemoryUserStore store;
  store.Set("Comfenno", "Ports", "COM2", "/dev/null");
  store.Set("Comfenno", "Ports", "COM3", "/dev/fenno-absent");
  const std::vector<PortListEntry> list = PortList(store, "Comfenno");
  ASSERT_EQ(list.size(), 99u);
  EXPECT_EQ(list[0].portName, "COM1");
  EXPECT_EQ(list[98].portName, "COM99");
  EXPECT_EQ(list[1].devicePath, "/dev/null");
  EXPECT_TRUE(list[1].present);
  EXPECT_FALSE(list[2].present);
  EXPECT_EQ(list[96].devicePath, "");
  EXPECT_FALSE(list[96].present);
}

}  // namespace
}  // namespace fenno

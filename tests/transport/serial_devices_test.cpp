// Finding the device of a port: port names, the serial devices Linux lists, and the line
// settings a driver holds.

#include "transport/serial_devices.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/test_files.h"
#include "transport/port_names.h"
#include "transport/serial_line.h"

namespace fenno {
namespace {

// Each range of port numbers stands for one kind of device; only COM and a number from 1 to
// 99 is a port name.
TEST(PortNames, NumbersAndDefaultDevices) {
  const std::pair<int, const char*> devices[] = {{1, "/dev/ttyS0"},
                                                 {32, "/dev/ttyS31"},
                                                 {33, "/dev/ttyUSB0"},
                                                 {65, "/dev/ttyACM0"},
                                                 {96, "/dev/ttyACM31"},
                                                 {97, ""},
                                                 {0, ""}};
  for (const auto& [port, device] : devices) EXPECT_EQ(DefaultDevicePath(port), device) << port;
  const std::pair<const char*, int> names[] = {{"COM1", 1}, {"COM99", 99}, {"COM100", 0},
                                               {"COM0", 0}, {"COM01", 0},  {"com1", 0},
                                               {"COM1 ", 0}};
  for (const auto& [name, number] : names) EXPECT_EQ(PortNumberOf(name), number) << name;
}

TEST(PortNames, ADevicePathAssignedInTheUserStoreWinsOverTheDefault) {
  MemoryUserStore store;
  store.Set("Comfenno", "Ports", "COM5", "/dev/serial/by-id/usb-Scale_1234-if00");
  store.Set("Comfenno", "Ports", "COM6", "");
  store.Set("Other", "Ports", "COM7", "/dev/ttyUSB9");

  EXPECT_EQ(DevicePathOfPort("COM5", store, "Comfenno"), "/dev/serial/by-id/usb-Scale_1234-if00");
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
  EXPECT_EQ(list[98].portName, "COM99");
  EXPECT_TRUE(list[1].devicePath == "/dev/null" && list[1].present);
  EXPECT_FALSE(list[2].present);
  EXPECT_TRUE(list[96].devicePath.empty() && !list[96].present);
}

// A line as a driver holds it.
termios Tty(speed_t speed, tcflag_t cflag, tcflag_t iflag = 0) {
  termios line{};
  line.c_cflag = cflag;
  line.c_iflag = iflag;
  cfsetispeed(&line, speed);
  cfsetospeed(&line, speed);
  return line;
}

TEST(SerialLine, TheDefaultsGive9600Odd7OneAndOnlyValuesInTheirRangesMakeALine) {
  const LineSettings line = LineSettingsOf(Settings::Defaults(ComfennoEdition(), "/tmp"));
  EXPECT_EQ(line, (LineSettings{9600, 7, kParityOdd, kOneStopBit, kFlowNone}));
  EXPECT_EQ(DescribeLine(line), "9600,O,7,1");
  EXPECT_EQ(DescribeLine({110, 5, kParityMark, kOneAndHalfStopBits, kFlowNone}), "110,M,5,1.5");
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

namespace fs = std::filesystem;

// A sysfs and /dev as Linux lays them out: two USB adapters of one make told apart by
// their serial numbers, a CDC instrument whose node is gone, and an on-board port.
class SerialDevicesTest : public ::testing::Test {
 protected:
  static inline const std::string kById =
      "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_B2-if00-port0";
  void SetUp() override {
    AddUsb("ttyUSB0", "usb1/1-1", {"FTDI", "FT232R USB UART", "A1"});
    AddUsb("ttyUSB1", "usb1/1-2", {"FTDI", "FT232R USB UART", "B2"});
    AddUsb("ttyACM0", "usb2/2-1", {"Acme", "Scale", ""});
    Link("sys/class/tty/ttyS0/device", "../../../devices/platform/serial8250");
    fs::create_directories(Path("sys/devices/platform/serial8250"));
    for (const char* node : {"ttyUSB0", "ttyUSB1", "ttyS0"}) Write("dev/" + std::string(node), "");
    Link(kById.substr(1), "../../ttyUSB1");
  }

  fs::path Path(const std::string& relative) const { return fs::path(root_.File(relative)); }
  void Write(const std::string& relative, const std::string& text) const {
    fs::create_directories(Path(relative).parent_path());
    std::ofstream(Path(relative)) << text;
  }
  void Link(const std::string& relative, const std::string& target) const {
    fs::create_directories(Path(relative).parent_path());
    fs::create_directory_symlink(target, Path(relative));
  }
  struct Usb {
    std::string manufacturer, product, serial;
  };
  void AddUsb(const std::string& tty, const std::string& usbDevice, const Usb& usb) const {
    const std::string device = "sys/devices/pci0000:00/" + usbDevice;
    Write(device + "/idVendor", "0403\n");
    Write(device + "/manufacturer", usb.manufacturer + "\n");
    Write(device + "/product", usb.product + "\n");
    if (!usb.serial.empty()) Write(device + "/serial", usb.serial + "\n");
    fs::create_directories(Path(device + "/if0/" + tty));
    Link("sys/class/tty/" + tty + "/device", "../../../devices/pci0000:00/" + usbDevice + "/if0");
  }

  testing::ScratchFolder root_;
};

TEST_F(SerialDevicesTest, TellsAdaptersApartAndListsThoseWithANode) {
  struct Row {
    std::string path, tty;
    bool usb;
    std::string serial, byId;
  };
  const Row rows[] = {
      {"/dev/ttyUSB0", "ttyUSB0", true, "A1", ""}, {"/dev/ttyUSB1", "ttyUSB1", true, "B2", kById},
      {kById, "ttyUSB1", true, "B2", kById},       {"/dev/ttyACM0", "ttyACM0", true, "", ""},
      {"/dev/ttyS0", "ttyS0", false, "", ""},      {"/dev/ttyUSB7", "", false, "", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    const SerialDeviceInfo info = DescribeSerialDevice(root_.File(""), row.path);
    EXPECT_EQ(info.ttyName, row.tty);
    EXPECT_EQ(info.usb, row.usb);
    EXPECT_EQ(info.serialNumber, row.serial);
    EXPECT_EQ(info.byIdLink, row.byId);
    if (row.usb && row.tty != "ttyACM0") {
      EXPECT_EQ(info.manufacturer, "FTDI");
      EXPECT_EQ(info.product, "FT232R USB UART");
    }
  }
  EXPECT_EQ(PresentSerialDevices(root_.File("")),
            (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyUSB1"}));
}

}  // namespace
}  // namespace fenno

#include "transport/serial_devices.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/test_files.h"

namespace fenno {
namespace {

namespace fs = std::filesystem;

// A sysfs and /dev as Linux lays them out: two USB adapters of one make told apart by
// their serial numbers, a CDC instrument whose node is gone, and an on-board port.
class SerialDevicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AddUsb("ttyUSB0", "usb1/1-1", {"FTDI", "FT232R USB UART", "A1"});
    AddUsb("ttyUSB1", "usb1/1-2", {"FTDI", "FT232R USB UART", "B2"});
    AddUsb("ttyACM0", "usb2/2-1", {"Acme", "Scale", ""});
    Link("sys/class/tty/ttyS0/device", "../../../devices/platform/serial8250");
    fs::create_directories(Path("sys/devices/platform/serial8250"));
    for (const char* node : {"ttyUSB0", "ttyUSB1", "ttyS0"}) Write("dev/" + std::string(node), "");
    Link("dev/serial/by-id/usb-FTDI_FT232R_USB_UART_B2-if00-port0", "../../ttyUSB1");
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
    std::string path;
    std::string tty;
    bool usb;
    std::string serial;
    std::string byId;
  };
  const Row rows[] = {
      {"/dev/ttyUSB0", "ttyUSB0", true, "A1", ""},
      {"/dev/ttyUSB1", "ttyUSB1", true, "B2",
       "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_B2-if00-port0"},
      {"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_B2-if00-port0", "ttyUSB1", true, "B2",
       "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_B2-if00-port0"},
      {"/dev/ttyACM0", "ttyACM0", true, "", ""},
      {"/dev/ttyS0", "ttyS0", false, "", ""},
      {"/dev/ttyUSB7", "", false, "", ""},
      {"", "", false, "", ""},
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

#include "transport/serial_devices.h"

#include <algorithm>
#include <fstream>

namespace fenno {
namespace {

namespace fs = std::filesystem;

// `path` ("/dev/x") below `root`.
fs::path UnderRoot(const fs::path& root, const fs::path& path) {
  return root / path.relative_path();
}

std::string FirstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  return line;
}

// The tty a device path ends at, following links inside the root ("ttyUSB0").
std::string TtyNameOf(const fs::path& root, const std::string& devicePath) {
  fs::path path = devicePath;
  std::error_code error;
  for (int hops = 0; hops < 8; ++hops) {
    const fs::path here = UnderRoot(root, path);
    if (!fs::is_symlink(here, error)) break;
    const fs::path target = fs::read_symlink(here, error);
    if (error) break;
    path = (target.is_absolute() ? target : path.parent_path() / target).lexically_normal();
  }
  return path.filename().string();
}

// The USB device above a tty's device folder: the first parent with an idVendor file.
void ReadUsbDetails(const fs::path& root, const std::string& tty, SerialDeviceInfo& info) {
  std::error_code error;
  fs::path device = fs::canonical(UnderRoot(root, "/sys/class/tty") / tty / "device", error);
  if (error) return;
  const fs::path top = fs::weakly_canonical(root, error);
  for (; !device.empty() && device != top && device != device.root_path();
       device = device.parent_path()) {
    if (!fs::exists(device / "idVendor", error)) continue;
    info.usb = true;
    info.manufacturer = FirstLine(device / "manufacturer");
    info.product = FirstLine(device / "product");
    info.serialNumber = FirstLine(device / "serial");
    return;
  }
}

std::string ByIdLinkOf(const fs::path& root, const std::string& tty) {
  std::error_code error;
  const fs::path folder = UnderRoot(root, "/dev/serial/by-id");
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    std::error_code linkError;
    if (entry.is_symlink(linkError) && fs::read_symlink(entry.path(), linkError).filename() == tty)
      return (fs::path("/dev/serial/by-id") / entry.path().filename()).string();
  }
  return {};
}

}  // namespace

SerialDeviceInfo DescribeSerialDevice(const fs::path& root, const std::string& devicePath) {
  SerialDeviceInfo info;
  if (devicePath.empty()) return info;
  const std::string tty = TtyNameOf(root, devicePath);
  std::error_code error;
  if (!fs::exists(UnderRoot(root, "/sys/class/tty") / tty, error)) return info;
  info.ttyName = tty;
  ReadUsbDetails(root, tty, info);
  info.byIdLink = ByIdLinkOf(root, tty);
  return info;
}

std::vector<std::string> PresentSerialDevices(const fs::path& root) {
  std::vector<std::string> devices;
  std::error_code error;
  for (const fs::directory_entry& entry :
       fs::directory_iterator(UnderRoot(root, "/sys/class/tty"), error)) {
    const std::string tty = entry.path().filename().string();
    std::error_code ignored;
    if (tty.starts_with("ttyS") || !fs::exists(entry.path() / "device", ignored)) continue;
    if (!fs::exists(UnderRoot(root, "/dev") / tty, ignored)) continue;
    devices.push_back("/dev/" + tty);
  }
  std::sort(devices.begin(), devices.end());
  return devices;
}

}  // namespace fenno

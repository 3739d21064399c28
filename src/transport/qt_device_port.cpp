#include "transport/qt_device_port.h"

#include "transport/qt_serial_port.h"
#include "transport/qt_tcp_port.h"

namespace fenno {

std::unique_ptr<Port> MakeDevicePort(const PortContext& context) {
  if (context.edition.IsSerial()) return std::make_unique<SerialPort>(context);
  return std::make_unique<TcpPort>(context);
}

}  // namespace fenno

#pragma once

#include <memory>

#include "engine/port.h"
#include "transport/port_context.h"

namespace fenno {

// The port to a real device for the edition in the context: the serial port of the serial
// program, the TCP connection of the TCP program. Not yet open.
std::unique_ptr<Port> MakeDevicePort(const PortContext& context);

}  // namespace fenno

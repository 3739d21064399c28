#pragma once

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/edition.h"
#include "config/settings.h"
#include "config/user_store.h"

namespace fenno {

// What a device port needs from the program around it. Everything is borrowed and must
// outlive the port. The settings are read at each Open, so a new configuration takes
// effect the next time the port is opened.
struct PortContext {
  const Settings& settings;
  const Edition& edition;
  const UserStore& store;  // assigned device paths ("Ports" section)
  Prompt& prompt;          // the one message of a failed Open, a lost device
  const StringTable& strings;
};

}  // namespace fenno

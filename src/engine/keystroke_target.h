#pragma once

#include <cstdint>
#include <string_view>

#include "config/settings.h"

namespace fenno {

// How the engine types a record into another program: bring the target to the front,
// type the record's key macro text, then give the foreground back.
class KeystrokeTarget {
 public:
  virtual ~KeystrokeTarget() = default;
  // False when the record must be dropped: the target program could not be started,
  // or one of this program's own windows is in front. May rewrite TargetAppTitle.
  virtual bool Activate(Settings& settings) = 0;
  virtual void Type(std::string_view macroText, int32_t interCharDelay) = 0;
  virtual void Restore() = 0;
};

}  // namespace fenno

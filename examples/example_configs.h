#pragma once

#include <string>
#include <vector>

#include "config/edition.h"
#include "config/settings.h"

namespace fenno {

// A sample configuration shipped with the programs, built in code and written with the
// program's own configuration writer, so the files always read back.
struct ExampleConfig {
  std::string fileName;
  std::string description;
  const Edition* edition;
  Settings settings;
};

std::vector<ExampleConfig> ExampleConfigs();

}  // namespace fenno

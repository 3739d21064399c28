// Writes the sample configurations into a folder (default: the examples folder of the
// source tree) with the program's own configuration writer.

#include <cstdio>
#include <string>

#include "base/prompt.h"
#include "base/string_table.h"
#include "config/config_file.h"
#include "examples/example_configs.h"

int main(int argc, char** argv) {
  using namespace fenno;
  const std::string folder = argc > 1 ? argv[1] : ".";
  ConsolePrompt prompt;
  int failures = 0;
  for (const ExampleConfig& example : ExampleConfigs()) {
    const StringTable strings(example.edition->kind, Language::English);
    const std::string path = folder + "/" + example.fileName;
    if (WriteConfigFile(path, example.settings, *example.edition, strings, prompt)) {
      std::printf("%-18s %s\n", example.fileName.c_str(), example.description.c_str());
    } else {
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}

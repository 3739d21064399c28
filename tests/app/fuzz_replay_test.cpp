// Every committed fuzz input (the seeds in fuzz/corpus and the inputs that once failed,
// in fuzz/regressions) runs through its target's body in this build too, so a fault the
// fuzzers found stays fixed in the optimised and the sanitizer builds. A fault shows as a
// crash, a sanitizer report or a "fuzz check failed" message after the input's name.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "fuzz_entries.h"
#include "support/test_files.h"

namespace fenno {
namespace {

namespace fs = std::filesystem;

struct FuzzTarget {
  const char* name;  // as in fuzz/<name>_fuzzer.cpp and the input folders
  void (*entry)(const uint8_t* data, size_t size);
  friend void PrintTo(const FuzzTarget& target, std::ostream* os) { *os << target.name; }
};

const FuzzTarget kTargets[] = {
    {"config_reader", FuzzConfigReader},
    {"expression", FuzzExpression},
    {"key_macro", FuzzKeyMacro},
    {"input_pipeline", FuzzInputPipeline},
    {"engine", FuzzEngine},
    {"command_language", FuzzCommandLanguage},
};

fs::path FuzzFolder() {
  const char* source = std::getenv("FENNO_SOURCE_DIR");
  return source ? fs::path(source) / "fuzz" : fs::path();
}

// The files (or the folders) of `folder`, sorted; none when there is no such folder.
std::vector<fs::path> Entries(const fs::path& folder, bool folders = false) {
  std::vector<fs::path> found;
  if (!fs::is_directory(folder)) return found;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    if (folders ? entry.is_directory() : entry.is_regular_file()) found.push_back(entry.path());
  std::sort(found.begin(), found.end());
  return found;
}

class FuzzReplayTest : public ::testing::TestWithParam<FuzzTarget> {};

TEST_P(FuzzReplayTest, EveryCommittedInputRunsCleanly) {
  const FuzzTarget& target = GetParam();
  ASSERT_TRUE(fs::is_directory(FuzzFolder())) << "FENNO_SOURCE_DIR names no source tree";
  std::vector<fs::path> inputs = Entries(FuzzFolder() / "corpus" / target.name);
  EXPECT_FALSE(inputs.empty()) << "no seed inputs for " << target.name;
  for (const fs::path& file : Entries(FuzzFolder() / "regressions" / target.name))
    inputs.push_back(file);
  for (const fs::path& input : inputs) {
    // Named before it runs: a crash ends the process with no other trace of the input.
    std::cerr << "replaying " << input.string() << std::endl;
    const std::string bytes = testing::ReadWholeFile(input);
    target.entry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplayTest, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<FuzzTarget>& target) {
                           return std::string(target.param.name);
                         });

// A fuzz target, or a folder of inputs, that the table above does not know would never be
// replayed.
TEST(FuzzReplay, EveryTargetAndInputFolderIsReplayed) {
  std::set<std::string> known;
  for (const FuzzTarget& target : kTargets) known.insert(target.name);

  std::set<std::string> programs;
  for (const fs::path& file : Entries(FuzzFolder())) {
    const std::string name = file.filename().string();
    if (name.ends_with("_fuzzer.cpp")) programs.insert(name.substr(0, name.find("_fuzzer.cpp")));
  }
  EXPECT_EQ(programs, known);
  for (const char* kind : {"corpus", "regressions"})
    for (const fs::path& folder : Entries(FuzzFolder() / kind, true))
      EXPECT_TRUE(known.count(folder.filename().string())) << folder << " is not replayed";
}

}  // namespace
}  // namespace fenno

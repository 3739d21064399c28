// Every committed fuzz input (the seeds in fuzz/corpus and the inputs that once failed,
// in fuzz/regressions) runs through its target's body in this build too, so a fault the
// fuzzers found stays fixed in the optimised and the sanitizer builds. A fault shows as a
// crash, a sanitizer report or a "fuzz check failed" message after the input's name.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "fuzz_entries.h"

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

std::vector<fs::path> FilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  if (!fs::is_directory(folder)) return files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::set<std::string> SubfoldersOf(const fs::path& folder) {
  std::set<std::string> names;
  if (!fs::is_directory(folder)) return names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    if (entry.is_directory()) names.insert(entry.path().filename().string());
  return names;
}

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FuzzReplayTest : public ::testing::TestWithParam<FuzzTarget> {};

TEST_P(FuzzReplayTest, EveryCommittedInputRunsCleanly) {
  const FuzzTarget& target = GetParam();
  ASSERT_TRUE(fs::is_directory(FuzzFolder())) << "FENNO_SOURCE_DIR names no source tree";
  const std::vector<fs::path> seeds = FilesIn(FuzzFolder() / "corpus" / target.name);
  EXPECT_FALSE(seeds.empty()) << "no seed inputs for " << target.name;
  std::vector<fs::path> inputs = seeds;
  for (const fs::path& file : FilesIn(FuzzFolder() / "regressions" / target.name))
    inputs.push_back(file);
  for (const fs::path& input : inputs) {
    // Named before it runs: a crash ends the process with no other trace of the input.
    std::cerr << "replaying " << input.string() << std::endl;
    const std::string bytes = Contents(input);
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
  for (const fs::path& file : FilesIn(FuzzFolder())) {
    const std::string name = file.filename().string();
    const std::string suffix = "_fuzzer.cpp";
    if (name.size() > suffix.size() && name.ends_with(suffix))
      programs.insert(name.substr(0, name.size() - suffix.size()));
  }
  EXPECT_EQ(programs, known);
  for (const char* kind : {"corpus", "regressions"})
    for (const std::string& folder : SubfoldersOf(FuzzFolder() / kind))
      EXPECT_TRUE(known.count(folder)) << "fuzz/" << kind << "/" << folder << " is not replayed";
}

}  // namespace
}  // namespace fenno

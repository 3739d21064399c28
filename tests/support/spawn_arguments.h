#pragma once

// The argument or environment list posix_spawn takes: the texts are kept here, and the
// null-terminated array of pointers into them lives as long as they do.

#include <string>
#include <vector>

namespace fenno::testing {

class SpawnArguments {
 public:
  explicit SpawnArguments(std::vector<std::string> texts) : texts_(std::move(texts)) {
    for (std::string& text : texts_) pointers_.push_back(text.data());
    pointers_.push_back(nullptr);
  }
  // The pointers point into texts_, which must therefore stay where it is.
  SpawnArguments(const SpawnArguments&) = delete;
  SpawnArguments& operator=(const SpawnArguments&) = delete;

  char* const* List() const { return pointers_.data(); }
  const char* First() const { return pointers_.front(); }

 private:
  std::vector<std::string> texts_;
  std::vector<char*> pointers_;
};

}  // namespace fenno::testing

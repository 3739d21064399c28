#pragma once

// The four most recently used configuration files, most recent first. The
// list is read from the per-user store once at start-up and written back when the setup
// window closes (or gives way to a normal activation); in between it changes only here.
//
// File names are case-sensitive, so an entry matches a path only when the two are equal
// byte for byte.

#include <string>
#include <string_view>
#include <vector>

#include "config/user_store.h"

namespace fenno {

inline constexpr size_t kRecentFileCount = 4;
inline constexpr const char* kRecentFilesSection = "MRUFiles";

class RecentFiles {
 public:
  const std::vector<std::string>& entries() const { return entries_; }

  // Puts path at the top: an equal entry moves up, otherwise every entry moves down one
  // place and the last of four falls off. An empty path is not listed.
  void Add(const std::string& path);

  // Keys "0", "1", ... of section "MRUFiles" of `application`, until the first missing or
  // empty value (at most four). Replaces the list.
  void Read(const UserStore& store, std::string_view application);
  // Keys "0" to the last entry.
  void Write(UserStore& store, std::string_view application) const;

 private:
  std::vector<std::string> entries_;
};

}  // namespace fenno

#include "config/recent_files.h"

#include <algorithm>

namespace fenno {

void RecentFiles::Add(const std::string& path) {
  if (path.empty()) return;
  const auto found = std::find(entries_.begin(), entries_.end(), path);
  if (found != entries_.end()) {
    std::rotate(entries_.begin(), found, found + 1);
    return;
  }
  entries_.insert(entries_.begin(), path);
  if (entries_.size() > kRecentFileCount) entries_.resize(kRecentFileCount);
}

void RecentFiles::Read(const UserStore& store, std::string_view application) {
  entries_.clear();
  const std::string app(application);
  for (size_t i = 0; i < kRecentFileCount; ++i) {
    const auto value = store.Get(app, kRecentFilesSection, std::to_string(i));
    if (!value || value->empty()) break;
    entries_.push_back(*value);
  }
}

void RecentFiles::Write(UserStore& store, std::string_view application) const {
  const std::string app(application);
  for (size_t i = 0; i < entries_.size(); ++i)
    store.Set(app, kRecentFilesSection, std::to_string(i), entries_[i]);
}

}  // namespace fenno

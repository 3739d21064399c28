#include "config/user_store.h"

namespace fenno {

std::optional<std::string> MemoryUserStore::Get(const std::string& application,
                                                const std::string& section,
                                                const std::string& key) const {
  const auto it = values_.find({application, section, key});
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

void MemoryUserStore::Set(const std::string& application, const std::string& section,
                          const std::string& key, const std::string& value) {
  values_[{application, section, key}] = value;
}

}  // namespace fenno

#pragma once

#include <map>
#include <optional>
#include <string>
#include <tuple>

namespace fenno {

// Per-user values kept outside configuration files (recent files, window positions,
// port paths), by application name, section and key. Every value is text.
class UserStore {
 public:
  virtual ~UserStore() = default;
  virtual std::optional<std::string> Get(const std::string& application, const std::string& section,
                                         const std::string& key) const = 0;
  virtual void Set(const std::string& application, const std::string& section,
                   const std::string& key, const std::string& value) = 0;
};

// Keeps the values in memory; for tests and for runs that must not touch the user's files.
class MemoryUserStore : public UserStore {
 public:
  std::optional<std::string> Get(const std::string& application, const std::string& section,
                                 const std::string& key) const override;
  void Set(const std::string& application, const std::string& section, const std::string& key,
           const std::string& value) override;

 private:
  std::map<std::tuple<std::string, std::string, std::string>, std::string> values_;
};

}  // namespace fenno

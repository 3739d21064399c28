#pragma once

#include <string>

#include "config/user_store.h"

namespace fenno {

// INI files under $XDG_CONFIG_HOME (default ~/.config): application A of program P lives
// in <config>/P/A.ini, section S is its group [S].
class IniUserStore : public UserStore {
 public:
  explicit IniUserStore(std::string programName);
  std::optional<std::string> Get(const std::string& application, const std::string& section,
                                 const std::string& key) const override;
  void Set(const std::string& application, const std::string& section, const std::string& key,
           const std::string& value) override;
  std::string FilePath(const std::string& application) const;

 private:
  std::string programName_;
};

}  // namespace fenno

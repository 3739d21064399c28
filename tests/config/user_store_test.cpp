#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "config/qt_user_store.h"
#include "support/test_files.h"

namespace fenno {
namespace {

TEST(IniUserStore, KeepsValuesPerApplicationAndSectionUnderTheConfigFolder) {
  const testing::ScratchFolder scratch;
  const std::filesystem::path folder = scratch.path();
  ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);

  IniUserStore store("Comfenno");
  EXPECT_FALSE(store.Get("Comfenno", "MRUFiles", "0").has_value());
  store.Set("Comfenno", "MRUFiles", "0", "/data/Balance Setup.DE3");
  store.Set("Comfenno - COM1", "Settings", "MainLeft", "1200");

  IniUserStore reopened("Comfenno");
  EXPECT_EQ(reopened.Get("Comfenno", "MRUFiles", "0"), "/data/Balance Setup.DE3");
  EXPECT_EQ(reopened.Get("Comfenno - COM1", "Settings", "MainLeft"), "1200");
  EXPECT_FALSE(reopened.Get("Comfenno", "Settings", "MainLeft").has_value());
  EXPECT_TRUE(std::filesystem::exists(folder / "Comfenno" / "Comfenno - COM1.ini"));
}

}  // namespace
}  // namespace fenno

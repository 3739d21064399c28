#include "engine/data_log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/date_time_tags.h"

namespace fenno {
namespace {

namespace fs = std::filesystem;

class DataLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("fenno-log-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    path = (folder / "data.log").string();
  }
  void TearDown() override {
    ::chmod(folder.c_str(), 0755);
    fs::remove_all(folder);
  }
  std::string FileText() const {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path folder;
  std::string path;
  DataLog log;
};

TEST_F(DataLogTest, AppendsLinesAndKeepsWhatWasThere) {
  std::ofstream(path, std::ios::binary) << "old\r\n";
  log.Append("1\r\n");
  log.Append(std::string("a\0b\r\n", 5));
  EXPECT_TRUE(log.HasPending());
  EXPECT_FALSE(log.WriteOut(path).has_value());
  EXPECT_FALSE(log.HasPending());
  EXPECT_EQ(FileText(), std::string("old\r\n1\r\na\0b\r\n", 13));
}

TEST_F(DataLogTest, FailureNamesTheFirstUnwrittenRecordAndRetryContinues) {
  const std::string missing = (folder / "no-such-folder" / "data.log").string();
  log.Append("1\r\n");
  log.Append("2\r\n");
  const auto failure = log.WriteOut(missing);
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->record, 0u);
  EXPECT_FALSE(failure->reason.empty());
  fs::create_directories(folder / "no-such-folder");
  EXPECT_FALSE(log.WriteOut(missing).has_value());
  std::ifstream in(missing, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "1\r\n2\r\n");
}

TEST_F(DataLogTest, DiscardDropsTheFailedRecordAndTheOnesAfterIt) {
  log.Append("1\r\n");
  log.Append("2\r\n");
  log.Append("3\r\n");
  log.DiscardFrom(1);
  EXPECT_EQ(log.PendingRecords(), 1u);
  EXPECT_FALSE(log.WriteOut(path).has_value());
  EXPECT_EQ(FileText(), "1\r\n");
}

TEST(DateTimeTags, FirstOccurrenceOfEachTagInAnyCase) {
  const LocalDateTime now{2026, 12, 5, 14, 3, 9, 0};
  EXPECT_EQ(ExpandDateTimeTags("{YEAR}{YEAR}", now), "26{YEAR}");
  EXPECT_EQ(ExpandDateTimeTags("{century}{year}-{month}-{day}", now), "2026-12-05");
  EXPECT_EQ(ExpandDateTimeTags("{HOUR}:{MINUTE}:{SECOND},", now), "14:03:09,");
  EXPECT_EQ(ExpandDateTimeTags("{YEAR}{MONTH}{DAY}{TAB}", now), "261205{TAB}");
  EXPECT_EQ(ExpandDateTimeTags("", now), "");
  EXPECT_EQ(ExpandDateTimeTags("no tags {ENTER}", now), "no tags {ENTER}");
  // A replacement never creates a tag that a later step would then expand.
  EXPECT_EQ(ExpandDateTimeTags("{MON{DAY}TH}", LocalDateTime{2026, 1, 5, 0, 0, 0, 0}), "{MON05TH}");
}

}  // namespace
}  // namespace fenno

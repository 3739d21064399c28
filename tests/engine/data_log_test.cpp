#include "engine/data_log.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/date_time_tags.h"
#include "support/test_files.h"

namespace fenno {
namespace {

using testing::ReadWholeFile;

// Appends to what was there; a failure names the first unwritten record, a retry writes
// from it on, and a discard drops it and the records after it.
TEST(DataLog, AppendsRetriesAndDiscards) {
  testing::ScratchFolder folder;
  const std::string path = folder.Write("data.log", "old\r\n");
  DataLog log;
  log.Append("1\r\n");
  log.Append(std::string("a\0b\r\n", 5));
  EXPECT_TRUE(log.HasPending());
  EXPECT_FALSE(log.WriteOut(path).has_value());
  EXPECT_FALSE(log.HasPending());
  EXPECT_EQ(ReadWholeFile(path), std::string("old\r\n1\r\na\0b\r\n", 13));

  const std::string later = folder.File("later/data.log");
  log.Append("1\r\n");
  log.Append("2\r\n");
  const auto failure = log.WriteOut(later);
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->record, 0u);
  EXPECT_FALSE(failure->reason.empty());
  std::filesystem::create_directories(folder.File("later"));
  EXPECT_FALSE(log.WriteOut(later).has_value());
  EXPECT_EQ(ReadWholeFile(later), "1\r\n2\r\n");

  for (const char* record : {"1\r\n", "2\r\n", "3\r\n"}) log.Append(record);
  log.DiscardFrom(1);
  EXPECT_EQ(log.PendingRecords(), 1u);
  EXPECT_FALSE(log.WriteOut(path).has_value());
  EXPECT_EQ(ReadWholeFile(path), std::string("old\r\n1\r\na\0b\r\n1\r\n", 16));
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

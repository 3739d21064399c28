#include "transport/receive_buffer.h"

#include <gtest/gtest.h>

namespace fenno {
namespace {

TEST(ReceiveBuffer, GivesBytesBackInArrivalOrderWhateverTheSizesAndClearDropsThem) {
  ReceiveBuffer buffer;
  std::string expected;
  std::string taken;
  uint32_t next = 0;
  for (int round = 0; round < 300; ++round) {
    std::string chunk;
    for (int i = 0; i < (round * 37) % 5000; ++i) chunk += static_cast<char>(next++ % 251);
    buffer.Append(chunk);
    expected += chunk;
    const size_t want = (round % 3 == 0) ? 1 : static_cast<size_t>(round * 53 % 7000);
    const size_t before = taken.size();
    const size_t count = buffer.TakeFront(taken, want);
    EXPECT_EQ(count, taken.size() - before);
    EXPECT_EQ(buffer.Size(), expected.size() - taken.size());
  }
  buffer.TakeFront(taken, SIZE_MAX);
  EXPECT_EQ(taken, expected);
  EXPECT_TRUE(buffer.Empty());

  buffer.Append(std::string("a\0b", 3));
  buffer.Clear();  // drops everything waiting
  std::string out;
  EXPECT_EQ(buffer.TakeFront(out, 10), 0u);
  buffer.Append("c");
  EXPECT_EQ(buffer.TakeFront(out, 10), 1u);
  EXPECT_EQ(out, "c");
}

}  // namespace
}  // namespace fenno

// The clock seam: conversions that hold in every time zone.
#include "platform/clock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

namespace {

// 2026-03-04 12:34:56 UTC as a file time.
constexpr uint64_t kMidday = (1772627696ull + 11644473600ull) * 10000000ull;

TEST(Clock, FileTimesConvertAndUnsetOnesAreRefused) {
  platform::LocalTime local{};
  ASSERT_TRUE(platform::fileTimeToLocal(kMidday + 9999999, local));
  // Time zones move the hour (and maybe the day) but not the seconds.
  EXPECT_EQ(local.year, 2026);
  EXPECT_EQ(local.month, 3);
  EXPECT_LE(std::abs(local.day - 4), 1);
  EXPECT_EQ(local.second, 56);

  EXPECT_FALSE(platform::fileTimeToLocal(0, local));
  EXPECT_FALSE(platform::fileTimeToLocal(0x8000000000000000ull, local));
}

}  // namespace

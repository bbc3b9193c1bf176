// The column-wave index against the expression it stands for, evaluated as written, on random
// rows and on rows built to land on exact halves.
#include "render/uColumnWave.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace lumora {
namespace {

size_t Expected(double Q, int32_t height, int32_t y, int64_t phase, int32_t period, int64_t column) {
  const int64_t v =
      RoundHalfEven(static_cast<double>(column) * Q / 2 * (height - y / 2.0) / height + static_cast<double>(phase));
  const int64_t n = (v % period) % 360;
  return static_cast<size_t>(n < 0 ? -n : n);
}

// Every column of one row, from either edge; returns how many columns there were.
int64_t ExpectRow(double Q, int32_t width, int32_t height, int32_t y, int64_t phase, int32_t period, bool fromRight) {
  const int64_t first = fromRight ? width - 1 : 0, direction = fromRight ? -1 : 1;
  const TColumnWaveIndex index(Q, width, height, y, phase, period, first, direction);
  int64_t next = 0, wrong = -1;
  index.ForEach(width, [&](int64_t i, size_t got) {
    const int64_t column = first + direction * i;
    const size_t expected = Expected(Q, height, y, phase, period, column);
    if (i != next++ || (got != expected && wrong < 0)) {
      wrong = i;
      ADD_FAILURE() << "Q " << Q << " width " << width << " height " << height << " y " << y << " phase " << phase
                    << " period " << period << " column " << column << ": " << got << " instead of " << expected;
    }
  });
  return wrong < 0 ? next : wrong;
}

TEST(ColumnWaveIndex, EveryColumnAsTheExpressionWritten) {
  std::mt19937_64 random(20261210);
  const auto pick = [&random](int64_t low, int64_t high) {
    return std::uniform_int_distribution<int64_t>(low, high)(random);
  };
  for (int trial = 0; trial < 3000; ++trial) {
    const auto width = static_cast<int32_t>(pick(1, trial % 10 == 0 ? 16384 : 2000));
    const auto height = static_cast<int32_t>(pick(1, 2200));
    const auto y = static_cast<int32_t>(pick(0, height - 1));
    // Frequencies of the records, some far beyond any scene, and periods with and without 360.
    const int32_t periods[] = {360, 180, 90, 7, 1, 359, 361, 720, 1000, 3600, 2147483647};
    const int32_t period = periods[pick(0, 10)];
    const int64_t frequency = trial % 7 == 0 ? pick(-3000000, 3000000) : pick(-60, 60);
    const double Q = static_cast<double>(frequency) / (360.0 / period);
    // Phases wrap in 32 bits.
    const int64_t phase = trial % 5 == 0 ? pick(INT32_MIN, INT32_MAX) : pick(-5000, 5000);
    ASSERT_EQ(ExpectRow(Q, width, height, y, phase, period, trial % 2 == 1), width);
  }
}

// Powers of two make the argument an exact multiple of a small power of two, so halves are
// common: they must come out as the expression rounds them, halves to even.
TEST(ColumnWaveIndex, ExactHalvesRoundAsTheExpressionDoes) {
  int64_t columns = 0;
  for (const int32_t height : {1, 2, 4, 8, 64, 1024}) {
    for (int32_t y = 0; y < height && y < 16; ++y) {
      for (const double Q : {1.0, 0.5, 3.0, 17.0, 0.25, -1.0, -8.5}) {
        for (const int64_t phase : {int64_t{0}, int64_t{1}, int64_t{-7}, int64_t{INT32_MAX}, int64_t{INT32_MIN}}) {
          columns += ExpectRow(Q, 1920, height, y, phase, 360, false);
          columns += ExpectRow(Q, 640, height, y, phase, 180, true);
        }
      }
    }
  }
  EXPECT_GT(columns, 0);
}

TEST(FastRemainder, EqualsTheRemainderForEveryDivisor) {
  std::mt19937 random(3);
  for (const uint32_t d : {1u, 2u, 3u, 7u, 180u, 360u, 1000u, 65536u, 2147483647u, 4294967295u}) {
    const TFastRemainder remainder(d);
    for (const uint32_t n : {0u, 1u, d - 1, d, d + 1, 4294967295u, 2147483648u}) EXPECT_EQ(remainder(n), n % d) << n;
    for (int i = 0; i < 10000; ++i) {
      const uint32_t n = random();
      ASSERT_EQ(remainder(n), n % d) << n << " mod " << d;
    }
  }
}

}  // namespace
}  // namespace lumora

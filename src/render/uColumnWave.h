// The cosine-table index of each column of a column-wave row, without a division per column.
//
// A row of a column wave displaces column c by round(A cos v), v = round(c Q / 2 (H - y / 2) / H
// + phase), the cosine taken at |(v mod period) mod 360| degrees (truncating remainders). Ties
// at exact halves occur in practice, so v must be what exactly that order of floating-point
// operations gives; evaluated as written, its division is most of a column wave's cost.
//
// So the argument is followed in 32.32 fixed point, x = c k with k the row's factor, one
// addition per column, and v = phase + round(x). While |Q| width < 2^30 and the picture is at
// most 16384 wide, x and the exact argument differ by less than 2^-18: the fixed-point step is
// within 2^-33 a column, k within two roundings, the exact argument's own roundings within
// 2^-21. So the two round alike unless x lies within 2^-16 of a half, and there the exact
// expression decides. |v| mod period comes from a second counter that follows phase + x modulo
// the period: the remainder of a truncating division is the magnitude's remainder.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "base/uRounding.h"

namespace lumora {

// n mod d for 32-bit n by two multiplications (Lemire, Kaser and Kurz, "Faster remainder by
// direct computation", 2019): exact for every n and every divisor 1 <= d < 2^32.
class TFastRemainder {
 public:
  explicit TFastRemainder(uint32_t d) : d_(d), m_(UINT64_C(0xFFFFFFFFFFFFFFFF) / d + 1) {}
  uint32_t operator()(uint32_t n) const {
    const uint64_t low = m_ * n;
    return static_cast<uint32_t>((static_cast<unsigned __int128>(low) * d_) >> 64);
  }

 private:
  uint64_t d_;
  uint64_t m_;
};

// |(v mod period) mod 360| with truncating remainders.
inline size_t CosIndex(int64_t v, int32_t period) {
  const int64_t m = (v == static_cast<int32_t>(v)) ? static_cast<int32_t>(v) % period : v % period;
  const int64_t n = m % 360;
  return static_cast<size_t>(n < 0 ? -n : n);
}

class TColumnWaveIndex {
 public:
  // Row y of a frame `height` rows high and `width` wide, wave count Q, the region's phase and
  // period (>= 1); columns first, first + direction, ... (direction +1 or -1).
  TColumnWaveIndex(double Q, int32_t width, int32_t height, int32_t y, int64_t phase, int32_t period, int64_t first,
                   int64_t direction)
      : Q_(Q),
        halfRows_(height - y / 2.0),
        rows_(height),
        phase_(phase),
        period_(period),
        first_(first),
        direction_(direction),
        exact_(std::fabs(Q) * width >= 0x1p30 || width > 16384) {
    if (exact_) return;
    const double k = Q / 2 * halfRows_ / rows_;
    step_ = direction * static_cast<int64_t>(std::nearbyint(k * kOne));
    x32_ = static_cast<int64_t>(std::nearbyint(static_cast<double>(first) * k * kOne));
    periodSpan_ = static_cast<uint64_t>(period) << 32;
    mod32_ = Modulo(x32_) + Modulo((phase % period) * (int64_t{1} << 32));
    if (mod32_ >= periodSpan_) mod32_ -= periodSpan_;
    stepMod_ = Modulo(step_);
  }

  // Calls visit(i, index) for the columns i = 0 .. count - 1, in order.
  template <class TVisit>
  void ForEach(int64_t count, TVisit&& visit) const {
    if (exact_) {
      for (int64_t i = 0; i < count; ++i) visit(i, ExactIndex(i));
      return;
    }
    // v changes sign at most once along the row: the columns before `turn` have the sign of the
    // first, and each part runs with its sign fixed.
    const bool negativeFirst = NegativeAt(0);
    int64_t low = 0, high = count;  // NegativeAt(low) == negativeFirst; the turn is in (low, high]
    while (high - low > 1) {
      const int64_t middle = low + (high - low) / 2;
      (NegativeAt(middle) == negativeFirst ? low : high) = middle;
    }
    const int64_t turn = count == 0 ? 0 : high;
    const auto run = [&](int64_t from, int64_t to, bool negative) {
      if (negative) {
        period_ <= 360 ? Run<true, false>(from, to, visit) : Run<true, true>(from, to, visit);
      } else {
        period_ <= 360 ? Run<false, false>(from, to, visit) : Run<false, true>(from, to, visit);
      }
    };
    run(0, turn, negativeFirst);
    run(turn, count, !negativeFirst);
  }

 private:
  static constexpr double kOne = 0x1p32;  // 1 in 32.32 fixed point
  static constexpr uint32_t kHalf = 0x80000000u;
  static constexpr uint32_t kTieZone = 0x10000;  // 2^-16

  // value mod (period in fixed point), in [0, periodSpan_).
  uint64_t Modulo(int64_t value) const {
    const auto span = static_cast<int64_t>(periodSpan_);
    const int64_t m = value % span;
    return static_cast<uint64_t>(m < 0 ? m + span : m);
  }

  size_t ExactIndex(int64_t i) const {
    const auto column = static_cast<double>(first_ + direction_ * i);
    return CosIndex(RoundHalfEven(column * Q_ / 2 * halfRows_ / rows_ + static_cast<double>(phase_)), period_);
  }

  // Whether v of column i is negative (as the fixed point has it).
  bool NegativeAt(int64_t i) const { return phase_ + ((x32_ + i * step_ + kHalf) >> 32) < 0; }

  // Columns [from, to), where v has one sign. (phase + x) mod period gives |v| mod period: as it
  // is for positive v, from the other side for negative v. Its low 32 bits are x's fraction.
  template <bool kNegative, bool kWide, class TVisit>
  void Run(int64_t from, int64_t to, TVisit& visit) const {
    if (from >= to) return;
    const uint64_t span = periodSpan_, step = stepMod_;
    const auto period = static_cast<uint64_t>(period_);
    uint64_t mod32 = static_cast<uint64_t>((mod32_ + static_cast<unsigned __int128>(from) * step) % span);
    for (int64_t i = from; i < to; ++i) {
      size_t degrees;
      if (static_cast<uint32_t>(static_cast<uint32_t>(mod32) - (kHalf - kTieZone)) <= 2 * kTieZone) {
        degrees = ExactIndex(i);
      } else {
        uint64_t remainder = (mod32 + kHalf) >> 32;
        if (remainder == period) remainder = 0;
        if (kNegative && remainder != 0) remainder = period - remainder;
        degrees = kWide ? by360_(static_cast<uint32_t>(remainder)) : static_cast<size_t>(remainder);
      }
      visit(i, degrees);
      mod32 += step;
      if (mod32 >= span) mod32 -= span;
    }
  }

  double Q_;
  double halfRows_;
  double rows_;
  int64_t phase_;
  int32_t period_;
  int64_t first_;
  int64_t direction_;
  bool exact_;
  int64_t x32_ = 0;          // x of column 0
  int64_t step_ = 0;         // from one column to the next
  uint64_t periodSpan_ = 0;  // the period in fixed point
  uint64_t mod32_ = 0;       // (phase + x) mod period at column 0
  uint64_t stepMod_ = 0;     // the step mod the period
  TFastRemainder by360_{360};
};

}  // namespace lumora

// One-pixel blended lines (the clock's ticks and second hand, raindrops).
//
// The line's pixels are defined once, as the Bresenham line along its longer extent (the
// major axis): pixel k, for k = 0 .. n - 1 with n the major extent, sits at major offset k and
// minor offset q(k) = floor((2 k a + n) / (2 n)), a being the minor extent, i.e. k * a / n
// rounded with halves away from the start. The end point (k = n) is not drawn. Horizontal,
// vertical and diagonal lines are the cases a = 0 and a = n of the same rule.
//
// Clipping solves for the range of k whose pixels lie inside the clip rectangle (q is
// monotonic, so each clip edge bounds k from one side), then enters the line at the first such
// k with the error term it would have had there. The pixel loop itself tests nothing but the
// error term, and the pixels drawn are exactly the unclipped line's pixels inside the clip.
#include <algorithm>
#include <cstddef>
#include <cstdlib>

#include "base/uRounding.h"
#include "surface/uBitmap32.h"

namespace lumora {
namespace {

// The clip bounds multiply two extents of up to 33 bits each, more than 64 bits can hold.
using Wide = __int128;

// The k range [from, to) in which `origin + step * k` lies in [lo, hi), step being +1 or -1.
void LimitByAxis(int64_t origin, int step, int64_t lo, int64_t hi, int64_t& from, int64_t& to) {
  if (step > 0) {
    from = std::max(from, lo - origin);
    to = std::min(to, hi - origin);
  } else {
    from = std::max(from, origin - hi + 1);
    to = std::min(to, origin - lo + 1);
  }
}

}  // namespace

void TBitmap32::LineBlend(int32_t x1, int32_t y1, int32_t x2, int32_t y2, TColor32 color) {
  if (Empty() || clip_.IsEmpty() || AlphaOf(color) == 0) return;
  const int64_t dx = static_cast<int64_t>(x2) - x1;
  const int64_t dy = static_cast<int64_t>(y2) - y1;
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const int64_t n = xMajor ? std::llabs(dx) : std::llabs(dy);  // pixels drawn before clipping
  const int64_t a = xMajor ? std::llabs(dy) : std::llabs(dx);
  if (n == 0) return;

  const int64_t majorOrigin = xMajor ? x1 : y1;
  const int64_t minorOrigin = xMajor ? y1 : x1;
  const int majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
  const int minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
  const int64_t majorLo = xMajor ? clip_.Left : clip_.Top, majorHi = xMajor ? clip_.Right : clip_.Bottom;
  const int64_t minorLo = xMajor ? clip_.Top : clip_.Left, minorHi = xMajor ? clip_.Bottom : clip_.Right;

  int64_t from = 0, to = n;
  LimitByAxis(majorOrigin, majorStep, majorLo, majorHi, from, to);
  // The minor offsets allowed, q in [qFrom, qTo); then q(k) >= Q  <=>  k >= ceil((2Q - 1) n / 2a).
  int64_t qFrom = 0, qTo = a + 1;
  LimitByAxis(minorOrigin, minorStep, minorLo, minorHi, qFrom, qTo);
  if (qFrom >= qTo) return;
  if (a > 0) {
    from = std::max<int64_t>(from, static_cast<int64_t>(CeilDiv<Wide>(Wide{2 * qFrom - 1} * n, Wide{2} * a)));
    to = std::min<int64_t>(to, static_cast<int64_t>(CeilDiv<Wide>(Wide{2 * qTo - 1} * n, Wide{2} * a)));
  }
  if (from >= to) return;

  // Entry at k = from: q and the error term e = (2 k a + n) - 2 n q - 2 n, which lies in
  // [-2n, 0) and reaches 0 exactly when the minor offset must advance.
  const Wide entry = Wide{2} * from * a + n;
  const auto q = static_cast<int64_t>(entry / (Wide{2} * n));
  int64_t error = static_cast<int64_t>(entry - Wide{2} * n * q) - 2 * n;

  const int64_t x = xMajor ? x1 + majorStep * from : x1 + minorStep * q;
  const int64_t y = xMajor ? y1 + minorStep * q : y1 + majorStep * from;
  const ptrdiff_t majorStride = xMajor ? majorStep : static_cast<ptrdiff_t>(majorStep) * width_;
  const ptrdiff_t minorStride = xMajor ? static_cast<ptrdiff_t>(minorStep) * width_ : minorStep;
  TColor32* const bits = bits_;
  ptrdiff_t at = static_cast<ptrdiff_t>(y) * width_ + static_cast<ptrdiff_t>(x);
  const int64_t count = to - from;

  if (a == 0) {  // horizontal or vertical run
    for (int64_t k = 0; k < count; ++k, at += majorStride) bits[at] = BlendColor(color, bits[at]);
  } else if (a == n) {  // diagonal
    const ptrdiff_t stride = majorStride + minorStride;
    for (int64_t k = 0; k < count; ++k, at += stride) bits[at] = BlendColor(color, bits[at]);
  } else {
    for (int64_t k = 0; k < count; ++k) {
      bits[at] = BlendColor(color, bits[at]);
      at += majorStride;
      error += 2 * a;
      if (error >= 0) {
        at += minorStride;
        error -= 2 * n;
      }
    }
  }
}

}  // namespace lumora

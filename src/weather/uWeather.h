// What snow and rain have in common: a borrowed surface, a bounded number of particles scattered
// over it, and a step that moves every particle by a fall scaled from the frame time and both
// speeds, wraps it around the picture's edges, then draws them all. Each effect says only how one
// of its particles is scattered, moved and drawn.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "base/uLimits.h"
#include "base/uRandom.h"
#include "base/uSpeedTable.h"
#include "surface/uBitmap32.h"

namespace lumora {

template <class TParticle>
class TWeatherEffect {
 public:
  // At most kMaxWeatherParticles; a negative count is none.
  void SetCount(int32_t count) { count_ = std::clamp(count, 0, kMaxWeatherParticles); }
  int32_t Count() const { return count_; }

  // Scatters Count particles over the surface (which must be set and sized).
  void Init() {
    particles_.assign(static_cast<size_t>(count_), TParticle{});
    for (TParticle& particle : particles_) Scatter(particle);
  }

  // Moves every particle by the time in Elapsed, then draws them all onto the surface. All the
  // moves come before any drawing, so the random numbers are drawn in particle order.
  void Step() {
    const double fall = Elapsed / fallPeriod_ * SpeedTableAt(SpeedIndex) / 100 * SpeedPercent / 100;
    for (TParticle& particle : particles_) Move(particle, fall);
    for (const TParticle& particle : particles_) Draw(particle);
  }

  // Calls `visit` with a rectangle around every particle as the last Step drew it, so that the
  // frame knows where to take the weather off again.
  template <class TVisit>
  void VisitAreas(TVisit&& visit) const {
    for (const TParticle& particle : particles_) visit(Area(particle));
  }

  TBitmap32* Surface = nullptr;  // borrowed
  int32_t SpeedIndex;            // into the speed table (clamped)
  int32_t SpeedPercent = 100;    // the scene's speed
  int32_t Elapsed = 0;           // milliseconds since the previous frame
  int32_t Density = 10;          // opacity factor 1..10

 protected:
  // fallPeriod: the milliseconds per unit of fall at normal speed.
  TWeatherEffect(int32_t speedIndex, double fallPeriod) : SpeedIndex(speedIndex), fallPeriod_(fallPeriod) {}
  ~TWeatherEffect() = default;

  // A particle more than `margin` past one side of a `width` wide picture comes back in from beyond
  // the other side, up to `spread` pixels further out, so the re-entries do not line up.
  static void WrapSideways(double& x, int32_t width, int32_t margin, int32_t spread) {
    if (x < -margin) {
      x = width + Random(spread);
    } else if (x > width + margin) {
      x = -Random(spread);
    }
  }
  // A particle below `bottom` starts again up to 100 pixels above the top.
  static void WrapToTop(double& y, int32_t bottom) {
    if (y > bottom) y = -Random(100);
  }

  std::span<const TParticle> Particles() const { return particles_; }
  std::span<TParticle> Particles() { return particles_; }

 private:
  virtual void Scatter(TParticle& particle) = 0;
  // `fall` is the step's distance for one unit of the particle's speed.
  virtual void Move(TParticle& particle, double fall) = 0;
  virtual void Draw(const TParticle& particle) const = 0;
  // The pixels Draw touches for the particle, or more.
  virtual TRect Area(const TParticle& particle) const = 0;

  double fallPeriod_;
  int32_t count_ = 0;
  std::vector<TParticle> particles_;
};

}  // namespace lumora

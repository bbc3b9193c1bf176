// The program's one pseudo-random generator (see Random.h).
#include "base/uRandom.h"

#include <mutex>

#include "base/uTicks.h"

namespace lumora {
namespace {

struct Generator {
  std::mutex lock;
  uint64_t state = 0x853C49E6748FEA9BULL;
  uint64_t base = 0;

  uint32_t Next() {
    const uint64_t old = state;
    state = old * 6364136223846793005ULL + 1442695040888963407ULL;
    const auto xorshifted = static_cast<uint32_t>(((old >> 18) ^ old) >> 27);
    const auto rotation = static_cast<uint32_t>(old >> 59);
    return (xorshifted >> rotation) | (xorshifted << ((32 - rotation) & 31));
  }
  void Seed(uint64_t seed) {
    state = 0;
    Next();
    state += seed;
    Next();
  }
};

// The one generator of the program; every access goes through Shared().
Generator g_generator;

Generator& Shared() { return g_generator; }

}  // namespace

int32_t Random(int32_t n) {
  if (n <= 0) return 0;
  Generator& g = Shared();
  std::lock_guard<std::mutex> hold(g.lock);
  // Multiply-shift maps 32 random bits onto [0, n) without a division.
  return static_cast<int32_t>((static_cast<uint64_t>(g.Next()) * static_cast<uint32_t>(n)) >> 32);
}

double RandomReal() {
  Generator& g = Shared();
  std::lock_guard<std::mutex> hold(g.lock);
  return g.Next() * (1.0 / 4294967296.0);
}

void RandomizeFromClock() {
  Generator& g = Shared();
  const uint32_t tick = GetTickCount();
  std::lock_guard<std::mutex> hold(g.lock);
  g.Seed(g.base * 0x9E3779B97F4A7C15ULL ^ tick);
}

void RandomSeed(uint64_t seed) {
  Generator& g = Shared();
  std::lock_guard<std::mutex> hold(g.lock);
  g.Seed(seed);
}

void SetRandomSeedBase(uint64_t base) {
  Generator& g = Shared();
  std::lock_guard<std::mutex> hold(g.lock);
  g.base = base;
}

}  // namespace lumora

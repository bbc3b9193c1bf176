// The program's one pseudo-random generator: Random(n) gives an integer from 0 to n - 1.
//
// Safe for concurrent callers (the object workers draw from it while the engine does). It is
// reseeded "from the clock" through the replaceable tick source, mixed with a seed base that
// the deterministic renderer fixes, so that a fixed base and a simulated clock give the same
// numbers on every run and every platform. The generator is PCG32 (O'Neill's permuted
// congruential generator), chosen for its small state and good statistics.
#pragma once

#include <cstdint>

namespace lumora {

// A uniform integer in [0, n); 0 when n <= 0.
int32_t Random(int32_t n);
// A uniform real in [0, 1).
double RandomReal();
// Seeds the generator from the current tick (and the seed base).
void RandomizeFromClock();
// Seeds the generator with an exact value.
void RandomSeed(uint64_t seed);
// The base that every clock reseed mixes in (default 0).
void SetRandomSeedBase(uint64_t base);

}  // namespace lumora

// The one clock of the system: GetTickCount-style milliseconds in 32 bits that wrap after 49.7
// days, from a source that tests and the deterministic renderer replace.
//
// Every time comparison goes through TicksBetween, which is correct across the wrap-around.
#pragma once

#include <cstdint>

namespace lumora {

class TickSource {
 public:
  virtual ~TickSource() = default;
  virtual uint32_t Now() = 0;
};

// The current tick through the installed source; without one, a monotonic clock in
// milliseconds (its origin is of no concern: only differences are ever taken).
uint32_t GetTickCount();

// Installs a replacement tick source; nullptr restores the monotonic clock. Returns the source
// that was installed before. The caller keeps ownership.
TickSource* SetTickSource(TickSource* source);

// Milliseconds from `earlier` to `now`, correct across the 32-bit wrap-around.
constexpr uint32_t TicksBetween(uint32_t earlier, uint32_t now) { return now - earlier; }

}  // namespace lumora

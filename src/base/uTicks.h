// The one clock of the system: GetTickCount-style milliseconds in 32 bits that wrap after 49.7
// days, from a source that tests and the deterministic renderer replace.
//
// Every time comparison goes through TicksBetween, which is correct across the wrap-around.
#pragma once

#include <atomic>
#include <cstdint>

namespace lumora {

class TTickSource {
 public:
  virtual ~TTickSource() = default;
  virtual uint32_t Now() = 0;
};

// The current tick through the installed source; without one, a monotonic clock in
// milliseconds (its origin is of no concern: only differences are ever taken).
uint32_t GetTickCount();

// Installs a replacement tick source; nullptr restores the monotonic clock. Returns the source
// that was installed before. The caller keeps ownership.
TTickSource* SetTickSource(TTickSource* source);

// Milliseconds from `earlier` to `now`, correct across the 32-bit wrap-around.
constexpr uint32_t TicksBetween(uint32_t earlier, uint32_t now) { return now - earlier; }

// A clock moved by hand (tests, benchmarks, the deterministic renderer), installed for its
// lifetime; the source installed before comes back when it goes.
class TManualTicks : public TTickSource {
 public:
  explicit TManualTicks(uint32_t start = 1000) : now_(start), previous_(SetTickSource(this)) {}
  ~TManualTicks() override { SetTickSource(previous_); }
  TManualTicks(const TManualTicks&) = delete;
  TManualTicks& operator=(const TManualTicks&) = delete;

  uint32_t Now() override { return now_.load(); }
  void Set(uint32_t now) { now_ = now; }
  void Advance(uint32_t ms) { now_ += ms; }

 private:
  std::atomic<uint32_t> now_;
  TTickSource* previous_;
};

}  // namespace lumora

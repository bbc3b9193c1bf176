// The replaceable tick source (see uTicks.h).
#include "base/uTicks.h"

#include <atomic>
#include <chrono>

namespace lumora {

namespace {
std::atomic<TTickSource*> g_tickSource{nullptr};

uint32_t MonotonicTicks() {
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}
}  // namespace

uint32_t GetTickCount() {
  TTickSource* source = g_tickSource.load(std::memory_order_acquire);
  return source ? source->Now() : MonotonicTicks();
}

TTickSource* SetTickSource(TTickSource* source) { return g_tickSource.exchange(source, std::memory_order_acq_rel); }

}  // namespace lumora

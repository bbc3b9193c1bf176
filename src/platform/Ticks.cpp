// The replaceable tick source (the system's clock unless a test or the renderer installs one).
#include <atomic>

#include "platform/Platform.h"

namespace lumora::platform {

uint32_t SystemTickCount();  // defined by each platform implementation

namespace {
std::atomic<TickSource*> g_tickSource{nullptr};
}

uint32_t GetTickCount() {
  TickSource* source = g_tickSource.load(std::memory_order_acquire);
  return source ? source->Now() : SystemTickCount();
}

TickSource* SetTickSource(TickSource* source) { return g_tickSource.exchange(source, std::memory_order_acq_rel); }

}  // namespace lumora::platform

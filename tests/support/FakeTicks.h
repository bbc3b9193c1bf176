// A tick source the test moves by hand, installed for the lifetime of the object.
#pragma once

#include "platform/Platform.h"

namespace lumora::testing {

class FakeTicks : public platform::TickSource {
 public:
  explicit FakeTicks(uint32_t start = 1000) : now_(start) { previous_ = platform::SetTickSource(this); }
  ~FakeTicks() override { platform::SetTickSource(previous_); }
  FakeTicks(const FakeTicks&) = delete;
  FakeTicks& operator=(const FakeTicks&) = delete;

  uint32_t Now() override { return now_; }
  void Advance(uint32_t ms) { now_ += ms; }

 private:
  uint32_t now_;
  platform::TickSource* previous_;
};

}  // namespace lumora::testing

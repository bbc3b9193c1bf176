// A tick source the test moves by hand, installed for the lifetime of the object.
#pragma once

#include "base/uTicks.h"

namespace lumora::testing {

class FakeTicks : public TickSource {
 public:
  explicit FakeTicks(uint32_t start = 1000) : now_(start) { previous_ = SetTickSource(this); }
  ~FakeTicks() override { SetTickSource(previous_); }
  FakeTicks(const FakeTicks&) = delete;
  FakeTicks& operator=(const FakeTicks&) = delete;

  uint32_t Now() override { return now_; }
  void Advance(uint32_t ms) { now_ += ms; }

 private:
  uint32_t now_;
  TickSource* previous_;
};

}  // namespace lumora::testing

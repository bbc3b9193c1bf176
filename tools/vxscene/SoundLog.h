// vxscene render --sound-log: the scene's sound schedule run on the render's simulated clock,
// as the saver runs it with the sound on, each start written down instead of heard.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "JsonText.h"
#include "sound/uSoundEffect.h"
#include "sound/uSoundSchedule.h"

namespace lumora {
class TProject;
}

namespace lumora::tools {

class TSoundLog {
 public:
  // Loads the project's slots (as the saver does at show: volume, PrepareSounds, one update).
  TSoundLog(const TProject& project, int32_t soundVolume, uint32_t startTick);
  ~TSoundLog();
  // The schedule's per-frame update at the current simulated tick.
  void Update();
  // {"volume": v, "slots": [...], "starts": [{"ms": t, "slot": i, "loop": b}, ...]}
  std::string Json() const;

 private:
  class TSilentOutput;

  const TProject& project_;
  uint32_t startTick_;
  std::unique_ptr<TSilentOutput> output_;
  std::unique_ptr<TSoundEffect> effect_;
  TSoundSchedule schedule_;
  TJson starts_ = TJson::array();
};

}  // namespace lumora::tools

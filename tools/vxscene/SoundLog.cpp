// The sound schedule on simulated time (see SoundLog.h).
#include "SoundLog.h"

#include "Json.h"
#include "base/uPathText.h"
#include "base/uTicks.h"
#include "project/uVXProject.h"

namespace lumora::tools {

// Channels that open and take every playable sound but make no noise.
class TSoundLog::TSilentOutput : public TSoundOutput {
 public:
  struct TChannel : TSoundChannel {
    bool Open() override { return true; }
    void Load(const TWaveFile&) override {}
    void SetVolume(int32_t) override {}
    void Play(bool) override {}
    void Stop() override {}
  };
  std::unique_ptr<TSoundChannel> CreateChannel() override { return std::make_unique<TChannel>(); }
  void PlaySimple(const std::string&, bool) override {}
  void StopSimple() override {}
};

TSoundLog::TSoundLog(const TProject& project, int32_t soundVolume, uint32_t startTick)
    : project_(project),
      startTick_(startTick),
      output_(std::make_unique<TSilentOutput>()),
      effect_(std::make_unique<TSoundEffect>(*output_)) {
  effect_->SetVolume(soundVolume);
  schedule_.OnStart = [this](int slot, bool loop) {
    starts_.push_back(json::Object({{"ms", json::Number(TicksBetween(startTick_, GetTickCount()))},
                                    {"slot", json::Number(slot)},
                                    {"loop", json::Bool(loop)}}));
  };
  schedule_.PrepareSounds(project_, *effect_);
  schedule_.UpdateSounds(project_, *effect_);
}

TSoundLog::~TSoundLog() = default;

void TSoundLog::Update() { schedule_.UpdateSounds(project_, *effect_); }

std::string TSoundLog::Json() const {
  std::vector<std::string> slots;
  for (int i = 0; i < project_.SoundCount(); ++i) {
    const SoundSlot& slot = project_.SoundSlots[static_cast<size_t>(i)];
    slots.push_back(json::Object({{"slot", json::Number(i)},
                                  {"file", json::String(ExtractFileName(slot.Path()))},
                                  {"mode", json::Number(slot.PlayMode())},
                                  {"available", json::Bool(schedule_.Slots[static_cast<size_t>(i)].Available)}}));
  }
  return json::Object({{"volume", json::Number(effect_->Volume)},
                       {"slots", json::Array(slots)},
                       {"starts", json::Array(starts_)}});
}

}  // namespace lumora::tools

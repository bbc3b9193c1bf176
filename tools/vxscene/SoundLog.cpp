// The sound schedule on simulated time (see SoundLog.h).
#include "SoundLog.h"

#include "JsonText.h"
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
    starts_.push_back(TJson{{"ms", TicksBetween(startTick_, GetTickCount())}, {"slot", slot}, {"loop", loop}});
  };
  schedule_.PrepareSounds(project_, *effect_);
  schedule_.UpdateSounds(project_, *effect_);
}

TSoundLog::~TSoundLog() = default;

void TSoundLog::Update() { schedule_.UpdateSounds(project_, *effect_); }

std::string TSoundLog::Json() const {
  TJson slots = TJson::array();
  for (int i = 0; i < project_.SoundCount(); ++i) {
    const SoundSlot& slot = project_.SoundSlots[static_cast<size_t>(i)];
    slots.push_back(TJson{{"slot", i},
                          {"file", JsonText(ExtractFileName(slot.Path()))},
                          {"mode", slot.PlayMode()},
                          {"available", schedule_.Slots[static_cast<size_t>(i)].Available}});
  }
  return JsonLine(TJson{{"volume", effect_->Volume}, {"slots", slots}, {"starts", starts_}});
}

}  // namespace lumora::tools

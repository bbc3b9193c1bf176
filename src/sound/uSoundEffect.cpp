// The sound effect player (see uSoundEffect.h).
#include "sound/uSoundEffect.h"

#include "base/uErrors.h"
#include "sound/uWaveFile.h"

namespace lumora {

TSoundEffect::TSoundEffect(TSoundOutput& output) : output_(output) {
  for (int i = 0; i < kChannelCount; ++i) {
    std::unique_ptr<TSoundChannel> channel = output_.CreateChannel();
    if (channel == nullptr || !channel->Open()) {
      mode_ = 3;  // "No DXSound": this channel goes, the earlier ones stay idle
      break;
    }
    channels_.push_back(std::move(channel));
    mode_ = kModeChannels;
  }
  if (mode_ == 3) mode_ = kModeFallback;
}

TSoundEffect::~TSoundEffect() {
  Paths.clear();
  StopAll();
  // Released from the last channel down to the first.
  while (!channels_.empty()) channels_.pop_back();
}

void TSoundEffect::LoadSound(const std::string& path) {
  Paths.push_back(path);
  if (mode_ != kModeChannels) return;
  const size_t index = Paths.size() - 1;
  if (index >= channels_.size()) return;
  const TWaveFile wave = ReadWaveFile(path);
  if (!wave.Format.Playable()) throw EInOutError("Wave is invalid");
  channels_[index]->Load(wave);
}

void TSoundEffect::Play(int index, bool loop) {
  if (index < 0 || static_cast<size_t>(index) >= Paths.size()) return;
  if (mode_ == kModeChannels) {
    if (static_cast<size_t>(index) >= channels_.size()) return;
    channels_[static_cast<size_t>(index)]->SetVolume(ChannelVolume(Volume));
    channels_[static_cast<size_t>(index)]->Play(loop);
  } else if (index == 0) {
    output_.PlaySimple(Paths[0], loop);
  }
}

void TSoundEffect::StopAll() {
  if (mode_ == kModeChannels) {
    for (auto& channel : channels_) channel->Stop();
  } else {
    output_.StopSimple();
  }
}

}  // namespace lumora

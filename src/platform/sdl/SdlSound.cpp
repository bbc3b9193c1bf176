// The Linux host's sound (see SdlSound.h).
#include "platform/sdl/SdlSound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/uErrors.h"
#include "sound/uWaveFile.h"

namespace lumora::sdl {
namespace {

// Set on the audio thread when the music ends, taken on the main thread.
std::atomic<bool> g_musicEnded{false};
void OnMusicFinished() { g_musicEnded = true; }

// The wave's samples as SDL can take them: 24-bit samples widened to 32 bits.
SDL_AudioFormat SdlFormatOf(const TWaveFormat& format, std::vector<uint8_t>& samples) {
  if (format.SampleTag() == kWaveFormatFloat) return AUDIO_F32LSB;
  switch (format.BitsPerSample) {
    case 8: return AUDIO_U8;
    case 16: return AUDIO_S16LSB;
    case 24: {
      std::vector<uint8_t> wide(samples.size() / 3 * 4);
      for (size_t i = 0, o = 0; i + 2 < samples.size(); i += 3, o += 4) {
        wide[o] = 0;
        std::memcpy(&wide[o + 1], &samples[i], 3);
      }
      samples.swap(wide);
      return AUDIO_S32LSB;
    }
    default: return AUDIO_S32LSB;
  }
}

class TSdlChannel : public TSoundChannel {
 public:
  TSdlChannel(TSdlAudio& audio, int index) : audio_(audio), index_(index) {}
  ~TSdlChannel() override { Release(); }

  bool Open() override { return audio_.Ready() && index_ < Mix_AllocateChannels(-1); }

  void Load(const TWaveFile& wave) override {
    Release();
    std::vector<uint8_t> samples = wave.Samples;
    const SDL_AudioFormat from = SdlFormatOf(wave.Format, samples);
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, from, static_cast<Uint8>(wave.Format.Channels), static_cast<int>(wave.Format.SamplesPerSec),
                          audio_.Format(), static_cast<Uint8>(audio_.Channels()), audio_.Frequency()) < 0) {
      throw EInOutError("Wave is invalid");
    }
    const int frame = SDL_AUDIO_BITSIZE(from) / 8 * wave.Format.Channels;
    cvt.len = static_cast<int>(samples.size() / static_cast<size_t>(frame) * static_cast<size_t>(frame));
    buffer_.assign(static_cast<size_t>(cvt.len) * static_cast<size_t>(std::max(cvt.len_mult, 1)), 0);
    std::memcpy(buffer_.data(), samples.data(), static_cast<size_t>(cvt.len));
    cvt.buf = buffer_.data();
    if (cvt.needed && SDL_ConvertAudio(&cvt) < 0) throw EInOutError("Wave is invalid");
    buffer_.resize(static_cast<size_t>(cvt.needed ? cvt.len_cvt : cvt.len));
    chunk_ = Mix_QuickLoad_RAW(buffer_.data(), static_cast<Uint32>(buffer_.size()));
    if (chunk_ == nullptr) throw EInOutError("Wave is invalid");
  }

  void SetVolume(int32_t hundredths) override { Mix_Volume(index_, MixerVolume(hundredths)); }

  void Play(bool loop) override {
    if (chunk_ == nullptr || Mix_Playing(index_)) return;
    Mix_PlayChannel(index_, chunk_, loop ? -1 : 0);
  }

  void Stop() override {
    if (audio_.Ready()) Mix_HaltChannel(index_);
  }

 private:
  void Release() {
    if (chunk_ == nullptr) return;
    Mix_HaltChannel(index_);
    Mix_FreeChunk(chunk_);  // the samples stay ours: a quick-loaded chunk does not own them
    chunk_ = nullptr;
  }

  TSdlAudio& audio_;
  int index_;
  Mix_Chunk* chunk_ = nullptr;
  std::vector<uint8_t> buffer_;
};

}  // namespace

int MixerVolume(int32_t hundredths) {
  const double level = MIX_MAX_VOLUME * std::pow(10.0, std::min(hundredths, 0) / 2000.0);
  return std::clamp(static_cast<int>(std::lround(level)), 0, MIX_MAX_VOLUME);
}

TSdlAudio::TSdlAudio() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
  if (Mix_OpenAudio(48000, AUDIO_S16SYS, 2, 1024) != 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return;
  }
  Mix_Init(MIX_INIT_OGG | MIX_INIT_MP3 | MIX_INIT_FLAC | MIX_INIT_MID | MIX_INIT_MOD);
  Mix_AllocateChannels(TSoundEffect::kChannelCount);
  Mix_QuerySpec(&frequency_, &format_, &channels_);
  ready_ = true;
}

TSdlAudio::~TSdlAudio() {
  if (!ready_) return;
  Mix_HookMusicFinished(nullptr);
  Mix_CloseAudio();
  Mix_Quit();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

std::unique_ptr<TSoundChannel> TSdlSoundOutput::CreateChannel() {
  return std::make_unique<TSdlChannel>(audio_, nextChannel_++);
}

void TSdlSoundOutput::PlaySimple(const std::string&, bool) {
  if (told_) return;
  told_ = true;
  std::fprintf(stderr, "lumora: no audio device, the scene's sounds are not played\n");
}

TSdlMusic::TSdlMusic(TSdlAudio& audio) : audio_(audio) {
  if (audio_.Ready()) Mix_HookMusicFinished(OnMusicFinished);
}

TSdlMusic::~TSdlMusic() { Close(); }

bool TSdlMusic::Open(const std::string& path) {
  Close();
  if (!audio_.Ready()) return false;
  music_ = Mix_LoadMUS(path.c_str());
  return music_ != nullptr;
}

void TSdlMusic::SetVolume(int32_t value) { Mix_VolumeMusic(std::clamp(value, 0, 1000) * MIX_MAX_VOLUME / 1000); }

void TSdlMusic::Play() {
  if (music_ == nullptr) return;
  g_musicEnded = false;
  Mix_PlayMusic(music_, 1);
}

int64_t TSdlMusic::Position() {
  if (music_ == nullptr) return 0;
  if (!Mix_PlayingMusic()) return Length();  // played to its end
  return static_cast<int64_t>(Mix_GetMusicPosition(music_) * 1000);
}

int64_t TSdlMusic::Length() {
  const double seconds = music_ != nullptr ? Mix_MusicDuration(music_) : 0;
  return seconds > 0 ? static_cast<int64_t>(seconds * 1000) : 0;
}

void TSdlMusic::Close() {
  if (music_ == nullptr) return;
  Mix_HaltMusic();
  Mix_FreeMusic(music_);
  music_ = nullptr;
}

bool TSdlMusic::TakeNotification() { return g_musicEnded.exchange(false); }

}  // namespace lumora::sdl

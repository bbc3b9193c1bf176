// The Windows host's sound (see Win32Sound.h).
#include "platform/win32/Win32Sound.h"

#include <windows.h>
#include <mmsystem.h>
#include <digitalv.h>
#include <dsound.h>

#include <cstring>
#include <vector>

#include "base/uErrors.h"
#include "sound/uWaveFile.h"

namespace lumora::win32 {
namespace {

class TDirectSoundChannel : public TSoundChannel {
 public:
  explicit TDirectSoundChannel(HWND owner) : owner_(owner) {}
  ~TDirectSoundChannel() override {
    ReleaseBuffer();
    if (primary_ != nullptr) primary_->Release();
    if (device_ != nullptr) device_->Release();
  }

  bool Open() override {
    if (FAILED(DirectSoundCreate(nullptr, &device_, nullptr))) return false;
    if (FAILED(device_->SetCooperativeLevel(owner_, DSSCL_NORMAL))) return false;
    DSBUFFERDESC primary{};
    primary.dwSize = sizeof primary;
    primary.dwFlags = DSBCAPS_PRIMARYBUFFER;
    return SUCCEEDED(device_->CreateSoundBuffer(&primary, &primary_, nullptr));
  }

  void Load(const TWaveFile& wave) override {
    ReleaseBuffer();
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY | DSBCAPS_GLOBALFOCUS;
    desc.dwBufferBytes = static_cast<DWORD>(wave.Samples.size());
    std::vector<uint8_t> record = wave.Format.Record;  // the WAVEFORMATEX(TENSIBLE) of the file
    desc.lpwfxFormat = reinterpret_cast<WAVEFORMATEX*>(record.data());
    if (desc.dwBufferBytes == 0 || FAILED(device_->CreateSoundBuffer(&desc, &buffer_, nullptr))) {
      throw EOutOfResources("No sound buffer");
    }
    void* part1 = nullptr;
    void* part2 = nullptr;
    DWORD size1 = 0, size2 = 0;
    if (FAILED(buffer_->Lock(0, desc.dwBufferBytes, &part1, &size1, &part2, &size2, 0))) {
      ReleaseBuffer();
      throw EOutOfResources("No sound buffer");
    }
    std::memcpy(part1, wave.Samples.data(), size1);
    if (part2 != nullptr) std::memcpy(part2, wave.Samples.data() + size1, size2);
    buffer_->Unlock(part1, size1, part2, size2);
  }

  void SetVolume(int32_t hundredths) override {
    if (buffer_ != nullptr) buffer_->SetVolume(hundredths);
  }

  void Play(bool loop) override {
    if (buffer_ != nullptr) buffer_->Play(0, 0, loop ? DSBPLAY_LOOPING : 0);
  }

  void Stop() override {
    if (buffer_ != nullptr) buffer_->Stop();
  }

 private:
  void ReleaseBuffer() {
    if (buffer_ == nullptr) return;
    buffer_->Stop();
    buffer_->Release();
    buffer_ = nullptr;
  }

  HWND owner_;
  IDirectSound* device_ = nullptr;
  IDirectSoundBuffer* primary_ = nullptr;
  IDirectSoundBuffer* buffer_ = nullptr;
};

constexpr UINT kSimpleFlags = SND_ASYNC | SND_NODEFAULT;  // 3; with SND_LOOP 11

}  // namespace

std::unique_ptr<TSoundChannel> TDirectSoundOutput::CreateChannel() {
  return std::make_unique<TDirectSoundChannel>(static_cast<HWND>(owner_));
}

void TDirectSoundOutput::PlaySimple(const std::string& path, bool loop) {
  sndPlaySoundA(path.c_str(), kSimpleFlags | (loop ? SND_LOOP : 0));
}

void TDirectSoundOutput::StopSimple() { sndPlaySoundA(nullptr, kSimpleFlags); }

bool TMciMusic::Open(const std::string& path) {
  Close();
  MCI_OPEN_PARMSA open{};
  open.dwCallback = reinterpret_cast<DWORD_PTR>(window_);
  open.lpstrElementName = path.c_str();
  if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&open)) != 0) return false;
  device_ = open.wDeviceID;
  return true;
}

void TMciMusic::SetVolume(int32_t value) {
  MCI_DGV_SETAUDIO_PARMSA audio{};
  audio.dwItem = MCI_DGV_SETAUDIO_VOLUME;
  audio.dwValue = static_cast<DWORD>(value);
  mciSendCommandA(device_, MCI_SETAUDIO, MCI_DGV_SETAUDIO_ITEM | MCI_DGV_SETAUDIO_VALUE,
                  reinterpret_cast<DWORD_PTR>(&audio));  // devices without it keep their volume
}

void TMciMusic::Play() {
  MCI_PLAY_PARMS play{};
  play.dwCallback = reinterpret_cast<DWORD_PTR>(window_);
  play.dwFrom = 0;
  mciSendCommandA(device_, MCI_PLAY, MCI_FROM | MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play));
}

int64_t TMciMusic::Status(uint32_t item) {
  MCI_STATUS_PARMS status{};
  status.dwItem = item;
  if (mciSendCommandA(device_, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&status)) != 0) {
    throw EInOutError("No music status");
  }
  return static_cast<int64_t>(status.dwReturn);
}

int64_t TMciMusic::Position() { return Status(MCI_STATUS_POSITION); }
int64_t TMciMusic::Length() { return Status(MCI_STATUS_LENGTH); }

void TMciMusic::Close() {
  if (device_ == 0) return;
  mciSendCommandA(device_, MCI_CLOSE, MCI_WAIT, 0);
  device_ = 0;
}

}  // namespace lumora::win32

// The loaded scene (see uVXProject.h).
#include "project/uVXProject.h"

#include <algorithm>
#include <cstring>

#include "base/uIniText.h"
#include "base/uPathText.h"
#include "project/uFileIO.h"

namespace lumora {

TWaveParam TWaveParam::Defaults() {
  TWaveParam wave;
  wave.SetAmplitude(6);
  wave.SetFrequency(17);
  wave.SetSpeed(15);
  wave.SetDirection(1);
  wave.SetShiftColumns(false);
  wave.SetRipple(true);
  wave.SetPerspective(true);
  wave.SetPeriod(360);
  wave.SetJitter(0);
  return wave;
}

void SoundSlot::SetPath(const std::string& path) {
  const size_t length = std::min(path.size(), kMaxPath);
  Record[0] = static_cast<uint8_t>(length);
  std::memcpy(&Record[1], path.data(), length);
}

int TProject::SoundCount() const {
  for (int i = 0; i < kSoundSlotCount; ++i) {
    if (!SoundSlots[static_cast<size_t>(i)].Used()) return i;
  }
  return kSoundSlotCount;
}

void TProject::LoadExtraInfo(const std::string& commaText) {
  TIniText ini;
  ini.SetLines(SplitCommaText(commaText));
  ExtraInfo.ScrFilename = ini.ReadString("BuildScr", "Filename", "");
  ExtraInfo.ScrMusicFile = ini.ReadString("BuildScr", "MusicFile", "");
  ExtraInfo.ScrMusic = ini.ReadBool("BuildScr", "Music", false);
  ExtraInfo.ScrSound = ini.ReadBool("BuildScr", "Sound", true);
  ExtraInfo.ExeFilename = ini.ReadString("BuildExe", "Filename", "");
  ExtraInfo.ExeMusicFile = ini.ReadString("BuildExe", "MusicFile", "");
  ExtraInfo.ExeMusic = ini.ReadBool("BuildExe", "Music", false);
  ExtraInfo.ExeSound = ini.ReadBool("BuildExe", "Sound", true);
}

void TProject::ResetParts() {
  for (TBitmap* picture : {&Background, &Thumbnail, &RegionMask}) {
    *picture = TBitmap();
    picture->SetPixelFormat(TPixelFormat::pf32bit);
  }
  WaveParams.fill(TWaveParam());
  Weather = TWeatherParam();
  ObjectText.clear();
  Objects.Clear();
}

bool TProject::Load(const std::string& fileName) {
  bool result = true;
  TFileLoader loader;
  try {
    ResetParts();
    loader.LoadFromFile(fileName);
    DecodeRegionMask(loader.Runs, RegionMask);
    Background = std::move(loader.Background);
    Thumbnail = std::move(loader.Thumbnail);
    WaveParams = loader.Waves;
    Weather.Record = loader.WeatherRecord;
    for (size_t i = 0; i < SoundSlots.size(); ++i) {
      std::memcpy(SoundSlots[i].Record.data(), loader.SoundSlots.data() + i * SoundSlot::kSize, SoundSlot::kSize);
    }
    FileName = fileName;
    Title = loader.Title;
    Description = loader.Description;
    std::string singleSoundPath = loader.SingleSoundPath;
    Width = Background.Width();
    Height = Background.Height();

    if (Weather.Density() == 0) {
      if (Weather.Kind() == 1) Weather.SetDensity(9);
      if (Weather.Kind() == 2) Weather.SetDensity(6);
    }
    // The single sound path joins the slots in the first free one; with all eight in use it
    // has nowhere to go and is dropped.
    const int free = SoundCount();
    if (!singleSoundPath.empty() && UpperCase(singleSoundPath) != "<NO SOUND>" && free < kSoundSlotCount) {
      SoundSlots[static_cast<size_t>(free)].SetPath(singleSoundPath);
      SoundSlots[static_cast<size_t>(free)].SetPlayMode(0);
    }
    ObjectText = loader.ObjectText;
    Objects.LoadFromText(ObjectText);
    LoadExtraInfo(loader.BuildSettings);
  } catch (const std::exception&) {
    result = false;
  }
  return result;
}

}  // namespace lumora

// The loaded scene: pictures, water and weather settings, sound slots, objects, build settings.
//
// A project is filled in one call from a project file (uFileIO.h). The wave, weather and sound
// records keep the exact bytes of the file, reserved bytes included, and expose their fields
// through accessors, so that what is loaded is what the authoring side wrote.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/uByteOrder.h"
#include "objects/uAnimObjects.h"
#include "surface/uBitmap.h"

namespace lumora {

// One water region's settings (record k serves mask region k + 1). A new record is all zeros.
class TWaveParam {
 public:
  static constexpr size_t kSize = 32;
  std::array<uint8_t, kSize> Record{};

  int32_t Amplitude() const { return GetLeInt32(&Record[0]); }
  int32_t Frequency() const { return GetLeInt32(&Record[4]); }
  int32_t Speed() const { return GetLeInt32(&Record[8]); }
  int32_t Direction() const { return GetLeInt32(&Record[12]); }
  bool ShiftColumns() const { return Record[16] != 0; }
  bool Ripple() const { return Record[17] != 0; }
  bool Perspective() const { return Record[18] != 0; }
  int32_t Period() const { return GetLeInt32(&Record[20]); }
  int32_t Jitter() const { return GetLeInt32(&Record[24]); }
  bool Reflection() const { return Record[29] != 0; }

  void SetAmplitude(int32_t v) { PutLe32(&Record[0], static_cast<uint32_t>(v)); }
  void SetFrequency(int32_t v) { PutLe32(&Record[4], static_cast<uint32_t>(v)); }
  void SetSpeed(int32_t v) { PutLe32(&Record[8], static_cast<uint32_t>(v)); }
  void SetDirection(int32_t v) { PutLe32(&Record[12], static_cast<uint32_t>(v)); }
  void SetShiftColumns(bool v) { Record[16] = v ? 1 : 0; }
  void SetRipple(bool v) { Record[17] = v ? 1 : 0; }
  void SetPerspective(bool v) { Record[18] = v ? 1 : 0; }
  void SetPeriod(int32_t v) { PutLe32(&Record[20], static_cast<uint32_t>(v)); }
  void SetJitter(int32_t v) { PutLe32(&Record[24], static_cast<uint32_t>(v)); }
  void SetReflection(bool v) { Record[29] = v ? 1 : 0; }

  // The values a record has when the file does not supply it.
  static TWaveParam Defaults();
};

// The weather record: six 32-bit integers. Kind 0 none, 1 snow, 2 rain.
class TWeatherParam {
 public:
  static constexpr size_t kSize = 24;
  std::array<uint8_t, kSize> Record{};

  int32_t Kind() const { return GetLeInt32(&Record[0]); }
  int32_t Count() const { return GetLeInt32(&Record[4]); }
  int32_t SpeedIndex() const { return GetLeInt32(&Record[8]); }
  int32_t Angle() const { return GetLeInt32(&Record[12]); }
  int32_t DropLength() const { return GetLeInt32(&Record[16]); }
  int32_t Density() const { return GetLeInt32(&Record[20]); }

  void SetKind(int32_t v) { PutLe32(&Record[0], static_cast<uint32_t>(v)); }
  void SetCount(int32_t v) { PutLe32(&Record[4], static_cast<uint32_t>(v)); }
  void SetSpeedIndex(int32_t v) { PutLe32(&Record[8], static_cast<uint32_t>(v)); }
  void SetAngle(int32_t v) { PutLe32(&Record[12], static_cast<uint32_t>(v)); }
  void SetDropLength(int32_t v) { PutLe32(&Record[16], static_cast<uint32_t>(v)); }
  void SetDensity(int32_t v) { PutLe32(&Record[20], static_cast<uint32_t>(v)); }
};

// One sound effect: a length-prefixed path of at most 255 characters and its play schedule.
// PlayMode 0 loops, 1 repeats after a random interval, 2 repeats every IntervalMin seconds.
class SoundSlot {
 public:
  static constexpr size_t kSize = 268;
  static constexpr size_t kMaxPath = 255;
  std::array<uint8_t, kSize> Record{};

  std::string Path() const { return std::string(reinterpret_cast<const char*>(&Record[1]), Record[0]); }
  // Keeps the first 255 characters.
  void SetPath(const std::string& path);
  bool Used() const { return Record[0] != 0; }
  int32_t PlayMode() const { return GetLeInt32(&Record[256]); }
  int32_t IntervalMin() const { return GetLeInt32(&Record[260]); }
  int32_t IntervalMax() const { return GetLeInt32(&Record[264]); }
  void SetPlayMode(int32_t v) { PutLe32(&Record[256], static_cast<uint32_t>(v)); }
  void SetIntervalMin(int32_t v) { PutLe32(&Record[260], static_cast<uint32_t>(v)); }
  void SetIntervalMax(int32_t v) { PutLe32(&Record[264], static_cast<uint32_t>(v)); }
};

// The authoring side's build settings; kept, never acted on.
struct TExtraInfo {
  std::string ExeFilename;
  bool ExeSound = true;
  std::string ExeMusicFile;
  bool ExeMusic = false;
  std::string ScrFilename;
  std::string ScrMusicFile;
  bool ScrMusic = false;
  bool ScrSound = true;
};

inline constexpr int kWaveCount = 8;
inline constexpr int kSoundSlotCount = 8;

class TProject {
 public:
  TProject() = default;
  TProject(const TProject&) = delete;
  TProject& operator=(const TProject&) = delete;

  // Reads a project file. True when the whole file was read and applied; false on any ordinary
  // failure (bad magic, read error, undecodable picture), leaving the emptied project plus
  // whatever was applied before the failure. Shows nothing. `Speed` is not touched.
  bool Load(const std::string& fileName);

  TWaveParam& GetWaveParam(int index) { return WaveParams[static_cast<size_t>(index)]; }
  const TWaveParam& GetWaveParam(int index) const { return WaveParams[static_cast<size_t>(index)]; }
  void SetSpeed(int32_t value) { Speed = value; }
  // The number of leading used slots: the first empty slot's index, 8 when all are used.
  int SoundCount() const;
  // Fills ExtraInfo from the comma text of build settings.
  void LoadExtraInfo(const std::string& commaText);

  std::string FileName;
  TBitmap Background;  // 32-bit
  TBitmap Thumbnail;   // 32-bit
  TBitmap RegionMask;  // 32-bit; pixel values are RegionColors
  std::array<TWaveParam, kWaveCount> WaveParams{};
  TWeatherParam Weather;
  std::string Title;
  std::string Description;
  int32_t Width = 0;  // the background's size as loaded
  int32_t Height = 0;
  int32_t Speed = 100;  // percent
  std::array<SoundSlot, kSoundSlotCount> SoundSlots{};
  std::string ObjectText;  // the object sections, as read
  TAnimObjects Objects;    // built from ObjectText
  TExtraInfo ExtraInfo;

 private:
  // Frees the parts and makes them anew: empty pictures, zeroed records, no objects.
  void ResetParts();
};

}  // namespace lumora

// Sound effects and music through fake channels and a fake media player: the WAV reader's
// corners, the player's modes and volume, the schedule on a hand-moved clock, the music's
// restart at its end.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "base/uByteOrder.h"
#include "base/uErrors.h"
#include "base/uLimits.h"
#include "base/uRandom.h"
#include "base/uTicks.h"
#include "project/uVXProject.h"
#include "sound/uMusic.h"
#include "sound/uSoundEffect.h"
#include "sound/uSoundSchedule.h"
#include "sound/uWaveFile.h"
#include "support/TempDir.h"

namespace lumora {
namespace {

using testing::TempDir;

std::string Chunk(const std::string& id, const std::string& body) { return id + LeBytes(body.size()) + body; }
std::string Format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
  const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
  return LeBytes(tag, 2) + LeBytes(channels, 2) + LeBytes(rate) + LeBytes(rate * align) + LeBytes(align, 2) +
         LeBytes(bits, 2);
}
std::string Riff(const std::string& chunks) { return "RIFF" + LeBytes(4 + chunks.size()) + "WAVE" + chunks; }
TWaveFile Read(const std::string& bytes) {
  return ReadWave(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// ---- The WAV reader ----

TEST(WaveFile, ChunksAreWalkedPastOthersAndOddLengthsKeepTheirPadByte) {
  // A LIST chunk before the data and an odd-length chunk with its pad byte between them.
  const TWaveFile wave = Read(Riff(Chunk("fmt ", Format(1, 1, 11025, 8)) + Chunk("LIST", "INFOabcd") +
                                   Chunk("odd ", "xyz") + std::string(1, '\0') + Chunk("data", "\x80\x81\x82")));
  EXPECT_EQ(wave.Format.FormatTag, kWaveFormatPcm);
  EXPECT_EQ(wave.Format.SamplesPerSec, 11025u);
  EXPECT_EQ(wave.Samples, (std::vector<uint8_t>{0x80, 0x81, 0x82}));
  EXPECT_TRUE(wave.Format.Playable());
  EXPECT_EQ(wave.Format.Record.size(), 18u) << "the 16-byte record gets its size field";
}

TEST(WaveFile, ExtensibleRecordsNameTheirSubFormat) {
  // 24-bit PCM in a WAVE_FORMAT_EXTENSIBLE record: cbSize 22, valid bits, channel mask, GUID.
  const std::string guid = LeBytes(1, 2) + std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
  const std::string record = Format(0xFFFE, 2, 48000, 24) + LeBytes(22, 2) + LeBytes(20, 2) + LeBytes(3) + guid;
  const TWaveFile wave = Read(Riff(Chunk("fmt ", record) + Chunk("data", std::string(12, '\x01'))));
  EXPECT_EQ(wave.Format.SampleTag(), kWaveFormatPcm);
  EXPECT_EQ(wave.Format.ValidBits, 20);
  EXPECT_EQ(wave.Format.Record.size(), 40u);
  EXPECT_TRUE(wave.Format.Playable());
  // ADPCM, mu-law or 12-bit samples are read but refused for playing.
  EXPECT_FALSE(Read(Riff(Chunk("fmt ", Format(2, 1, 8000, 4)) + Chunk("data", "ab"))).Format.Playable());
  EXPECT_FALSE(Read(Riff(Chunk("fmt ", Format(7, 1, 8000, 8)) + Chunk("data", "ab"))).Format.Playable());
  EXPECT_FALSE(Read(Riff(Chunk("fmt ", Format(1, 1, 8000, 12)) + Chunk("data", "ab"))).Format.Playable());
}

TEST(WaveFile, DamagedFilesAreInvalid) {
  const std::string fmt = Chunk("fmt ", Format(1, 2, 44100, 16));
  const std::string full = Riff(fmt + Chunk("data", std::string(400, '\x10')));
  for (const std::string& bad : {std::string("RIFX") + full.substr(4), full.substr(0, 11),
                                 full.substr(0, full.size() - 1),  // the data chunk cut short
                                 Riff(fmt + "data" + LeBytes(0xFFFFFFF0u) + "ab"), Riff(fmt), Riff(Chunk("data", "ab")),
                                 Riff(Chunk("fmt ", "short") + Chunk("data", "ab"))}) {
    try {
      Read(bad);
      ADD_FAILURE() << "read " << bad.size() << " bytes";
    } catch (const EInOutError& error) {
      EXPECT_STREQ(error.what(), "Wave is invalid");
    }
  }
}

TEST(WaveFile, FilesBeyondTheLimitAreRefusedBeforeTheyAreRead) {
  TempDir dir;
  const std::string path = dir.Write("long.wav", Riff(Chunk("fmt ", Format(1, 1, 8000, 8)) + Chunk("data", "0123")));
  EXPECT_EQ(ReadWaveFile(path).Samples.size(), 4u);
  // Grown without writing (a sparse file): the reader must refuse it from its size alone.
  std::filesystem::resize_file(path, kMaxSoundFileBytes + 1);
  try {
    ReadWaveFile(path);
    ADD_FAILURE();
  } catch (const EInOutError& error) {
    EXPECT_EQ(error.what(), "The sound file " + path + " is 268435457 bytes long; at most 268435456 are allowed");
  }
}

// ---- The player ----

// Channels that record what is done to them; channel `failAt` cannot be opened.
struct TFakeOutput : TSoundOutput {
  struct Channel : TSoundChannel {
    TFakeOutput& output;
    int index;
    Channel(TFakeOutput& o, int i) : output(o), index(i) {}
    ~Channel() override { output.log.push_back("release " + std::to_string(index)); }
    bool Open() override { return index != output.failAt; }
    void Load(const TWaveFile& wave) override { output.loaded[index] = wave.Samples.size(); }
    void SetVolume(int32_t v) override { output.volume[index] = v; }
    void Play(bool loop) override { output.log.push_back("play " + std::to_string(index) + (loop ? " loop" : "")); }
    void Stop() override { output.log.push_back("stop " + std::to_string(index)); }
  };
  std::unique_ptr<TSoundChannel> CreateChannel() override { return std::make_unique<Channel>(*this, created++); }
  void PlaySimple(const std::string& path, bool loop) override {
    log.push_back("simple " + path + (loop ? " loop" : ""));
  }
  void StopSimple() override { log.push_back("simple stop"); }

  int failAt = -1;
  int created = 0;
  std::vector<std::string> log;
  std::map<int, size_t> loaded;
  std::map<int, int32_t> volume;
};

std::string WriteWave(const TempDir& dir, const std::string& name) {
  return dir.Write(name, Riff(Chunk("fmt ", Format(1, 1, 8000, 8)) + Chunk("data", "0123")));
}

TEST(SoundEffect, ChannelsPlayAtTheVolumeInHundredthsOfADecibel) {
  TempDir dir;
  TFakeOutput output;
  {
    TSoundEffect effect(output);
    ASSERT_EQ(effect.Mode(), TSoundEffect::kModeChannels);
    EXPECT_EQ(output.created, 8);
    effect.LoadSound(WriteWave(dir, "a.wav"));
    EXPECT_THROW(effect.LoadSound(dir.File("missing.wav")), EInOutError);
    effect.LoadSound(WriteWave(dir, "c.wav"));
    EXPECT_EQ(effect.Paths.size(), 3u) << "a failed load keeps its path";
    EXPECT_EQ(output.loaded, (std::map<int, size_t>{{0, 4}, {2, 4}}));
    for (const auto& [volume, hundredths] : {std::pair{100, 0}, {80, -800}, {0, -4000}}) {
      effect.SetVolume(volume);
      effect.Play(2, false);
      EXPECT_EQ(output.volume[2], hundredths);
    }
    output.log.clear();
    effect.Play(0, true);
    effect.Play(3, false);  // no fourth sound was recorded
    EXPECT_EQ(output.log, (std::vector<std::string>{"play 0 loop"}));
    output.log.clear();
  }
  EXPECT_EQ(output.log[0], "stop 0");
  EXPECT_EQ(std::vector<std::string>(output.log.end() - 8, output.log.end()),
            (std::vector<std::string>{"release 7", "release 6", "release 5", "release 4", "release 3", "release 2",
                                      "release 1", "release 0"}));
}

TEST(SoundEffect, OneChannelThatCannotOpenMakesTheFallbackThatPlaysSoundZeroOnly) {
  TempDir dir;
  TFakeOutput output;
  output.failAt = 5;
  TSoundEffect effect(output);
  EXPECT_EQ(effect.Mode(), TSoundEffect::kModeFallback);
  EXPECT_EQ(output.created, 6);
  const std::string a = WriteWave(dir, "a.wav");
  effect.LoadSound(a);
  effect.LoadSound(WriteWave(dir, "b.wav"));
  EXPECT_TRUE(output.loaded.empty()) << "the fallback reads no file";
  output.log.clear();
  effect.Play(1, false);
  effect.Play(0, true);
  effect.Play(0, false);
  effect.StopAll();
  EXPECT_EQ(output.log, (std::vector<std::string>{"simple " + a + " loop", "simple " + a, "simple stop"}));
}

// ---- The schedule ----

// A project whose used slots are given as (mode, min, max, file) and a player over fake channels.
struct TScheduled {
  TempDir dir;
  TManualTicks ticks{0xFFFFF000u};  // the first minutes cross the tick counter's wrap
  TProject project;
  TFakeOutput output;
  TSoundEffect effect{output};
  TSoundSchedule schedule;
  std::vector<std::pair<uint32_t, int>> starts;  // (ms since the start, slot)

  explicit TScheduled(const std::vector<std::tuple<int, int, int, bool>>& slots) {
    RandomSeed(7);
    for (size_t i = 0; i < slots.size(); ++i) {
      const auto [mode, low, high, exists] = slots[i];
      SoundSlot& slot = project.SoundSlots[i];
      slot.SetPath(exists ? WriteWave(dir, "s" + std::to_string(i) + ".wav") : dir.File("missing.wav"));
      slot.SetPlayMode(mode);
      slot.SetIntervalMin(low);
      slot.SetIntervalMax(high);
    }
    schedule.OnStart = [this](int slot, bool) { starts.emplace_back(TicksBetween(0xFFFFF000u, ticks.Now()), slot); };
    schedule.PrepareSounds(project, effect);
  }
  // Updates every 100 ms (a frame loop) up to `seconds`.
  void RunFor(int seconds) {
    for (int ms = 0; ms <= seconds * 1000; ms += 100) {
      schedule.UpdateSounds(project, effect);
      ticks.Advance(100);
    }
  }
  std::vector<uint32_t> StartsOf(int slot) const {
    std::vector<uint32_t> times;
    for (const auto& [ms, s] : starts) {
      if (s == slot) times.push_back(ms);
    }
    return times;
  }
};

TEST(SoundSchedule, FixedIntervalsCountWholeSecondsFromEachStart) {
  TScheduled run({{2, 10, 99, true}, {1, 5, 5, true}});
  run.RunFor(35);
  EXPECT_EQ(run.StartsOf(0), (std::vector<uint32_t>{10000, 20000, 30000}));
  EXPECT_EQ(run.StartsOf(1), (std::vector<uint32_t>{5000, 10000, 15000, 20000, 25000, 30000, 35000}));
}

TEST(SoundSchedule, RandomWaitsLieFromTheSmallerBoundUpToTheLarger) {
  for (const auto& [low, high] : {std::pair{5, 10}, {10, 5}}) {
    TScheduled run({{1, low, high, true}});
    run.RunFor(600);
    const std::vector<uint32_t> starts = run.StartsOf(0);
    ASSERT_GT(starts.size(), 60u);
    std::set<uint32_t> waits;
    for (size_t i = 0; i < starts.size(); ++i) waits.insert((starts[i] - (i == 0 ? 0 : starts[i - 1])) / 1000);
    EXPECT_EQ(waits, (std::set<uint32_t>{5, 6, 7, 8, 9})) << low << " and " << high;
  }
}

TEST(SoundSchedule, LoopsStartAtTheFirstUpdateOnceAndMissingSoundsNever) {
  TScheduled run({{0, 0, 0, true}, {2, 1, 1, false}, {0, 0, 0, false}, {9, 1, 1, true}});
  run.RunFor(5);
  EXPECT_EQ(run.starts, (std::vector<std::pair<uint32_t, int>>{{0, 0}}));
  EXPECT_EQ(run.output.log.back(), "play 0 loop");
  EXPECT_TRUE(run.schedule.Slots[0].PlayedOnce);
  EXPECT_FALSE(run.schedule.Slots[1].Available);
}

// ---- The music ----

struct TFakePlayer : TMusicDevice {
  bool Open(const std::string& path) override {
    log.push_back("open " + path);
    open = path != "absent.mid";
    position = 0;
    return open;
  }
  void SetVolume(int32_t value) override { log.push_back("volume " + std::to_string(value)); }
  void Play() override { log.push_back("play"); }
  int64_t Position() override { return position; }
  int64_t Length() override { return 1000; }
  void Close() override {
    log.push_back("close");
    open = false;
  }
  bool IsOpen() const override { return open; }
  bool open = false;
  int64_t position = 0;
  std::vector<std::string> log;
};

TEST(Music, StartsOverAtItsEndAndNeverOnceClosed) {
  TFakePlayer player;
  TMusic music(player);
  music.MusicFileName = "music.mid";
  music.MusicVolume = 70;
  EXPECT_TRUE(music.PlayMusic("music.mid"));
  player.position = 400;
  music.MediaPlayerNotify();  // cut short, not at its end
  player.position = 1000;
  music.MediaPlayerNotify();
  EXPECT_EQ(player.log, (std::vector<std::string>{"open music.mid", "volume 700", "play", "close", "open music.mid",
                                                  "volume 700", "play"}));
  music.Close();
  player.log.clear();
  player.position = 1000;
  music.MediaPlayerNotify();  // the close's own notification
  EXPECT_TRUE(player.log.empty());

  TMusic missing(player);
  EXPECT_FALSE(missing.PlayMusic("absent.mid"));
  missing.MusicFileName = "absent.mid";
  missing.MediaPlayerNotify();  // a player that is not open starts nothing
  EXPECT_EQ(player.log, (std::vector<std::string>{"open absent.mid"}));
}

}  // namespace
}  // namespace lumora

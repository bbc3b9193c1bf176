// The demo's sounds, made in code like its pictures: a soft wind that loops, a distant bell now
// and then, a drip of thawing snow at a steady beat, and a quiet music loop. 16-bit mono at
// 22050 Hz, each shaped so that it starts and ends in silence (the wind's ends meet instead).
#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "DemoScene.h"
#include "SceneFolderWriter.h"

namespace lumora::tools::demo {
namespace {

constexpr uint32_t kRate = 22050;

std::string Pcm16(const std::vector<double>& signal) {
  std::string bytes;
  bytes.reserve(signal.size() * 2);
  for (double v : signal) {
    const auto s = static_cast<int16_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32767));
    bytes += static_cast<char>(s & 0xFF);
    bytes += static_cast<char>(s >> 8 & 0xFF);
  }
  return bytes;
}

double Sine(double hertz, size_t i) { return std::sin(2 * std::numbers::pi * hertz * static_cast<double>(i) / kRate); }

// A struck bell: inharmonic partials, each dying away at its own rate.
void Strike(std::vector<double>& out, size_t at, double pitch, double level, double seconds) {
  static constexpr double kPartials[][3] = {{1.0, 1.0, 1.0}, {2.76, 0.45, 1.7}, {5.40, 0.25, 2.6}, {8.93, 0.12, 3.8}};
  const size_t length = std::min(out.size() - at, static_cast<size_t>(seconds * kRate));
  for (size_t i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double attack = std::min(1.0, t * 400);
    double v = 0;
    for (const auto& [ratio, gain, decay] : kPartials) v += gain * std::exp(-decay * t / seconds * 3) * Sine(pitch * ratio, i);
    out[at + i] += level * attack * v;
  }
}

}  // namespace

std::string WindWav() {
  // Four seconds of noise through a slowly wandering low-pass, its gusts a sum of slow sines;
  // the last half second is blended into the first so the loop has no seam.
  const size_t length = 4 * kRate, blend = kRate / 2;
  std::mt19937 random(17);
  std::uniform_real_distribution<double> noise(-1.0, 1.0);
  std::vector<double> wind(length + blend);
  double low = 0, lower = 0;
  for (size_t i = 0; i < wind.size(); ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double gust = 0.55 + 0.25 * std::sin(2 * std::numbers::pi * t / 4) + 0.2 * std::sin(2 * std::numbers::pi * t / 1.3);
    const double cut = 0.02 + 0.03 * gust;
    low += cut * (noise(random) - low);
    lower += cut * (low - lower);
    wind[i] = 2.2 * lower * gust;
  }
  for (size_t i = 0; i < blend; ++i) {
    const double k = static_cast<double>(i) / blend;
    wind[i] = wind[i] * k + wind[length + i] * (1 - k);
  }
  wind.resize(length);
  return WavBytes(16, kRate, 1, Pcm16(wind));
}

std::string BellWav() {
  std::vector<double> bell(3 * kRate, 0.0);
  Strike(bell, 0, 392, 0.28, 3.0);
  return WavBytes(16, kRate, 1, Pcm16(bell));
}

std::string DripWav() {
  // A drop: a short rising chirp, then its faint echo.
  std::vector<double> drip(kRate / 2, 0.0);
  for (size_t echo = 0; echo < 2; ++echo) {
    const size_t at = echo * kRate / 5;
    const double level = echo == 0 ? 0.3 : 0.08;
    for (size_t i = 0; i < kRate / 12 && at + i < drip.size(); ++i) {
      const double t = static_cast<double>(i) / kRate;
      const double pitch = 900 + 9000 * t;
      drip[at + i] += level * std::exp(-t * 60) * std::sin(2 * std::numbers::pi * pitch * t);
    }
  }
  return WavBytes(16, kRate, 1, Pcm16(drip));
}

std::string MusicWav() {
  // Sixteen seconds: soft bell-like notes of a pentatonic tune over two held drones.
  const size_t length = 16 * kRate;
  std::vector<double> music(length, 0.0);
  for (size_t i = 0; i < length; ++i) {
    const double fade = std::min({1.0, static_cast<double>(i) / kRate, static_cast<double>(length - i) / kRate});
    music[i] = fade * (0.035 * Sine(110, i) + 0.025 * Sine(165, i));
  }
  static constexpr double kTune[] = {523.3, 587.3, 659.3, 784.0, 659.3, 587.3, 523.3, 440.0,
                                     523.3, 659.3, 784.0, 880.0, 784.0, 659.3, 587.3, 523.3};
  for (size_t n = 0; n < std::size(kTune); ++n) Strike(music, n * kRate - n * kRate / 16, kTune[n], 0.10, 1.6);
  return WavBytes(16, kRate, 1, Pcm16(music));
}

}  // namespace lumora::tools::demo

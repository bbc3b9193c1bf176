// Every limit on outside bytes, in one place: the sizes and counts that a file's own fields
// (pictures, the package, the project file, the object text, sounds) may claim before a reader
// allocates anything for them.
//
// Each reader checks a claimed size against its limit and against the bytes actually left,
// before allocating, and refuses what is too large with LimitMessage's wording through the
// error family of its kind (EPictureError for pictures, EInOutError for the other files). The
// limits are far above any real scene, so they refuse only hostile or broken files; what a
// refusal does to the whole (a failed project load, a GIF cut short) is the caller's rule.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lumora {

inline constexpr int64_t kMiB = int64_t{1024} * 1024;

// ---- Pictures (JPEG, GIF, Windows bitmaps, the region mask) ----

// A side longer than this is refused: twice the width of an 8K screen, which no background or
// object needs, while a hostile header would otherwise ask for rows of any length.
inline constexpr int32_t kMaxPictureSide = 16384;
// All pixels of one picture (4 bytes each, so 256 MB): four 4K backgrounds fit in it, and it
// keeps a few header bytes from demanding more than a 64-bit desktop can give.
inline constexpr int64_t kMaxPicturePixels = int64_t{64} * 1000 * 1000;
// One picture file read whole into memory: a maximal picture stored even as a 32-bit bitmap
// fits, so any file larger is not a picture the decoders would accept.
inline constexpr int64_t kMaxPictureFileBytes = 256 * kMiB;
// All frames of one GIF together: a few kilobytes of LZW data can expand into a frame of the
// largest size, so without a total a small file could demand gigabytes; 512 M is sixty frames of
// a full 4K screen, far beyond any sprite animation.
inline constexpr int64_t kMaxGifTotalPixels = 512 * kMiB;
// Frames of one GIF: a frame without pixels costs a dozen file bytes but a record here and in
// the GIF library; ten thousand frames play for over sixteen minutes at ten a second.
inline constexpr int32_t kMaxGifFrames = 10000;
// Scans of a progressive JPEG, each a full pass over the picture's coefficients: real encoders
// write about ten, and thousands of tiny scans would grind a decoder for minutes.
inline constexpr int kMaxJpegScans = 500;

// ---- The scene package and the INI texts ----

// Objects of one scene, counted as the sections of the object text: each object runs a worker
// thread (a GIF one a player thread too) and is drawn every frame, and a scene of a few hundred
// objects is already crowded.
inline constexpr int32_t kMaxObjects = 2000;
// Entries of one package (the header, the project file, one picture per object, the sounds and
// the music): the extraction lists a name for each, so the count a header claims is bounded by
// the most objects a scene may hold plus room for everything else.
inline constexpr int32_t kMaxPackageEntries = kMaxObjects + 16;
// The package header and the user settings, read whole as INI texts: a header naming every entry
// of the largest package is under 50 KB and the settings are a dozen lines.
inline constexpr int64_t kMaxIniTextBytes = 1 * kMiB;

// ---- The project file ----

// The title, the description, the single sound path and the build settings: a few lines each in
// a real file, so a megabyte is a limit that only a damaged length field reaches.
inline constexpr int64_t kMaxProjectTextBytes = 1 * kMiB;
// The object sections: every key of one object takes about a kilobyte of text, so the most
// objects a scene may hold need some 2 MB.
inline constexpr int64_t kMaxObjectTextBytes = 16 * kMiB;
// The region runs: one run per pixel of the largest mask (a real mask has a few runs per row),
// plus the width and the height in front.
inline constexpr int64_t kMaxRegionRuns = kMaxPicturePixels + 2;
// The thumbnail and the background are stored as JPEG files inside the project file; each is
// held by kMaxPictureFileBytes like any picture file.

// ---- Sounds ----

// A WAV file read whole into memory for a sound effect: 256 MB is about 25 minutes of CD-quality
// stereo, while effects are seconds long (the music is played from its file by the system).
inline constexpr int64_t kMaxSoundFileBytes = 256 * kMiB;

// ---- Surfaces ----

// The pixel buffer of one drawing surface or platform bitmap. Every surface is sized by a picture
// (held by the limits above), a screen, or a scaled copy of either, and a 16384 x 16384 picture
// takes 1 GB; a larger request is a wrong size, refused as a system short of memory would refuse
// it, without asking the allocator (which under the address sanitizer ends the program instead).
inline constexpr int64_t kMaxSurfaceBytes = 4096 * kMiB;

// ---- Clamped rather than refused ----

// Snowflakes or raindrops, each drawn every frame: a larger count in the project is used as this
// many, which already fills the screen, so a hostile count costs nothing.
inline constexpr int32_t kMaxWeatherParticles = 1000;

// The wording of every refusal: "<subject> <value> <unit>; at most <limit> are allowed", e.g.
// LimitMessage("The picture is", 40000, "pixels wide", 16384).
inline std::string LimitMessage(std::string_view subject, int64_t value, std::string_view unit, int64_t limit) {
  return std::string(subject) + " " + std::to_string(value) + " " + std::string(unit) + "; at most " +
         std::to_string(limit) + " are allowed";
}

}  // namespace lumora

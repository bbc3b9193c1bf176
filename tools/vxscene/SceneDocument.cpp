// The scene folder and its scene.json (see SceneDocument.h).
#include "SceneDocument.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "AuthorPictures.h"
#include "SceneValues.h"
#include "base/uRegionColors.h"
#include "platform/Platform.h"

namespace lumora::tools {

namespace fs = std::filesystem;

TJson RegionColorsJson() {
  TJson colours = TJson::object();
  for (size_t k = 1; k < RegionColors.size(); ++k) colours[std::to_string(k)] = ColorName(RegionColors[k]);
  return colours;
}

TJson SceneJson(const TSceneValues& values) {
  TJson waves = TJson::array();
  for (const TWaveParam& wave : values.Waves) waves.push_back(RecordJson(WaveKeys(), wave));
  TJson sounds = TJson::array();
  for (const SoundSlot& slot : values.Sounds) sounds.push_back(RecordJson(SoundKeys(), slot));
  TJson items = TJson::array();
  for (const std::string& item : values.BuildSettings) items.push_back(JsonText(item));
  TJson header = TJson::object();
  for (const TIniKey<TSceneHeader>& key : TSceneHeader::Keys()) {
    if (std::string_view(key.Name) != "ResCount") header[key.Name] = KeyJson(key, values.Header);
  }

  TJson scene = TJson::object();
  scene["title"] = JsonText(values.Title);
  scene["description"] = JsonText(values.Description);
  scene["background"] = JsonText(values.Background);
  scene["thumbnail"] = values.Thumbnail ? JsonText(*values.Thumbnail) : TJson(nullptr);
  scene["jpegQuality"] = kDefaultJpegQuality;
  scene["regionColors"] = RegionColorsJson();
  scene["waves"] = waves;
  scene["weather"] = RecordJson(WeatherKeys(), values.Weather);
  scene["sounds"] = sounds;
  scene["objects"] = values.Objects;
  scene["buildSettings"] = items;
  scene["extraInfo"] = ExtraInfoJson(values.ExtraInfo);
  scene["header"] = header;
  return scene;
}

std::string DiskName(const std::string& cp1252Name) {
#if defined(_WIN32)
  return cp1252Name;
#else
  return Utf8FromWindows1252(cp1252Name);
#endif
}

std::string InFolder(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  return last == '/' || last == platform::PathDelimiter() ? folder + name : folder + platform::PathDelimiter() + name;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  platform::TFile file = platform::TFile::OpenRead(path);
  if (!file.IsOpen()) return std::nullopt;
  const int64_t size = file.Size();
  if (size < 0) return std::nullopt;
  std::string bytes(static_cast<size_t>(size), '\0');
  if (file.Read(bytes.data(), size) != size) return std::nullopt;
  return bytes;
}

// ---- TStagedFolder ----

TStagedFolder::TStagedFolder(const std::string& target) : target_(target) {
  while (target_.size() > 1 && (target_.back() == '/' || target_.back() == platform::PathDelimiter()))
    target_.pop_back();
  std::error_code error;
  if (fs::exists(target_, error) && (!fs::is_directory(target_, error) || !fs::is_empty(target_, error))) {
    throw std::runtime_error(target_ + " is not an empty folder; choose a new one");
  }
  std::random_device seed;
  for (int attempt = 0; attempt < 100 && staging_.empty(); ++attempt) {
    std::ostringstream name;
    name << target_ << ".partial-" << std::hex << seed();
    if (fs::create_directory(name.str(), error)) staging_ = name.str();
  }
  if (staging_.empty()) throw std::runtime_error("cannot create a folder beside " + target_);
}

TStagedFolder::~TStagedFolder() {
  if (committed_) return;
  std::error_code ignored;
  fs::remove_all(staging_, ignored);
}

// Plain files with the user's usual permissions: the folder is the author's to edit, and it
// appears as a whole through Commit.
void TStagedFolder::Write(const std::string& name, const std::string& bytes) const {
  std::ofstream out(fs::path(File(name)), std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + File(name));
}

void TStagedFolder::Commit() {
  std::error_code error;
  if (fs::exists(target_, error)) fs::remove(target_, error);  // empty, as the constructor found it
  fs::rename(staging_, target_, error);
  if (error) throw std::runtime_error("cannot write " + target_ + ": " + error.message());
  committed_ = true;
}

}  // namespace lumora::tools

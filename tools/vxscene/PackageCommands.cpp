// vxscene pack, unpack and list.
#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>

#include "Commands.h"
#include "PackageWriter.h"
#include "base/uByteOrder.h"
#include "base/uIniText.h"
#include "base/uLimits.h"
#include "base/uPathText.h"
#include "platform/Platform.h"
#include "platform/uTextFile.h"
#include "project/uProjectExtractor.h"
#include "project/uSceneFolder.h"

namespace lumora::tools {
namespace {

std::string InFolder(std::string folder, const std::string& name) {
  if (!folder.empty() && folder.back() != '/' && folder.back() != platform::PathDelimiter()) {
    folder += platform::PathDelimiter();
  }
  return folder + name;
}

void RequireReadable(const std::string& path) {
  if (!platform::FileExists(path)) throw std::runtime_error("cannot open " + path);
}

bool ReadInt32(platform::TFile& file, int32_t& value) {
  unsigned char b[4];
  if (file.Read(b, 4) != 4) return false;
  value = GetLeInt32(b);
  return true;
}

}  // namespace

int RunPack(const Arguments& args) {
  TParsedArguments parsed = ParseArguments(args, {"stub", "out"}, {});
  if (parsed.positional.size() != 1 || !parsed.Has("out")) throw EUsageError("pack needs --out FILE and one DIR");
  const std::string folder = parsed.positional[0];
  const std::string headerPath = InFolder(folder, kHeaderFileName);
  std::optional<std::string> headerText = ReadTextFile(headerPath, kMaxIniTextBytes);
  if (!headerText) throw std::runtime_error("cannot read " + headerPath);
  TIniText header(*headerText);
  const int32_t count = header.ReadInteger("Header", "ResCount", 0);
  if (count < 2)
    throw std::runtime_error(headerPath + ": ResCount must list the header and the project file (2 or more)");

  std::vector<std::string> entries;
  for (int32_t i = 0; i < count; ++i) {
    const std::string key = "Res" + std::to_string(i);
    const std::string name = header.ReadString("Header", key, "");
    if (!IsBareFileName(name)) throw std::runtime_error(key + " '" + name + "' is not a bare file name");
    if (i == 0 && !SameText(name, kHeaderFileName)) throw std::runtime_error("Res0 must name the header, VXHeader.dat");
    entries.push_back(InFolder(folder, name));
    RequireReadable(entries.back());
  }
  WritePackage(parsed.Value("out"), parsed.Value("stub"), entries);
  std::printf("packed %d entries into %s\n", count, parsed.Value("out").c_str());
  return 0;
}

int RunUnpack(const Arguments& args) {
  TParsedArguments parsed = ParseArguments(args, {}, {});
  if (parsed.positional.size() != 2) throw EUsageError("unpack needs FILE and DIR");
  const std::string& file = parsed.positional[0];
  RequireReadable(file);
  int64_t position = 0;
  int32_t count = 0;
  if (!FindPackage(file, position, count)) throw std::runtime_error("no package in " + file);
  TScene scene = ExtractSceneInto(file, parsed.positional[1]);
  int written = 0;
  for (const std::string& path : scene.SceneFiles) written += path.empty() ? 0 : 1;
  std::printf("extracted %d of %d entries into %s\n", written, count, scene.SceneFolder.c_str());
  for (const std::string& name : scene.RefusedNames) {
    std::fprintf(stderr, "vxscene: refused entry name '%s': not a bare file name\n", name.c_str());
  }
  return scene.RefusedNames.empty() ? 0 : 1;
}

int RunList(const Arguments& args) {
  TParsedArguments parsed = ParseArguments(args, {}, {});
  if (parsed.positional.size() != 1) throw EUsageError("list needs FILE");
  const std::string& path = parsed.positional[0];
  RequireReadable(path);
  int64_t position = 0;
  int32_t count = 0;
  if (!FindPackage(path, position, count)) throw std::runtime_error("no package in " + path);

  platform::TFile file = platform::TFile::OpenRead(path);
  const int64_t fileSize = file.Size();
  std::printf("entries: %d\n%5s %12s  %s\n", count, "index", "size", "name");
  TIniText header;
  int64_t offset = position + 4;  // the first entry's size follows the count
  for (int32_t k = 0; k < count; ++k) {
    int32_t size = 0;
    if (!file.Seek(offset) || !ReadInt32(file, size) || size < 0) {
      throw std::runtime_error("the package is damaged at entry " + std::to_string(k) +
                               " (the file ends or a size is negative)");
    }
    offset += 4;
    if (k == 0 && size <= kMaxIniTextBytes) {
      std::string text(static_cast<size_t>(size), '\0');
      text.resize(static_cast<size_t>(file.Read(text.data(), size)));
      header.SetText(text);
    }
    std::printf("%5d %12d  %s\n", k, size, header.ReadString("Header", "Res" + std::to_string(k), "").c_str());
    offset += size;
    if (offset > fileSize) {
      throw std::runtime_error("the package is damaged: entry " + std::to_string(k) + " runs past the end of the file");
    }
  }
  return 0;
}

}  // namespace lumora::tools

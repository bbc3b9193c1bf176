// Finding and extracting the scene package (see uProjectExtractor.h).
#include "project/uProjectExtractor.h"
#include "base/uByteOrder.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/Platform.h"

namespace lumora {
namespace {

// Every byte one less than in a file. Read through a volatile so that the compiler cannot fold
// the shifted bytes back into a literal marker inside this program.
const volatile char PackageMarker[kMarkerLength + 1] = "{VXPACKAGEID}";

// Files are read through a buffer this large: the format was made for 1001-byte reads, but its
// results do not depend on the read size, and large reads are what makes extraction fast.
constexpr int64_t kBufferSize = 1 << 20;

bool ReadInt32(platform::TFile& file, int32_t& value) {
  unsigned char bytes[4];
  if (file.Read(bytes, 4) != 4) return false;
  value = GetLeInt32(bytes);
  return true;
}

}  // namespace

std::array<char, kMarkerLength> PackageMarkerBytes() {
  std::array<char, kMarkerLength> bytes{};
  for (int i = 0; i < kMarkerLength; ++i) bytes[i] = static_cast<char>(PackageMarker[i] + 1);
  return bytes;
}

bool FindPackage(const std::string& exeFile, int64_t& position, int32_t& count) {
  platform::TFile file = platform::TFile::OpenRead(exeFile);
  if (!file.IsOpen()) return false;
  const std::array<char, kMarkerLength> marker = PackageMarkerBytes();
  auto buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
  int matched = 0;      // marker bytes matched so far; carries over from one read to the next
  int64_t scanned = 0;  // bytes of the file examined before this buffer
  for (int64_t n; (n = file.Read(buffer.get(), kBufferSize)) > 0; scanned += n) {
    const char* p = buffer.get();
    const char* end = p + n;
    while (p < end) {
      if (matched == 0) {
        // Nothing matched yet: only the first marker byte matters, so jump to it.
        p = static_cast<const char*>(std::memchr(p, marker[0], static_cast<size_t>(end - p)));
        if (p == nullptr) break;
        matched = 1;
        ++p;
        continue;
      }
      // A mismatching byte restarts the match behind it; it is not tried as a first byte.
      matched = (*p++ == marker[matched]) ? matched + 1 : 0;
      if (matched == kMarkerLength) {
        position = scanned + (p - buffer.get());
        int32_t stored = 0;
        count = file.Seek(position) && ReadInt32(file, stored) ? stored : 0;
        return true;
      }
    }
  }
  return false;
}

void ExtractPackage(const std::string& exeFile, const std::vector<std::string>& names, int high) {
  int64_t position = 0;
  int32_t count = 0;
  if (FindPackage(exeFile, position, count)) ExtractPackageAt(exeFile, position, names, high);
}

void ExtractPackageAt(const std::string& exeFile, int64_t position, const std::vector<std::string>& names, int high) {
  int32_t count = 0;
  platform::TFile package = platform::TFile::OpenRead(exeFile);
  if (!package.Seek(position) || !ReadInt32(package, count)) count = 0;
  position += 4;

  const int last = std::min<int64_t>({high, int64_t{count} - 1, static_cast<int64_t>(names.size()) - 1});
  auto buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
  bool readable = true;  // false once a size could not be read or made no sense
  for (int k = 0; k <= last; ++k) {
    int32_t size = 0;
    if (readable && (!ReadInt32(package, size) || size < 0)) readable = false;
    if (!readable) size = 0;
    position += 4;

    platform::TFile target = names[k].empty() ? platform::TFile() : platform::TFile::Create(names[k]);
    int64_t remaining = size;
    while (remaining > 0) {
      if (!target.IsOpen()) {  // nowhere to write: step over the entry's bytes
        package.Seek(position + remaining);
        break;
      }
      int64_t got = package.Read(buffer.get(), std::min(remaining, kBufferSize));
      if (got <= 0) break;
      if (target.Write(buffer.get(), got) != got) target.Close();  // a full disk: skip the rest
      remaining -= got;
      position += got;
    }
    position += remaining;
  }
}

}  // namespace lumora

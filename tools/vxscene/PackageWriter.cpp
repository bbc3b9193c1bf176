// Writing scene packages (see PackageWriter.h).
#include "PackageWriter.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>

#include "base/uByteOrder.h"
#include "base/uErrors.h"
#include "platform/Platform.h"
#include "platform/uTextFile.h"
#include "project/uProjectExtractor.h"

namespace lumora::tools {
namespace {

std::string MarkerText() {
  auto marker = PackageMarkerBytes();
  return std::string(marker.begin(), marker.end());
}

// The package file, written whole or not at all; its failures in the tool's words.
class Output {
 public:
  explicit Output(const std::string& path) try : path_(path), file_(path) {
  } catch (const EInOutError&) {
    throw std::runtime_error("cannot create " + path);
  }
  void Put(const char* bytes, int64_t count) {
    Guarded([&] { file_.Write(bytes, count); });
  }
  void Put(const std::string& bytes) { Put(bytes.data(), static_cast<int64_t>(bytes.size())); }
  // Copies the whole of `source` and returns its size.
  int64_t CopyFrom(platform::TFile& source, char* buffer, int64_t bufferSize) {
    int64_t total = 0;
    for (int64_t n; (n = source.Read(buffer, bufferSize)) > 0; total += n) Put(buffer, n);
    return total;
  }
  void Commit() {
    Guarded([&] { file_.Commit(); });
  }

 private:
  template <class F>
  void Guarded(F write) {
    try {
      write();
    } catch (const EInOutError&) {
      throw std::runtime_error("cannot write " + path_);
    }
  }

  std::string path_;
  TAtomicFile file_;
};

}  // namespace

void WritePackage(const std::string& outFile, const std::string& stubFile, const std::vector<std::string>& entryFiles) {
  constexpr int64_t kBufferSize = 1 << 20;
  auto buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
  Output out(outFile);
  if (!stubFile.empty()) {
    int64_t position = 0;
    int32_t count = 0;
    if (FindPackage(stubFile, position, count)) {
      throw std::runtime_error(stubFile + " already holds a package marker; a second one would never be found");
    }
    platform::TFile stub = platform::TFile::OpenRead(stubFile);
    if (!stub.IsOpen()) throw std::runtime_error("cannot open " + stubFile);
    out.CopyFrom(stub, buffer.get(), kBufferSize);
  }
  out.Put(MarkerText());
  out.Put(LeBytes(entryFiles.size()));
  for (const std::string& path : entryFiles) {
    platform::TFile entry = platform::TFile::OpenRead(path);
    if (!entry.IsOpen()) throw std::runtime_error("cannot open " + path);
    int64_t size = entry.Size();
    if (size < 0 || size > std::numeric_limits<int32_t>::max()) {
      throw std::runtime_error(path + " is too large for a package entry (2 GiB at most)");
    }
    out.Put(LeBytes(static_cast<uint64_t>(size)));
    if (out.CopyFrom(entry, buffer.get(), kBufferSize) != size) throw std::runtime_error("cannot read " + path);
  }
  out.Commit();
  if (!stubFile.empty()) platform::MakeExecutable(outFile);  // a saver is a program
}

std::string PackageBytes(const std::vector<std::string>& entries) {
  std::string bytes = MarkerText() + LeBytes(entries.size());
  for (const std::string& entry : entries) bytes += LeBytes(entry.size()) + entry;
  return bytes;
}

}  // namespace lumora::tools

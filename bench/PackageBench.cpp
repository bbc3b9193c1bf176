// ExtractPackage of a 64 MB package against a plain buffered copy of the same bytes.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "BenchRatio.h"
#include "PackageWriter.h"
#include "platform/Platform.h"
#include "project/uProjectExtractor.h"

namespace {

constexpr size_t kEntryBytes = 64u << 20;

struct Files {
  std::filesystem::path folder;
  std::string package;
  std::string entry;
  Files() {
    folder = std::filesystem::path(lumora::platform::TempFolder()) / "lumora-bench-package";
    std::filesystem::create_directories(folder);
    entry = (folder / "entry.bin").string();
    {
      std::ofstream out(entry, std::ios::binary);
      std::string block(1 << 20, '\0');
      for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131 + 7);
      for (size_t i = 0; i < kEntryBytes / block.size(); ++i) out << block;
    }
    std::ofstream((folder / "header").string(), std::ios::binary) << "[Header]\r\nResCount=2\r\n";
    package = (folder / "saver.scr").string();
    lumora::tools::WritePackage(package, "", {(folder / "header").string(), entry});
  }
  ~Files() { std::filesystem::remove_all(folder); }
};

Files& Shared() {
  static Files files;
  return files;
}

void PlainBufferedCopy(benchmark::State& state) {
  Files& files = Shared();
  const std::string target = (files.folder / "copy.bin").string();
  auto buffer = std::make_unique<char[]>(64 << 10);
  for (auto _ : state) {
    std::FILE* in = std::fopen(files.entry.c_str(), "rb");
    std::FILE* out = std::fopen(target.c_str(), "wb");
    for (size_t n; (n = std::fread(buffer.get(), 1, 64 << 10, in)) > 0;) std::fwrite(buffer.get(), 1, n, out);
    std::fclose(out);
    std::fclose(in);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kEntryBytes));
}
BENCHMARK(PlainBufferedCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

void ExtractPackage64MB(benchmark::State& state) {
  Files& files = Shared();
  const std::vector<std::string> names = {(files.folder / "h.out").string(), (files.folder / "e.out").string()};
  for (auto _ : state) lumora::ExtractPackage(files.package, names, 1);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kEntryBytes));
}
BENCHMARK(ExtractPackage64MB)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return lumora::bench::RunWithRatios(argc, argv, {{"ExtractPackage64MB/real_time", "PlainBufferedCopy/real_time"}});
}

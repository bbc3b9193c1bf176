// Loading a typical 1280 x 1024 project against decoding its background JPEG alone, and fitting
// its background to 1920 x 1080 against a memcpy of the fitted frame.
#include <malloc.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "BenchRatio.h"
#include "FrameReference.h"
#include "ProjectWriter.h"
#include "platform/Platform.h"
#include "project/uFileIO.h"
#include "project/uVXProject.h"
#include "render/uFitBackground.h"
#include "surface/uBitmap.h"
#include "surface/uBitmap32.h"
#include "surface/uCodecs.h"

namespace {

using namespace lumora;

// A picture with some structure, so that the JPEG is of a realistic size.
std::string Picture(int32_t width, int32_t height) {
  TBitmap32 picture;
  picture.SetSize(width, height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      picture.PixelAt(x, y) = Color32(static_cast<uint8_t>(x * 255 / width), static_cast<uint8_t>((x * y) >> 9),
                                      static_cast<uint8_t>(y * 255 / height));
    }
  }
  return EncodeJpeg(picture, 90);
}

struct Scene {
  std::filesystem::path file;
  std::string background;
  Scene() {
    tools::TProjectFile project;
    project.Title = "Benchmark";
    project.ThumbnailJpeg = Picture(80, 64);
    project.BackgroundJpeg = background = Picture(1280, 1024);
    std::vector<uint8_t> regions(1280 * 1024, 0);
    std::fill(regions.begin() + 1280 * 600, regions.end(), 1);
    project.Runs = tools::EncodeRegionRuns(1280, 1024, regions);
    file = std::filesystem::path(platform::TempFolder()) / "lumora-bench-project.vxp";
    std::ofstream(file, std::ios::binary) << tools::ProjectFileBytes(project);
  }
  ~Scene() { std::filesystem::remove(file); }
};

Scene& Shared() {
  static Scene scene;
  return scene;
}

// Into a new bitmap each time, as a load does: allocating the picture is part of decoding it.
void DecodeBackgroundJpeg(benchmark::State& state) {
  const std::string& jpeg = Shared().background;
  for (auto _ : state) {
    TBitmap bitmap;
    DecodeJpeg(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size(), bitmap);
  }
}
BENCHMARK(DecodeBackgroundJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();

void LoadProject(benchmark::State& state) {
  const std::string file = Shared().file.string();
  for (auto _ : state) {
    TProject project;
    if (!project.Load(file)) state.SkipWithError("the project did not load");
  }
}
BENCHMARK(LoadProject)->Unit(benchmark::kMillisecond)->UseRealTime();

void FitTo1080p(benchmark::State& state) {
  TProject loaded;
  loaded.Load(Shared().file.string());
  for (auto _ : state) {
    state.PauseTiming();
    TProject project;
    project.Background = loaded.Background;
    project.RegionMask = loaded.RegionMask;
    state.ResumeTiming();
    FitBackground(false, project, 1920, 1080);
  }
}
BENCHMARK(FitTo1080p)->Unit(benchmark::kMillisecond)->UseRealTime();

void MemcpyFrame1080p(benchmark::State& state) { bench::CopyFrame(state, 1920, 1080); }
BENCHMARK(MemcpyFrame1080p)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  // Keep freed pictures in the heap: otherwise every iteration pays this virtual machine's very
  // slow first-touch page faults for new 5 MB buffers, and the figures measure the kernel.
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
  return lumora::bench::RunWithRatios(argc, argv,
                                      {{"LoadProject/real_time", "DecodeBackgroundJpeg/real_time"},
                                       {"FitTo1080p/real_time", "MemcpyFrame1080p/real_time"}});
}

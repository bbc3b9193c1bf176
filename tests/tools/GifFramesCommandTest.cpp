// vxscene gif-frames: every painting of a GIF object's player written as a picture, with the
// list of their frames and times.
#include <array>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "Commands.h"
#include "support/GifPictures.h"
#include "support/PngReader.h"
#include "support/TempDir.h"

namespace lumora {
namespace {

using namespace testing;

using Png = testing::TPngPixels;

Png ReadPng(const std::string& path) { return testing::ReadPngRgb(path); }

size_t CountPngs(const std::string& folder) {
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) count += entry.path().extension() == ".png";
  return count;
}

TEST(GifFramesCommand, WritesEveryPaintingAndTheirList) {
  TempDir dir;
  const std::string gif =
      WriteGif(dir, Gif(3, 2, {Frame(0, 0, {"111", "111"}), Frame(1, 1, {"2"}), Frame(0, 0, {"3"}, 1, 5)}));
  const std::string out = dir.File("out");
  ASSERT_EQ(tools::RunGifFrames({gif, "--out", out}), 0);
  EXPECT_EQ(CountPngs(out), 3u);
  EXPECT_EQ(testing::ReadAll(out + "/paintings.json"),
            "{\"width\": 3, \"height\": 2, \"speed\": 100, \"paintings\": ["
            "{\"file\": \"paint_0001.png\", \"frame\": 0, \"time\": 0}, "
            "{\"file\": \"paint_0002.png\", \"frame\": 1, \"time\": 120}, "
            "{\"file\": \"paint_0003.png\", \"frame\": 2, \"time\": 240}]}\n");
  const Png second = ReadPng(out + "/paint_0002.png");
  ASSERT_EQ(second.width, 3);
  ASSERT_EQ(second.height, 2);
  EXPECT_EQ(second.At(0, 0), (std::array<int, 3>{200, 0, 0}));
  EXPECT_EQ(second.At(1, 1), (std::array<int, 3>{0, 200, 0}));
  const Png third = ReadPng(out + "/paint_0003.png");
  EXPECT_EQ(third.At(0, 0), (std::array<int, 3>{0, 0, 200}));
}

TEST(GifFramesCommand, OptionsReachTheObject) {
  TempDir dir;
  // Pixels of index 6 ($001E140A) are left out with type 2; --no-transparent paints them.
  const std::string gif = WriteGif(dir, Gif(2, 1, {Frame(0, 0, {"16"}), Frame(0, 0, {"2"})}));
  ASSERT_EQ(tools::RunGifFrames({gif, "--out", dir.File("keyed"), "--transparent-type", "2", "--transparent-color",
                                 "$001E140A", "--anim-speed", "20"}),
            0);
  const std::string keyedList = testing::ReadAll(dir.File("keyed") + "/paintings.json");
  EXPECT_NE(keyedList.find("\"speed\": 600"), std::string::npos) << keyedList;
  EXPECT_NE(keyedList.find("\"time\": 20}"), std::string::npos) << keyedList;
  EXPECT_EQ(ReadPng(dir.File("keyed") + "/paint_0001.png").At(1, 0), (std::array<int, 3>{255, 255, 0}));

  ASSERT_EQ(tools::RunGifFrames({gif, "--out", dir.File("plain"), "--transparent-type", "2", "--transparent-color",
                                 "0x001E140A", "--no-transparent"}),
            0);
  EXPECT_EQ(ReadPng(dir.File("plain") + "/paint_0001.png").At(1, 0), (std::array<int, 3>{10, 20, 30}));

  // With --refresh-frame frame 0 is gone when frame 1 paints only its own pixel.
  ASSERT_EQ(tools::RunGifFrames({gif, "--out", dir.File("refresh"), "--refresh-frame"}), 0);
  EXPECT_EQ(ReadPng(dir.File("refresh") + "/paint_0002.png").At(1, 0), (std::array<int, 3>{255, 255, 0}));
}

TEST(GifFramesCommand, AnEndlessGifStopsAtFiveHundredPaintings) {
  TempDir dir;
  const std::string gif = WriteGif(dir, Gif(1, 1, {Looping(Frame(0, 0, {"1"}), 0), Frame(0, 0, {"2"})}));
  ASSERT_EQ(tools::RunGifFrames({gif, "--out", dir.File("out")}), 0);
  EXPECT_EQ(CountPngs(dir.File("out")), 500u);
  const std::string list = testing::ReadAll(dir.File("out") + "/paintings.json");
  EXPECT_NE(list.find("{\"file\": \"paint_0500.png\", \"frame\": 1, \"time\": 59880}]}"), std::string::npos);
  EXPECT_EQ(list.find("paint_0501"), std::string::npos);
}

TEST(GifFramesCommand, AOneFrameGifHasItsOnePaintingAtTimeZero) {
  TempDir dir;
  const std::string gif = WriteGif(dir, Gif(2, 1, {Frame(0, 0, {"11"})}));
  ASSERT_EQ(tools::RunGifFrames({gif, "--out", dir.File("out")}), 0);
  EXPECT_EQ(CountPngs(dir.File("out")), 1u);
  EXPECT_EQ(testing::ReadAll(dir.File("out") + "/paintings.json"),
            "{\"width\": 2, \"height\": 1, \"speed\": 100, \"paintings\": ["
            "{\"file\": \"paint_0001.png\", \"frame\": 0, \"time\": 0}]}\n");
  EXPECT_EQ(ReadPng(dir.File("out") + "/paint_0001.png").At(1, 0), (std::array<int, 3>{200, 0, 0}));
}

TEST(GifFramesCommand, BadInputIsRefused) {
  TempDir dir;
  const std::string gif = WriteGif(dir, Gif(1, 1, {Frame(0, 0, {"1"}), Frame(0, 0, {"2"})}));
  const std::string out = dir.File("out");
  EXPECT_THROW(tools::RunGifFrames({gif}), tools::EUsageError);
  EXPECT_THROW(tools::RunGifFrames({"--out", out}), tools::EUsageError);
  EXPECT_THROW(tools::RunGifFrames({gif, "--out", out, "--anim-speed", "fast"}), tools::EUsageError);
  EXPECT_THROW(tools::RunGifFrames({gif, "--out", out, "--anim-speed", "-1"}), tools::EUsageError);
  EXPECT_THROW(tools::RunGifFrames({gif, "--out", out, "--transparent-color", "0x"}), tools::EUsageError);
  EXPECT_THROW(tools::RunGifFrames({gif, "--out", out, "--frames", "3"}), tools::EUsageError);
  EXPECT_THROW(tools::RunGifFrames({dir.File("absent.gif"), "--out", out}), std::runtime_error);
  EXPECT_THROW(tools::RunGifFrames({dir.Write("bad.gif", "not a picture"), "--out", out}), std::runtime_error);
  EXPECT_FALSE(std::filesystem::exists(out)) << "nothing is written for a refused command";
}

}  // namespace
}  // namespace lumora

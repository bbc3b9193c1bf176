// Finding and extracting the scene package: marker search, entry copying, damaged packages.
#include "base/uByteOrder.h"
#include "project/uProjectExtractor.h"

#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "support/TempDir.h"

namespace lumora {
namespace {

using testing::Bytes;
using testing::ReadAll;
using testing::TempDir;

std::string Marker() {
  auto bytes = PackageMarkerBytes();
  return std::string(bytes.begin(), bytes.end());
}

// A package laid out by hand, independently of the project's own writer.
std::string Package(const std::vector<std::string>& entries, int32_t count = -1) {
  std::string bytes = Marker() + LeBytes(count < 0 ? static_cast<int32_t>(entries.size()) : count);
  for (const std::string& entry : entries) bytes += LeBytes(static_cast<int32_t>(entry.size())) + entry;
  return bytes;
}

TEST(PackageMarker, IsTheFilesByteSequence) {
  // Held as wide integers so that this test cannot put the marker bytes into the test program.
  const int expected[kMarkerLength] = {0x7C, 0x57, 0x59, 0x51, 0x42, 0x44, 0x4C, 0x42, 0x48, 0x46, 0x4A, 0x45, 0x7E};
  for (int i = 0; i < kMarkerLength; ++i) EXPECT_EQ(static_cast<unsigned char>(Marker()[i]), expected[i]) << i;
}

TEST(FindPackage, FindsTheMarkerWhereverTheReadBlocksFall) {
  TempDir dir;
  // Ends at, starts at and straddles the 1001-byte block boundary, and the same around the
  // reader's own 1 MiB buffer.
  for (size_t prefix : {size_t{0}, size_t{988}, size_t{1001}, size_t{996}, size_t{2002 - 7}, size_t{(1 << 20) - 13},
                        size_t{(1 << 20) - 6}, size_t{1 << 20}}) {
    SCOPED_TRACE(prefix);
    // The filler must not hold the marker's first byte, or a partial match would change nothing
    // here but would make the case less clean.
    std::string stub = Bytes(prefix, 7);
    for (char& c : stub) c = (c == Marker()[0]) ? 'x' : c;
    std::string exe = dir.Write("exe.bin", stub + Package({"abc"}, 42));
    int64_t position = -1;
    int32_t count = -1;
    ASSERT_TRUE(FindPackage(exe, position, count));
    EXPECT_EQ(position, static_cast<int64_t>(prefix) + kMarkerLength);
    EXPECT_EQ(count, 42);
  }
}

TEST(FindPackage, WithoutMarkerReturnsFalseAndLeavesOutputs) {
  TempDir dir;
  std::string exe = dir.Write("plain.exe", Bytes(5000, 3) + Marker().substr(0, 12));
  int64_t position = 77;
  int32_t count = 88;
  EXPECT_FALSE(FindPackage(exe, position, count));
  EXPECT_FALSE(FindPackage(dir.File("missing.exe"), position, count));
  EXPECT_EQ(position, 77);
  EXPECT_EQ(count, 88);
}

TEST(FindPackage, MismatchingByteIsNotRetriedAsFirstMarkerByte) {
  TempDir dir;
  // The first two marker bytes directly followed by the whole marker: the third byte breaks the
  // partial match and is not compared with the first marker byte again, so this marker is missed.
  const std::string overlapped = Marker().substr(0, 2) + Marker() + LeBytes(1);
  int64_t position = 0;
  int32_t count = 0;
  EXPECT_FALSE(FindPackage(dir.Write("a.exe", overlapped), position, count));

  // A later complete marker is still found, and the first complete one wins.
  std::string exe = dir.Write("b.exe", overlapped + "zz" + Marker() + LeBytes(5) + Marker() + LeBytes(6));
  ASSERT_TRUE(FindPackage(exe, position, count));
  EXPECT_EQ(position, static_cast<int64_t>(overlapped.size() + 2 + kMarkerLength));
  EXPECT_EQ(count, 5);
}

TEST(FindPackage, MarkerAtTheVeryEndHasNoCount) {
  TempDir dir;
  int64_t position = 0;
  int32_t count = -1;
  ASSERT_TRUE(FindPackage(dir.Write("end.exe", "stub" + Marker()), position, count));
  EXPECT_EQ(position, 4 + kMarkerLength);
  EXPECT_EQ(count, 0);
}

class ExtractPackageTest : public ::testing::Test {
 protected:
  std::vector<std::string> Names(int n) {
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) names.push_back(dir_.File("out" + std::to_string(i)));
    return names;
  }
  TempDir dir_;
};

TEST_F(ExtractPackageTest, EntrySizesAroundTheBlockSizeComeOutExact) {
  const std::vector<std::string> entries = {
      "", Bytes(1, 1), Bytes(1000, 2), Bytes(1001, 3), Bytes(2002, 4), Bytes(3 * (1 << 20) + 7, 5)};
  std::string exe = dir_.Write("saver.scr", Bytes(3000, 9) + Package(entries));
  auto names = Names(6);
  ExtractPackage(exe, names, 5);
  for (size_t i = 0; i < entries.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(ReadAll(names[i]), entries[i]);
  }
}

TEST_F(ExtractPackageTest, HighBoundsTheEntriesWritten) {
  std::string exe = dir_.Write("saver.scr", Package({"header", "project", "media"}));
  auto names = Names(5);
  ExtractPackage(exe, names, 0);
  EXPECT_EQ(ReadAll(names[0]), "header");
  EXPECT_EQ(ReadAll(names[1]), "<missing>");

  // Beyond the entry count: every entry is written and the surplus names are left alone.
  dir_.Write("out4", "keep me");
  ExtractPackage(exe, names, 4);
  EXPECT_EQ(ReadAll(names[2]), "media");
  EXPECT_EQ(ReadAll(names[3]), "<missing>");
  EXPECT_EQ(ReadAll(names[4]), "keep me");
}

TEST_F(ExtractPackageTest, ExtractingTwiceOverwritesWithTheSameBytes) {
  std::string exe = dir_.Write("saver.scr", Package({"header", Bytes(5000, 1)}));
  auto names = Names(2);
  dir_.Write("out1", Bytes(9000, 2));  // longer than the entry: must be truncated
  ExtractPackage(exe, names, 1);
  ExtractPackage(exe, names, 1);
  EXPECT_EQ(ReadAll(names[1]), Bytes(5000, 1));
}

TEST_F(ExtractPackageTest, TruncatedEntryKeepsItsBytesAndLaterEntriesComeOutEmpty) {
  std::string package = Package({"header", Bytes(4000, 1), "lost"});
  const size_t cut = package.size() - 8 - 1500;  // inside entry 1
  std::string exe = dir_.Write("saver.scr", package.substr(0, cut));
  auto names = Names(3);
  ExtractPackage(exe, names, 2);
  EXPECT_EQ(ReadAll(names[0]), "header");
  EXPECT_EQ(ReadAll(names[1]), Bytes(4000, 1).substr(0, 2500));
  EXPECT_EQ(ReadAll(names[2]), "");
}

TEST_F(ExtractPackageTest, NegativeOrHugeSizesNeverLoopOrAllocate) {
  std::string negative = Marker() + LeBytes(3) + LeBytes(5) + "first" + LeBytes(-1) + "rest" + LeBytes(4) + "more";
  auto names = Names(3);
  ExtractPackage(dir_.Write("neg.scr", negative), names, 2);
  EXPECT_EQ(ReadAll(names[0]), "first");
  EXPECT_EQ(ReadAll(names[1]), "");
  EXPECT_EQ(ReadAll(names[2]), "");

  std::string huge = Marker() + LeBytes(2) + LeBytes(0x7FFFFFFF) + "tiny" + LeBytes(4) + "more";
  ExtractPackage(dir_.Write("huge.scr", huge), names, 1);
  EXPECT_EQ(ReadAll(names[0]), "tiny" + LeBytes(4) + "more");
  EXPECT_EQ(ReadAll(names[1]), "");

  // A count far beyond what the file holds only creates the requested, empty files.
  ExtractPackage(dir_.Write("count.scr", Marker() + LeBytes(0x7FFFFFFF) + LeBytes(2) + "ok"), names, 2);
  EXPECT_EQ(ReadAll(names[0]), "ok");
  EXPECT_EQ(ReadAll(names[2]), "");
}

TEST_F(ExtractPackageTest, UnwritableOrRefusedTargetSkipsOnlyThatEntry) {
  std::string exe = dir_.Write("saver.scr", Package({"header", Bytes(3000, 1), "media", "sound"}));
  auto names = Names(4);
  names[1] = dir_.File("no-such-folder") + platform::PathDelimiter() + "project";
  names[2] = "";  // a refused name
  ExtractPackage(exe, names, 3);
  EXPECT_EQ(ReadAll(names[0]), "header");
  EXPECT_EQ(ReadAll(names[1]), "<missing>");
  EXPECT_EQ(ReadAll(names[3]), "sound");
}

TEST_F(ExtractPackageTest, WithoutMarkerNothingIsWritten) {
  std::string exe = dir_.Write("plain.scr", LeBytes(1) + LeBytes(3) + "abc");
  auto names = Names(1);
  ExtractPackage(exe, names, 0);
  ExtractPackage(dir_.File("missing.scr"), names, 0);
  EXPECT_EQ(ReadAll(names[0]), "<missing>");
}

}  // namespace
}  // namespace lumora

// The platform seam: time, the process's age, files and folders, the instance guard.
#include "base/uTicks.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "support/TempDir.h"

namespace lumora::platform {
namespace {

using lumora::testing::ReadAll;
using lumora::testing::TempDir;

TEST(Ticks, ReplaceableSourceAndWrapAround) {
  {
    TManualTicks fake(0xFFFFFFF0u);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
    fake.Advance(0x20);
    EXPECT_EQ(GetTickCount(), 0x10u);
    EXPECT_EQ(TicksBetween(0xFFFFFFF0u, GetTickCount()), 0x20u);
    {
      TManualTicks inner(5);
      EXPECT_EQ(GetTickCount(), 5u);
    }
    EXPECT_EQ(GetTickCount(), 0x10u) << "the outer source is back";
  }
  // The monotonic clock again, which Sleep moves.
  uint32_t before = GetTickCount();
  Sleep(20);
  EXPECT_GE(TicksBetween(before, GetTickCount()), 15u);
}

TEST(ProcessAge, MovesWithTheClock) {
  const uint32_t before = MillisecondsSinceProcessStart();
  Sleep(100);
  const uint32_t after = MillisecondsSinceProcessStart();
  EXPECT_GE(after - before, 95u);
  EXPECT_LT(after - before, 5000u);
}

#ifndef _WIN32
TEST(ProcessAge, CountsFromTheStartOfTheProcessNotOfTheSystem) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {  // a process that is 150 ms old when it asks
    Sleep(150);
    const uint32_t age = MillisecondsSinceProcessStart();
    _exit(write(ends[1], &age, sizeof age) == sizeof age ? 0 : 1);
  }
  uint32_t age = 0;
  EXPECT_EQ(read(ends[0], &age, sizeof age), static_cast<ssize_t>(sizeof age));
  int status = 0;
  waitpid(child, &status, 0);
  close(ends[0]);
  close(ends[1]);
  EXPECT_GE(age, 150u);
  EXPECT_LT(age, 150u + 5000u) << "counted from the wrong moment";
}
#endif

TEST(Folders, TempFolderEndsWithTheDelimiterAndExists) {
  std::string temp = TempFolder();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), PathDelimiter());
  EXPECT_TRUE(DirectoryExists(temp.substr(0, temp.size() - 1)));
  EXPECT_FALSE(ProgramPath().empty());
  EXPECT_TRUE(FileExists(ProgramPath()));
}

TEST(Folders, CreateTestAndRemove) {
  TempDir dir;
  std::string folder = dir.File("sub");
  EXPECT_FALSE(DirectoryExists(folder));
  EXPECT_TRUE(CreateFolder(folder));
  EXPECT_FALSE(CreateFolder(folder));  // already there
  EXPECT_TRUE(DirectoryExists(folder));
  EXPECT_FALSE(FileExists(folder));
  std::string file = dir.Write("sub" + std::string(1, PathDelimiter()) + "f", "x");
  EXPECT_FALSE(RemoveFolder(folder));  // not empty
  EXPECT_TRUE(EraseFile(file));
  EXPECT_FALSE(EraseFile(file));
  EXPECT_TRUE(RemoveFolder(folder));
  EXPECT_FALSE(DirectoryExists(folder));
}

TEST(Files, ReadWriteSeekAndReplace) {
  TempDir dir;
  {
    TFile out = TFile::Create(dir.File("a"));
    ASSERT_TRUE(out.IsOpen());
    EXPECT_EQ(out.Write("hello world", 11), 11);
    EXPECT_TRUE(out.Flush());
  }
  TFile in = TFile::OpenRead(dir.File("a"));
  ASSERT_TRUE(in.IsOpen());
  EXPECT_EQ(in.Size(), 11);
  char buffer[16] = {};
  EXPECT_TRUE(in.Seek(6));
  EXPECT_EQ(in.Read(buffer, 16), 5);
  EXPECT_EQ(std::string(buffer, 5), "world");
  EXPECT_EQ(in.Read(buffer, 16), 0);
  EXPECT_FALSE(in.Seek(-1));
  in.Close();

  dir.Write("b", "old contents");
  EXPECT_TRUE(MoveFileOver(dir.File("a"), dir.File("b")));
  EXPECT_EQ(ReadAll(dir.File("b")), "hello world");
  EXPECT_FALSE(FileExists(dir.File("a")));
  EXPECT_FALSE(TFile::OpenRead(dir.File("a")).IsOpen());
  EXPECT_FALSE(TFile::OpenRead(dir.Path()).IsOpen());  // a folder is not a file
}

TEST(TInstanceGuard, SecondGuardFindsTheFirstUntilItIsReleased) {
  const std::string name = "LumoraTestGuard" + std::to_string(GetTickCount());
  TInstanceGuard first;
  ASSERT_EQ(first.Acquire(name), TInstanceGuard::Result::Acquired);
  TInstanceGuard second;
  EXPECT_EQ(second.Acquire(name), TInstanceGuard::Result::AlreadyRunning);
  first.Release();
  EXPECT_EQ(second.Acquire(name), TInstanceGuard::Result::Acquired);
}

#ifndef _WIN32
TEST(TInstanceGuard, ACrashedInstanceNeverBlocksTheNext) {
  const std::string name = "LumoraTestCrash" + std::to_string(GetTickCount());
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    TInstanceGuard guard;
    _exit(guard.Acquire(name) == TInstanceGuard::Result::Acquired ? 0 : 1);  // ends without releasing
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  TInstanceGuard next;
  EXPECT_EQ(next.Acquire(name), TInstanceGuard::Result::Acquired);
}
#endif

}  // namespace
}  // namespace lumora::platform

// The platform seam on Linux (POSIX calls only; the SDL2 shell adds windows and sound on top).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>
#include <thread>

#include "base/uErrors.h"
#include "base/uPathText.h"
#include "platform/Platform.h"

namespace lumora::platform {

void Sleep(uint32_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

TTimeOfDay LocalTimeOfDay() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_hour, local.tm_min, local.tm_sec};
}

uint32_t MillisecondsSinceProcessStart() {
  // Field 22 of the process's status line, counted after the closing parenthesis of its name
  // (which may hold spaces and parentheses of its own). Both it and CLOCK_BOOTTIME count from
  // the system's boot.
  char line[1024] = {};
  std::FILE* file = std::fopen("/proc/self/stat", "r");
  if (file == nullptr) return 0;
  const size_t length = std::fread(line, 1, sizeof line - 1, file);
  std::fclose(file);
  const char* field = std::strrchr(line, ')');
  if (length == 0 || field == nullptr) return 0;
  for (int skipped = 2; skipped < 22 && field != nullptr; ++skipped) field = std::strchr(field + 1, ' ');
  const long ticksPerSecond = sysconf(_SC_CLK_TCK);
  timespec now{};
  if (field == nullptr || ticksPerSecond <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0) return 0;
  const unsigned long long startTicks = std::strtoull(field + 1, nullptr, 10);
  const long long startMs = static_cast<long long>(startTicks * 1000 / static_cast<unsigned long long>(ticksPerSecond));
  const long long nowMs = static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
  return nowMs > startMs ? static_cast<uint32_t>(nowMs - startMs) : 0;
}

char PathDelimiter() { return '/'; }

namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return (value && *value) ? std::string(value) : fallback;
}

bool IsPrivateFolder(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
         (info.st_mode & 077) == 0;
}

// A folder only this user can enter: another user must not be able to plant links where the
// scene is extracted.
std::string PrivateBase() {
  std::string runtime = EnvOr("XDG_RUNTIME_DIR", "");
  if (!runtime.empty() && IsPrivateFolder(runtime)) return runtime;
  std::string base = EnvOr("TMPDIR", "/tmp") + "/lumora-" + std::to_string(getuid());
  if (mkdir(base.c_str(), 0700) != 0 && errno != EEXIST) {
    throw EInOutError("Cannot create the temporary folder " + base);
  }
  if (!IsPrivateFolder(base)) throw EInOutError("The temporary folder " + base + " is not private to this user");
  return base;
}

}  // namespace

std::string TempFolder() { return PrivateBase() + "/"; }

std::string ProgramPath() {
  char buffer[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

std::string SettingsFilePath(const std::string& programPath) {
  std::string folder = EnvOr("XDG_CONFIG_HOME", EnvOr("HOME", ".") + "/.config");
  mkdir(folder.c_str(), 0700);
  folder += "/lumora";
  mkdir(folder.c_str(), 0700);
  return folder + "/" + ExtractFileName(programPath) + ".ini";
}

std::string RegisteredProgramFilesDir() { return EnvOr("XDG_DATA_HOME", EnvOr("HOME", ".") + "/.local/share") + "/"; }

bool FileExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CreateFolder(const std::string& path) { return mkdir(path.c_str(), 0700) == 0; }
bool EraseFile(const std::string& path) { return unlink(path.c_str()) == 0; }
bool RemoveFolder(const std::string& path) { return rmdir(path.c_str()) == 0; }
bool MoveFileOver(const std::string& from, const std::string& to) { return rename(from.c_str(), to.c_str()) == 0; }
bool MakeExecutable(const std::string& path) { return chmod(path.c_str(), 0755) == 0; }

// ---- TFile ----

TFile::~TFile() { Close(); }
TFile::TFile(TFile&& other) noexcept : handle_(other.handle_) { other.handle_ = -1; }
TFile& TFile::operator=(TFile&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    other.handle_ = -1;
  }
  return *this;
}

TFile TFile::OpenRead(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    struct stat info {};
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
      close(fd);
      fd = -1;
    }
  }
  return TFile(fd);
}

TFile TFile::Create(const std::string& path) {
  // Never follow a link planted where a file is to be written.
  return TFile(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
}

int64_t TFile::Read(void* buffer, int64_t count) {
  if (!IsOpen() || count <= 0) return 0;
  int64_t total = 0;
  auto* bytes = static_cast<char*>(buffer);
  while (total < count) {
    ssize_t n = read(static_cast<int>(handle_), bytes + total, static_cast<size_t>(count - total));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    total += n;
  }
  return total;
}

int64_t TFile::Write(const void* buffer, int64_t count) {
  if (!IsOpen() || count <= 0) return 0;
  int64_t total = 0;
  const auto* bytes = static_cast<const char*>(buffer);
  while (total < count) {
    ssize_t n = write(static_cast<int>(handle_), bytes + total, static_cast<size_t>(count - total));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    total += n;
  }
  return total;
}

bool TFile::Seek(int64_t offset) {
  return IsOpen() && offset >= 0 && lseek(static_cast<int>(handle_), static_cast<off_t>(offset), SEEK_SET) == offset;
}

int64_t TFile::Size() {
  struct stat info {};
  return IsOpen() && fstat(static_cast<int>(handle_), &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
}

bool TFile::Flush() { return IsOpen() && fsync(static_cast<int>(handle_)) == 0; }

void TFile::Close() {
  if (IsOpen()) close(static_cast<int>(handle_));
  handle_ = -1;
}

// Windows' classic default system colours, numbers 0 to 30, as $00BBGGRR.
uint32_t GetSysColor(int index) {
  static constexpr uint32_t kDefaults[] = {
      0xC8D0D4, 0xA56E3A, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000, 0x000000, 0xFFFFFF, 0xC8D0D4,
      0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4, 0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040,
      0xC8D0D4, 0x000000, 0xE1FFFF, 0xB5B5B5, 0x800000, 0xF0CAA6, 0xC0C0C0, 0xC56A31, 0xC8D0D4};
  return index >= 0 && index < static_cast<int>(std::size(kDefaults)) ? kDefaults[index] : 0;
}

// ---- Instance guard ----

TInstanceGuard::~TInstanceGuard() { Release(); }

TInstanceGuard::Result TInstanceGuard::Acquire(const std::string& name) {
  Release();
  std::string path;
  try {
    path = PrivateBase() + "/" + name + ".lock";
  } catch (const EInOutError&) {
    return Result::Unavailable;
  }
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return Result::Unavailable;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    bool busy = errno == EWOULDBLOCK;
    close(fd);
    return busy ? Result::AlreadyRunning : Result::Unavailable;
  }
  handle_ = fd;
  return Result::Acquired;
}

void TInstanceGuard::Release() {
  if (handle_ >= 0) close(static_cast<int>(handle_));  // closing drops the lock
  handle_ = -1;
}

// The desktop's screen locker owns the password on Linux; there is nothing to hand over to.
void ChangeScreenSaverPassword(int32_t) {}

void ShowMessage(const std::string& text, const std::string& caption) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

}  // namespace lumora::platform

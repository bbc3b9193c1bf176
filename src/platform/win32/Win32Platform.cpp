// The platform seam on Windows: the real system calls (kernel, user, MPR.DLL).
#include <windows.h>

#include <cstring>

#include "base/uErrors.h"
#include "base/uPathText.h"
#include "platform/Platform.h"

namespace lumora::platform {

void Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

TTimeOfDay LocalTimeOfDay() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  return {now.wHour, now.wMinute, now.wSecond};
}

uint32_t MillisecondsSinceProcessStart() {
  FILETIME creation{}, exited{}, kernel{}, user{}, now{};
  if (!::GetProcessTimes(::GetCurrentProcess(), &creation, &exited, &kernel, &user)) return 0;
  ::GetSystemTimePreciseAsFileTime(&now);
  const auto value = [](const FILETIME& time) { return (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime; };
  const uint64_t start = value(creation), end = value(now);
  return end > start ? static_cast<uint32_t>((end - start) / 10000) : 0;  // 100 ns units
}

char PathDelimiter() { return '\\'; }

std::string TempFolder() {
  char buffer[256];
  DWORD length = ::GetTempPathA(sizeof buffer, buffer);
  if (length == 0 || length > sizeof buffer) throw EInOutError("Cannot find the temporary folder");
  return std::string(buffer, length);
}

std::string ProgramPath() {
  char buffer[MAX_PATH + 1];
  DWORD length = ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  return std::string(buffer, length);
}

std::string SettingsFilePath(const std::string& programPath) { return SettingsFileBeside(programPath); }

std::string RegisteredProgramFilesDir() {
  HKEY key = nullptr;
  std::string folder;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0, KEY_ALL_ACCESS, &key) ==
      ERROR_SUCCESS) {
    char value[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    DWORD type = 0;
    if (::RegQueryValueExA(key, "ProgramFilesDir", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
            ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
      folder.assign(value, strnlen(value, sizeof value));
    }
    ::RegCloseKey(key);
  }
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

bool FileExists(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateFolder(const std::string& path) { return ::CreateDirectoryA(path.c_str(), nullptr) != 0; }
bool EraseFile(const std::string& path) { return ::DeleteFileA(path.c_str()) != 0; }
bool RemoveFolder(const std::string& path) { return ::RemoveDirectoryA(path.c_str()) != 0; }
bool MakeExecutable(const std::string&) { return true; }

bool MoveFileOver(const std::string& from, const std::string& to) {
  return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// ---- TFile ----

namespace {
HANDLE AsHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
intptr_t FromHandle(HANDLE handle) { return handle == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<intptr_t>(handle); }
constexpr DWORD kMaxTransfer = 1u << 30;
}  // namespace

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
  return TFile(FromHandle(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr)));
}

TFile TFile::Create(const std::string& path) {
  return TFile(FromHandle(
      ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
}

int64_t TFile::Read(void* buffer, int64_t count) {
  if (!IsOpen() || count <= 0) return 0;
  int64_t total = 0;
  auto* bytes = static_cast<char*>(buffer);
  while (total < count) {
    DWORD chunk = static_cast<DWORD>(count - total < kMaxTransfer ? count - total : kMaxTransfer);
    DWORD done = 0;
    if (!::ReadFile(AsHandle(handle_), bytes + total, chunk, &done, nullptr) || done == 0) break;
    total += done;
  }
  return total;
}

int64_t TFile::Write(const void* buffer, int64_t count) {
  if (!IsOpen() || count <= 0) return 0;
  int64_t total = 0;
  const auto* bytes = static_cast<const char*>(buffer);
  while (total < count) {
    DWORD chunk = static_cast<DWORD>(count - total < kMaxTransfer ? count - total : kMaxTransfer);
    DWORD done = 0;
    if (!::WriteFile(AsHandle(handle_), bytes + total, chunk, &done, nullptr) || done == 0) break;
    total += done;
  }
  return total;
}

bool TFile::Seek(int64_t offset) {
  LARGE_INTEGER target;
  target.QuadPart = offset;
  return IsOpen() && offset >= 0 && ::SetFilePointerEx(AsHandle(handle_), target, nullptr, FILE_BEGIN) != 0;
}

int64_t TFile::Size() {
  LARGE_INTEGER size;
  return IsOpen() && ::GetFileSizeEx(AsHandle(handle_), &size) ? size.QuadPart : -1;
}

bool TFile::Flush() { return IsOpen() && ::FlushFileBuffers(AsHandle(handle_)) != 0; }

void TFile::Close() {
  if (IsOpen()) ::CloseHandle(AsHandle(handle_));
  handle_ = -1;
}

uint32_t GetSysColor(int index) { return static_cast<uint32_t>(::GetSysColor(index)); }

// ---- Instance guard ----

TInstanceGuard::~TInstanceGuard() { Release(); }

TInstanceGuard::Result TInstanceGuard::Acquire(const std::string& name) {
  Release();
  HANDLE semaphore = ::CreateSemaphoreA(nullptr, 0, 1, name.c_str());
  if (semaphore == nullptr) return Result::Unavailable;
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    ::CloseHandle(semaphore);
    return Result::AlreadyRunning;
  }
  handle_ = reinterpret_cast<intptr_t>(semaphore);
  return Result::Acquired;
}

void TInstanceGuard::Release() {
  if (handle_ >= 0) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
}

// ---- The system's dialogs ----

namespace {
// The system folder with a trailing backslash, as the password libraries are loaded from it.
std::string SystemFolder() {
  char buffer[MAX_PATH];
  UINT length = ::GetSystemDirectoryA(buffer, MAX_PATH);
  std::string folder(buffer, length < MAX_PATH ? length : 0);
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}
}  // namespace

void ChangeScreenSaverPassword(int32_t parent) {
  using PwdChangePasswordFn = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, LPVOID);
  HMODULE library = ::LoadLibraryA((SystemFolder() + "MPR.DLL").c_str());
  if (library == nullptr) return;
  auto change =
      reinterpret_cast<PwdChangePasswordFn>(reinterpret_cast<void*>(::GetProcAddress(library, "PwdChangePasswordA")));
  if (change != nullptr) change("SCRSAVE", reinterpret_cast<HWND>(static_cast<intptr_t>(parent)), 0, nullptr);
  ::FreeLibrary(library);
}

void ShowMessage(const std::string& text, const std::string& caption) {
  ::MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace lumora::platform

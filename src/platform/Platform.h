// The platform seam: every service of the operating system that the core uses, and nothing else.
//
// The core (app, forms, project, objects, render, weather, sound) includes no system header; it
// calls these functions and classes. platform/posix implements them for Linux, platform/win32 for
// Windows with the real system calls. Each declaration says what the callers rely on, in terms of
// the Windows call it stands for.
#pragma once

#include <cstdint>
#include <string>

namespace lumora::platform {

// ---- Time ---------------------------------------------------------------------------------

// Suspends the calling thread (Sleep).
void Sleep(uint32_t milliseconds);

// The local wall-clock time of day.
struct TTimeOfDay {
  int Hour = 0;    // 0..23
  int Minute = 0;  // 0..59
  int Second = 0;  // 0..59
};
TTimeOfDay LocalTimeOfDay();

// Milliseconds from the start of this process to now, 0 when the system does not say. Windows:
// from the creation time of GetProcessTimes. Linux: from the start time in /proc/self/stat,
// which the kernel keeps in clock ticks (10 ms) rounded down, so the figure may be a tick long.
uint32_t MillisecondsSinceProcessStart();

// ---- Paths, files and folders --------------------------------------------------------------

// The separator this system puts between folder and file names ('\' or '/').
char PathDelimiter();

// The folder for temporary files, ending with the delimiter. Windows: GetTempPathA into a
// 256-character buffer, used as returned. Linux: a private per-user folder ($XDG_RUNTIME_DIR,
// else $TMPDIR/lumora-<uid> created with mode 0700 and checked to be ours); throws EInOutError
// when no safe folder can be had.
std::string TempFolder();

// The full path of the running program's own file (GetModuleFileNameA, /proc/self/exe).
std::string ProgramPath();

// Where the user settings of the program at `programPath` live. Windows: beside the program,
// named after it with ".ini" (see SettingsFileBeside). Linux: $XDG_CONFIG_HOME/lumora/<program
// file name>.ini, the folder created when missing (the program folder is rarely writable there).
std::string SettingsFilePath(const std::string& programPath);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
bool CreateFolder(const std::string& path);  // one level; false when it fails or exists
bool EraseFile(const std::string& path);
bool RemoveFolder(const std::string& path);  // only an empty folder
// Moves `from` over `to`, replacing it in one step (the settings file's atomic update).
bool MoveFileOver(const std::string& from, const std::string& to);
// Lets the file be run as a program (a saver made from a stub): Linux mode 0755; Windows runs
// files by their name, so nothing is done there.
bool MakeExecutable(const std::string& path);

// An open file: binary, byte-granular, positioned reads and writes. Invalid after a failed open.
class TFile {
 public:
  TFile() = default;
  ~TFile();
  TFile(TFile&& other) noexcept;
  TFile& operator=(TFile&& other) noexcept;
  TFile(const TFile&) = delete;
  TFile& operator=(const TFile&) = delete;

  // An existing file for reading, shared with other readers (CreateFileA with FILE_SHARE_READ).
  static TFile OpenRead(const std::string& path);
  // A file for writing, created or truncated (CreateFileA with CREATE_ALWAYS).
  static TFile Create(const std::string& path);

  bool IsOpen() const { return handle_ >= 0; }
  // Reads up to `count` bytes; returns the number read, 0 at the end and on errors.
  int64_t Read(void* buffer, int64_t count);
  // Writes `count` bytes; returns the number written (less on errors).
  int64_t Write(const void* buffer, int64_t count);
  // Moves to `offset` bytes from the start; false on failure.
  bool Seek(int64_t offset);
  // The file's size in bytes, -1 when unknown.
  int64_t Size();
  // Pushes written bytes to the disk (before a rename makes them the real file).
  bool Flush();
  void Close();

 private:
  explicit TFile(intptr_t handle) : handle_(handle) {}
  intptr_t handle_ = -1;
};

// The folder where programs are installed as the system records it, ending with the
// delimiter; empty when it cannot be had. Windows: "ProgramFilesDir" of the local machine's
// "SOFTWARE\Microsoft\Windows\CurrentVersion", the key opened for full access (so the open
// fails where the user may not write there). Linux has no registry: $XDG_DATA_HOME (default
// ~/.local/share) + "/". TShell::ProgramFilesDir (uShell.h) adds the fallback.
std::string RegisteredProgramFilesDir();

// ---- Display ------------------------------------------------------------------------------

// The colour of system colour number `index` (GetSysColor) as a Windows colour value $00BBGGRR.
// Linux: the standard default colour table of Windows. An unknown index gives 0 (black).
uint32_t GetSysColor(int index);

// ---- Processes and the user ----------------------------------------------------------------

// The single-instance guard. Windows: the named semaphore (initial count 0, maximum 1), held
// until the guard is destroyed. Linux: an exclusive flock on a per-user lock file of that name,
// which the kernel releases when the process ends, so a crashed instance never blocks the next.
class TInstanceGuard {
 public:
  enum class Result { Acquired, AlreadyRunning, Unavailable };
  TInstanceGuard() = default;
  ~TInstanceGuard();
  TInstanceGuard(const TInstanceGuard&) = delete;
  TInstanceGuard& operator=(const TInstanceGuard&) = delete;

  Result Acquire(const std::string& name);
  void Release();

 private:
  intptr_t handle_ = -1;
};

// The system's screensaver password change for the window `parent`. Windows: PwdChangePasswordA
// of MPR.DLL from the system folder. Linux: the screen locker owns the password, so this does
// nothing.
void ChangeScreenSaverPassword(int32_t parent);

// Shows `text` to the user and waits for acknowledgement (MessageBoxA). Linux: standard error.
// The core goes through TShell (uShell.h), which a shell replaces with its own dialog.
void ShowMessage(const std::string& text, const std::string& caption);

}  // namespace lumora::platform

// Whole files: small ones read as text (the header, the settings file), and files written so
// that they are either the old one or the new one, never half written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/uLimits.h"
#include "platform/Platform.h"

namespace lumora {

// The file's bytes, or nullopt when it cannot be opened or holds more than `limit` bytes (so a
// hostile file can never demand more memory than that). Callers that must tell the two apart
// check the size themselves.
std::optional<std::string> ReadTextFile(const std::string& path, int64_t limit = kMaxIniTextBytes);

// A file written in pieces to a temporary file beside `path`; Commit flushes it and moves it
// over `path`. Without a Commit the temporary file is removed and `path` stays as it was.
// Every failure throws EInOutError("Unable to write to <path>").
class TAtomicFile {
 public:
  explicit TAtomicFile(const std::string& path);
  ~TAtomicFile();
  TAtomicFile(const TAtomicFile&) = delete;
  TAtomicFile& operator=(const TAtomicFile&) = delete;

  void Write(const void* bytes, int64_t count);
  void Write(const std::string& bytes) { Write(bytes.data(), static_cast<int64_t>(bytes.size())); }
  void Commit();

 private:
  [[noreturn]] void Fail();

  std::string path_;
  platform::TFile file_;
};

// The whole of `text` written as a TAtomicFile.
void WriteTextFileAtomically(const std::string& path, const std::string& text);

}  // namespace lumora

// Whole files (see uTextFile.h).
#include "platform/uTextFile.h"

#include "base/uErrors.h"

namespace lumora {

std::optional<std::string> ReadTextFile(const std::string& path, int64_t limit) {
  platform::TFile file = platform::TFile::OpenRead(path);
  if (!file.IsOpen()) return std::nullopt;
  int64_t size = file.Size();
  if (size < 0 || size > limit) return std::nullopt;
  std::string text(static_cast<size_t>(size), '\0');
  text.resize(static_cast<size_t>(file.Read(text.data(), size)));
  return text;
}

TAtomicFile::TAtomicFile(const std::string& path) : path_(path), file_(platform::TFile::Create(path + ".tmp")) {
  if (!file_.IsOpen()) Fail();
}

TAtomicFile::~TAtomicFile() {
  if (!file_.IsOpen()) return;
  file_.Close();
  platform::EraseFile(path_ + ".tmp");
}

void TAtomicFile::Write(const void* bytes, int64_t count) {
  if (file_.Write(bytes, count) != count) Fail();
}

void TAtomicFile::Commit() {
  const bool flushed = file_.Flush();
  file_.Close();
  if (!flushed || !platform::MoveFileOver(path_ + ".tmp", path_)) Fail();
}

void TAtomicFile::Fail() {
  file_.Close();
  platform::EraseFile(path_ + ".tmp");
  throw EInOutError("Unable to write to " + path_);
}

void WriteTextFileAtomically(const std::string& path, const std::string& text) {
  TAtomicFile file(path);
  file.Write(text);
  file.Commit();
}

}  // namespace lumora

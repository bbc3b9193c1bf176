// The program's start (see uRunMode.h).
#include "app/uRunMode.h"

#include <limits>

#include "base/uErrors.h"
#include "base/uPathText.h"

namespace lumora {
namespace {

bool IsModeLetter(std::string_view mode, char letter) {
  const char forms[3][3] = {{'/', letter, 0}, {'-', letter, 0}, {letter, 0, 0}};
  for (const char* form : forms) {
    if (mode == form) return true;
  }
  return false;
}

}  // namespace

std::string ModeArgument(std::string_view firstArgument) { return UpperCase(firstArgument.substr(0, 2)); }

bool IsWindowedProgram(std::string_view programPath) { return UpperCase(ExtractFileExt(programPath)) == ".EXE"; }

TRunDecision DecideRunMode(const std::vector<std::string>& arguments, std::string_view programPath) {
  TRunDecision decision;
  decision.ModeArgument = ModeArgument(arguments.empty() ? std::string_view() : arguments[0]);
  decision.HandleArgument = arguments.size() > 1 ? UpperCase(arguments[1]) : std::string();
  const bool exe = IsWindowedProgram(programPath);
  const std::string& mode = decision.ModeArgument;
  if (IsModeLetter(mode, 'A')) {
    decision.Mode = TRunMode::PasswordChange;
  } else if (IsModeLetter(mode, 'P')) {
    decision.Mode = TRunMode::Preview;
  } else if (IsModeLetter(mode, 'S') || exe) {
    decision.Mode = TRunMode::Saver;
    decision.Windowed = exe;
  } else if (mode.empty() || IsModeLetter(mode, 'C')) {
    decision.Mode = TRunMode::Config;
  }
  return decision;
}

int32_t HandleArgumentValue(std::string_view text) {
  std::string message = "'";  // built in steps: GCC 12 warns falsely on a chain of '+' here
  message.append(text).append("' is not a valid integer value");
  const EConvertError error(message);
  const std::string upper = UpperCase(text);
  std::string_view digits = upper;
  while (!digits.empty() && digits.front() == ' ') digits.remove_prefix(1);
  bool negative = false;
  if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  int base = 10;
  if (!digits.empty() && digits.front() == '$') {
    base = 16;
    digits.remove_prefix(1);
  } else if (digits.size() > 1 && digits[0] == '0' && digits[1] == 'X') {
    base = 16;
    digits.remove_prefix(2);
  }
  if (digits.empty()) throw error;
  int64_t value = 0;
  for (char c : digits) {
    int digit = HexDigit(c);
    if (digit < 0 || digit >= base) throw error;
    value = value * base + digit;
    if (value > (int64_t{1} << 32)) throw error;
  }
  // Hexadecimal spells a 32-bit pattern; decimal must fit the signed range.
  if (base == 16) {
    if (value > std::numeric_limits<uint32_t>::max()) throw error;
    value = static_cast<int32_t>(static_cast<uint32_t>(value));
  }
  if (negative) value = -value;
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) throw error;
  return static_cast<int32_t>(value);
}

int RunStartup(const std::vector<std::string>& arguments, std::string_view programPath, TStartupHost& host) {
  const TRunDecision decision = DecideRunMode(arguments, programPath);
  try {
    if (decision.Mode == TRunMode::PasswordChange) {
      host.ChangePassword(HandleArgumentValue(decision.HandleArgument));
      return 0;
    }
    // Without a semaphore the program runs as if it were the only instance.
    if (host.AcquireInstance() == platform::TInstanceGuard::Result::AlreadyRunning) return 0;
    switch (decision.Mode) {
      case TRunMode::Preview: host.PaintPreview(HandleArgumentValue(decision.HandleArgument)); break;
      case TRunMode::Saver: return host.RunSaver(decision.Windowed);
      case TRunMode::Config: return host.RunConfig();
      default: break;
    }
  } catch (const EConvertError& error) {
    host.ReportError(error.what());
    return 1;
  }
  return 0;
}

}  // namespace lumora

// Command-line options of the vxscene commands (see Commands.h).
#include <algorithm>
#include <cctype>
#include <string>

#include "Commands.h"

namespace lumora::tools {

bool TParsedArguments::Has(const std::string& name) const {
  return std::any_of(options.begin(), options.end(), [&](const auto& option) { return option.first == name; });
}

std::string TParsedArguments::Value(const std::string& name, const std::string& fallback) const {
  for (const auto& [key, value] : options) {
    if (key == name) return value;
  }
  return fallback;
}

int32_t TParsedArguments::Integer(const std::string& name, int32_t fallback, int32_t low, int32_t high) const {
  if (!Has(name)) return fallback;
  const std::string text = Value(name);
  const bool hex = text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0 || text.rfind('$', 0) == 0;
  const std::string digits = hex ? text.substr(text[0] == '$' ? 1 : 2) : text;
  size_t used = 0;
  long long value = 0;
  try {
    value = hex ? static_cast<long long>(std::stoull(digits, &used, 16)) : std::stoll(digits, &used, 10);
  } catch (const std::exception&) {
    used = 0;
  }
  if (hex && value >= 0 && value <= 0xFFFFFFFFLL) value = static_cast<int32_t>(static_cast<uint32_t>(value));
  // The standard conversions also take blanks and signs in front, which no option allows here.
  const bool plainStart =
      !digits.empty() && (std::isxdigit(static_cast<unsigned char>(digits[0])) || (!hex && digits[0] == '-'));
  if (!plainStart || used != digits.size() || value < low || value > high) {
    throw EUsageError("--" + name + " must be a whole number from " + std::to_string(low) + " to " +
                      std::to_string(high));
  }
  return static_cast<int32_t>(value);
}

TParsedArguments ParseArguments(const Arguments& args, const std::vector<std::string>& valued,
                                const std::vector<std::string>& flags) {
  TParsedArguments parsed;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
      parsed.positional.push_back(arg);
      continue;
    }
    std::string name = arg.substr(2);
    if (std::find(valued.begin(), valued.end(), name) != valued.end()) {
      if (i + 1 >= args.size()) throw EUsageError("--" + name + " needs a value");
      parsed.options.emplace_back(name, args[++i]);
    } else if (std::find(flags.begin(), flags.end(), name) != flags.end()) {
      parsed.options.emplace_back(name, "");
    } else {
      throw EUsageError("unknown option " + arg);
    }
  }
  return parsed;
}

}  // namespace lumora::tools

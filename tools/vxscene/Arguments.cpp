// Command-line options of the vxscene commands (see Commands.h).
#include <algorithm>

#include "Commands.h"

namespace lumora::tools {

bool ParsedArguments::Has(const std::string& name) const {
  return std::any_of(options.begin(), options.end(), [&](const auto& option) { return option.first == name; });
}

std::string ParsedArguments::Value(const std::string& name, const std::string& fallback) const {
  for (const auto& [key, value] : options) {
    if (key == name) return value;
  }
  return fallback;
}

ParsedArguments ParseArguments(const Arguments& args, const std::vector<std::string>& valued,
                               const std::vector<std::string>& flags) {
  ParsedArguments parsed;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
      parsed.positional.push_back(arg);
      continue;
    }
    std::string name = arg.substr(2);
    if (std::find(valued.begin(), valued.end(), name) != valued.end()) {
      if (i + 1 >= args.size()) throw UsageError("--" + name + " needs a value");
      parsed.options.emplace_back(name, args[++i]);
    } else if (std::find(flags.begin(), flags.end(), name) != flags.end()) {
      parsed.options.emplace_back(name, "");
    } else {
      throw UsageError("unknown option " + arg);
    }
  }
  return parsed;
}

}  // namespace lumora::tools

// The vxscene commands. Each takes the arguments after its name, prints its result on standard
// output and its errors as one line on standard error, and returns the exit status.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace lumora::tools {

using Arguments = std::vector<std::string>;

int RunPack(const Arguments& args);
int RunUnpack(const Arguments& args);
int RunList(const Arguments& args);
int RunInfo(const Arguments& args);
int RunRender(const Arguments& args);
int RunGifFrames(const Arguments& args);
int RunSample(const Arguments& args);
int RunDemo(const Arguments& args);
int RunWav(const Arguments& args);
int RunPreview(const Arguments& args);
int RunExtract(const Arguments& args);
int RunBuild(const Arguments& args);
int RunNew(const Arguments& args);

// A mistake in the command line; main prints it with the usage hint.
class EUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Splits `--name value` options (listed in `valued`) and `--flag`s from positional arguments.
struct TParsedArguments {
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> options;  // name without "--", value ("" for flags)

  bool Has(const std::string& name) const;
  std::string Value(const std::string& name, const std::string& fallback = "") const;
  // The option as a whole number in [low, high] (decimal, or hexadecimal after "0x" or "$",
  // up to 32 bits, wrapping into the signed range); `fallback` when it is missing. Throws
  // EUsageError otherwise.
  int32_t Integer(const std::string& name, int32_t fallback, int32_t low, int32_t high) const;
};
TParsedArguments ParseArguments(const Arguments& args, const std::vector<std::string>& valued,
                                const std::vector<std::string>& flags);

}  // namespace lumora::tools

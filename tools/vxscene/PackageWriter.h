// Writing scene packages: the authoring side of the package format.
#pragma once

#include <string>
#include <vector>

namespace lumora::tools {

// Writes `outFile`: the bytes of `stubFile` (none when empty), the marker, the entry count and
// every entry file (size, then bytes), streamed with constant memory. The file appears whole or
// not at all. Throws std::runtime_error with a one-line reason.
void WritePackage(const std::string& outFile, const std::string& stubFile, const std::vector<std::string>& entryFiles);

// The same layout in memory, from the entries' bytes (for tests and small tools).
std::string PackageBytes(const std::vector<std::string>& entries);

}  // namespace lumora::tools

// The scene package appended behind a saver executable: finding it and copying its entries out.
//
// Layout, all integers 32-bit little-endian: the 13 marker bytes, the entry count N, then N
// times (size S, S bytes). The package begins right behind the executable image and nothing
// points to it, so the first complete marker in the file is taken as its start.
//
// The program never holds the marker as it appears in a file: it keeps `PackageMarker`, in
// which every byte is one less, and forms the real bytes at run time. Otherwise the search
// would find the marker inside the program's own code before the package.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace lumora {

inline constexpr int kMarkerLength = 13;

// The marker bytes as they appear in a file, formed from the shifted constant at run time.
std::array<char, kMarkerLength> PackageMarkerBytes();

// Scans `exeFile` for the marker. On success `position` is the offset just behind the marker
// and `count` the entry count stored there (0 when the file ends before it). Without a marker,
// or when the file cannot be opened, returns false and leaves both unchanged.
bool FindPackage(const std::string& exeFile, int64_t& position, int32_t& count);

// Writes entries 0 .. min(high + 1, entry count) - 1 in order, entry k to names[k]. Constant
// memory, whatever the entry sizes. What it does with damaged packages:
//  - no marker: nothing is written;
//  - an empty name, or a file that cannot be created: that entry's bytes are skipped, so later
//    entries still land in their own files;
//  - an entry running past the end of the file keeps the bytes that exist;
//  - a negative size ends the readable part: that entry and every later one come out empty.
// It reports nothing.
void ExtractPackage(const std::string& exeFile, const std::vector<std::string>& names, int high);
// The same for a package FindPackage has found at `position`: a start that extracts twice (the
// header, then everything) searches the program file once.
void ExtractPackageAt(const std::string& exeFile, int64_t position, const std::vector<std::string>& names, int high);

}  // namespace lumora

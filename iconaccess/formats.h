// The readers of the three source formats. Each finds the icon groups and icon images of a file and
// trusts nothing it reads: a damaged entry is skipped, never followed.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "icon_source.h"

namespace iconaccess {

// What a module's resource section yields: the icon groups in directory order and every icon
// image with its id and language.
struct ModuleIcons {
  std::vector<IconSource::GroupRef> groups;
  std::vector<IconSource::ImageRef> images;
};

// Caps on what a file may claim, so a hostile count cannot make us allocate or loop for long.
inline constexpr std::uint32_t kMaxDirectoryEntries = 65536;
inline constexpr std::uint32_t kMaxSections = 96;  // the PE loader's own limit

// Reads the resources of a PE32 or PE32+ file whose PE header starts at peOffset.
bool readPeIcons(std::span<const std::uint8_t> file, std::uint32_t peOffset, ModuleIcons& out);
// Reads the resources of an NE (16-bit) file whose NE header starts at neOffset.
bool readNeIcons(std::span<const std::uint8_t> file, std::uint32_t neOffset, ModuleIcons& out);
// True for an icon file: reserved 0, type 1, at least one entry.
bool looksLikeIconFile(std::span<const std::uint8_t> file);

// Fills an image's real size and depth from its own header (BITMAPINFOHEADER or PNG IHDR).
// False when the header cannot be read.
bool describeImage(std::span<const std::uint8_t> data, IconImage& image);

}  // namespace iconaccess

// Writing one icon of a source to disk: an icon file with all its images, or a bitmap of its
// first image, chosen by the destination's last three characters.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "icon_source.h"
#include "platform.h"

namespace iconaccess {

enum class SaveResult {
  Written,
  EmptyDestination,        // no destination named
  UnsupportedDestination,  // the destination ends neither in "ico" nor in "bmp"
  NoSuchIcon,              // the source has no icon with that number (or no icons at all)
  NoImages,                // the icon's group names no image that could be read
  UnreadableImage,         // the first image cannot be turned into a bitmap
  WriteFailed,             // the destination could not be written; nothing of it was left behind
  DestinationExists,       // asked to keep existing files, and the name is taken
};

// A short English reason, for the command-line tool.
const char* describe(SaveResult result);

enum class DestinationKind { Icon, Bitmap, Other };
// The last three characters of the destination, lower-cased: "ico" or "bmp".
DestinationKind destinationKind(const std::filesystem::path& destination);

// Saves the icon with that 1-based number (a number below 1 counts as 1). The destination is
// written through a temporary file beside it and then moved into place in one step, so a failed
// save leaves no partial file and an existing file intact. With ExistingFile::Keep an existing
// destination is never replaced (DestinationExists).
SaveResult saveIcon(const IconSource& source, int number, const std::filesystem::path& destination,
                    ExistingFile existing = ExistingFile::Replace);
SaveResult saveIcon(const std::filesystem::path& source, int number,
                    const std::filesystem::path& destination, const SourceOptions& options = {},
                    ExistingFile existing = ExistingFile::Replace);

// The bytes of an icon file holding every image of the icon, in group order. Empty when the icon
// has no images.
std::vector<std::uint8_t> iconFileBytes(const Icon& icon);
// The bytes of a bitmap file of one image: the colour part with its bit depth and palette, the
// AND mask dropped; a PNG image decoded to 32 bits with alpha. Unset when the image is damaged.
std::optional<std::vector<std::uint8_t>> bitmapFileBytes(const IconImage& image);

}  // namespace iconaccess

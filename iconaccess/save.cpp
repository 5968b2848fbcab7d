// Writing an icon as an icon file or as a bitmap of its first image.

#include "save.h"

#include <cwctype>

#include "byte_reader.h"
#include "platform.h"
#include "render.h"

namespace iconaccess {
namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

void set32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

constexpr std::uint32_t kFileHeaderSize = 14;

// BITMAPFILEHEADER: +0 "BM", +2 file size u32, +6 reserved u32, +10 offset of the bits u32.
void putFileHeader(std::vector<std::uint8_t>& out, std::uint32_t bitsOffset) {
  out.push_back('B');
  out.push_back('M');
  put32(out, 0);  // the size, filled in once everything is written
  put32(out, 0);
  put32(out, bitsOffset);
}

// A PNG image decoded, as a bottom-up BITMAPV5HEADER bitmap with an alpha mask, so that viewers
// keep its transparency.
std::optional<std::vector<std::uint8_t>> pngBitmap(const IconImage& image) {
  auto pixels = decodePng(image.data);
  if (!pixels) return std::nullopt;
  constexpr std::uint32_t kV5Size = 124;
  const std::uint32_t bitsSize = static_cast<std::uint32_t>(pixels->argb.size() * 4);
  std::vector<std::uint8_t> out;
  out.reserve(kFileHeaderSize + kV5Size + bitsSize);
  putFileHeader(out, kFileHeaderSize + kV5Size);
  put32(out, kV5Size);
  put32(out, static_cast<std::uint32_t>(pixels->width));
  put32(out, static_cast<std::uint32_t>(pixels->height));
  put16(out, 1);            // planes
  put16(out, 32);           // bit count
  put32(out, 3);            // BI_BITFIELDS
  put32(out, bitsSize);
  put32(out, 2835);         // 72 dpi
  put32(out, 2835);
  put32(out, 0);            // colours used
  put32(out, 0);            // colours important
  put32(out, 0x00FF0000);   // red mask
  put32(out, 0x0000FF00);   // green mask
  put32(out, 0x000000FF);   // blue mask
  put32(out, 0xFF000000);   // alpha mask
  put32(out, 0x73524742);   // LCS_sRGB
  for (int i = 0; i < 9; ++i) put32(out, 0);  // endpoints
  for (int i = 0; i < 3; ++i) put32(out, 0);  // gamma
  put32(out, 4);            // LCS_GM_IMAGES
  put32(out, 0);            // profile data
  put32(out, 0);            // profile size
  put32(out, 0);            // reserved
  for (int y = pixels->height - 1; y >= 0; --y) {
    for (int x = 0; x < pixels->width; ++x) put32(out, pixels->at(x, y));
  }
  set32(out, 2, static_cast<std::uint32_t>(out.size()));
  return out;
}

// A DIB image's colour part as stored: its header (height halved, image size corrected), its
// masks and colour table, and its XOR bits; the AND mask left out.
std::optional<std::vector<std::uint8_t>> dibBitmap(const IconImage& image) {
  ByteReader r(image.data);
  auto headerSize = r.u32(0);
  auto compression = r.u32(16);
  auto clrUsed = r.u32(32);
  if (!headerSize || !compression || !clrUsed) return std::nullopt;
  std::uint64_t tableBytes = 0;
  if (image.bitCount <= 8) {
    std::uint64_t full = 1ull << image.bitCount;
    tableBytes = 4 * ((*clrUsed > 0 && *clrUsed < full) ? *clrUsed : full);
  }
  if (*compression == 3 && *headerSize < 52) tableBytes += 12;  // the three masks
  const std::uint64_t stride = (static_cast<std::uint64_t>(image.width) * image.bitCount + 31) / 32 * 4;
  const std::uint64_t bitsSize = stride * image.height;
  auto colourPart = r.sub(0, std::uint64_t{*headerSize} + tableBytes + bitsSize);
  if (!colourPart) return std::nullopt;
  std::vector<std::uint8_t> out;
  out.reserve(kFileHeaderSize + colourPart->size());
  putFileHeader(out, static_cast<std::uint32_t>(kFileHeaderSize + *headerSize + tableBytes));
  out.insert(out.end(), colourPart->begin(), colourPart->end());
  set32(out, kFileHeaderSize + 8, static_cast<std::uint32_t>(image.height));
  set32(out, kFileHeaderSize + 20, static_cast<std::uint32_t>(bitsSize));
  set32(out, 2, static_cast<std::uint32_t>(out.size()));
  return out;
}

}  // namespace

const char* describe(SaveResult result) {
  switch (result) {
    case SaveResult::Written: return "written";
    case SaveResult::EmptyDestination: return "no destination given";
    case SaveResult::UnsupportedDestination: return "destination must end in ico or bmp";
    case SaveResult::NoSuchIcon: return "the source has no icon with that number";
    case SaveResult::NoImages: return "the icon has no readable image";
    case SaveResult::UnreadableImage: return "the icon's first image cannot be read";
    case SaveResult::WriteFailed: return "the destination could not be written";
    case SaveResult::DestinationExists: return "the destination exists already";
  }
  return "unknown";
}

DestinationKind destinationKind(const std::filesystem::path& destination) {
  const auto& name = destination.native();
  if (name.size() < 3) return DestinationKind::Other;
  std::wstring last;
  for (std::size_t i = name.size() - 3; i < name.size(); ++i) {
    last.push_back(static_cast<wchar_t>(std::towlower(static_cast<wint_t>(name[i]))));
  }
  if (last == L"ico") return DestinationKind::Icon;
  if (last == L"bmp") return DestinationKind::Bitmap;
  return DestinationKind::Other;
}

// ICONDIR (0, 1, n), then n ICONDIRENTRY of 16 bytes (the group entry's first 8 bytes, the
// image's real size, its offset), then the images in the same order.
std::vector<std::uint8_t> iconFileBytes(const Icon& icon) {
  std::vector<std::uint8_t> out;
  if (icon.images.empty()) return out;
  const std::size_t n = icon.images.size();
  std::size_t total = 6 + 16 * n;
  for (const IconImage& image : icon.images) total += image.data.size();
  out.reserve(total);
  put16(out, 0);
  put16(out, 1);
  put16(out, static_cast<std::uint32_t>(n));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * n);
  for (const IconImage& image : icon.images) {
    out.insert(out.end(), image.entry.begin(), image.entry.end());
    put32(out, static_cast<std::uint32_t>(image.data.size()));
    put32(out, offset);
    offset += static_cast<std::uint32_t>(image.data.size());
  }
  for (const IconImage& image : icon.images) {
    out.insert(out.end(), image.data.begin(), image.data.end());
  }
  return out;
}

std::optional<std::vector<std::uint8_t>> bitmapFileBytes(const IconImage& image) {
  return image.png ? pngBitmap(image) : dibBitmap(image);
}

SaveResult saveIcon(const IconSource& source, int number, const std::filesystem::path& destination,
                    ExistingFile existing) {
  if (destination.empty()) return SaveResult::EmptyDestination;
  if (number < 1) number = 1;
  if (number > source.count()) return SaveResult::NoSuchIcon;
  const DestinationKind kind = destinationKind(destination);
  if (kind == DestinationKind::Other) return SaveResult::UnsupportedDestination;
  const Icon icon = source.icon(number - 1);
  if (icon.images.empty()) return SaveResult::NoImages;
  std::vector<std::uint8_t> bytes;
  if (kind == DestinationKind::Icon) {
    bytes = iconFileBytes(icon);
  } else {
    auto bitmap = bitmapFileBytes(icon.images.front());
    if (!bitmap) return SaveResult::UnreadableImage;
    bytes = std::move(*bitmap);
  }
  switch (writeFileAtomically(destination, bytes, existing)) {
    case WriteResult::Written: return SaveResult::Written;
    case WriteResult::Exists: return SaveResult::DestinationExists;
    case WriteResult::Failed: break;
  }
  return SaveResult::WriteFailed;
}

SaveResult saveIcon(const std::filesystem::path& source, int number,
                    const std::filesystem::path& destination, const SourceOptions& options,
                    ExistingFile existing) {
  if (destination.empty()) return SaveResult::EmptyDestination;
  if (destinationKind(destination) == DestinationKind::Other) {
    return SaveResult::UnsupportedDestination;
  }
  return saveIcon(IconSource::open(source, options), number, destination, existing);
}

}  // namespace iconaccess

// Decoding icon images to pixels, choosing the image for a size, and scaling.

#include "render.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "byte_reader.h"

namespace iconaccess {
namespace {

struct Preference {
  int sizeDistance;
  int depthDistance;
};

Preference preferenceOf(const IconImage& image, int width, int height) {
  return {std::abs(image.width - width) + std::abs(image.height - height),
          std::abs(32 - image.bitCount)};
}

bool better(const Preference& a, const Preference& b) {
  if (a.sizeDistance != b.sizeDistance) return a.sizeDistance < b.sizeDistance;
  return a.depthDistance < b.depthDistance;
}

// The images of an icon ordered from the best suited to the worst; ties keep group order.
std::vector<const IconImage*> rankedImages(const Icon& icon, int width, int height) {
  std::vector<const IconImage*> ranked;
  for (const IconImage& image : icon.images) ranked.push_back(&image);
  std::stable_sort(ranked.begin(), ranked.end(), [&](const IconImage* a, const IconImage* b) {
    return better(preferenceOf(*a, width, height), preferenceOf(*b, width, height));
  });
  return ranked;
}

// A channel mask of a BI_BITFIELDS image: where its bits are and how many.
struct ChannelMask {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  ChannelMask() = default;
  explicit ChannelMask(std::uint32_t m) : mask(m) {
    if (!m) return;
    while (!((m >> shift) & 1)) ++shift;
    while (shift + bits < 32 && ((m >> (shift + bits)) & 1)) ++bits;
  }
  std::uint32_t extract(std::uint32_t value) const {
    if (!bits) return 0;
    std::uint32_t v = (value & mask) >> shift;
    std::uint32_t max = bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1);
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(v) * 255 + max / 2) / max);
  }
};

std::uint32_t argb(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

// The layout of a DIB's parts, found once from its header.
//   BITMAPINFOHEADER: +0 biSize, +4 biWidth, +8 biHeight (doubled), +14 biBitCount,
//   +16 biCompression, +32 biClrUsed; then, for BI_BITFIELDS with a 40-byte header, three u32
//   masks (red, green, blue); for larger headers the masks sit in the header at +40 (and alpha at
//   +52); then the colour table (bit counts up to 8), the XOR bits and the AND mask, each row
//   padded to 4 bytes, bottom row first.
struct DibLayout {
  int width = 0, height = 0, bitCount = 0;
  std::uint32_t compression = 0;
  std::uint64_t paletteOffset = 0, paletteCount = 0;
  std::uint64_t xorOffset = 0, xorStride = 0;
  std::uint64_t andOffset = 0, andStride = 0;
  // Red, green, blue and alpha of a 16- or 32-bit image, worked out once rather than per pixel:
  // the header's masks for BI_BITFIELDS, 5-5-5 for a 16-bit BI_RGB image.
  ChannelMask channels[4];
};

std::optional<DibLayout> dibLayout(const ByteReader& r, const IconImage& image) {
  DibLayout d;
  d.width = image.width;
  d.height = image.height;
  d.bitCount = image.bitCount;
  auto headerSize = r.u32(0);
  auto compression = r.u32(16);
  auto clrUsed = r.u32(32);
  if (!headerSize || !compression || !clrUsed) return std::nullopt;
  d.compression = *compression;
  std::uint64_t after = *headerSize;
  if (d.compression == kBiBitfields && (d.bitCount == 16 || d.bitCount == 32)) {
    std::uint64_t at = *headerSize >= 52 ? 40 : after;
    for (int i = 0; i < 3; ++i) {
      auto m = r.u32(at + 4ull * i);
      if (!m) return std::nullopt;
      d.channels[i] = ChannelMask(*m);
    }
    if (*headerSize >= 56) d.channels[3] = ChannelMask(r.u32(52).value_or(0));
    if (*headerSize < 52) after += 12;
  } else if (d.compression != kBiRgb) {
    return std::nullopt;  // RLE and embedded JPEG/PNG DIBs are not icon images
  } else if (d.bitCount == 16) {
    d.channels[0] = ChannelMask(0x7C00);
    d.channels[1] = ChannelMask(0x03E0);
    d.channels[2] = ChannelMask(0x001F);
  }
  if (d.bitCount <= 8) {
    std::uint64_t full = 1ull << d.bitCount;
    d.paletteCount = (*clrUsed > 0 && *clrUsed < full) ? *clrUsed : full;
  }
  d.paletteOffset = after;
  d.xorOffset = after + 4 * d.paletteCount;
  d.xorStride = (static_cast<std::uint64_t>(d.width) * d.bitCount + 31) / 32 * 4;
  d.andOffset = d.xorOffset + d.xorStride * d.height;
  d.andStride = (static_cast<std::uint64_t>(d.width) + 31) / 32 * 4;
  if (!r.has(d.xorOffset, d.xorStride * d.height)) return std::nullopt;
  return d;
}

std::uint32_t dibPixel(const ByteReader& r, const DibLayout& d, std::uint64_t row, int x,
                       bool& hasAlpha) {
  const std::uint64_t at = d.xorOffset + row * d.xorStride;
  switch (d.bitCount) {
    case 1: case 4: case 8: {
      std::uint64_t bit = static_cast<std::uint64_t>(x) * d.bitCount;
      std::uint8_t byte = *r.u8(at + bit / 8);
      int shift = 8 - d.bitCount - static_cast<int>(bit % 8);
      std::uint32_t index = (byte >> shift) & ((1u << d.bitCount) - 1);
      if (index >= d.paletteCount) return argb(255, 0, 0, 0);
      auto entry = r.u32(d.paletteOffset + 4ull * index);
      return entry ? (*entry & 0x00FFFFFFu) | 0xFF000000u : argb(255, 0, 0, 0);
    }
    case 16: {
      std::uint32_t v = *r.u16(at + 2ull * x);
      return argb(255, d.channels[0].extract(v), d.channels[1].extract(v),
                  d.channels[2].extract(v));
    }
    case 24: {
      std::uint64_t p = at + 3ull * x;
      return argb(255, *r.u8(p + 2), *r.u8(p + 1), *r.u8(p));
    }
    default: {  // 32
      std::uint32_t v = *r.u32(at + 4ull * x);
      if (d.compression == kBiBitfields) {
        std::uint32_t a = d.channels[3].extract(v);
        if (a) hasAlpha = true;
        return argb(a, d.channels[0].extract(v), d.channels[1].extract(v),
                    d.channels[2].extract(v));
      }
      if (v >> 24) hasAlpha = true;
      return v;
    }
  }
}

std::optional<Pixels> decodeDib(const IconImage& image) {
  ByteReader r(image.data);
  auto layout = dibLayout(r, image);
  if (!layout) return std::nullopt;
  const DibLayout& d = *layout;
  Pixels out;
  out.width = d.width;
  out.height = d.height;
  out.argb.resize(static_cast<std::size_t>(d.width) * d.height);
  bool hasAlpha = false;
  for (int y = 0; y < d.height; ++y) {
    const std::uint64_t row = static_cast<std::uint64_t>(d.height - 1 - y);  // bottom-up
    for (int x = 0; x < d.width; ++x) {
      out.argb[static_cast<std::size_t>(y) * d.width + x] = dibPixel(r, d, row, x, hasAlpha);
    }
  }
  if (hasAlpha) return out;
  // No alpha of its own: the AND mask says what is transparent (a set bit). An image stored
  // without its mask is shown opaque.
  const bool hasMask = r.has(d.andOffset, d.andStride * d.height);
  for (int y = 0; y < d.height; ++y) {
    const std::uint64_t row = static_cast<std::uint64_t>(d.height - 1 - y);
    for (int x = 0; x < d.width; ++x) {
      std::uint32_t& px = out.argb[static_cast<std::size_t>(y) * d.width + x];
      bool transparent = false;
      if (hasMask) {
        std::uint8_t byte = *r.u8(d.andOffset + row * d.andStride + x / 8);
        transparent = (byte >> (7 - x % 8)) & 1;
      }
      px = transparent ? 0 : (px | 0xFF000000u);
    }
  }
  return out;
}

// For each destination column (or row), the source cells it covers and how much of each.
struct Tap {
  int index;
  double weight;
};

std::vector<std::vector<Tap>> boxTaps(int sourceSize, int targetSize) {
  std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(targetSize));
  const double scale = static_cast<double>(sourceSize) / targetSize;
  for (int i = 0; i < targetSize; ++i) {
    const double start = i * scale;
    const double end = (i + 1) * scale;
    const int first = static_cast<int>(std::floor(start));
    const int last = std::min(sourceSize - 1, static_cast<int>(std::ceil(end)) - 1);
    for (int j = first; j <= last; ++j) {
      double w = std::min(end, j + 1.0) - std::max(start, static_cast<double>(j));
      if (w > 0) taps[static_cast<std::size_t>(i)].push_back({j, w / scale});
    }
  }
  return taps;
}

}  // namespace

const IconImage* bestImageFor(const Icon& icon, int width, int height) {
  const IconImage* best = nullptr;
  for (const IconImage& image : icon.images) {
    if (!best || better(preferenceOf(image, width, height), preferenceOf(*best, width, height))) {
      best = &image;
    }
  }
  return best;
}

std::optional<Pixels> decodeImage(const IconImage& image) {
  if (image.png) return decodePng(image.data);
  return decodeDib(image);
}

Pixels scaleTo(const Pixels& source, int width, int height) {
  if (source.width == width && source.height == height) return source;
  Pixels out;
  out.width = width;
  out.height = height;
  out.argb.assign(static_cast<std::size_t>(width) * height, 0);
  if (source.width <= 0 || source.height <= 0 || width <= 0 || height <= 0) return out;
  const auto xTaps = boxTaps(source.width, width);
  const auto yTaps = boxTaps(source.height, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      double a = 0, r = 0, g = 0, b = 0;
      for (const Tap& ty : yTaps[static_cast<std::size_t>(y)]) {
        for (const Tap& tx : xTaps[static_cast<std::size_t>(x)]) {
          const std::uint32_t px = source.at(tx.index, ty.index);
          const double w = tx.weight * ty.weight;
          const double pa = (px >> 24) * w;  // premultiplied: colour counts by its coverage
          a += pa;
          r += ((px >> 16) & 0xFF) * pa;
          g += ((px >> 8) & 0xFF) * pa;
          b += (px & 0xFF) * pa;
        }
      }
      std::uint32_t& dst = out.argb[static_cast<std::size_t>(y) * width + x];
      if (a <= 0) {
        dst = 0;
        continue;
      }
      auto channel = [&](double sum) {
        return static_cast<std::uint32_t>(std::clamp(std::lround(sum / a), 0L, 255L));
      };
      dst = argb(static_cast<std::uint32_t>(std::clamp(std::lround(a), 0L, 255L)), channel(r),
                 channel(g), channel(b));
    }
  }
  return out;
}

std::optional<Pixels> renderIcon(const Icon& icon, int width, int height) {
  if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) {
    return std::nullopt;
  }
  // A damaged best image gives way to the next best, so one bad image does not blank an icon.
  for (const IconImage* image : rankedImages(icon, width, height)) {
    if (auto pixels = decodeImage(*image)) return scaleTo(*pixels, width, height);
  }
  return std::nullopt;
}

}  // namespace iconaccess

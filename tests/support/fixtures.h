// Builders of small source files from bytes: DIB and PNG images, icon files, PE32 / PE32+ and NE
// modules with icon resources. Tests build exactly the shape they need, then damage it on purpose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace fixtures {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, std::size_t at, std::uint32_t v);
void put32(Bytes& b, std::size_t at, std::uint32_t v);
void append16(Bytes& b, std::uint32_t v);
void append32(Bytes& b, std::uint32_t v);
std::uint32_t get32(const Bytes& b, std::size_t at);

// A DIB icon image: BITMAPINFOHEADER, colour table, XOR bits (bottom-up), AND mask.
struct DibSpec {
  int width = 16;
  int height = 16;
  int bitCount = 32;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB, for bit counts up to 8
  // The stored value at (x, y), top row 0: a palette index (<= 8 bits), a 5-5-5 value (16),
  // 0xRRGGBB (24) or 0xAARRGGBB (32).
  std::function<std::uint32_t(int x, int y)> pixel;
  // The AND mask bit at (x, y): true is transparent. Unset: all opaque.
  std::function<bool(int x, int y)> transparent;
  bool withMask = true;
};
Bytes makeDib(const DibSpec& spec);

// A PNG file of 8-bit RGBA pixels (0xAARRGGBB at (x, y)), with stored (uncompressed) deflate.
Bytes makePng(int width, int height, const std::function<std::uint32_t(int x, int y)>& argb);

// One image of an icon: the bytes, and what its directory entry says of it.
struct Image {
  Bytes data;
  std::uint8_t width = 16;   // 0 means 256
  std::uint8_t height = 16;
  std::uint16_t bitCount = 32;
};
// A DIB image of a uniform colour, opaque, at the given size and depth.
Image solidImage(int size, int bitCount, std::uint32_t rgb);
// A PNG image of a uniform colour.
Image pngImage(int size, std::uint32_t argb);

Bytes makeIconFile(const std::vector<Image>& images);

// A resource name: an integer id or a string.
using ResName = std::variant<std::uint16_t, std::u16string>;

struct GroupSpec {
  ResName name = std::uint16_t{1};
  std::uint16_t language = 0x409;
  // The group entries: each names an image id; bytesInRes is taken from the image when 0.
  struct Entry {
    std::uint16_t imageId;
    std::uint8_t width = 16, height = 16;
    std::uint16_t bitCount = 32;
    std::uint32_t bytesInRes = 0;
  };
  std::vector<Entry> entries;
  std::vector<std::uint16_t> extraLanguages;  // more languages of the same group, after the first
};

struct ImageSpec {
  std::uint16_t id;
  std::uint16_t language = 0x409;
  Bytes data;
};

struct ModuleSpec {
  bool pe64 = false;
  std::vector<GroupSpec> groups;  // in directory order (put named ones first, as linkers do)
  std::vector<ImageSpec> images;  // several specs with one id give that id several languages
};

// Where the builder put things, so a test can damage them precisely.
struct ModuleLayout {
  std::size_t peHeader = 0;
  std::size_t resourceSection = 0;  // file offset of the resource directory
  std::size_t sectionHeader = 0;    // file offset of the .rsrc section header
  std::vector<std::size_t> groupDataEntries;  // file offsets of each group's data entry
  std::vector<std::size_t> groupData;         // file offsets of each group's GRPICONDIR
};

// A module of one .rsrc section holding the groups (RT_GROUP_ICON) and images (RT_ICON).
Bytes makePe(const ModuleSpec& spec, ModuleLayout* layout = nullptr);
// A 16-bit NE module holding the same resources (names must be ids).
Bytes makeNe(const ModuleSpec& spec);

// A simple module: `groups` icons, icon k (from 1) made of the given images, each image a solid
// colour that encodes k, so a test can tell the icons apart.
struct SimpleImage {
  int size;
  int bitCount;
  bool png = false;
};
ModuleSpec simpleModule(int groups, const std::vector<SimpleImage>& images, bool pe64 = false);
// The colour simpleModule gives icon k (from 1).
std::uint32_t colourOfIcon(int k);

void writeFile(const std::filesystem::path& path, const Bytes& bytes);
Bytes readFile(const std::filesystem::path& path);

}  // namespace fixtures

// The icon-access core: a source file opened and parsed once, its icons, and their images.
// Portable: no Windows header here; the platform pieces sit behind platform.h.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace iconaccess {

class MappedFile;

// One image of an icon, as stored in the source.
struct IconImage {
  // The directory entry's first 8 bytes (width, height, colour count, reserved, planes, bit
  // count), kept verbatim because a written icon file repeats them.
  std::array<std::uint8_t, 8> entry{};
  // The stored image bytes: a DIB (header, colour table, XOR bits, AND mask) or a whole PNG file.
  // Points into the source's mapping, so it lives as long as the IconSource.
  std::span<const std::uint8_t> data;
  bool png = false;
  // Real dimensions and depth from the image's own header (a DIB's height already halved).
  int width = 0;
  int height = 0;
  int bitCount = 0;
};

// One icon: a resource group (or an icon file) resolved to the images that could be found.
struct Icon {
  std::vector<IconImage> images;
};

enum class SourceKind { None, PE, NE, IconFile };

struct SourceOptions {
  // Where Windows keeps SystemResources\<name>.mun. Unset: the system's Windows folder on Windows,
  // no fallback elsewhere. Tests point it at a folder of their own.
  std::optional<std::filesystem::path> windowsFolder;
};

class IconSource {
 public:
  IconSource();  // a source without icons
  ~IconSource();
  IconSource(IconSource&&) noexcept;
  IconSource& operator=(IconSource&&) noexcept;

  // Opens and parses the file. Never throws for bad input: a missing, unreadable, non-regular or
  // unrecognised file gives a source with no icons.
  static IconSource open(const std::filesystem::path& path, const SourceOptions& options = {});

  // Parses bytes already in memory, which must outlive the source (fuzzing, tests).
  static IconSource fromMemory(std::span<const std::uint8_t> bytes);

  SourceKind kind() const { return kind_; }
  int count() const { return static_cast<int>(groups_.size()); }
  // The icon with that 0-based index; empty (no images) when out of range or damaged.
  Icon icon(int index) const;

  // The file the icons come from: the path given, or the .mun file that replaced it.
  const std::filesystem::path& resolvedPath() const { return resolved_; }

  // A group as found in the directory, before its images are resolved. Public for the parsers.
  struct GroupRef {
    std::span<const std::uint8_t> directory;  // GRPICONDIR bytes, or the icon file's header
    std::uint32_t language = 0;
  };
  struct ImageRef {
    std::uint32_t id = 0;
    std::uint32_t language = 0;
    std::span<const std::uint8_t> data;
  };

 private:
  std::shared_ptr<const MappedFile> file_;
  SourceKind kind_ = SourceKind::None;
  std::filesystem::path resolved_;
  std::vector<GroupRef> groups_;
  std::vector<ImageRef> images_;  // module images (RT_ICON), in directory order
  static IconSource mapAndParse(const std::filesystem::path& path);
  bool parse(std::span<const std::uint8_t> bytes);
  Icon moduleIcon(const GroupRef& group) const;
  Icon iconFileIcon(std::span<const std::uint8_t> bytes) const;
};

// The number of icons, as the list shows them: 0 for a missing, unreadable or icon-less file.
int countIcons(const std::filesystem::path& path, const SourceOptions& options = {});

}  // namespace iconaccess

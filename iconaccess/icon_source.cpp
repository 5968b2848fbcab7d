// Opening a source: recognising it by its content and finding its icons once.

#include <algorithm>
#include <system_error>

#include "byte_reader.h"
#include "formats.h"
#include "platform.h"

namespace iconaccess {

IconSource::IconSource() = default;
IconSource::~IconSource() = default;
IconSource::IconSource(IconSource&&) noexcept = default;
IconSource& IconSource::operator=(IconSource&&) noexcept = default;

namespace {

// The file a source's icons come from when its own file has none: Windows 10 1903 and later keep
// the icons of shell32.dll, imageres.dll and others in SystemResources\<name>.mun.
std::optional<std::filesystem::path> munFileFor(const std::filesystem::path& path,
                                                const SourceOptions& options) {
  std::optional<std::filesystem::path> windows = options.windowsFolder;
  if (!windows) windows = systemWindowsFolder();
  if (!windows || !path.has_filename()) return std::nullopt;
  std::filesystem::path mun = *windows / "SystemResources" / path.filename();
  mun += ".mun";
  std::error_code ec;
  if (!std::filesystem::is_regular_file(mun, ec)) return std::nullopt;
  return mun;
}

// Adds an image found for an icon: its directory entry's first 8 bytes and its stored bytes. An
// image whose own header cannot be read is left out.
void appendImage(Icon& icon, std::span<const std::uint8_t> entry,
                 std::span<const std::uint8_t> data) {
  IconImage image;
  std::copy_n(entry.begin(), image.entry.size(), image.entry.begin());
  image.data = data;
  if (describeImage(image.data, image)) icon.images.push_back(image);
}

}  // namespace

// IMAGE_DOS_HEADER: +0 "MZ", +0x3C e_lfanew u32, the offset of the "PE\0\0" or "NE" header.
bool IconSource::parse(std::span<const std::uint8_t> bytes) {
  ByteReader file(bytes);
  groups_.clear();
  images_.clear();
  kind_ = SourceKind::None;
  auto mz = file.u16(0);
  if (mz && *mz == 0x5A4D) {
    auto lfanew = file.u32(0x3C);
    if (!lfanew) return false;
    auto sig = file.u32(*lfanew);
    ModuleIcons icons;
    if (sig && *sig == 0x00004550) {
      if (!readPeIcons(bytes, *lfanew, icons)) return false;
      kind_ = SourceKind::PE;
    } else if (auto ne = file.u16(*lfanew); ne && *ne == 0x454E) {
      if (!readNeIcons(bytes, *lfanew, icons)) return false;
      kind_ = SourceKind::NE;
    } else {
      return false;
    }
    groups_ = std::move(icons.groups);
    images_ = std::move(icons.images);
    // Sorted by id once per file, so that resolving every group of a large module stays cheap;
    // stable, so each id's languages keep their directory order.
    std::stable_sort(images_.begin(), images_.end(),
                     [](const ImageRef& a, const ImageRef& b) { return a.id < b.id; });
    return true;
  }
  if (looksLikeIconFile(bytes)) {
    kind_ = SourceKind::IconFile;
    groups_.push_back({bytes, 0});
    return true;
  }
  return false;
}

// The file mapped and parsed; a file that cannot be mapped gives a source without icons.
IconSource IconSource::mapAndParse(const std::filesystem::path& path) {
  IconSource source;
  source.resolved_ = path;
  if (std::shared_ptr<const MappedFile> file = MappedFile::open(path)) {
    source.parse(file->bytes());
    source.file_ = std::move(file);
  }
  return source;
}

IconSource IconSource::open(const std::filesystem::path& path, const SourceOptions& options) {
  IconSource source = mapAndParse(path);
  const bool module = source.kind_ == SourceKind::PE || source.kind_ == SourceKind::NE;
  if (module && source.groups_.empty()) {
    if (auto mun = munFileFor(path, options)) {
      IconSource replacement = mapAndParse(*mun);
      if (replacement.count() > 0) return replacement;
    }
  }
  return source;
}

IconSource IconSource::fromMemory(std::span<const std::uint8_t> bytes) {
  IconSource source;
  source.parse(bytes);
  return source;
}

Icon IconSource::icon(int index) const {
  if (index < 0 || index >= count()) return {};
  const GroupRef& group = groups_[static_cast<std::size_t>(index)];
  if (kind_ == SourceKind::IconFile) return iconFileIcon(group.directory);
  return moduleIcon(group);
}

// GRPICONDIR: +0 reserved u16, +2 type u16, +4 count u16, then count GRPICONDIRENTRY of 14 bytes:
//   +0 width u8, +1 height u8, +2 colour count u8, +3 reserved u8, +4 planes u16,
//   +6 bit count u16, +8 bytes in resource u32, +12 image id u16.
Icon IconSource::moduleIcon(const GroupRef& group) const {
  Icon icon;
  ByteReader dir(group.directory);
  auto count = dir.u16(4);
  if (!count) return icon;
  for (std::uint32_t i = 0; i < *count; ++i) {
    auto entry = dir.sub(6 + 14ull * i, 14);
    if (!entry) break;
    ByteReader e(*entry);
    const std::uint32_t id = *e.u16(12);
    const std::uint32_t bytesInRes = *e.u32(8);
    // The image in the group's language, else the first language it has.
    auto [first, last] = std::equal_range(
        images_.begin(), images_.end(), ImageRef{id, 0, {}},
        [](const ImageRef& a, const ImageRef& b) { return a.id < b.id; });
    const ImageRef* found = nullptr;
    for (auto it = first; it != last; ++it) {
      if (it->language == group.language) {
        found = &*it;
        break;
      }
      if (!found) found = &*it;
    }
    if (!found) continue;
    std::span<const std::uint8_t> data = found->data;
    // NE resources are stored in whole alignment units; the group knows the real length.
    if (kind_ == SourceKind::NE && bytesInRes > 0 && bytesInRes < data.size()) {
      data = data.first(bytesInRes);
    }
    appendImage(icon, *entry, data);
  }
  return icon;
}

// ICONDIRENTRY (16 bytes): the 8 bytes a group entry starts with, then +8 bytes in resource u32,
// +12 image offset u32 from the start of the file.
Icon IconSource::iconFileIcon(std::span<const std::uint8_t> bytes) const {
  Icon icon;
  ByteReader file(bytes);
  auto count = file.u16(4);
  if (!count) return icon;
  for (std::uint32_t i = 0; i < *count; ++i) {
    auto entry = file.sub(6 + 16ull * i, 16);
    if (!entry) break;
    ByteReader e(*entry);
    auto data = file.sub(*e.u32(12), *e.u32(8));
    if (data) appendImage(icon, *entry, *data);
  }
  return icon;
}

int countIcons(const std::filesystem::path& path, const SourceOptions& options) {
  return IconSource::open(path, options).count();
}

}  // namespace iconaccess

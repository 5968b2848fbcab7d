// Icon groups and icon images of a PE32 / PE32+ module, found through its resource directory.

#include <algorithm>

#include "byte_reader.h"
#include "formats.h"

namespace iconaccess {
namespace {

constexpr std::uint32_t kRtIcon = 3;
constexpr std::uint32_t kRtGroupIcon = 14;
constexpr std::uint32_t kHighBit = 0x80000000u;

struct Section {
  std::uint32_t virtualAddress;
  std::uint32_t virtualSize;
  std::uint32_t rawSize;
  std::uint32_t rawOffset;
};

// Maps an RVA to the file bytes of n bytes from it, through the section that holds it. Only the
// section's raw data counts: bytes the loader would zero-fill are not in the file.
std::optional<std::span<const std::uint8_t>> rvaBytes(const ByteReader& file,
                                                      const std::vector<Section>& sections,
                                                      std::uint32_t rva, std::uint32_t n) {
  for (const Section& s : sections) {
    if (rva < s.virtualAddress) continue;
    std::uint64_t delta = rva - s.virtualAddress;
    if (delta > s.rawSize || n > s.rawSize - delta) continue;
    return file.sub(static_cast<std::uint64_t>(s.rawOffset) + delta, n);
  }
  return std::nullopt;
}

// IMAGE_RESOURCE_DIRECTORY (16 bytes):
//   +0 Characteristics u32, +4 TimeDateStamp u32, +8 MajorVersion u16, +10 MinorVersion u16,
//   +12 NumberOfNamedEntries u16, +14 NumberOfIdEntries u16
// followed by the entries (8 bytes each), named ones first:
//   +0 Name u32 (high bit: offset of a counted UTF-16 name, else an integer id)
//   +4 OffsetToData u32 (high bit: offset of a subdirectory, else of a data entry)
// Every offset is relative to the start of the resource directory.
struct DirectoryEntry {
  std::uint32_t name;
  std::uint32_t offset;
  bool isId() const { return (name & kHighBit) == 0; }
  bool isDirectory() const { return (offset & kHighBit) != 0; }
  std::uint32_t target() const { return offset & ~kHighBit; }
};

std::vector<DirectoryEntry> readDirectory(const ByteReader& rsrc, std::uint32_t offset) {
  std::vector<DirectoryEntry> entries;
  auto named = rsrc.u16(std::uint64_t{offset} + 12);
  auto ids = rsrc.u16(std::uint64_t{offset} + 14);
  if (!named || !ids) return entries;
  std::uint32_t total = std::uint32_t{*named} + *ids;
  // Entries that run past the end of the section are not there; keep the ones that are.
  std::uint64_t first = std::uint64_t{offset} + 16;
  for (std::uint32_t i = 0; i < total && i < kMaxDirectoryEntries; ++i) {
    auto name = rsrc.u32(first + 8ull * i);
    auto data = rsrc.u32(first + 8ull * i + 4);
    if (!name || !data) break;
    entries.push_back({*name, *data});
  }
  return entries;
}

// IMAGE_RESOURCE_DATA_ENTRY (16 bytes): +0 OffsetToData (an RVA) u32, +4 Size u32,
// +8 CodePage u32, +12 Reserved u32.
std::optional<std::span<const std::uint8_t>> readDataEntry(const ByteReader& file,
                                                           const ByteReader& rsrc,
                                                           const std::vector<Section>& sections,
                                                           std::uint32_t offset) {
  auto rva = rsrc.u32(offset);
  auto size = rsrc.u32(std::uint64_t{offset} + 4);
  if (!rva || !size) return std::nullopt;
  return rvaBytes(file, sections, *rva, *size);
}

// The language level under a name: its first entry that is a data entry.
struct LanguageData {
  std::uint32_t language;
  std::span<const std::uint8_t> data;
};

std::vector<LanguageData> readLanguages(const ByteReader& file, const ByteReader& rsrc,
                                        const std::vector<Section>& sections,
                                        const DirectoryEntry& nameEntry) {
  std::vector<LanguageData> out;
  // A name that points at data directly, or a language that points at yet another directory, is
  // not a shape the loader accepts: skip it rather than follow it (this also stops loops).
  if (!nameEntry.isDirectory()) return out;
  for (const DirectoryEntry& lang : readDirectory(rsrc, nameEntry.target())) {
    if (lang.isDirectory()) continue;
    if (auto data = readDataEntry(file, rsrc, sections, lang.target())) {
      out.push_back({lang.isId() ? lang.name : 0, *data});
    }
  }
  return out;
}

std::optional<std::vector<Section>> readSections(const ByteReader& file, std::uint32_t peOffset,
                                                 std::uint32_t& resourceRva) {
  // IMAGE_NT_HEADERS: "PE\0\0", then IMAGE_FILE_HEADER (20 bytes):
  //   +2 NumberOfSections u16, +16 SizeOfOptionalHeader u16
  // then the optional header: +0 Magic u16 (0x10b PE32, 0x20b PE32+);
  //   PE32:  +92 NumberOfRvaAndSizes u32, +96 data directories
  //   PE32+: +108 NumberOfRvaAndSizes u32, +112 data directories
  // each directory 8 bytes (VirtualAddress u32, Size u32); the resource directory is index 2.
  const std::uint64_t fileHeader = std::uint64_t{peOffset} + 4;
  const std::uint64_t optional = fileHeader + 20;
  auto sectionCount = file.u16(fileHeader + 2);
  auto optionalSize = file.u16(fileHeader + 16);
  auto magic = file.u16(optional);
  if (!sectionCount || !optionalSize || !magic) return std::nullopt;
  std::uint64_t countField;
  if (*magic == 0x10b) {
    countField = 92;
  } else if (*magic == 0x20b) {
    countField = 108;
  } else {
    return std::nullopt;
  }
  auto directoryCount = file.u32(optional + countField);
  if (!directoryCount || *directoryCount < 3 || countField + 4 + 3 * 8 > *optionalSize) {
    return std::nullopt;
  }
  auto rva = file.u32(optional + countField + 4 + 2 * 8);
  if (!rva || *rva == 0) return std::nullopt;
  resourceRva = *rva;

  // IMAGE_SECTION_HEADER (40 bytes): +8 VirtualSize u32, +12 VirtualAddress u32,
  //   +16 SizeOfRawData u32, +20 PointerToRawData u32.
  std::vector<Section> sections;
  const std::uint64_t table = optional + *optionalSize;
  for (std::uint32_t i = 0; i < *sectionCount && i < kMaxSections; ++i) {
    const std::uint64_t at = table + 40ull * i;
    auto vsize = file.u32(at + 8);
    auto va = file.u32(at + 12);
    auto rawSize = file.u32(at + 16);
    auto rawOffset = file.u32(at + 20);
    if (!vsize || !va || !rawSize || !rawOffset) break;
    // Raw data past the end of the file is cut to what the file holds.
    std::uint32_t available = 0;
    if (*rawOffset < file.size()) {
      available = static_cast<std::uint32_t>(
          std::min<std::uint64_t>(*rawSize, file.size() - *rawOffset));
    }
    sections.push_back({*va, *vsize, available, *rawOffset});
  }
  return sections;
}

}  // namespace

bool readPeIcons(std::span<const std::uint8_t> bytes, std::uint32_t peOffset, ModuleIcons& out) {
  ByteReader file(bytes);
  std::uint32_t resourceRva = 0;
  auto sections = readSections(file, peOffset, resourceRva);
  if (!sections) return false;

  // The resource directory reaches to the end of its section's raw data; all directory offsets
  // are relative to its start.
  std::optional<std::span<const std::uint8_t>> rsrcBytes;
  for (const Section& s : *sections) {
    if (resourceRva >= s.virtualAddress && resourceRva - s.virtualAddress < s.rawSize) {
      std::uint32_t delta = resourceRva - s.virtualAddress;
      rsrcBytes = file.sub(std::uint64_t{s.rawOffset} + delta, s.rawSize - delta);
      break;
    }
  }
  if (!rsrcBytes) return false;
  ByteReader rsrc(*rsrcBytes);

  for (const DirectoryEntry& type : readDirectory(rsrc, 0)) {
    if (!type.isId() || !type.isDirectory()) continue;
    if (type.name == kRtGroupIcon && out.groups.empty()) {
      for (const DirectoryEntry& name : readDirectory(rsrc, type.target())) {
        auto languages = readLanguages(file, rsrc, *sections, name);
        // A group whose data cannot be found still counts as an icon (the system counts the
        // directory's entries); it simply has no images.
        if (languages.empty()) {
          out.groups.push_back({{}, 0});
        } else {
          out.groups.push_back({languages.front().data, languages.front().language});
        }
      }
    } else if (type.name == kRtIcon && out.images.empty()) {
      for (const DirectoryEntry& name : readDirectory(rsrc, type.target())) {
        if (!name.isId()) continue;  // groups refer to images by number only
        for (const LanguageData& lang : readLanguages(file, rsrc, *sections, name)) {
          out.images.push_back({name.name, lang.language, lang.data});
        }
      }
    }
  }
  return true;
}

}  // namespace iconaccess

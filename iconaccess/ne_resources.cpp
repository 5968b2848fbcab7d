// Icon groups and icon images of an NE (16-bit Windows) module, found through its resource table.

#include "byte_reader.h"
#include "formats.h"

namespace iconaccess {
namespace {

constexpr std::uint16_t kNeIcon = 0x8003;
constexpr std::uint16_t kNeGroupIcon = 0x800E;
constexpr std::uint16_t kIntegerId = 0x8000;
constexpr std::uint32_t kMaxTypes = 1024;

}  // namespace

// NE header: +0x24 offset of the resource table u16, relative to the NE header.
// Resource table:
//   +0 rscAlignShift u16
//   then TYPEINFO records until one whose type id is 0:
//     +0 rtTypeID u16 (0x8000 set: an integer type), +2 rtResourceCount u16, +4 reserved u32,
//     then rtResourceCount NAMEINFO records of 12 bytes:
//       +0 rnOffset u16 and +2 rnLength u16, both in units of 1 << rscAlignShift bytes from the
//       start of the file, +4 rnFlags u16, +6 rnID u16 (0x8000 set: an integer id),
//       +8 rnHandle u16, +10 rnUsage u16.
bool readNeIcons(std::span<const std::uint8_t> bytes, std::uint32_t neOffset, ModuleIcons& out) {
  ByteReader file(bytes);
  auto tableOffset = file.u16(std::uint64_t{neOffset} + 0x24);
  if (!tableOffset) return false;
  const std::uint64_t table = std::uint64_t{neOffset} + *tableOffset;
  auto alignShift = file.u16(table);
  if (!alignShift || *alignShift > 24) return false;  // beyond 16 MiB units nothing fits a file

  std::uint64_t at = table + 2;
  for (std::uint32_t t = 0; t < kMaxTypes; ++t) {
    auto type = file.u16(at);
    if (!type || *type == 0) break;
    auto count = file.u16(at + 2);
    if (!count) break;
    const std::uint64_t names = at + 8;
    for (std::uint32_t i = 0; i < *count; ++i) {
      const std::uint64_t rec = names + 12ull * i;
      auto offset = file.u16(rec);
      auto length = file.u16(rec + 2);
      auto id = file.u16(rec + 6);
      if (!offset || !length || !id) break;
      auto data = file.sub(std::uint64_t{*offset} << *alignShift,
                           std::uint64_t{*length} << *alignShift);
      if (*type == kNeGroupIcon) {
        // As with PE modules, every group entry counts, readable or not.
        out.groups.push_back({data.value_or(std::span<const std::uint8_t>{}), 0});
      } else if (*type == kNeIcon && data && (*id & kIntegerId)) {
        out.images.push_back({static_cast<std::uint32_t>(*id & ~kIntegerId), 0, *data});
      }
    }
    at = names + 12ull * *count;
  }
  return true;
}

}  // namespace iconaccess

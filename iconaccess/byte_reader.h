// A non-owning, bounds-checked view of file bytes. Fields are assembled little-endian from bytes at
// their offsets (never a struct cast over file bytes), and every check is written so that it cannot
// overflow: off <= size && n <= size - off.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace iconaccess {

class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t size() const { return bytes_.size(); }
  std::span<const std::uint8_t> bytes() const { return bytes_; }

  bool has(std::uint64_t off, std::uint64_t n) const {
    return off <= bytes_.size() && n <= bytes_.size() - off;
  }

  std::optional<std::uint8_t> u8(std::uint64_t off) const {
    if (!has(off, 1)) return std::nullopt;
    return bytes_[static_cast<std::size_t>(off)];
  }
  std::optional<std::uint16_t> u16(std::uint64_t off) const {
    if (!has(off, 2)) return std::nullopt;
    auto p = bytes_.data() + off;
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
  }
  std::optional<std::uint32_t> u32(std::uint64_t off) const {
    if (!has(off, 4)) return std::nullopt;
    auto p = bytes_.data() + off;
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  }
  std::optional<std::uint32_t> u32be(std::uint64_t off) const {
    if (!has(off, 4)) return std::nullopt;
    auto p = bytes_.data() + off;
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
  }

  // The sub-span [off, off + n), or nothing when it does not lie wholly inside.
  std::optional<std::span<const std::uint8_t>> sub(std::uint64_t off, std::uint64_t n) const {
    if (!has(off, n)) return std::nullopt;
    return bytes_.subspan(static_cast<std::size_t>(off), static_cast<std::size_t>(n));
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace iconaccess

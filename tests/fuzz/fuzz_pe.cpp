#include "walk.h"

// A PE file: "MZ", and "PE\0\0" at the offset e_lfanew names (kept inside the first 4 KiB).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 0x40) return 0;
  std::size_t lfanew = (data[0x3C] | (data[0x3D] << 8)) % 4096;
  auto bytes = withMagic(data, size, 0, {'M', 'Z'});
  bytes = withMagic(bytes.data(), bytes.size(), lfanew, {'P', 'E', 0, 0});
  bytes[0x3C] = static_cast<std::uint8_t>(lfanew);
  bytes[0x3D] = static_cast<std::uint8_t>(lfanew >> 8);
  bytes[0x3E] = bytes[0x3F] = 0;
  walkSource(iconaccess::IconSource::fromMemory(bytes));
  return 0;
}

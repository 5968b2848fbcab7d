#include "walk.h"

// An icon file: reserved 0, type 1.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto bytes = withMagic(data, size, 0, {0, 0, 1, 0});
  walkSource(iconaccess::IconSource::fromMemory(bytes));
  return 0;
}

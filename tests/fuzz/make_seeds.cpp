// Writes a seed corpus for each fuzz target: small well-formed files of every shape the fixture
// builders make, so that the fuzzers start from real structure.

#include <filesystem>
#include <iostream>

#include "tests/support/fixtures.h"

namespace fs = std::filesystem;
using namespace fixtures;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_fuzz_seeds DIR\n";
    return 2;
  }
  const fs::path root = argv[1];
  for (const char* t : {"pe", "ne", "icon_file", "save", "render"}) fs::create_directories(root / t);

  const ModuleSpec small = simpleModule(2, {{16, 4}, {32, 32}});
  const ModuleSpec mixed = simpleModule(1, {{16, 1}, {24, 8}, {48, 24}, {32, 16}, {64, 32, true}});
  ModuleSpec named = simpleModule(2, {{16, 32}}, true);
  named.groups[0].name = std::u16string(u"MAIN");
  named.groups[0].extraLanguages = {0x407};

  writeFile(root / "pe" / "small", makePe(small));
  writeFile(root / "pe" / "mixed", makePe(mixed));
  writeFile(root / "pe" / "named64", makePe(named));
  writeFile(root / "ne" / "small", makeNe(small));
  writeFile(root / "ne" / "mixed", makeNe(mixed));
  const Bytes ico = makeIconFile({solidImage(16, 8, 0x102030), solidImage(32, 24, 0x405060),
                                  pngImage(48, 0x80FF8000)});
  writeFile(root / "icon_file" / "three", ico);
  writeFile(root / "save" / "pe", makePe(mixed));
  writeFile(root / "save" / "ico", ico);
  writeFile(root / "save" / "ne", makeNe(small));
  for (int bits : {1, 4, 8, 16, 24, 32}) {
    writeFile(root / "render" / ("dib" + std::to_string(bits)), solidImage(5 + bits % 7, bits, 0x336699).data);
  }
  writeFile(root / "render" / "png", pngImage(9, 0x7F00FF00).data);
  std::cout << "seeds written to " << root.string() << "\n";
  return 0;
}

#include "fixtures.h"

#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>

namespace fixtures {

void put16(Bytes& b, std::size_t at, std::uint32_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(Bytes& b, std::size_t at, std::uint32_t v) {
  put16(b, at, v & 0xFFFF);
  put16(b, at + 2, v >> 16);
}
void append16(Bytes& b, std::uint32_t v) { put16(b, b.size(), v); }
void append32(Bytes& b, std::uint32_t v) { put32(b, b.size(), v); }
std::uint32_t get32(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

namespace {

void align(Bytes& b, std::size_t n) {
  while (b.size() % n) b.push_back(0);
}

void appendBe32(Bytes& b, std::uint32_t v) {
  for (int i = 3; i >= 0; --i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t crc32(const std::uint8_t* p, std::size_t n) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

void pngChunk(Bytes& out, const char* type, const Bytes& data) {
  appendBe32(out, static_cast<std::uint32_t>(data.size()));
  Bytes body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  out.insert(out.end(), body.begin(), body.end());
  appendBe32(out, crc32(body.data(), body.size()));
}

}  // namespace

Bytes makeDib(const DibSpec& s) {
  Bytes b;
  append32(b, 40);
  append32(b, static_cast<std::uint32_t>(s.width));
  append32(b, static_cast<std::uint32_t>(s.height * 2));
  append16(b, 1);
  append16(b, static_cast<std::uint32_t>(s.bitCount));
  append32(b, 0);  // BI_RGB
  const std::size_t stride = (static_cast<std::size_t>(s.width) * s.bitCount + 31) / 32 * 4;
  const std::size_t maskStride = (static_cast<std::size_t>(s.width) + 31) / 32 * 4;
  append32(b, static_cast<std::uint32_t>((stride + (s.withMask ? maskStride : 0)) * s.height));
  append32(b, 0);
  append32(b, 0);
  append32(b, s.bitCount <= 8 ? static_cast<std::uint32_t>(s.palette.size()) : 0);
  append32(b, 0);
  if (s.bitCount <= 8) {
    for (std::uint32_t c : s.palette) append32(b, c & 0xFFFFFF);
  }
  for (int row = s.height - 1; row >= 0; --row) {
    Bytes line(stride, 0);
    for (int x = 0; x < s.width; ++x) {
      std::uint32_t v = s.pixel ? s.pixel(x, row) : 0;
      switch (s.bitCount) {
        case 1: case 4: case 8: {
          std::size_t bit = static_cast<std::size_t>(x) * s.bitCount;
          line[bit / 8] |= static_cast<std::uint8_t>(v << (8 - s.bitCount - bit % 8));
          break;
        }
        case 16: line[2 * x] = v & 0xFF; line[2 * x + 1] = (v >> 8) & 0xFF; break;
        case 24: line[3 * x] = v & 0xFF; line[3 * x + 1] = (v >> 8) & 0xFF; line[3 * x + 2] = (v >> 16) & 0xFF; break;
        default: for (int i = 0; i < 4; ++i) line[4 * x + i] = (v >> (8 * i)) & 0xFF; break;
      }
    }
    b.insert(b.end(), line.begin(), line.end());
  }
  if (s.withMask) {
    for (int row = s.height - 1; row >= 0; --row) {
      Bytes line(maskStride, 0);
      for (int x = 0; x < s.width; ++x) {
        if (s.transparent && s.transparent(x, row)) line[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
      b.insert(b.end(), line.begin(), line.end());
    }
  }
  return b;
}

Bytes makePng(int width, int height, const std::function<std::uint32_t(int, int)>& argb) {
  Bytes out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  Bytes ihdr;
  appendBe32(ihdr, static_cast<std::uint32_t>(width));
  appendBe32(ihdr, static_cast<std::uint32_t>(height));
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, no interlace
  pngChunk(out, "IHDR", ihdr);
  Bytes raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // filter: none
    for (int x = 0; x < width; ++x) {
      std::uint32_t v = argb(x, y);
      raw.insert(raw.end(), {static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
                             static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 24)});
    }
  }
  // zlib stream of stored deflate blocks (at most 65535 bytes each), then Adler-32.
  Bytes z = {0x78, 0x01};
  for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
    std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    bool last = at + n >= raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(n & 0xFF);
    z.push_back((n >> 8) & 0xFF);
    z.push_back(~n & 0xFF);
    z.push_back((~n >> 8) & 0xFF);
    z.insert(z.end(), raw.begin() + at, raw.begin() + at + n);
    if (last) break;
  }
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  appendBe32(z, (b << 16) | a);
  pngChunk(out, "IDAT", z);
  pngChunk(out, "IEND", {});
  return out;
}

Image solidImage(int size, int bitCount, std::uint32_t rgb) {
  DibSpec s;
  s.width = s.height = size;
  s.bitCount = bitCount;
  if (bitCount <= 8) {
    s.palette = {0x000000, rgb & 0xFFFFFF};
    s.pixel = [](int, int) { return 1u; };
  } else if (bitCount == 16) {
    std::uint32_t v = (((rgb >> 19) & 31) << 10) | (((rgb >> 11) & 31) << 5) | ((rgb >> 3) & 31);
    s.pixel = [v](int, int) { return v; };
  } else if (bitCount == 24) {
    s.pixel = [rgb](int, int) { return rgb & 0xFFFFFF; };
  } else {
    s.pixel = [rgb](int, int) { return 0xFF000000u | rgb; };
  }
  Image image;
  image.data = makeDib(s);
  image.width = static_cast<std::uint8_t>(size >= 256 ? 0 : size);
  image.height = image.width;
  image.bitCount = static_cast<std::uint16_t>(bitCount);
  return image;
}

Image pngImage(int size, std::uint32_t argb) {
  Image image;
  image.data = makePng(size, size, [argb](int, int) { return argb; });
  image.width = static_cast<std::uint8_t>(size >= 256 ? 0 : size);
  image.height = image.width;
  image.bitCount = 32;
  return image;
}

Bytes makeIconFile(const std::vector<Image>& images) {
  Bytes b;
  append16(b, 0);
  append16(b, 1);
  append16(b, static_cast<std::uint32_t>(images.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (const Image& image : images) {
    b.insert(b.end(), {image.width, image.height, 0, 0});
    append16(b, 1);
    append16(b, image.bitCount);
    append32(b, static_cast<std::uint32_t>(image.data.size()));
    append32(b, offset);
    offset += static_cast<std::uint32_t>(image.data.size());
  }
  for (const Image& image : images) b.insert(b.end(), image.data.begin(), image.data.end());
  return b;
}

namespace {

Bytes groupDirectory(const GroupSpec& g, const std::vector<ImageSpec>& images) {
  Bytes b;
  append16(b, 0);
  append16(b, 1);
  append16(b, static_cast<std::uint32_t>(g.entries.size()));
  for (const GroupSpec::Entry& e : g.entries) {
    std::uint32_t bytes = e.bytesInRes;
    if (bytes == 0) {
      for (const ImageSpec& i : images) {
        if (i.id == e.imageId) {
          bytes = static_cast<std::uint32_t>(i.data.size());
          break;
        }
      }
    }
    b.insert(b.end(), {e.width, e.height, 0, 0});
    append16(b, 1);
    append16(b, e.bitCount);
    append32(b, bytes);
    append16(b, e.imageId);
  }
  return b;
}

// One resource directory level as it will be written.
struct Leaf {
  std::uint16_t language;
  Bytes data;
  std::size_t dataEntryAt = 0;
  std::size_t dataAt = 0;
};
struct Name {
  ResName name;
  std::vector<Leaf> leaves;
};
struct Type {
  std::uint16_t id;
  std::vector<Name> names;
};

void writeDirectory(Bytes& b, std::size_t at, std::size_t named, std::size_t ids) {
  put32(b, at, 0);
  put32(b, at + 4, 0);
  put32(b, at + 8, 0);
  put16(b, at + 12, static_cast<std::uint32_t>(named));
  put16(b, at + 14, static_cast<std::uint32_t>(ids));
}

// Serialises the three-level tree: directories first, then name strings, data entries and data.
Bytes resourceSection(std::vector<Type>& types, std::uint32_t sectionRva) {
  std::size_t size = 16 + 8 * types.size();
  std::vector<std::size_t> typeAt, nameAt;
  for (Type& t : types) {
    typeAt.push_back(size);
    size += 16 + 8 * t.names.size();
  }
  for (Type& t : types) {
    for (Name& n : t.names) {
      nameAt.push_back(size);
      size += 16 + 8 * n.leaves.size();
    }
  }
  Bytes b(size, 0);
  writeDirectory(b, 0, 0, types.size());
  std::size_t nameIndex = 0;
  for (std::size_t ti = 0; ti < types.size(); ++ti) {
    Type& t = types[ti];
    put32(b, 16 + 8 * ti, t.id);
    put32(b, 16 + 8 * ti + 4, 0x80000000u | static_cast<std::uint32_t>(typeAt[ti]));
    std::size_t named = 0;
    for (Name& n : t.names) named += std::holds_alternative<std::u16string>(n.name);
    writeDirectory(b, typeAt[ti], named, t.names.size() - named);
    for (std::size_t ni = 0; ni < t.names.size(); ++ni, ++nameIndex) {
      Name& n = t.names[ni];
      std::size_t entry = typeAt[ti] + 16 + 8 * ni;
      if (auto* id = std::get_if<std::uint16_t>(&n.name)) {
        put32(b, entry, *id);
      } else {
        const std::u16string& s = std::get<std::u16string>(n.name);
        align(b, 2);
        put32(b, entry, 0x80000000u | static_cast<std::uint32_t>(b.size()));
        append16(b, static_cast<std::uint32_t>(s.size()));
        for (char16_t c : s) append16(b, c);
      }
      put32(b, entry + 4, 0x80000000u | static_cast<std::uint32_t>(nameAt[nameIndex]));
      writeDirectory(b, nameAt[nameIndex], 0, n.leaves.size());
    }
  }
  align(b, 4);
  nameIndex = 0;
  for (Type& t : types) {
    for (Name& n : t.names) {
      for (std::size_t li = 0; li < n.leaves.size(); ++li) {
        Leaf& leaf = n.leaves[li];
        std::size_t entry = nameAt[nameIndex] + 16 + 8 * li;
        leaf.dataEntryAt = b.size();
        put32(b, entry, leaf.language);
        put32(b, entry + 4, static_cast<std::uint32_t>(leaf.dataEntryAt));
        b.resize(b.size() + 16, 0);
      }
      ++nameIndex;
    }
  }
  for (Type& t : types) {
    for (Name& n : t.names) {
      for (Leaf& leaf : n.leaves) {
        align(b, 8);
        leaf.dataAt = b.size();
        put32(b, leaf.dataEntryAt, sectionRva + static_cast<std::uint32_t>(leaf.dataAt));
        put32(b, leaf.dataEntryAt + 4, static_cast<std::uint32_t>(leaf.data.size()));
        b.insert(b.end(), leaf.data.begin(), leaf.data.end());
      }
    }
  }
  align(b, 8);
  return b;
}

}  // namespace

Bytes makePe(const ModuleSpec& spec, ModuleLayout* layout) {
  constexpr std::uint32_t kSectionRva = 0x1000;
  constexpr std::size_t kPeHeader = 0x40;
  constexpr std::size_t kRawOffset = 0x200;

  std::vector<Type> types;
  Type icons{3, {}};
  for (const ImageSpec& image : spec.images) {
    Name* found = nullptr;
    for (Name& n : icons.names) {
      if (std::get<std::uint16_t>(n.name) == image.id) found = &n;
    }
    if (!found) {
      icons.names.push_back({image.id, {}});
      found = &icons.names.back();
    }
    found->leaves.push_back({image.language, image.data});
  }
  Type groups{14, {}};
  for (const GroupSpec& g : spec.groups) {
    Bytes dir = groupDirectory(g, spec.images);
    Name n{g.name, {{g.language, dir}}};
    for (std::uint16_t lang : g.extraLanguages) n.leaves.push_back({lang, dir});
    groups.names.push_back(n);
  }
  if (!icons.names.empty()) types.push_back(icons);
  if (!groups.names.empty()) types.push_back(groups);
  Bytes rsrc = resourceSection(types, kSectionRva);

  const std::size_t optionalSize = spec.pe64 ? 0xF0 : 0xE0;
  Bytes b(kRawOffset, 0);
  b[0] = 'M';
  b[1] = 'Z';
  put32(b, 0x3C, kPeHeader);
  put32(b, kPeHeader, 0x00004550);
  const std::size_t fileHeader = kPeHeader + 4;
  put16(b, fileHeader, spec.pe64 ? 0x8664 : 0x14C);
  put16(b, fileHeader + 2, 1);
  put16(b, fileHeader + 16, static_cast<std::uint32_t>(optionalSize));
  put16(b, fileHeader + 18, 0x2102);  // executable image, DLL
  const std::size_t optional = fileHeader + 20;
  put16(b, optional, spec.pe64 ? 0x20B : 0x10B);
  const std::size_t countField = spec.pe64 ? 108 : 92;
  put32(b, optional + countField, 16);
  put32(b, optional + countField + 4 + 16, kSectionRva);
  put32(b, optional + countField + 4 + 20, static_cast<std::uint32_t>(rsrc.size()));
  const std::size_t section = optional + optionalSize;
  const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
  for (int i = 0; i < 8; ++i) b[section + i] = static_cast<std::uint8_t>(name[i]);
  put32(b, section + 8, static_cast<std::uint32_t>(rsrc.size()));
  put32(b, section + 12, kSectionRva);
  put32(b, section + 16, static_cast<std::uint32_t>(rsrc.size()));
  put32(b, section + 20, kRawOffset);
  b.insert(b.end(), rsrc.begin(), rsrc.end());

  if (layout) {
    layout->peHeader = kPeHeader;
    layout->resourceSection = kRawOffset;
    layout->sectionHeader = section;
    layout->groupDataEntries.clear();
    layout->groupData.clear();
    for (const Type& t : types) {
      if (t.id != 14) continue;
      for (const Name& n : t.names) {
        layout->groupDataEntries.push_back(kRawOffset + n.leaves.front().dataEntryAt);
        layout->groupData.push_back(kRawOffset + n.leaves.front().dataAt);
      }
    }
  }
  return b;
}

Bytes makeNe(const ModuleSpec& spec) {
  constexpr std::size_t kNeHeader = 0x40;
  constexpr std::uint32_t kShift = 4;
  Bytes b(kNeHeader + 0x40, 0);
  b[0] = 'M';
  b[1] = 'Z';
  put32(b, 0x3C, kNeHeader);
  b[kNeHeader] = 'N';
  b[kNeHeader + 1] = 'E';
  put16(b, kNeHeader + 0x24, 0x40);  // resource table right after the header
  append16(b, kShift);
  struct Pending {
    std::size_t record;
    Bytes data;
  };
  std::vector<Pending> pending;
  auto typeInfo = [&](std::uint16_t type, std::size_t count) {
    append16(b, type);
    append16(b, static_cast<std::uint32_t>(count));
    append32(b, 0);
  };
  auto nameInfo = [&](std::uint16_t id, Bytes data) {
    pending.push_back({b.size(), std::move(data)});
    b.resize(b.size() + 12, 0);
    put16(b, b.size() - 12 + 6, 0x8000u | id);
  };
  std::vector<const ImageSpec*> images;
  for (const ImageSpec& i : spec.images) images.push_back(&i);
  typeInfo(0x800E, spec.groups.size());
  for (const GroupSpec& g : spec.groups) {
    nameInfo(std::get<std::uint16_t>(g.name), groupDirectory(g, spec.images));
  }
  typeInfo(0x8003, images.size());
  for (const ImageSpec* i : images) nameInfo(i->id, i->data);
  append16(b, 0);
  for (Pending& p : pending) {
    align(b, 1u << kShift);
    put16(b, p.record, static_cast<std::uint32_t>(b.size() >> kShift));
    std::size_t units = (p.data.size() + (1u << kShift) - 1) >> kShift;
    put16(b, p.record + 2, static_cast<std::uint32_t>(units));
    b.insert(b.end(), p.data.begin(), p.data.end());
  }
  align(b, 1u << kShift);
  return b;
}

std::uint32_t colourOfIcon(int k) {
  return ((k * 37) & 0xFF) << 16 | ((k * 91 + 40) & 0xFF) << 8 | ((k * 13 + 100) & 0xFF);
}

ModuleSpec simpleModule(int groups, const std::vector<SimpleImage>& images, bool pe64) {
  ModuleSpec spec;
  spec.pe64 = pe64;
  std::uint16_t nextId = 1;
  for (int k = 1; k <= groups; ++k) {
    GroupSpec g;
    g.name = static_cast<std::uint16_t>(100 + k);
    for (const SimpleImage& s : images) {
      Image image = s.png ? pngImage(s.size, 0xFF000000u | colourOfIcon(k))
                          : solidImage(s.size, s.bitCount, colourOfIcon(k));
      spec.images.push_back({nextId, 0x409, image.data});
      g.entries.push_back({nextId, image.width, image.height, image.bitCount, 0});
      ++nextId;
    }
    spec.groups.push_back(g);
  }
  return spec;
}

void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write fixture " + path.string());
}

Bytes readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace fixtures

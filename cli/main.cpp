// iconextract: the icon-access core from the command line.
//   iconextract count FILE
//   iconextract list FILE
//   iconextract save FILE NUMBER DEST
//   iconextract save-all FILE DIR

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "iconaccess/icon_source.h"
#include "iconaccess/save.h"

namespace fs = std::filesystem;
using iconaccess::IconSource;

namespace {

constexpr const char* kUsage =
    "usage: iconextract count FILE\n"
    "       iconextract list FILE\n"
    "       iconextract save FILE NUMBER DEST\n"
    "       iconextract save-all FILE DIR\n"
    "\n"
    "count     print the number of icons in FILE (0 when it holds none or cannot be read)\n"
    "list      one line per icon: its number, then each image as WxH and bit depth\n"
    "save      write icon NUMBER (from 1) to DEST: an icon file, or a bitmap of its first\n"
    "          image when DEST ends in bmp\n"
    "save-all  write every icon as DIR/NUMBER.ico, creating DIR when missing\n";

int usageError() {
  std::cerr << kUsage;
  return 2;
}

// A whole decimal number of at most nine digits: icon numbers never need more.
bool parseNumber(const std::string& text, int& value) {
  if (text.empty() || text.size() > 9) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

int count(const fs::path& file) {
  std::cout << IconSource::open(file).count() << "\n";
  return 0;
}

int list(const fs::path& file) {
  IconSource source = IconSource::open(file);
  for (int i = 0; i < source.count(); ++i) {
    std::cout << i + 1;
    for (const iconaccess::IconImage& image : source.icon(i).images) {
      std::cout << " " << image.width << "x" << image.height << "x" << image.bitCount;
      if (image.png) std::cout << "png";
    }
    std::cout << "\n";
  }
  return 0;
}

int save(const fs::path& file, const std::string& numberText, const fs::path& destination) {
  int number = 0;
  if (!parseNumber(numberText, number) || number < 1) return usageError();
  auto result = iconaccess::saveIcon(file, number, destination);
  if (result == iconaccess::SaveResult::Written) return 0;
  std::cerr << "iconextract: nothing written: " << iconaccess::describe(result) << "\n";
  return 1;
}

int saveAll(const fs::path& file, const fs::path& folder) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  IconSource source = IconSource::open(file);
  int failed = 0;
  for (int number = 1; number <= source.count(); ++number) {
    fs::path destination = folder / (std::to_string(number) + ".ico");
    auto result = iconaccess::saveIcon(source, number, destination);
    if (result != iconaccess::SaveResult::Written) {
      std::cerr << "iconextract: icon " << number << " not written: "
                << iconaccess::describe(result) << "\n";
      ++failed;
    }
  }
  return failed == 0 ? 0 : 1;
}

int run(const std::vector<fs::path>& args) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  if (args.empty()) return usageError();
  const std::string command = args[0].string();
  if (command == "count" && args.size() == 2) return count(args[1]);
  if (command == "list" && args.size() == 2) return list(args[1]);
  if (command == "save" && args.size() == 4) return save(args[1], args[2].string(), args[3]);
  if (command == "save-all" && args.size() == 3) return saveAll(args[1], args[2]);
  return usageError();
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
  std::vector<fs::path> args(argv + 1, argv + argc);
  try {
    return run(args);
  } catch (const std::exception& e) {
    std::cerr << "iconextract: " << e.what() << "\n";
    return 1;
  }
}

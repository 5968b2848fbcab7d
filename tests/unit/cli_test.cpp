// The command-line tool as a user runs it: its output, its files and its exit codes.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "iconaccess/icon_source.h"
#include "iconaccess/save.h"
#include "tests/support/fixtures.h"
#include "tests/unit/temp_dir.h"

namespace fs = std::filesystem;
using fixtures::Bytes;

namespace {

struct Result {
  int exitCode;
  std::string out;
  std::string err;
};

Result cli(const std::string& args, const TempDir& dir) {
  const fs::path err = dir.path() / "stderr.txt";
  std::string command = std::string(ICONEXTRACT_CLI) + " " + args + " 2>'" + err.string() + "'";
  Result r{-1, {}, {}};
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, p)) r.out.append(buffer, n);
    int status = ::pclose(p);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  Bytes e = fixtures::readFile(err);
  r.err.assign(e.begin(), e.end());
  return r;
}

}  // namespace

TEST(Cli, CountAndList) {
  TempDir dir;
  auto spec = fixtures::simpleModule(2, {{16, 4}, {256, 32, true}});
  fixtures::writeFile(dir.path() / "m.dll", fixtures::makePe(spec));
  const std::string m = "'" + (dir.path() / "m.dll").string() + "'";
  EXPECT_EQ(cli("count " + m, dir).out, "2\n");
  Result list = cli("list " + m, dir);
  EXPECT_EQ(list.exitCode, 0);
  EXPECT_EQ(list.out, "1 16x16x4 256x256x32png\n2 16x16x4 256x256x32png\n");
  for (const char* missing : {"'/no/such/file'", "/dev/null", "/"}) {
    Result r = cli(std::string("count ") + missing, dir);
    EXPECT_EQ(r.exitCode, 0) << missing;
    EXPECT_EQ(r.out, "0\n") << missing;
  }
}

TEST(Cli, SaveWritesOrSaysWhyNot) {
  TempDir dir;
  fixtures::writeFile(dir.path() / "m.dll",
                      fixtures::makePe(fixtures::simpleModule(3, {{32, 8}, {48, 32}})));
  const std::string m = "'" + (dir.path() / "m.dll").string() + "' ";
  const fs::path ico = dir.path() / "two.ico";
  Result ok = cli("save " + m + "2 '" + ico.string() + "'", dir);
  EXPECT_EQ(ok.exitCode, 0);
  EXPECT_EQ(fixtures::readFile(ico),
            iconaccess::iconFileBytes(iconaccess::IconSource::open(dir.path() / "m.dll").icon(1)));
  EXPECT_EQ(cli("save " + m + "1 '" + (dir.path() / "one.bmp").string() + "'", dir).exitCode, 0);
  EXPECT_EQ(fixtures::readFile(dir.path() / "one.bmp").at(0), 'B');

  struct Case {
    std::string args;
    int exitCode;
  } failures[] = {
      {"4 '" + (dir.path() / "four.ico").string() + "'", 1},
      {"1 '" + (dir.path() / "one.txt").string() + "'", 1},
      {"1 '" + (dir.path() / "no/dir.ico").string() + "'", 1},
  };
  for (const Case& c : failures) {
    Result r = cli("save " + m + c.args, dir);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args;
    EXPECT_NE(r.err.find("nothing written"), std::string::npos) << c.args;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line: " << r.err;
  }
  EXPECT_FALSE(fs::exists(dir.path() / "four.ico"));
  EXPECT_FALSE(fs::exists(dir.path() / "one.txt"));
}

TEST(Cli, SaveAllNamesEveryFailure) {
  TempDir dir;
  fixtures::ModuleSpec spec = fixtures::simpleModule(3, {{32, 32}});
  spec.groups[1].entries[0].imageId = 99;  // icon 2 names an image that is not there
  fixtures::writeFile(dir.path() / "m.dll", fixtures::makePe(spec));
  const fs::path out = dir.path() / "new" / "folder";
  Result r = cli("save-all '" + (dir.path() / "m.dll").string() + "' '" + out.string() + "'", dir);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(fs::exists(out / "1.ico"));
  EXPECT_FALSE(fs::exists(out / "2.ico"));
  EXPECT_TRUE(fs::exists(out / "3.ico"));
  EXPECT_NE(r.err.find("icon 2"), std::string::npos) << r.err;

  spec = fixtures::simpleModule(2, {{32, 32}});
  fixtures::writeFile(dir.path() / "good.dll", fixtures::makePe(spec));
  EXPECT_EQ(cli("save-all '" + (dir.path() / "good.dll").string() + "' '" +
                (dir.path() / "g").string() + "'", dir).exitCode, 0);
  EXPECT_TRUE(fs::exists(dir.path() / "g" / "2.ico"));
}

TEST(Cli, UsageErrorsAndHelp) {
  TempDir dir;
  for (const char* args : {"", "count", "frobnicate x", "save a b", "save a x c.ico", "save a 0 c.ico",
                           "save a -1 c.ico", "list a b"}) {
    Result r = cli(args, dir);
    EXPECT_EQ(r.exitCode, 2) << args;
    EXPECT_NE(r.err.find("usage:"), std::string::npos) << args;
    EXPECT_TRUE(r.out.empty()) << args;
  }
  Result help = cli("--help", dir);
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("usage:"), std::string::npos);
}

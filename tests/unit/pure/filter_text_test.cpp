#include "app/filter_text.h"
#include "app/module_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(FileTypeList, TurnsFilterTextIntoNulSeparatedItems) {
  struct Case {
    std::wstring filter;
    std::wstring list;
    bool offersEntries;
  };
  const Case cases[] = {
      {L"", L""s, false},
      {L" \t\r\n", L""s, false},
      {L"所有文件(*.*)|*.*", L"所有文件(*.*)\0*.*\0\0"s, true},
      {L"图标(*.ico)|*.ico  \t", L"图标(*.ico)\0*.ico\0\0"s, true},
      // Already closed: nothing appended.
      {L"图标(*.ico)|*.ico||", L"图标(*.ico)\0*.ico\0\0"s, true},
      // One bar is not a closing pair: two more follow.
      {L"a|*.a|", L"a\0*.a\0\0\0"s, true},
      // Only trailing blanks go; a blank inside a pattern stays.
      {L" a | *.a b ", L" a \0 *.a b\0\0"s, true},
      // Two entries; and a filter that is nothing but its closing bars offers none.
      {L"a|*.a|b|*.b", L"a\0*.a\0b\0*.b\0\0"s, true},
      {L"||", L"\0\0"s, false},
  };
  for (const Case& c : cases) {
    const std::wstring list = app::fileTypeList(c.filter);
    EXPECT_EQ(list, c.list) << "filter of length " << c.filter.size();
    EXPECT_EQ(app::hasFileTypes(list), c.offersEntries) << "filter of length " << c.filter.size();
  }
}

TEST(FileTypeList, LeavesTheFilterTextUnchanged) {
  const std::wstring filter = L"图标(*.ico)|*.ico ";
  const std::wstring copy = filter;
  (void)app::fileTypeList(filter);
  EXPECT_EQ(filter, copy);
}

TEST(ModuleDirectory, IsEverythingBeforeTheLastBackslash) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"C:\\Tools\\IconExtractor.exe", L"C:\\Tools"},
      {L"C:\\IconExtractor.exe", L"C:"},
      {L"D:\\工具\\图标\\提取.exe", L"D:\\工具\\图标"},
      {L"\\\\server\\share\\x.exe", L"\\\\server\\share"},
      {L"\\\\?\\C:\\a\\x.exe", L"\\\\?\\C:\\a"},
      {L"x.exe", L""},
  };
  for (const auto& [path, folder] : cases) EXPECT_EQ(app::directoryOfModule(path), folder);
}

}  // namespace

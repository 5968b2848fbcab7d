// Listing the icons of a file in the real window: a click of 按钮1 or a new size in 组合框1, the
// loader on its own thread, the pictures in the list view's image list.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "listing/icon_list_loader.h"
#include "tests/support/fixtures.h"
#include "window_harness.h"

namespace window_test {
namespace {

using app::ControlId;
namespace fs = std::filesystem;

class IconListTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    folder_ = fs::temp_directory_path() /
              (L"iconx-list-" + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(folder_);
  }
  void TearDown() override {
    WindowTest::TearDown();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  std::wstring writeFixture(const wchar_t* name, const fixtures::Bytes& bytes) {
    const fs::path path = folder_ / name;
    fixtures::writeFile(path, bytes);
    return path.wstring();
  }
  HIMAGELIST images() const { return ListView_GetImageList(list(), LVSIL_NORMAL); }
  int imageSide() const {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images(), &cx, &cy);
    EXPECT_EQ(cx, cy);
    return cx;
  }

 private:
  fs::path folder_;
};

// Draws picture `index` of the list over white and returns the colour at (x, y) as 0xRRGGBB.
COLORREF drawnOverWhite(HIMAGELIST images, int index, int x, int y) {
  int cx = 0, cy = 0;
  ImageList_GetIconSize(images, &cx, &cy);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  std::fill_n(static_cast<std::uint32_t*>(bits), cx * cy, 0x00FFFFFFu);
  ImageList_Draw(images, index, dc, 0, 0, ILD_NORMAL);
  GdiFlush();
  const std::uint32_t pixel = static_cast<std::uint32_t*>(bits)[y * cx + x];
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return pixel & 0xFFFFFF;
}

void expectColourNear(COLORREF actual, std::uint32_t expected) {
  for (int shift : {0, 8, 16}) {
    const int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
    EXPECT_NEAR(a, e, 2) << std::hex << "drawn " << actual << ", expected " << expected;
  }
}

TEST_F(IconListTest, Button1ListsEveryIconOfARealModuleAt32Pixels) {
  const std::wstring module = systemModule(L"shell32.dll");
  const int count = systemIconCount(module);
  ASSERT_GT(count, 100);
  setPath(module);
  click(ControlId::按钮1);
  ASSERT_TRUE(pumpUntilListed(count)) << "status " << std::string(status().begin(), status().end());
  EXPECT_EQ(itemsOf(list()), expectedItems(count));
  ASSERT_NE(images(), nullptr);
  EXPECT_EQ(ImageList_GetImageCount(images()), count);
  EXPECT_EQ(imageSide(), 32);
  EXPECT_EQ(window_.selectedItem(), -1);
}

// Records, on the GUI thread, every operation that reaches the list view and the status label.
class OperationLog {
 public:
  OperationLog(HWND list, HWND status) : list_(list), status_(status) {
    SetWindowSubclass(list, &OperationLog::proc, 1, reinterpret_cast<DWORD_PTR>(this));
    SetWindowSubclass(status, &OperationLog::proc, 1, reinterpret_cast<DWORD_PTR>(this));
  }
  ~OperationLog() {
    RemoveWindowSubclass(list_, &OperationLog::proc, 1);
    RemoveWindowSubclass(status_, &OperationLog::proc, 1);
  }
  std::vector<std::wstring> entries;

 private:
  static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR self) {
    auto& log = reinterpret_cast<OperationLog*>(self)->entries;
    if (message == LVM_DELETEALLITEMS) log.push_back(L"delete all");
    if (message == LVM_SETIMAGELIST && wParam == LVSIL_NORMAL)
      log.push_back(lParam ? L"image list" : L"no image list");
    if (message == LVM_INSERTITEMW) {
      const auto* item = reinterpret_cast<const LVITEMW*>(lParam);
      log.push_back(L"insert " + std::wstring(item->pszText) + L" image " +
                    std::to_wstring(item->iImage));
    }
    if (message == WM_SETTEXT) log.push_back(L"status " + std::wstring(reinterpret_cast<const wchar_t*>(lParam)));
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
  HWND list_, status_;
};

TEST_F(IconListTest, ALoadRunsItsStepsInOrderAtTheChosenSize) {
  const std::wstring path =
      writeFixture(L"three.dll", fixtures::makePe(fixtures::simpleModule(3, {{16, 32}, {32, 32}})));
  // A selection by the program fires nothing: no load yet.
  SendMessageW(control(ControlId::组合框1), CB_SETCURSEL, 0, 0);
  setPath(path);
  OperationLog log(list(), control(ControlId::标签3));
  click(ControlId::按钮1);
  ASSERT_TRUE(pumpUntilListed(3));
  const std::vector<std::wstring> expected = {
      L"delete all",       L"status 请稍后...", L"image list",     L"insert 1 image 0",
      L"status 共1个",     L"insert 2 image 1", L"status 共2个", L"insert 3 image 2",
      L"status 共3个"};
  EXPECT_EQ(log.entries, expected);
  EXPECT_EQ(ImageList_GetImageCount(images()), 3);
  EXPECT_EQ(imageSide(), 16);
  for (int k = 1; k <= 3; ++k) expectColourNear(drawnOverWhite(images(), k - 1, 8, 8), fixtures::colourOfIcon(k));
}

TEST_F(IconListTest, ANewSizeInTheComboReloadsAtThatSizeAlsoWhenRepicked) {
  const std::wstring path =
      writeFixture(L"sizes.dll", fixtures::makePe(fixtures::simpleModule(4, {{16, 32}, {48, 32}})));
  setPath(path);
  HWND combo = control(ControlId::组合框1);
  SetFocus(combo);
  ASSERT_TRUE(pumpUntil([&] { return GetFocus() == combo; }));

  // The down arrow on the closed list picks "48X48" and starts one load.
  pressKey(VK_DOWN);
  ASSERT_TRUE(pumpUntilListed(4));
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(imageSide(), 48);
  EXPECT_EQ(itemsOf(list()), expectedItems(4));

  // Opening the list and picking the item already shown loads again.
  SetWindowTextW(control(ControlId::标签3), L"marker");
  HIMAGELIST before = images();
  pressKey(VK_F4);
  ASSERT_TRUE(pumpUntil([&] { return SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; }));
  pressKey(VK_RETURN);
  ASSERT_TRUE(pumpUntilListed(4));
  EXPECT_NE(images(), before);
  EXPECT_EQ(imageSide(), 48);
  EXPECT_EQ(itemsOf(list()), expectedItems(4));

  // The up arrow goes back to "32X32".
  pressKey(VK_UP);
  ASSERT_TRUE(pumpUntil([&] { return imageSide() == 32; }));
  ASSERT_TRUE(pumpUntilListed(4));
  EXPECT_EQ(ImageList_GetImageCount(images()), 4);
}

TEST_F(IconListTest, AFileWithoutIconsShowsTheBoxAndLeavesListAndStatus) {
  const std::wstring good =
      writeFixture(L"good.dll", fixtures::makePe(fixtures::simpleModule(2, {{32, 32}})));
  const std::wstring noIcons = writeFixture(L"text.dll", fixtures::Bytes{'h', 'e', 'l', 'l', 'o'});
  setPath(good);
  click(ControlId::按钮1);
  ASSERT_TRUE(pumpUntilListed(2));
  HIMAGELIST listed = images();
  const auto items = itemsOf(list());

  for (const std::wstring& path : {std::wstring(), std::wstring(L"C:\\no\\such\\file.dll"), noIcons}) {
    SCOPED_TRACE(std::string(path.begin(), path.end()));
    setPath(path);
    click(ControlId::按钮1);
    answerMessageBox(L"资源没图标！");
    ASSERT_TRUE(pumpUntilLoadsStop());
    EXPECT_EQ(itemsOf(list()), items);
    EXPECT_EQ(images(), listed);
    EXPECT_EQ(status(), L"共2个");
  }
}

TEST_F(IconListTest, RapidClicksEndInOneCompleteList) {
  const std::wstring module = systemModule(L"shell32.dll");
  const int count = systemIconCount(module);
  setPath(module);
  for (int i = 0; i < 25; ++i) {
    click(ControlId::按钮1);
    // Let a few of the loads get going before the next click supersedes them.
    if (i % 5 == 0) pumpUntil([&] { return ListView_GetItemCount(list()) > 0 || status() == L"请稍后..."; }, 2000);
  }
  ASSERT_TRUE(pumpUntilListed(count));
  EXPECT_EQ(itemsOf(list()), expectedItems(count));
  EXPECT_EQ(ImageList_GetImageCount(images()), count);
}

TEST_F(IconListTest, AnIconThatCannotBeDrawnGetsABlankPictureInItsOwnPlace) {
  fixtures::ModuleSpec spec = fixtures::simpleModule(5, {{32, 32}});
  // Icon 3's only image is damaged beyond reading.
  spec.images[2].data.assign(40, 0xEE);
  // Icon 6 is half transparent red: drawn over white it must come out pink, which shows the image
  // list got the alpha the way it blends it.
  fixtures::DibSpec translucent;
  translucent.width = translucent.height = 32;
  translucent.pixel = [](int, int) { return 0x80FF0000u; };
  spec.images.push_back({600, 0x409, fixtures::makeDib(translucent)});
  spec.groups.push_back({std::uint16_t{106}, 0x409, {{600, 32, 32, 32, 0}}, {}});
  setPath(writeFixture(L"damaged.dll", fixtures::makePe(spec)));

  click(ControlId::按钮1);
  ASSERT_TRUE(pumpUntilListed(6));
  EXPECT_EQ(itemsOf(list()), expectedItems(6));
  ASSERT_EQ(ImageList_GetImageCount(images()), 6);
  for (int k : {1, 2, 4, 5}) {
    SCOPED_TRACE(k);
    expectColourNear(drawnOverWhite(images(), k - 1, 16, 16), fixtures::colourOfIcon(k));
  }
  for (auto [x, y] : {std::pair{0, 0}, {16, 16}, {31, 31}})
    expectColourNear(drawnOverWhite(images(), 2, x, y), 0xFFFFFF);
  expectColourNear(drawnOverWhite(images(), 5, 16, 16), 0xFF7F7F);
}

}  // namespace
}  // namespace window_test

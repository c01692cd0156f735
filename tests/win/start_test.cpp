// What makes the main window's start quick, checked against the slow ways it
// replaces: the pictures put into image lists straight from the icon
// resources look exactly as the icons do; the listing read on a worker
// while the window is made is the one the window would have read; the
// heading's tooltip, made on the first pointer over the heading, says what
// it always said.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/list_prefetch.h"
#include "app/resource.h"
#include "core/filelist.h"
#include "platform/files.h"
#include "platform/icon_pictures.h"
#include "tests/win/image_pixels.h"
#include "tests/win/varnik_fixture.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using namespace test;

// The way the pictures were put in before: an icon made at the size, then
// copied into the list.
bool PutThroughIcon(HIMAGELIST list, int index, int id, int size) {
  HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                             IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  if (!icon) return false;
  const int at = ImageList_ReplaceIcon(list, index, icon);
  DestroyIcon(icon);
  return at >= 0;
}

class ImageListOwner {
 public:
  ImageListOwner(int size, int places)
      : list_(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, places, 0)) {}
  ~ImageListOwner() {
    if (list_) ImageList_Destroy(list_);
  }
  ImageListOwner(const ImageListOwner&) = delete;
  ImageListOwner& operator=(const ImageListOwner&) = delete;
  HIMAGELIST get() const { return list_; }

 private:
  HIMAGELIST list_;
};

TEST(PutIconPicture, LooksExactlyAsTheIconDoesAtEverySize) {
  const HINSTANCE self = GetModuleHandleW(nullptr);
  const int ids[] = {IDI_TOOL_BAT,  IDI_TOOL_JWF,   IDI_TOOL_JWL,    IDI_TOOL_FREE,   IDI_TOOL_DRIVE,
                     IDI_TOOL_FOLDER, IDI_TOOL_OPEN, IDI_TREE_DRIVE, IDI_TREE_FOLDER, IDI_TREE_OPEN,
                     IDI_APP};
  // 16 and 32 are in the icons as they are; 20 and 24 (120 and 144 dpi)
  // are made from them.
  for (int size : {16, 20, 24, 32}) {
    SCOPED_TRACE(size);
    ImageListOwner fast(size, 4), slow(size, 4);
    for (int id : ids) {
      SCOPED_TRACE(id);
      ASSERT_TRUE(PutIconPicture(fast.get(), -1, self, id, size));
      ASSERT_TRUE(PutThroughIcon(slow.get(), -1, id, size));
      const int at = ImageList_GetImageCount(fast.get()) - 1;
      ASSERT_EQ(at, ImageList_GetImageCount(slow.get()) - 1);
      for (std::uint32_t ground : {0x00FFFFFFu, 0x00000000u, 0x00FF00FFu}) {
        const std::vector<std::uint32_t> a = DrawnPixels(fast.get(), at, ground);
        ASSERT_EQ(a.size(), static_cast<std::size_t>(size * size));
        EXPECT_EQ(a, DrawnPixels(slow.get(), at, ground)) << "over " << std::hex << ground;
        EXPECT_NE(a, std::vector<std::uint32_t>(a.size(), ground)) << "nothing drawn";
      }
    }
  }
}

TEST(PutIconPicture, ReplacesItsPlaceAndRefusesAMissingIcon) {
  const HINSTANCE self = GetModuleHandleW(nullptr);
  ImageListOwner fast(16, 7), slow(16, 7);
  for (HIMAGELIST l : {fast.get(), slow.get()})
    for (int i = 0; i < 7; ++i) ASSERT_TRUE(PutThroughIcon(l, -1, IDI_TOOL_FREE, 16));
  ASSERT_TRUE(PutIconPicture(fast.get(), 3, self, IDI_TOOL_JWF, 16));
  ASSERT_TRUE(PutThroughIcon(slow.get(), 3, IDI_TOOL_JWF, 16));
  EXPECT_EQ(ImageList_GetImageCount(fast.get()), 7);
  for (int i = 0; i < 7; ++i)
    EXPECT_EQ(DrawnPixels(fast.get(), i, 0x00FF00FF), DrawnPixels(slow.get(), i, 0x00FF00FF)) << i;
  EXPECT_NE(DrawnPixels(fast.get(), 3, 0x00FF00FF), DrawnPixels(fast.get(), 2, 0x00FF00FF));

  EXPECT_FALSE(PutIconPicture(fast.get(), -1, self, 999, 16));
  EXPECT_FALSE(PutIconPicture(fast.get(), 2, self, 999, 16));
  EXPECT_FALSE(PutIconPicture(nullptr, -1, self, IDI_TOOL_JWF, 16));
  EXPECT_EQ(ImageList_GetImageCount(fast.get()), 7);
  EXPECT_EQ(DrawnPixels(fast.get(), 2, 0x00FF00FF), DrawnPixels(slow.get(), 2, 0x00FF00FF));
}

void ExpectSameListing(const FileListing& got, const FileListing& want) {
  EXPECT_EQ(got.stopped, want.stopped);
  ASSERT_EQ(got.rows.size(), want.rows.size());
  for (std::size_t i = 0; i < got.rows.size(); ++i) {
    SCOPED_TRACE(want.rows[i].name);
    EXPECT_EQ(got.rows[i].name, want.rows[i].name);
    EXPECT_EQ(got.rows[i].title, want.rows[i].title);
    EXPECT_EQ(got.rows[i].date, want.rows[i].date);
  }
}

TEST(ListPrefetch, GivesItsFolderAndFilterTheirListingOnceAndAnyOtherNothing) {
  TempDir dir;
  const fs::path files = dir.path() / PathFromCp932(J("外変 フォルダ"));
  fs::create_directories(files);
  for (int i = 0; i < 120; ++i)
    WriteBytes(files / ("b" + std::to_string(i) + ".bat"),
               J("REM 変形 " + std::to_string(i) + "\r\nREM #jw\r\nawk -f x.awk\r\n"));
  WriteBytes(files / "plain.bat", "@echo off\r\n");
  WriteBytes(files / "env.jwf", J("標準設定\r\n"));
  const std::string folder = ProgramPath(files);
  Win32FileSystem fs;
  const FileListing batches = BuildFileList(fs, folder, kFilterBatch);
  const FileListing envs = BuildFileList(fs, folder, kFilterJwf);
  ASSERT_EQ(batches.rows.size(), 120u);
  ASSERT_EQ(envs.rows.size(), 1u);

  {
    ListPrefetch p(folder, kFilterBatch);
    std::optional<FileListing> got = p.Take(folder, kFilterBatch);
    ASSERT_TRUE(got);
    ExpectSameListing(*got, batches);
    EXPECT_FALSE(p.Take(folder, kFilterBatch)) << "a listing is handed out once";
  }
  {
    ListPrefetch p(folder, kFilterJwf);
    std::optional<FileListing> got = p.Take(folder, kFilterJwf);
    ASSERT_TRUE(got);
    ExpectSameListing(*got, envs);
  }
  {
    // The window came to another filter or folder: it lists that itself.
    ListPrefetch other_filter(folder, kFilterBatch);
    EXPECT_FALSE(other_filter.Take(folder, kFilterJwf));
    ListPrefetch other_folder(folder, kFilterBatch);
    EXPECT_FALSE(other_folder.Take(ProgramPath(dir.path()), kFilterBatch));
    // A folder that is not a full path is never listed on the worker.
    ListPrefetch relative("gaihen", kFilterBatch);
    EXPECT_FALSE(relative.Take("gaihen", kFilterBatch));
    // Dropped without being taken: nothing waits for it.
    ListPrefetch unused(folder, kFilterBatch);
  }
  {
    // A folder that is not there gives what listing it in place gives.
    const std::string gone = ProgramPath(dir.path() / "gone");
    ListPrefetch p(gone, kFilterBatch);
    std::optional<FileListing> got = p.Take(gone, kFilterBatch);
    ASSERT_TRUE(got);
    ExpectSameListing(*got, BuildFileList(fs, gone, kFilterBatch));
    EXPECT_TRUE(got->stopped);
  }
}

// The start lists the folder the settings name and the one an argument
// names, each with the rows a later refresh of the same folder shows.
TEST_F(VarnikWindowTest, TheFirstListingIsTheFolderTheStartNames) {
  const fs::path other = dir.path() / "other";
  fs::create_directories(other);
  for (int i = 0; i < 40; ++i) Write(files, "s" + std::to_string(i) + ".bat", Batch("設定"));
  Write(other, "a.bat", Batch("引数"));
  Write(other, "e.jwf", J("環境\r\n"));
  WriteIni(Prepared());
  for (const std::string& arguments : {std::string(), ProgramPath(other), "/jwf " + ProgramPath(other)}) {
    SCOPED_TRACE(arguments);
    VarnikWindow w(arguments, prog_arg());
    ASSERT_NO_FATAL_FAILURE(Start(w));
    const RowSet first = Rows(w.ListView1);
    if (arguments.empty()) {
      EXPECT_EQ(first.size(), 40u);
    } else if (arguments[0] == '/') {
      EXPECT_EQ(first, (RowSet{{WideUtf8("環境"), L"e.jwf"}}));
    } else {
      EXPECT_EQ(first, (RowSet{{WideUtf8(" 引数"), L"a.bat"}}));
    }
    SendMessageW(w.hwnd(), WM_COMMAND, MAKEWPARAM(kCmdMSaisin, 0), 0);
    EXPECT_EQ(Rows(w.ListView1), first);
    w.Unload();
  }
}

// The tooltip windows of this thread that hold a tool for `tool`, and the
// text of the last one found.
int ToolTipsFor(HWND owner, HWND tool, std::wstring* text) {
  struct Search {
    HWND owner, tool;
    int found;
    std::wstring text;
  } search{owner, tool, 0, L""};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        wchar_t cls[64] = L"";
        GetClassNameW(h, cls, 64);
        if (wcscmp(cls, TOOLTIPS_CLASSW) != 0) return TRUE;
        wchar_t buf[256] = L"";
        TTTOOLINFOW info{};
        info.cbSize = sizeof info;
        info.hwnd = s->owner;
        info.uId = reinterpret_cast<UINT_PTR>(s->tool);
        info.lpszText = buf;
        if (!SendMessageW(h, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info))) return TRUE;
        SendMessageW(h, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
        ++s->found;
        s->text = buf;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  if (text) *text = search.text;
  return search.found;
}

TEST_F(VarnikWindowTest, TheHeadingTellsHowToRegisterOnceThePointerComesOverIt) {
  WriteIni(Prepared());
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  EXPECT_EQ(Text(w.Label6), WideUtf8("お気に入り\r\nフォルダ"));
  // The pointer comes over the heading twice: one tooltip, with the text.
  for (int pass = 0; pass < 2; ++pass)
    SendMessageW(w.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(w.Label6),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  std::wstring text;
  EXPECT_EQ(ToolTipsFor(w.hwnd(), w.Label6, &text), 1);
  EXPECT_EQ(text, WideUtf8("[登録:Ctrl+マウスLクリック] [解除:Shift+マウスLクリック]"));
  w.Unload();
}

}  // namespace
}  // namespace zel

// The file list's columns in the real main window hosted in this process:
// clicks on the headers sort the rows and mark the sorted column, a refill
// keeps the order, and the settings bring both back at the next start.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/varnik_window.h"
#include "core/text.h"
#include "platform/wstr.h"
#include "tests/support/file_commands_driver.h"
#include "tests/support/tempdir.h"
#include "tests/support/win_driver.h"
#include "tests/win/select_run_fixture.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using namespace test;

// Sets a file's modification time (local time).
void SetLocalWriteTime(const fs::path& p, WORD year, WORD month, WORD day, WORD hour, WORD minute,
                       WORD second) {
  SYSTEMTIME local{year, month, 0, day, hour, minute, second, 0}, utc{};
  FILETIME ft{};
  ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
  ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
  HANDLE h = CreateFileW(p.wstring().c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &ft));
  CloseHandle(h);
}

std::vector<std::wstring> Headers(const char* a, const char* b, const char* c) {
  return {WideUtf8(a), WideUtf8(b), WideUtf8(c)};
}

std::vector<std::wstring> Names(std::initializer_list<const char*> names) {
  std::vector<std::wstring> out;
  for (const char* n : names) out.push_back(WideUtf8(n));
  return out;
}

class ListOrderTest : public SelectRunFixture {
 protected:
  void ClickHeader(VarnikWindow& w, int column) {
    ASSERT_TRUE(ClickListViewHeader(w.ListView1, column));
    ASSERT_TRUE(Settle(w));
  }
};

TEST_F(ListOrderTest, HeaderClicksSortTheRowsAndTheChoiceComesBack) {
  Write(files, "b.bat", Batch("線"));
  Write(files, "a.bat", Batch("円弧"));
  Write(files, J("表.bat"), Batch("abc"));
  ASSERT_NO_FATAL_FAILURE(SetLocalWriteTime(files / "b.bat", 2010, 5, 1, 12, 0, 0));
  // a.bat and 表.bat show the same minute; a.bat was written later in it.
  ASSERT_NO_FATAL_FAILURE(SetLocalWriteTime(files / "a.bat", 2001, 2, 3, 4, 5, 50));
  ASSERT_NO_FATAL_FAILURE(SetLocalWriteTime(files / PathFromCp932(J("表.bat")), 2001, 2, 3, 4, 5, 6));
  WriteIni(RunSettings());  // a first start's captions: none saved
  {
    VarnikWindow w("", prog_arg());
    ASSERT_NO_FATAL_FAILURE(Start(w));
    // Title ascending from the start, and the header says so.
    EXPECT_EQ(ListViewHeaderTexts(w.ListView1), Headers("▲ タイトル", "ファイル名", "日付"));
    EXPECT_EQ(Column(w.ListView1, 1), Names({"表.bat", "a.bat", "b.bat"}));

    SelectRow(w.ListView1, RowOf(w.ListView1, L"b.bat"));
    ASSERT_NO_FATAL_FAILURE(ClickHeader(w, 1));
    EXPECT_EQ(ListViewHeaderTexts(w.ListView1), Headers("タイトル", "▲ ファイル名", "日付"));
    EXPECT_EQ(Column(w.ListView1, 1), Names({"a.bat", "b.bat", "表.bat"}));
    // The highlighted file stays highlighted where it went.
    EXPECT_EQ(SelectedRow(w.ListView1), RowOf(w.ListView1, L"b.bat"));

    ASSERT_NO_FATAL_FAILURE(ClickHeader(w, 1));
    EXPECT_EQ(ListViewHeaderTexts(w.ListView1), Headers("タイトル", "▼ ファイル名", "日付"));
    EXPECT_EQ(Column(w.ListView1, 1), Names({"表.bat", "b.bat", "a.bat"}));

    // The date keeps the direction in force; the two files of one minute
    // come in the order they were written.
    ASSERT_NO_FATAL_FAILURE(ClickHeader(w, 2));
    EXPECT_EQ(ListViewHeaderTexts(w.ListView1), Headers("タイトル", "ファイル名", "▼ 日付"));
    EXPECT_EQ(Column(w.ListView1, 1), Names({"b.bat", "a.bat", "表.bat"}));

    // A refill keeps the order, a new file included.
    Write(files, "c.bat", Batch("腕"));  // after 線 in code order
    ASSERT_NO_FATAL_FAILURE(SetLocalWriteTime(files / "c.bat", 2005, 1, 1, 0, 0, 0));
    Command(w, kCmdMSaisin);
    EXPECT_EQ(Column(w.ListView1, 1), Names({"b.bat", "c.bat", "a.bat", "表.bat"}));
    w.Unload();
  }
  const std::vector<std::string> lines = IniLines();
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(lines.end() - 5, lines.end()),
            (std::vector<std::string>{J("Column1=タイトル"), J("Column2=ファイル名"),
                                      J("Column3=▼ 日付"), "ColumnSortkey=2",
                                      "ColumnSortOrder=1"}));

  VarnikWindow again("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(again));
  EXPECT_EQ(ListViewHeaderTexts(again.ListView1), Headers("タイトル", "ファイル名", "▼ 日付"));
  EXPECT_EQ(Column(again.ListView1, 1), Names({"b.bat", "c.bat", "a.bat", "表.bat"}));
  // The next click on the title keeps descending.
  ASSERT_NO_FATAL_FAILURE(ClickHeader(again, 0));
  EXPECT_EQ(ListViewHeaderTexts(again.ListView1), Headers("▼ タイトル", "ファイル名", "日付"));
  EXPECT_EQ(Column(again.ListView1, 1), Names({"c.bat", "b.bat", "a.bat", "表.bat"}));
  again.Unload();
}

}  // namespace
}  // namespace zel

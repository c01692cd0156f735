// The file list's order: header clicks, the header marks, the state kept in
// the settings, and how rows compare.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/filelist.h"
#include "core/listorder.h"
#include "core/text.h"
#include "tests/support/std_fs.h"
#include "tests/support/tempdir.h"

namespace zel {
namespace {

using Captions = std::array<std::string, kListColumns>;

Captions Utf8Captions(const char* a, const char* b, const char* c) { return {J(a), J(b), J(c)}; }

TEST(ListOrder, HeaderClicksSortAndMarkAsTheUserExpects) {
  ListSort s;  // a first start: title, ascending
  EXPECT_EQ(SortedCaptions(s), Utf8Captions("▲ タイトル", "ファイル名", "日付"));

  // Another column keeps the direction in force.
  s = AfterHeaderClick(s, kColumnName);
  EXPECT_EQ(s, (ListSort{kColumnName, kAscending}));
  EXPECT_EQ(SortedCaptions(s), Utf8Captions("タイトル", "▲ ファイル名", "日付"));

  // The same column again reverses it.
  s = AfterHeaderClick(s, kColumnName);
  EXPECT_EQ(s, (ListSort{kColumnName, kDescending}));
  EXPECT_EQ(SortedCaptions(s), Utf8Captions("タイトル", "▼ ファイル名", "日付"));

  s = AfterHeaderClick(s, kColumnDate);
  EXPECT_EQ(s, (ListSort{kColumnDate, kDescending}));
  EXPECT_EQ(SortedCaptions(s), Utf8Captions("タイトル", "ファイル名", "▼ 日付"));

  s = AfterHeaderClick(s, kColumnDate);
  EXPECT_EQ(SortedCaptions(s), Utf8Captions("タイトル", "ファイル名", "▲ 日付"));

  // A column the list does not have changes nothing.
  EXPECT_EQ(AfterHeaderClick(s, 3), s);
  EXPECT_EQ(AfterHeaderClick(s, -1), s);
}

TEST(ListOrder, SettingsGiveTheStateAndTheCaptionsAtStart) {
  EXPECT_EQ(SortFromSettings(2, 1), (ListSort{kColumnDate, kDescending}));
  // Values no list can have are not used.
  EXPECT_EQ(SortFromSettings(3, 1), (ListSort{kColumnTitle, kDescending}));
  EXPECT_EQ(SortFromSettings(-1, 0), (ListSort{kColumnTitle, kAscending}));
  EXPECT_EQ(SortFromSettings(1, 2), (ListSort{kColumnName, kAscending}));
  EXPECT_EQ(SortFromSettings(1, -1), (ListSort{kColumnName, kAscending}));

  // Saved captions stand as they are, marks included.
  const Captions saved = Utf8Captions("タイトル", "ファイル名", "▼ 日付");
  EXPECT_EQ(CaptionsAtStart(saved, {kColumnDate, kDescending}), saved);
  // A file without captions: the plain texts, the sorted column marked.
  EXPECT_EQ(CaptionsAtStart({}, {}), Utf8Captions("▲ タイトル", "ファイル名", "日付"));
  EXPECT_EQ(CaptionsAtStart({}, {kColumnName, kDescending}),
            Utf8Captions("タイトル", "▼ ファイル名", "日付"));
  EXPECT_EQ(CaptionsAtStart({J("▲ タイトル"), "", J("日付")}, {kColumnTitle, kAscending}),
            Utf8Captions("▲ タイトル", "ファイル名", "日付"));
}

TEST(ListOrder, TextComparesByCharacterWithoutTouchingTrailBytes) {
  EXPECT_LT(CompareListText("abc", "ABD"), 0);  // letters without regard to case
  EXPECT_LT(CompareListText("a", "B"), 0);
  EXPECT_LT(CompareListText("ab", "abc"), 0);
  EXPECT_EQ(CompareListText("same", "same"), 0);
  // Equal but for case: one fixed order, never 0.
  EXPECT_LT(CompareListText("ABC", "abc"), 0);
  EXPECT_GT(CompareListText("abc", "ABC"), 0);
  // ア (83 41) and ヂ (83 61) differ only in a trail byte that looks like
  // "A" and "a": folding it would make them one character.
  EXPECT_LT(CompareListText(J("アb"), J("ヂa")), 0);
  EXPECT_GT(CompareListText(J("ヂa"), J("アb")), 0);
  // Single-byte characters (half-width kana too) before double-byte ones.
  EXPECT_LT(CompareListText("z", J("あ")), 0);
  EXPECT_LT(CompareListText(J("ｱ"), J("あ")), 0);
  // Shift-JIS order among double-byte characters: あ before ア before 表.
  EXPECT_LT(CompareListText(J("あ"), J("ア")), 0);
  EXPECT_LT(CompareListText(J("ア"), J("表")), 0);
  // 表 (95 5C) then "a": the trail byte is not a "\" that ends anything.
  EXPECT_LT(CompareListText(J("表"), J("表a")), 0);
  EXPECT_GT(CompareListText(J("表a"), J("表")), 0);
}

FileRow Row(const char* title, const char* name, LocalTime t) {
  return {J(title), J(name), FormatListDate(t), t};
}

std::vector<std::string> Names(const std::vector<FileRow>& rows) {
  std::vector<std::string> out;
  for (const FileRow& r : rows) out.push_back(Utf8FromCp932(r.name));
  return out;
}

TEST(ListOrder, RowsSortByEachColumnAndReverseExactly) {
  const std::vector<FileRow> rows = {
      Row(" 円弧", "b.bat", {2004, 3, 7, 9, 5, 40}),
      Row(" 円弧", "A.bat", {2004, 3, 7, 9, 5, 10}),   // the same minute, earlier
      Row(" 線", "c.bat", {1999, 12, 31, 23, 59, 59}),
      Row(" abc", "表.bat", {2010, 1, 2, 3, 4, 5}),
  };
  std::vector<FileRow> r = rows;
  SortRows(r, {kColumnTitle, kAscending});
  // Equal titles follow the file name.
  EXPECT_EQ(Names(r), (std::vector<std::string>{"表.bat", "A.bat", "b.bat", "c.bat"}));
  std::vector<FileRow> down = rows;
  SortRows(down, {kColumnTitle, kDescending});
  std::reverse(down.begin(), down.end());
  EXPECT_EQ(Names(down), Names(r));

  SortRows(r, {kColumnName, kAscending});
  EXPECT_EQ(Names(r), (std::vector<std::string>{"A.bat", "b.bat", "c.bat", "表.bat"}));

  // Dates as times: the two rows of one minute show the same text and
  // still come in the order they were written.
  ASSERT_EQ(rows[0].date, rows[1].date);
  SortRows(r, {kColumnDate, kAscending});
  EXPECT_EQ(Names(r), (std::vector<std::string>{"c.bat", "A.bat", "b.bat", "表.bat"}));
  SortRows(r, {kColumnDate, kDescending});
  EXPECT_EQ(Names(r), (std::vector<std::string>{"表.bat", "b.bat", "A.bat", "c.bat"}));
  EXPECT_EQ(CompareRows(rows[0], rows[0], {kColumnDate, kDescending}), 0);
}

TEST(ListOrder, ListedRowsCarryTheirTimeToTheSecond) {
  namespace fs = std::filesystem;
  test::TempDir dir;
  const fs::path early = dir.Write("early.jwf", "#e\r\n");
  const fs::path late = dir.Write("late.jwf", "#l\r\n");
  const auto base = fs::last_write_time(early);
  const auto minute = std::chrono::floor<std::chrono::minutes>(base);
  fs::last_write_time(early, minute + std::chrono::seconds(3));
  fs::last_write_time(late, minute + std::chrono::seconds(51));
  test::StdFileSystem fsys;
  FileListing l = BuildFileList(fsys, dir.str(), kFilterJwf);
  ASSERT_EQ(l.rows.size(), 2u);
  SortRows(l.rows, {kColumnDate, kDescending});
  EXPECT_EQ(l.rows[0].name, "late.jwf");
  EXPECT_EQ(l.rows[0].date, l.rows[1].date);
  EXPECT_EQ(l.rows[0].modified.second, 51);
  EXPECT_EQ(l.rows[1].modified.second, 3);
}

}  // namespace
}  // namespace zel

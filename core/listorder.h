// The order of the file list: which column it is sorted by, in which
// direction, and what the three column headers say about it.
//
// A header click on the sorted column reverses the direction; a click on
// another column sorts by that column in the direction already in force.
// The sorted column's header carries "▲ " (ascending) or "▼ " (descending)
// in front of its plain text. The captions, the column and the direction
// are kept in "Varnik.ini" (Settings::Column1..3, ColumnSortkey,
// ColumnSortOrder).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/filelist.h"

namespace zel {

// Columns by their sort key: the row's own text and its two sub-items.
enum ListColumn : int { kColumnTitle = 0, kColumnName = 1, kColumnDate = 2 };
constexpr int kListColumns = 3;

enum SortOrder : int { kAscending = 0, kDescending = 1 };

struct ListSort {
  int key = kColumnTitle;
  int order = kAscending;
  bool operator==(const ListSort&) const = default;
};

// The sort state a settings file gives. A key outside 0..2 or an order
// other than 0 or 1 cannot be used; that value stays as at a first start
// (title, ascending).
ListSort SortFromSettings(std::int16_t key, std::int32_t order);

// The state after a click on the header of `column` (0..2); a column
// outside that range changes nothing.
ListSort AfterHeaderClick(ListSort now, int column);

// The plain header texts, code page 932: "タイトル", "ファイル名", "日付".
std::array<std::string, kListColumns> PlainCaptions();

// The three header texts for a sort state: the sorted column with its
// mark, the others plain.
std::array<std::string, kListColumns> SortedCaptions(ListSort sort);

// The header texts at start: the saved captions as they stand (marks
// included); a caption the file left empty gets its plain text, and the
// sorted column's mark when it is the sorted column.
std::array<std::string, kListColumns> CaptionsAtStart(
    const std::array<std::string, kListColumns>& saved, ListSort sort);

// Compares two rows for the list's order: negative when `a` comes first,
// 0 only for rows equal in every field. Titles and names compare by
// character, ASCII letters without regard to case, then by code; dates
// compare as the times they are (seconds included), not as their text.
// Rows equal in the sorted column follow the file name, so every order is
// the same each time and descending is ascending exactly reversed.
int CompareRows(const FileRow& a, const FileRow& b, ListSort sort);

// The rows in the list's order.
void SortRows(std::vector<FileRow>& rows, ListSort sort);

// Character-wise comparison of two code page 932 texts as above: an ASCII
// letter compares as its lower case; a double-byte character by its code,
// after every single-byte one.
int CompareListText(const std::string& a, const std::string& b);

}  // namespace zel

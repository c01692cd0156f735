#include "core/listorder.h"

#include <algorithm>
#include <tuple>

#include "core/text.h"

namespace zel {

namespace {

constexpr const char* kPlainUtf8[kListColumns] = {"タイトル", "ファイル名", "日付"};

std::string Mark(int order) { return J(order == kDescending ? "▼ " : "▲ "); }

int Sign(long long v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

// The value one character sorts by: single-byte characters (ASCII letters
// folded to lower case) by their byte, double-byte ones after all of them.
long CharKey(const std::string& s, std::size_t pos, std::size_t len) {
  const auto lead = static_cast<unsigned char>(s[pos]);
  if (len == 1) return lead >= 'A' && lead <= 'Z' ? lead + ('a' - 'A') : lead;
  return 0x100 + (static_cast<long>(lead) << 8) + static_cast<unsigned char>(s[pos + 1]);
}

int CompareBytes(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return Sign(static_cast<long long>(a.size()) - static_cast<long long>(b.size()));
}

int CompareTimes(const LocalTime& a, const LocalTime& b) {
  const auto ta = std::tie(a.year, a.month, a.day, a.hour, a.minute, a.second);
  const auto tb = std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second);
  return ta < tb ? -1 : tb < ta ? 1 : 0;
}

int CompareColumn(const FileRow& a, const FileRow& b, int key) {
  switch (key) {
    case kColumnTitle: return CompareListText(a.title, b.title);
    case kColumnName: return CompareListText(a.name, b.name);
    case kColumnDate: {
      const int c = CompareTimes(a.modified, b.modified);
      return c != 0 ? c : CompareBytes(a.date, b.date);
    }
  }
  return 0;
}

}  // namespace

ListSort SortFromSettings(std::int16_t key, std::int32_t order) {
  ListSort s;
  if (key >= kColumnTitle && key <= kColumnDate) s.key = key;
  if (order == kAscending || order == kDescending) s.order = order;
  return s;
}

ListSort AfterHeaderClick(ListSort now, int column) {
  if (column < 0 || column >= kListColumns) return now;
  if (column == now.key) {
    now.order = now.order == kAscending ? kDescending : kAscending;
  } else {
    now.key = column;
  }
  return now;
}

std::array<std::string, kListColumns> PlainCaptions() {
  std::array<std::string, kListColumns> out;
  for (int i = 0; i < kListColumns; ++i) out[i] = J(kPlainUtf8[i]);
  return out;
}

std::array<std::string, kListColumns> SortedCaptions(ListSort sort) {
  std::array<std::string, kListColumns> out = PlainCaptions();
  if (sort.key >= 0 && sort.key < kListColumns) out[sort.key] = Mark(sort.order) + out[sort.key];
  return out;
}

std::array<std::string, kListColumns> CaptionsAtStart(
    const std::array<std::string, kListColumns>& saved, ListSort sort) {
  const std::array<std::string, kListColumns> fallback = SortedCaptions(sort);
  std::array<std::string, kListColumns> out = saved;
  for (int i = 0; i < kListColumns; ++i)
    if (out[i].empty()) out[i] = fallback[i];
  return out;
}

int CompareListText(const std::string& a, const std::string& b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const std::size_t la = CharLenAt(a, i), lb = CharLenAt(b, j);
    const long ka = CharKey(a, i, la), kb = CharKey(b, j, lb);
    if (ka != kb) return ka < kb ? -1 : 1;
    i += la;
    j += lb;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  // Equal but for the case of letters: upper case first, the same way
  // every time.
  return CompareBytes(a, b);
}

int CompareRows(const FileRow& a, const FileRow& b, ListSort sort) {
  int c = CompareColumn(a, b, sort.key);
  for (int key : {kColumnName, kColumnTitle, kColumnDate})
    if (c == 0 && key != sort.key) c = CompareColumn(a, b, key);
  return sort.order == kDescending ? -c : c;
}

void SortRows(std::vector<FileRow>& rows, ListSort sort) {
  std::stable_sort(rows.begin(), rows.end(), [sort](const FileRow& a, const FileRow& b) {
    return CompareRows(a, b, sort) < 0;
  });
}

}  // namespace zel

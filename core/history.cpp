#include "core/history.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

#include "core/settings.h"
#include "core/text.h"

namespace zel {
namespace {

constexpr std::string_view kNpKey = "TempbakbatNp=";
constexpr std::string_view kNKey = "TempbakbatN=";

// A count read from a file or set by a caller may lie anywhere; the entries
// array does not.
int EntriesInMemory(int n) { return std::clamp(n, 0, kMaxHistory); }

HistoryEntry& Entry(History& h, int n) {
  return h.entries[static_cast<std::size_t>(n - 1)];
}
const HistoryEntry& Entry(const History& h, int n) {
  return h.entries[static_cast<std::size_t>(n - 1)];
}

// The number after a key of `key_chars` characters; the key itself is never
// compared, so files with a misspelt key have always loaded. The conversion
// is the settings file's, so both files accept the same numbers (blanks
// around them, a fraction rounded); a number beyond 16 bits (99999) is
// still a number and saturates. False when the text is no number.
bool ReadNumber(const std::string& line, std::size_t key_chars, int& value) {
  const std::string text = MidChars(line, key_chars);
  std::int16_t v = 0;
  if (ParseInt16(text, v)) {
    value = v;
    return true;
  }
  double d = 0;
  if (!ParseDecimal(text, d)) return false;
  value = d > 0 ? std::numeric_limits<std::int16_t>::max()
                : std::numeric_limits<std::int16_t>::min();
  return true;
}

bool IsUsableCount(int n) { return n >= 1 && n <= kMaxHistory; }

}  // namespace

int HistoryMenuSlot(int n) {
  if (n == 0) return 1;
  if (n < 1 || n > kMaxHistory) return -1;
  // Five entries, then a separator: entry n is pushed down by one index for
  // every full group of five before it.
  return n + (n - 1) / 5;
}

int HistoryEntryOfSlot(int index) {
  if (index < 0) return -1;
  return index - index / 6;
}

std::string HistoryBatchName(int n) {
  return "TTemp" + std::to_string(n) + ".bat";
}

void LoadHistory(const std::vector<std::string>* lines, History& h) {
  const std::size_t count = lines != nullptr ? lines->size() : 0;
  auto has = [&](std::size_t line_no) { return line_no <= count; };
  auto line = [&](std::size_t line_no) -> const std::string& {
    return (*lines)[line_no - 1];
  };

  if (has(1)) ReadNumber(line(1), CharCount(kNpKey), h.Np);
  // The count decides how many entries are read, so a count the menus
  // cannot show must not cost the entries the file holds: one above the
  // menus' room reads as many as there is room for; one that is no number,
  // or 0 or less, keeps the count from before, or the default when that is
  // no count either (0 at a first start).
  int n = h.N;
  if (has(2) && ReadNumber(line(2), CharCount(kNKey), n) && n > kMaxHistory) n = kMaxHistory;
  if (!IsUsableCount(n)) n = IsUsableCount(h.N) ? h.N : kDefaultHistoryCount;
  h.N = n;
  h.Np = std::clamp(h.Np, 0, h.N);

  // Each field is read from its own line, so a file that ends early leaves
  // the fields after its end exactly as they were.
  for (int k = 1; k <= h.N; ++k) {
    const std::size_t title_line = 2 * static_cast<std::size_t>(k) + 1;
    if (has(title_line)) Entry(h, k).title = line(title_line);
    if (has(title_line + 1)) Entry(h, k).batch_path = line(title_line + 1);
  }
}

std::string FormatHistory(const History& h) {
  std::string out;
  auto put = [&out](const std::string& line) {
    out += line;
    out += "\r\n";
  };
  put(std::string(kNpKey) + std::to_string(h.Np));
  put(std::string(kNKey) + std::to_string(h.N));
  for (int n = 1; n <= EntriesInMemory(h.N); ++n) {
    // A title or path is one whole line of the file. A line break inside
    // one (a title read from an odd batch) would push every later line out
    // of its place, and the file would load titles as paths from there on.
    put(OneLine(Entry(h, n).title));
    put(OneLine(Entry(h, n).batch_path));
  }
  return out;
}

std::vector<HistoryCopy> Slaidmenu(History& h, int oldpoint) {
  std::vector<HistoryCopy> copies;
  // Beyond entry 30 there is neither a menu item nor room in memory.
  for (int k = std::min(oldpoint, kMaxHistory); k >= 2; --k) {
    Entry(h, k) = Entry(h, k - 1);
    copies.push_back({k - 1, k});
  }
  return copies;
}

std::vector<HistoryCopy> RecordRun(History& h, const std::string& title,
                                   const std::string& batch_path) {
  // A history that was never loaded or holds a damaged count (N of 0 at a
  // first start) would otherwise lose the run, or leave Np above N.
  NormaliseHistoryCount(h);

  int oldpoint = h.N;
  for (int n = 1; n <= h.N; ++n) {
    if (EqualsNoCase(Entry(h, n).title, title)) {
      oldpoint = n;
      break;
    }
  }
  std::vector<HistoryCopy> copies = Slaidmenu(h, oldpoint);
  Entry(h, 1) = {title, batch_path};
  h.Np = 1;
  return copies;
}

void NormaliseHistoryCount(History& h) {
  // The menus have no room beyond entry 30. A count of 0 or below means the
  // count was never set (no history file at a first start) or is damaged;
  // with it no run would ever be recorded, so it becomes the count the
  // options dialog starts from.
  if (h.N < 1) h.N = kDefaultHistoryCount;
  if (h.N > kMaxHistory) h.N = kMaxHistory;
  h.Np = std::clamp(h.Np, 0, h.N);
}

}  // namespace zel

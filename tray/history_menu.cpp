#include "tray/history_menu.h"

#include <algorithm>
#include <vector>

#include "core/linereader.h"
#include "platform/files.h"
#include "platform/wstr.h"

namespace zel {

namespace {

constexpr char kHistoryFile[] = "Taskmnu.ini";

std::string HistoryPath(const std::string& program_folder) {
  return program_folder + "\\" + kHistoryFile;
}

// A title longer than this is shown cut, with "…": a menu item as wide as
// a batch's megabyte first line cannot be shown at all (under Wine the
// whole menu then fails to open), and no screen shows more of it anyway.
// The history itself keeps the title whole.
constexpr std::size_t kMaxCaptionChars = 128;

// A menu takes "&" as the mark of the next letter's shortcut; a title such
// as "R&D変換" must show its "&".
std::wstring MenuCaption(const std::string& title) {
  std::wstring shown = Wide(title);
  if (shown.size() > kMaxCaptionChars) shown = shown.substr(0, kMaxCaptionChars) + L"\u2026";
  std::wstring caption;
  for (wchar_t c : shown) {
    if (c == L'&') caption += L'&';
    caption += c;
  }
  return caption;
}

}  // namespace

void FillHistoryMenu(HMENU menu, const History& h, const std::wstring& show_caption) {
  while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
  AppendMenuW(menu, MF_STRING, kCmdHistoryCancel, WideUtf8("キャンセル").c_str());
  AppendMenuW(menu, MF_STRING, kCmdHistoryShow, show_caption.c_str());
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  const int last = h.N > 0 ? HistoryMenuSlot(std::min(h.N, kMaxHistory)) : 0;
  const int checked = h.Np > 0 ? HistoryMenuSlot(h.Np) : -1;
  for (int index = 1; index <= last; ++index) {
    if (index % 6 == 0) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const HistoryEntry& e = h.entries[static_cast<std::size_t>(HistoryEntryOfSlot(index) - 1)];
    AppendMenuW(menu, MF_STRING | (index == checked ? MF_CHECKED : 0), kCmdHistoryFirst + index,
                MenuCaption(e.title).c_str());
  }
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kCmdHistoryEnd, WideUtf8("常駐終了").c_str());
}

int HistoryEntryOfCommand(UINT command, const History& h) {
  if (command <= kCmdHistoryFirst || command >= kCmdHistoryCancel) return 0;
  const int index = static_cast<int>(command - kCmdHistoryFirst);
  if (index % 6 == 0) return 0;  // a separator
  const int n = HistoryEntryOfSlot(index);
  return n >= 1 && n <= h.N ? n : 0;
}

bool ReadHistoryFile(const std::string& program_folder, History& h) {
  std::string bytes;
  if (!ReadWholeFile(HistoryPath(program_folder), bytes)) return false;
  const std::vector<std::string> lines = SplitLines(bytes);
  LoadHistory(&lines, h);
  return true;
}

bool WriteHistoryFile(const std::string& program_folder, const History& h) {
  return WriteFileAtomic(HistoryPath(program_folder), FormatHistory(h));
}

}  // namespace zel

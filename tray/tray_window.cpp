#include "tray/tray_window.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "core/linereader.h"
#include "platform/file_identity.h"
#include "platform/files.h"
#include "platform/wstr.h"

namespace zel {

namespace {
constexpr wchar_t kTrayClass[] = L"ZelvantoTray";
constexpr char kHistoryFile[] = "Taskmnu.ini";
// Index of the last history item of the menu (its separators included).
constexpr int kLastTrayIndex = 36;
}  // namespace

LRESULT CALLBACK TrayWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  // Closing the tray window only hides it; it goes with the main window.
  if (msg == WM_CLOSE) {
    ShowWindow(hwnd, SW_HIDE);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

bool TrayWindow::Create(HINSTANCE instance, const std::string& program_folder) {
  program_folder_ = program_folder;
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TrayWindow::WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kTrayClass;
    registered = RegisterClassExW(&wc) != 0;
  }
  HMENU bar = CreateMenu();
  mnu_trays_ = CreatePopupMenu();
  AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(mnu_trays_),
              L"mnuTRAYs(&S)");
  hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, kTrayClass, L"frmtask", WS_OVERLAPPED | WS_CAPTION,
                          CW_USEDEFAULT, CW_USEDEFAULT, 200, 100, nullptr, bar, instance, nullptr);
  if (!hwnd_) {
    DestroyMenu(bar);
    mnu_trays_ = nullptr;
    return false;
  }
  Loadmnu();
  return true;
}

TrayWindow::~TrayWindow() {
  if (hwnd_) DestroyWindow(hwnd_);  // destroys its menu bar with it
}

std::string TrayWindow::PathOf(const std::string& name) const {
  return program_folder_ + "\\" + name;
}

void TrayWindow::Loadmnu() {
  std::string bytes;
  std::vector<std::string> lines;
  const bool opened = ReadWholeFile(PathOf(kHistoryFile), bytes);
  if (opened) lines = SplitLines(bytes);
  LoadHistory(opened ? &lines : nullptr, history_);
  NormaliseHistoryCount(history_);
  RebuildMenu();
}

bool TrayWindow::Savemnu() {
  return WriteFileAtomic(PathOf(kHistoryFile), FormatHistory(history_));
}

namespace {

// One history batch as it was before a change, to put back if the change
// cannot be completed.
struct BatchBefore {
  std::string path;
  std::optional<std::string> bytes;  // nothing: the batch did not exist
};

// Puts a batch to the given content, or removes it for nothing.
bool PutBatch(const std::string& path, const std::optional<std::string>& bytes) {
  return bytes ? WriteFileAtomic(path, *bytes) : RemoveFileIfPresent(path);
}

}  // namespace

bool TrayWindow::RecordRun(const std::string& title, const std::string& batch_path,
                           const std::string& wrapper) {
  // The menu, "Taskmnu.ini" and the history batches must agree: an entry
  // that replays another run's batch runs what the user did not pick. So
  // everything is read first, each batch is written whole, and if any file
  // cannot be written, every batch already changed goes back and neither
  // the menu nor the file changes.
  History changed = history_;
  const std::vector<HistoryCopy> copies = zel::RecordRun(changed, title, batch_path);

  // Batches 1 .. the rotated entry, as they are now.
  int highest = 1;
  for (const HistoryCopy& c : copies) highest = std::max(highest, c.to);
  std::vector<BatchBefore> before;
  for (int n = 1; n <= highest; ++n) {
    BatchBefore b{PathOf(HistoryBatchName(n)), std::nullopt};
    std::string bytes;
    if (ReadWholeFile(b.path, bytes)) {
      b.bytes = std::move(bytes);
    } else if (GetFileAttributesW(Wide(b.path).c_str()) != INVALID_FILE_ATTRIBUTES) {
      return false;  // there but unreadable: it could not be put back
    }
    before.push_back(std::move(b));
  }
  auto old_batch = [&](int n) -> const std::optional<std::string>& {
    return before[static_cast<std::size_t>(n - 1)].bytes;
  };

  // The new batches in the order the rotation makes them; an entry that
  // moves without a batch loses the one its new place held, so it never
  // replays another run.
  std::vector<std::pair<int, std::optional<std::string>>> writes;
  for (const HistoryCopy& c : copies) writes.push_back({c.to, old_batch(c.from)});
  writes.push_back({1, wrapper});

  std::vector<int> written;
  bool ok = true;
  for (const auto& [n, bytes] : writes) {
    if (bytes == old_batch(n)) continue;  // unused entries moving down, mostly
    if (!PutBatch(PathOf(HistoryBatchName(n)), bytes)) {
      ok = false;
      break;
    }
    written.push_back(n);
  }
  if (ok) {
    std::swap(history_, changed);
    ok = Savemnu();
    if (!ok) std::swap(history_, changed);
  }
  if (!ok) {
    for (auto it = written.rbegin(); it != written.rend(); ++it)
      PutBatch(PathOf(HistoryBatchName(*it)), old_batch(*it));
    return false;
  }
  RebuildMenu();
  return true;
}

// The popup mnuTRAYs: cancel, show, the history items in groups of five up
// to entry N, end residence. Items beyond entry N stay out of the menu.
void TrayWindow::RebuildMenu() {
  if (!mnu_trays_) return;
  while (GetMenuItemCount(mnu_trays_) > 0) DeleteMenu(mnu_trays_, 0, MF_BYPOSITION);
  auto text = [](const char* utf8) { return WideUtf8(utf8); };
  AppendMenuW(mnu_trays_, MF_STRING, kCmdTrayCancel, text("キャンセル").c_str());
  AppendMenuW(mnu_trays_, MF_STRING, kCmdTrayShow, text("表示").c_str());
  AppendMenuW(mnu_trays_, MF_SEPARATOR, 0, nullptr);
  const int last = history_.N > 0 ? HistoryMenuSlot(history_.N) : 0;
  const int checked = history_.Np > 0 ? HistoryMenuSlot(history_.Np) : -1;
  for (int index = 1; index <= last && index <= kLastTrayIndex; ++index) {
    if (index % 6 == 0) {
      AppendMenuW(mnu_trays_, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const HistoryEntry& e = history_.entries[HistoryEntryOfSlot(index) - 1];
    AppendMenuW(mnu_trays_, MF_STRING | (index == checked ? MF_CHECKED : 0), kCmdTrayFirst + index,
                Wide(e.title).c_str());
  }
  AppendMenuW(mnu_trays_, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(mnu_trays_, MF_STRING, kCmdTrayEnd, text("常駐終了").c_str());
}

}  // namespace zel

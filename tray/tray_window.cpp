#include "tray/tray_window.h"

#include "core/linereader.h"
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

bool TrayWindow::RecordRun(const std::string& title, const std::string& batch_path,
                           const std::string& wrapper_batch) {
  for (const HistoryCopy& c : zel::RecordRun(history_, title, batch_path)) {
    // A missing history batch is skipped: the entry moves without it.
    CopyFileW(Wide(PathOf(HistoryBatchName(c.from))).c_str(),
              Wide(PathOf(HistoryBatchName(c.to))).c_str(), FALSE);
  }
  CopyFileW(Wide(wrapper_batch).c_str(), Wide(PathOf(HistoryBatchName(1))).c_str(), FALSE);
  RebuildMenu();
  return Savemnu();
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

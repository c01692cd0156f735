#include "tray/tray_window.h"

#include <shellapi.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "platform/file_identity.h"
#include "platform/files.h"
#include "platform/ui_service.h"
#include "platform/wstr.h"
#include "tray/history_menu.h"
#include "tray/history_rerun.h"

namespace zel {

namespace {

// The notification area reports mouse actions on the icon with this
// message, the mouse message in lParam.
constexpr UINT kIconCallback = WM_APP + 1;

UINT TaskbarCreated() {
  // Sent to every top-level window when the shell (re)starts: icons added
  // before must be added again.
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

void ReportHistoryNotSaved(HWND owner) {
  ShowMessage(owner,
              WideUtf8("実行の履歴を保存できませんでした。\r\n履歴は以前のまま残っています。"),
              L"Zelvanto", MB_OK | MB_ICONWARNING);
}

}  // namespace

UINT TrayWindow::HistoryMenuRequest() {
  static const UINT message = RegisterWindowMessageW(L"Zelvanto.HistoryMenuRequest");
  return message;
}

LRESULT CALLBACK TrayWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE)
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
  auto* self = reinterpret_cast<TrayWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  if (!self || msg == WM_NCCREATE) return DefWindowProcW(hwnd, msg, wp, lp);
  return self->Handle(msg, wp, lp);
}

LRESULT TrayWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kIconCallback) {
    // Only the left button's release opens the menu; the right button, a
    // double click and movement do nothing.
    if (LOWORD(lp) == WM_LBUTTONUP) OpenHistoryMenu();
    return 0;
  }
  if (msg == TaskbarCreated()) {
    if (host_.show_icon) AddIcon();
    return 0;
  }
  if (msg == HistoryMenuRequest()) {
    OpenHistoryMenu();
    return 0;
  }
  switch (msg) {
    case WM_CLOSE:
      // Closing the tray window only hides it; it goes with the main window.
      ShowWindow(hwnd_, SW_HIDE);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE && dirty_) Savemnu();
      return 0;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

bool TrayWindow::Create(HINSTANCE instance, const std::string& program_folder, TrayHost host) {
  program_folder_ = program_folder;
  host_ = std::move(host);
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TrayWindow::WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kTrayWindowClass;
    registered = RegisterClassExW(&wc) != 0;
  }
  HMENU bar = CreateMenu();
  mnu_trays_ = CreatePopupMenu();
  AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(mnu_trays_),
              L"mnuTRAYs(&S)");
  hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, kTrayWindowClass, L"frmtask",
                          WS_OVERLAPPED | WS_CAPTION, CW_USEDEFAULT, CW_USEDEFAULT, 200, 100,
                          nullptr, bar, instance, this);
  if (!hwnd_) {
    DestroyMenu(bar);
    mnu_trays_ = nullptr;
    return false;
  }
  Loadmnu();
  if (host_.show_icon) AddIcon();
  return true;
}

TrayWindow::~TrayWindow() {
  RemoveIcon();
  if (dirty_) Savemnu();
  if (hwnd_) DestroyWindow(hwnd_);  // destroys its menu bar with it
}

void TrayWindow::AddIcon() {
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof nid;
  nid.hWnd = hwnd_;
  nid.uID = 0;
  nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  nid.uCallbackMessage = kIconCallback;
  nid.hIcon = host_.icon;
  wcscpy_s(nid.szTip, L"Zelvanto");
  // After a restart of the shell the old icon is gone; adding fails while
  // one is still there, so a modify comes first.
  icon_shown_ = Shell_NotifyIconW(NIM_MODIFY, &nid) || Shell_NotifyIconW(NIM_ADD, &nid);
}

void TrayWindow::RemoveIcon() {
  if (!icon_shown_) return;
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof nid;
  nid.hWnd = hwnd_;
  nid.uID = 0;
  Shell_NotifyIconW(NIM_DELETE, &nid);
  icon_shown_ = false;
}

std::string TrayWindow::PathOf(const std::string& name) const {
  return program_folder_ + "\\" + name;
}

void TrayWindow::Loadmnu() {
  if (!ReadHistoryFile(program_folder_, history_)) NormaliseHistoryCount(history_);
  RebuildMenu();
}

bool TrayWindow::SetHistoryCount(int n, HWND owner) {
  Loadmnu();
  history_.N = n;
  NormaliseHistoryCount(history_);
  RebuildMenu();
  if (Savemnu()) return true;
  ReportHistoryNotSaved(owner ? owner : hwnd_);
  return false;
}

bool TrayWindow::Savemnu() {
  dirty_ = !WriteHistoryFile(program_folder_, history_);
  return !dirty_;
}

void TrayWindow::OpenHistoryMenu() {
  if (menu_open_ || !mnu_trays_ || (host_.loading && host_.loading())) return;
  menu_open_ = true;
  Loadmnu();
  POINT at{};
  GetCursorPos(&at);
  const UINT command = ShowPopupMenu(mnu_trays_, TPM_RIGHTBUTTON, at.x, at.y, hwnd_);
  menu_open_ = false;
  if (const int n = HistoryEntryOfCommand(command, history_)) {
    RunEntry(n);
  } else if (command == kCmdHistoryShow) {
    if (host_.show_main) host_.show_main();
  } else if (command == kCmdHistoryEnd) {
    if (dirty_) Savemnu();
    if (host_.end_program) host_.end_program();
  }
}

// The entry runs again from its history batch; it keeps its place in the
// history, and the check moves to it.
void TrayWindow::RunEntry(int n) {
  RunGuard::Hold hold(host_.guard ? *host_.guard : own_guard_);
  if (!hold) return;
  const std::string jww_folder = host_.jww_folder ? host_.jww_folder() : std::string();
  if (!RerunHistoryEntry(hwnd_, program_folder_, jww_folder, n)) return;
  history_.Np = n;
  RebuildMenu();
  if (!Savemnu()) ReportHistoryNotSaved(hwnd_);
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
    if (!ok) {
      // The file still holds the history as it was, and so does memory again.
      std::swap(history_, changed);
      dirty_ = false;
    }
  }
  if (!ok) {
    for (auto it = written.rbegin(); it != written.rend(); ++it)
      PutBatch(PathOf(HistoryBatchName(*it)), old_batch(*it));
    return false;
  }
  RebuildMenu();
  return true;
}

void TrayWindow::RebuildMenu() {
  if (mnu_trays_) FillHistoryMenu(mnu_trays_, history_, WideUtf8("表示"));
}

}  // namespace zel

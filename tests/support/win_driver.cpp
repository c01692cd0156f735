#ifdef _WIN32
#include "tests/support/win_driver.h"

#include <commctrl.h>

#include <thread>

#include "tests/support/png.h"
#include "tests/support/tempdir.h"

namespace zel::test {

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() > end) return done();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    std::this_thread::sleep_for(50ms);
  }
}

Process::Process(const std::wstring& exe, const std::wstring& args, const std::wstring& cwd) {
  std::wstring cl = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  // Wine on a loaded machine now and then loses a start while it sets the
  // process up (ERROR_INTERNAL_ERROR, none of the program ran); that is
  // the machine, not the program under test, so the start is tried again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (attempt > 0) Sleep(250);
    if (CreateProcessW(exe.c_str(), cl.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       cwd.empty() ? nullptr : cwd.c_str(), &si, &info_))
      return;
    info_ = {};
    if (GetLastError() != ERROR_INTERNAL_ERROR) return;
  }
}

Process::~Process() { Kill(); }

Process::Process(Process&& o) noexcept : info_(o.info_) { o.info_ = {}; }

Process& Process::operator=(Process&& o) noexcept {
  if (this != &o) {
    Kill();
    info_ = o.info_;
    o.info_ = {};
  }
  return *this;
}

bool Process::WaitExit(std::chrono::milliseconds limit) {
  if (!info_.hProcess) return true;
  return WaitFor([&] { return WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0; }, limit);
}

DWORD Process::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (info_.hProcess) GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

void Process::Kill() {
  if (!info_.hProcess) return;
  if (WaitForSingleObject(info_.hProcess, 0) != WAIT_OBJECT_0) {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 10000);
  }
  CloseHandle(info_.hProcess);
  CloseHandle(info_.hThread);
  info_ = {};
}

namespace {
struct FindState {
  DWORD pid;
  const std::wstring* title;
  HWND found;
};
}  // namespace

HWND FindWindowOf(DWORD pid, const std::wstring& title) {
  FindState st{pid, &title, nullptr};
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<FindState*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (s->pid && owner != s->pid) return TRUE;
        if (WindowText(h) != *s->title) return TRUE;
        s->found = h;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&st));
  return st.found;
}

HWND WaitForWindow(DWORD pid, const std::wstring& title, std::chrono::milliseconds limit) {
  HWND h = nullptr;
  WaitFor([&] { return (h = FindWindowOf(pid, title)) != nullptr; }, limit);
  return h;
}

std::wstring WindowText(HWND h) {
  wchar_t buf[1024] = L"";
  // WM_GETTEXT is marshalled between processes; GetWindowText is not for
  // controls of other processes.
  SendMessageTimeoutW(h, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000,
                      nullptr);
  return buf;
}

std::vector<std::vector<std::wstring>> ListViewRows(HWND list, int columns) {
  std::vector<std::vector<std::wstring>> rows;
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  HANDLE proc = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!proc) return rows;
  // The item structure and its text buffer must live in the list's process.
  constexpr SIZE_T kText = 2048;
  auto* remote = static_cast<char*>(
      VirtualAllocEx(proc, nullptr, sizeof(LVITEMW) + kText * sizeof(wchar_t),
                     MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (remote) {
    int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      std::vector<std::wstring> row;
      for (int c = 0; c < columns; ++c) {
        LVITEMW item{};
        item.iSubItem = c;
        item.cchTextMax = kText;
        item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
        WriteProcessMemory(proc, remote, &item, sizeof item, nullptr);
        SendMessageW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(remote));
        std::wstring text(kText, L'\0');
        ReadProcessMemory(proc, remote + sizeof(LVITEMW), text.data(), kText * sizeof(wchar_t),
                          nullptr);
        text.resize(wcsnlen(text.c_str(), kText));
        row.push_back(text);
      }
      rows.push_back(row);
    }
    VirtualFreeEx(proc, remote, 0, MEM_RELEASE);
  }
  CloseHandle(proc);
  return rows;
}

namespace {

// A block of memory in another process, freed with the object.
class RemoteBlock {
 public:
  RemoteBlock(HWND owner, SIZE_T size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(owner, &pid);
    proc_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (proc_)
      at_ = static_cast<char*>(
          VirtualAllocEx(proc_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  }
  ~RemoteBlock() {
    if (at_) VirtualFreeEx(proc_, at_, 0, MEM_RELEASE);
    if (proc_) CloseHandle(proc_);
  }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;
  char* at() const { return at_; }
  void Put(SIZE_T offset, const void* data, SIZE_T n) {
    WriteProcessMemory(proc_, at_ + offset, data, n, nullptr);
  }
  void Get(SIZE_T offset, void* data, SIZE_T n) {
    ReadProcessMemory(proc_, at_ + offset, data, n, nullptr);
  }

 private:
  HANDLE proc_ = nullptr;
  char* at_ = nullptr;
};

void CollectRemote(HWND tree, RemoteBlock& mem, HTREEITEM first, const std::wstring& above,
                   std::vector<RemoteTreeItem>& out) {
  constexpr SIZE_T kText = 1024;
  for (HTREEITEM i = first; i;
       i = reinterpret_cast<HTREEITEM>(
           SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(i)))) {
    TVITEMW tv{};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = i;
    tv.pszText = reinterpret_cast<wchar_t*>(mem.at() + sizeof(TVITEMW));
    tv.cchTextMax = kText;
    mem.Put(0, &tv, sizeof tv);
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(mem.at()));
    std::wstring text(kText, L'\0');
    mem.Get(sizeof(TVITEMW), text.data(), kText * sizeof(wchar_t));
    text.resize(wcsnlen(text.c_str(), kText));
    RECT r{};
    *reinterpret_cast<HTREEITEM*>(&r) = i;
    mem.Put(0, &r, sizeof r);
    SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(mem.at()));
    mem.Get(0, &r, sizeof r);
    const std::wstring path = above.empty() ? text : above + L"\\" + text;
    out.push_back({i, path, r});
    CollectRemote(tree, mem,
                  reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD,
                                                           reinterpret_cast<LPARAM>(i))),
                  path, out);
  }
}

}  // namespace

bool SelectListViewRow(HWND list, int row) {
  RemoteBlock mem(list, sizeof(LVITEMW));
  if (!mem.at()) return false;
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  mem.Put(0, &item, sizeof item);
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(mem.at()));
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  mem.Put(0, &item, sizeof item);
  if (!SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(mem.at())))
    return false;
  SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  return SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) == row;
}

std::vector<RemoteTreeItem> TreeViewItems(HWND tree) {
  std::vector<RemoteTreeItem> out;
  RemoteBlock mem(tree, sizeof(TVITEMW) + 1024 * sizeof(wchar_t));
  if (!mem.at()) return out;
  CollectRemote(tree, mem,
                reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)),
                L"", out);
  return out;
}

std::vector<std::wstring> ComboItems(HWND combo) {
  // Windows copies a combo box's texts between processes itself, as it
  // does window texts; the list view and tree view need the remote blocks.
  std::vector<std::wstring> out;
  const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t buf[1024] = L"";
    if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) < 1023)
      SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
    out.push_back(buf);
  }
  return out;
}

bool SaveWindowPng(HWND h, const std::wstring& path) {
  // The picture is taken off the screen: what the window has not painted
  // yet (a window just shown) would come out black.
  if (GetWindowThreadProcessId(h, nullptr) == GetCurrentThreadId())
    RedrawWindow(h, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  GdiFlush();
  RECT r;
  if (!GetWindowRect(h, &r)) return false;
  const int w = r.right - r.left, ht = r.bottom - r.top;
  if (w <= 0 || ht <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -ht;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (dib) {
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, ht, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * ht * 4);
    const auto* src = static_cast<const std::uint8_t*>(bits);
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
      rgba[i] = src[i + 2];
      rgba[i + 1] = src[i + 1];
      rgba[i + 2] = src[i];
      rgba[i + 3] = 255;
    }
    SelectObject(mem, old);
    DeleteObject(dib);
    try {
      WriteBytes(std::filesystem::path(path), EncodePng(w, ht, rgba));
      ok = true;
    } catch (...) {
      ok = false;
    }
  }
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok;
}

std::wstring ShortUpper(const std::filesystem::path& p) {
  wchar_t buf[MAX_PATH];
  DWORD n = GetShortPathNameW(p.wstring().c_str(), buf, MAX_PATH);
  std::wstring s = n && n < MAX_PATH ? std::wstring(buf, n) : p.wstring();
  for (auto& c : s)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - 32);
  return s;
}

std::wstring WinePath(const std::string& linux_path) {
  if (linux_path.empty() || linux_path[0] != '/') {
    return std::wstring(linux_path.begin(), linux_path.end());
  }
  std::wstring out = L"Z:";
  for (char c : linux_path) out += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return out;
}

HWND FindMessageBox(DWORD pid) {
  struct S { DWORD pid; HWND found; } st{pid, nullptr};
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<S*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        wchar_t cls[64] = L"";
        GetClassNameW(h, cls, 64);
        if (owner == s->pid && wcscmp(cls, L"#32770") == 0 && IsWindowVisible(h)) {
          s->found = h;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&st));
  return st.found;
}

std::wstring MessageBoxText(HWND box) {
  std::wstring text;
  HWND child = nullptr;
  while ((child = FindWindowExW(box, child, L"Static", nullptr)) != nullptr) {
    std::wstring t = WindowText(child);
    if (!t.empty()) text += t;
  }
  return text;
}

}  // namespace zel::test
#endif

// The floor for Varnik's start: a bare window with a list that does what
// any program listing a folder's batches must do, and nothing more. It
// lists the *.bat files of the folder on its command line, reads the first
// bytes of each for a title, fills a report-style list view and shows
// itself.
#include <windows.h>
#include <commctrl.h>

#include <string>

namespace {

LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SIZE) {
    MoveWindow(GetDlgItem(h, 1), 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
    return 0;
  }
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

// The first line of the file's first bytes, as the title.
std::wstring Title(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return L"";
  char buf[512];
  DWORD got = 0;
  const BOOL ok = ReadFile(f, buf, sizeof buf, &got, nullptr);
  CloseHandle(f);
  if (!ok) return L"";
  DWORD end = 0;
  while (end < got && buf[end] != '\r' && buf[end] != '\n') ++end;
  wchar_t wide[512];
  const int n = MultiByteToWideChar(932, 0, buf, static_cast<int>(end), wide, 512);
  return std::wstring(wide, n > 0 ? static_cast<size_t>(n) : 0);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR cmd, int show) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = L"ZelvantoBareList";
  RegisterClassW(&wc);
  HWND main = CreateWindowExW(0, wc.lpszClassName, L"BareList", WS_OVERLAPPEDWINDOW, 0, 0, 800,
                              600, nullptr, nullptr, inst, nullptr);
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 800,
                              600, main, reinterpret_cast<HMENU>(1), inst, nullptr);
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH;
  col.cx = 300;
  col.pszText = const_cast<wchar_t*>(L"Title");
  ListView_InsertColumn(list, 0, &col);
  col.pszText = const_cast<wchar_t*>(L"File");
  ListView_InsertColumn(list, 1, &col);

  std::wstring folder = cmd;
  if (folder.size() >= 2 && folder.front() == L'"') folder = folder.substr(1, folder.size() - 2);
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW((folder + L"\\*.bat").c_str(), &fd);
  int row = 0;
  // Filled without a redraw per row, as any list of many rows is.
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring title = Title(folder + L"\\" + fd.cFileName);
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = row;
      item.pszText = title.data();
      ListView_InsertItem(list, &item);
      ListView_SetItemText(list, row, 1, fd.cFileName);
      ++row;
    } while (FindNextFileW(find, &fd));
    FindClose(find);
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  ShowWindow(main, show);
  UpdateWindow(main);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return 0;
}

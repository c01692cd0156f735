#include "tray/tray_window.h"

namespace zel {

namespace {
constexpr wchar_t kTrayClass[] = L"ZelvantoTray";
}

LRESULT CALLBACK TrayWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  // Closing the tray window only hides it; it goes with the main window.
  if (msg == WM_CLOSE) {
    ShowWindow(hwnd, SW_HIDE);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

bool TrayWindow::Create(HINSTANCE instance) {
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
  AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(mnu_trays_), L"mnuTRAYs");
  hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, kTrayClass, L"frmtask", WS_OVERLAPPED | WS_CAPTION,
                          CW_USEDEFAULT, CW_USEDEFAULT, 200, 100, nullptr, bar, instance, nullptr);
  if (!hwnd_) {
    DestroyMenu(bar);
    mnu_trays_ = nullptr;
    return false;
  }
  return true;
}

TrayWindow::~TrayWindow() {
  if (hwnd_) DestroyWindow(hwnd_);  // destroys its menu bar with it
}

}  // namespace zel

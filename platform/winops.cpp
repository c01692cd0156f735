#include "platform/winops.h"

#include "platform/handles.h"

namespace zel {

HWND FindTopWindow(const std::wstring& title, const wchar_t* window_class) {
  return FindWindowW(window_class, title.c_str());
}

void BringWindowForward(HWND hwnd) {
  SetForegroundWindow(hwnd);
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  GetWindowPlacement(hwnd, &wp);
  ShowWindow(hwnd, wp.showCmd == SW_SHOWMINIMIZED ? SW_RESTORE : SW_SHOW);
}

bool AnotherCopyRunning(const std::wstring& instance_name) {
  // Held for the life of the process on purpose: it is the claim itself.
  static UniqueKernelHandle claim;
  HANDLE h = CreateMutexW(nullptr, FALSE, (L"Local\\" + instance_name).c_str());
  bool exists = GetLastError() == ERROR_ALREADY_EXISTS;
  if (exists) {
    if (h) CloseHandle(h);
    return true;
  }
  claim.reset(h);
  return false;
}

std::vector<RECT> MonitorWorkAreas() {
  std::vector<RECT> areas;
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR m, HDC, LPRECT, LPARAM lp) -> BOOL {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (GetMonitorInfoW(m, &info)) reinterpret_cast<std::vector<RECT>*>(lp)->push_back(info.rcWork);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&areas));
  if (areas.empty()) areas.push_back(PrimaryWorkArea());
  return areas;
}

RECT PrimaryWorkArea() {
  RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

int DpiOf(HWND hwnd) {
  UINT dpi = hwnd ? GetDpiForWindow(hwnd) : 0;
  if (dpi == 0) {
    HDC dc = GetDC(nullptr);
    dpi = static_cast<UINT>(GetDeviceCaps(dc, LOGPIXELSX));
    ReleaseDC(nullptr, dc);
  }
  return dpi ? static_cast<int>(dpi) : 96;
}

}  // namespace zel

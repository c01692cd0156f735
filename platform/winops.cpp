#include "platform/winops.h"

#include <cmath>

#include "platform/handles.h"

namespace zel {

HWND FindTopWindow(const std::wstring& title) {
  return FindWindowW(nullptr, title.c_str());
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

int DpiOf(HWND hwnd) {
  UINT dpi = hwnd ? GetDpiForWindow(hwnd) : 0;
  if (dpi == 0) {
    HDC dc = GetDC(nullptr);
    dpi = static_cast<UINT>(GetDeviceCaps(dc, LOGPIXELSX));
    ReleaseDC(nullptr, dc);
  }
  return dpi ? static_cast<int>(dpi) : 96;
}

int TwipsToPixels(double twips, int dpi) {
  return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

double PixelsToTwips(int pixels, int dpi) {
  return static_cast<double>(pixels) * 1440.0 / dpi;
}

}  // namespace zel

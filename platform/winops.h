// Window operations between programs: finding top-level windows by title,
// bringing a running copy forward, and the one-copy check.
#pragma once

#include <windows.h>

#include <string>

namespace zel {

// The top-level window with exactly this title (any class), or null.
HWND FindTopWindow(const std::wstring& title);

// Foreground, then restore when minimised or simply show otherwise.
void BringWindowForward(HWND hwnd);

// True when another copy of the program named `instance_name` runs. The
// first copy keeps the claim until it ends.
bool AnotherCopyRunning(const std::wstring& instance_name);

// Twips <-> pixels with the window's real DPI (1440 twips per inch).
int DpiOf(HWND hwnd);
int TwipsToPixels(double twips, int dpi);
double PixelsToTwips(int pixels, int dpi);

}  // namespace zel

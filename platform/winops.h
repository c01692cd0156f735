// Window operations between programs: finding top-level windows by title,
// bringing a running copy forward, and the one-copy check.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/units.h"

namespace zel {

// The class of Varnik's main window, titled "Zelvanto". A window of another
// program may carry the same title; this class is Varnik's own.
constexpr wchar_t kVarnikMainWindowClass[] = L"ZelvantoMain";

// The top-level window with exactly this title, or null. With a class name,
// only a window of that class counts (any other program may show the same
// title: a file manager open on a folder of that name).
HWND FindTopWindow(const std::wstring& title, const wchar_t* window_class = nullptr);

// Foreground, then restore when minimised or simply show otherwise.
void BringWindowForward(HWND hwnd);

// True when another copy of the program named `instance_name` runs. The
// first copy keeps the claim until it ends.
bool AnotherCopyRunning(const std::wstring& instance_name);

// The work areas (the screen without the taskbar) of every monitor, and of
// the primary one.
std::vector<RECT> MonitorWorkAreas();
RECT PrimaryWorkArea();

// The window's real DPI, for the twips <-> pixels conversions of
// core/units.h.
int DpiOf(HWND hwnd);

}  // namespace zel

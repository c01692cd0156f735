#include "app/entry.h"

#include <memory>

#include "app/varnik_window.h"
#include "core/words.h"
#include "platform/winops.h"
#include "tray/tray_window.h"

namespace zel {

std::wstring ArgumentsOf(const wchar_t* cl) {
  if (!cl) return L"";
  const wchar_t* p = cl;
  // The program name ends at the closing quote, or at the first blank.
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p) ++p;
  } else {
    while (*p && *p != L' ' && *p != L'\t') ++p;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return p;
}

namespace {

// A second start: open the running copy's history menu ("/P") or bring its
// main window forward. True when this copy should end.
bool HandOverToRunningCopy(const Words& words) {
  if (words[0] == "/P") {
    // The running copy opens its history menu at the mouse, as a click on
    // its icon does; its hidden tray window itself is never shown.
    if (HWND tray = FindTopWindow(L"frmtask", kTrayWindowClass)) {
      DWORD pid = 0;
      GetWindowThreadProcessId(tray, &pid);
      AllowSetForegroundWindow(pid);  // its menu must come to the front
      PostMessageW(tray, TrayWindow::HistoryMenuRequest(), 0, 0);
      return true;
    }
  } else if (HWND main = FindTopWindow(L"Zelvanto", kMainWindowClass)) {
    BringWindowForward(main);
    return true;
  }
  return false;
}

}  // namespace

int RunVarnik(HINSTANCE instance, const std::string& arguments) {
  Words words = SplitWords(arguments);
  if (AnotherCopyRunning(L"Zelvanto.Varnik") && HandOverToRunningCopy(words)) return 0;

  auto window = std::make_unique<VarnikWindow>(arguments);
  if (!window->Create(instance)) return 1;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (window->PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

}  // namespace zel

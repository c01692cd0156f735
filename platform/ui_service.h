// Message boxes and popup menus go through here, so in-process tests can
// answer them without a person. End-to-end tests find the real dialog
// instead.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace zel {

struct MessageRequest {
  HWND owner;
  std::wstring text;
  std::wstring caption;
  UINT flags;  // MB_* as for MessageBoxW
};

// Shows a message box (or asks the installed answerer) and returns the
// button pressed, as MessageBoxW does.
int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption,
                UINT flags);

// Tests install an answerer; null restores real message boxes.
using MessageAnswerer = std::function<int(const MessageRequest&)>;
void SetMessageAnswerer(MessageAnswerer answerer);

// Opens a popup menu at screen position x, y and returns the command chosen
// (0 when none). The owner receives no WM_COMMAND from the menu itself; the
// caller acts on the result.
UINT ShowPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner);

// Tests install a chooser that sees the menu and returns the command to
// pick; null restores real popup menus.
using MenuChooser = std::function<UINT(HMENU menu)>;
void SetMenuChooser(MenuChooser chooser);

}  // namespace zel

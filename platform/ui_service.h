// Message boxes, input boxes and popup menus go through here, so in-process
// tests can answer them without a person. End-to-end tests find the real
// dialog instead.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
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

struct InputRequest {
  HWND owner;
  std::wstring prompt;
  std::wstring title;
  std::wstring default_text;
};

// A modal input box owned by `owner`: the prompt (wrapped, line breaks
// kept), a one-line field holding `default_text`, and the buttons "OK" and
// "キャンセル". Returns the field's text on OK (possibly empty), nothing when
// the box is cancelled or closed.
std::optional<std::wstring> ShowInputBox(HWND owner, const std::wstring& prompt,
                                         const std::wstring& title,
                                         const std::wstring& default_text = {});

// Tests install an answerer; null restores real input boxes.
using InputAnswerer = std::function<std::optional<std::wstring>(const InputRequest&)>;
void SetInputAnswerer(InputAnswerer answerer);

// The field of the real input box, for tests that drive it as a person
// would: a "#32770" dialog with this control holding the text.
constexpr int kInputBoxFieldId = 1000;

}  // namespace zel

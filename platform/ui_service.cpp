#include "platform/ui_service.h"

namespace zel {
namespace {
MessageAnswerer& Answerer() {
  static MessageAnswerer answerer;
  return answerer;
}
}  // namespace

int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption,
                UINT flags) {
  if (Answerer()) return Answerer()({owner, text, caption, flags});
  return MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

void SetMessageAnswerer(MessageAnswerer answerer) { Answerer() = std::move(answerer); }

namespace {
MenuChooser& Chooser() {
  static MenuChooser chooser;
  return chooser;
}
}  // namespace

UINT ShowPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner) {
  if (Chooser()) return Chooser()(menu);
  // The owner must be in front for the menu to close when the user clicks
  // elsewhere; WM_NULL afterwards lets the menu's own messages finish.
  SetForegroundWindow(owner);
  UINT cmd = static_cast<UINT>(
      TrackPopupMenu(menu, flags | TPM_RETURNCMD | TPM_NONOTIFY, x, y, 0, owner, nullptr));
  PostMessageW(owner, WM_NULL, 0, 0);
  return cmd;
}

void SetMenuChooser(MenuChooser chooser) { Chooser() = std::move(chooser); }

}  // namespace zel

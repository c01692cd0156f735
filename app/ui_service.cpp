#include "app/ui_service.h"

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

}  // namespace zel

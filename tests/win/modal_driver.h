// Answering a modal dialog of this thread from inside its own message loop:
// a timer, which the dialog's loop dispatches, finds the dialog the code
// under test opened and acts on it with real messages.
#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>

namespace zel::test {

class NextDialog {
 public:
  // `act` runs once, on the first dialog window (class "#32770") of this
  // thread that did not exist when this object was made.
  explicit NextDialog(std::function<void(HWND dialog)> act) : act_(std::move(act)) {
    // A main window of an earlier test posted WM_QUIT when it was
    // destroyed; a dialog's loop would take it for the end of the program
    // and close at once.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    EnumThreadWindows(GetCurrentThreadId(), &NextDialog::Remember, reinterpret_cast<LPARAM>(&before_));
    active_ = this;
    timer_ = SetTimer(nullptr, 0, 50, &NextDialog::Tick);
  }
  ~NextDialog() {
    if (timer_) KillTimer(nullptr, timer_);
    if (active_ == this) active_ = nullptr;
  }
  NextDialog(const NextDialog&) = delete;
  NextDialog& operator=(const NextDialog&) = delete;

  bool acted() const { return acted_; }

 private:
  static bool IsDialog(HWND h) {
    wchar_t cls[16] = L"";
    GetClassNameW(h, cls, 16);
    return std::wstring(cls) == L"#32770" && IsWindowVisible(h);
  }
  static BOOL CALLBACK Remember(HWND h, LPARAM lp) {
    if (IsDialog(h)) reinterpret_cast<std::set<HWND>*>(lp)->insert(h);
    return TRUE;
  }
  static BOOL CALLBACK FindNew(HWND h, LPARAM lp) {
    auto* self = reinterpret_cast<NextDialog*>(lp);
    if (!IsDialog(h) || self->before_.count(h)) return TRUE;
    self->found_ = h;
    return FALSE;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    NextDialog* self = active_;
    if (!self || self->acted_) return;
    self->found_ = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &NextDialog::FindNew, reinterpret_cast<LPARAM>(self));
    if (!self->found_) return;
    self->acted_ = true;
    KillTimer(nullptr, self->timer_);
    self->timer_ = 0;
    self->act_(self->found_);
  }

  static inline NextDialog* active_ = nullptr;
  std::function<void(HWND)> act_;
  std::set<HWND> before_;
  HWND found_ = nullptr;
  UINT_PTR timer_ = 0;
  bool acted_ = false;
};

}  // namespace zel::test

// Varnik's tray window "frmtask": a hidden top-level window that owns the
// run-history menu. Other programs (a second Varnik started with "/P", and
// Pocklet) find it by its title.
#pragma once

#include <windows.h>

namespace zel {

class TrayWindow {
 public:
  TrayWindow() = default;
  ~TrayWindow();
  TrayWindow(const TrayWindow&) = delete;
  TrayWindow& operator=(const TrayWindow&) = delete;

  // Creates the window hidden, with its menu bar holding the one popup
  // mnuTRAYs. The history entries are filled by the run history.
  bool Create(HINSTANCE instance);
  HWND hwnd() const { return hwnd_; }
  HMENU mnuTRAYs() const { return mnu_trays_; }

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND hwnd_ = nullptr;
  HMENU mnu_trays_ = nullptr;
};

}  // namespace zel

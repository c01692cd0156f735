// Varnik's tray window "frmtask": a hidden top-level window that owns the
// run-history menu. Other programs (a second Varnik started with "/P", and
// Pocklet) find it by its title.
#pragma once

#include <windows.h>

#include <string>

#include "core/history.h"

namespace zel {

// Menu command of history item at menu index i (1..36) is kCmdTrayFirst + i.
constexpr UINT kCmdTrayFirst = 4000;
constexpr UINT kCmdTrayCancel = 4100;  // mnuCAN
constexpr UINT kCmdTrayShow = 4101;    // wind
constexpr UINT kCmdTrayEnd = 4102;     // nmuend

class TrayWindow {
 public:
  TrayWindow() = default;
  ~TrayWindow();
  TrayWindow(const TrayWindow&) = delete;
  TrayWindow& operator=(const TrayWindow&) = delete;

  // Creates the window hidden, with its menu bar holding the one popup
  // mnuTRAYs, and loads the history from "Taskmnu.ini" in program_folder.
  bool Create(HINSTANCE instance, const std::string& program_folder);
  HWND hwnd() const { return hwnd_; }
  HMENU mnuTRAYs() const { return mnu_trays_; }
  const History& history() const { return history_; }

  // Reads "Taskmnu.ini" and rebuilds the menu from it.
  void Loadmnu();
  // Writes "Taskmnu.ini" whole from the menu's history. False when it could
  // not be written (the old file then stays).
  bool Savemnu();
  // A batch run from the main window: the history rotates, its batches move
  // along, `wrapper` (the text of "_VNKtemp.bat") becomes "TTemp1.bat",
  // entry 1 is checked and the file is saved. All or nothing: false when a
  // batch or the file could not be written, and then the menu, the file and
  // the batches are as before.
  bool RecordRun(const std::string& title, const std::string& batch_path,
                 const std::string& wrapper);

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void RebuildMenu();
  std::string PathOf(const std::string& name) const;

  HWND hwnd_ = nullptr;
  HMENU mnu_trays_ = nullptr;
  std::string program_folder_;
  History history_;
};

}  // namespace zel

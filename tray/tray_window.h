// Varnik's tray window "frmtask": a hidden top-level window that owns the
// run-history menu and, in the resident boot modes, the icon in the
// notification area. Other programs (a second Varnik started with "/P", and
// Pocklet) find it by its title.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "core/history.h"
#include "platform/run_guard.h"

namespace zel {

// The tray window's class; its title is "frmtask".
constexpr wchar_t kTrayWindowClass[] = L"ZelvantoTray";

// What the tray window needs of the main window.
struct TrayHost {
  bool show_icon = false;    // the resident boot modes 1 to 3
  HICON icon = nullptr;      // the main window's icon, not owned
  RunGuard* guard = nullptr;  // shared with the main window's runs
  std::function<bool()> loading;            // the main window is still loading
  std::function<std::string()> jww_folder;  // where "_VNKtemp.bat" goes
  std::function<void()> show_main;          // "表示"
  // "常駐終了": ends the program, which takes this window along, so it
  // must not destroy it at once (a posted close serves).
  std::function<void()> end_program;
};

class TrayWindow {
 public:
  TrayWindow() = default;
  ~TrayWindow();
  TrayWindow(const TrayWindow&) = delete;
  TrayWindow& operator=(const TrayWindow&) = delete;

  // Creates the window hidden, with its menu bar holding the one popup
  // mnuTRAYs, loads the history from "Taskmnu.ini" in program_folder and,
  // when the host asks for it, adds the icon.
  bool Create(HINSTANCE instance, const std::string& program_folder, TrayHost host = {});
  HWND hwnd() const { return hwnd_; }
  HMENU mnuTRAYs() const { return mnu_trays_; }
  const History& history() const { return history_; }
  bool icon_shown() const { return icon_shown_; }

  // Reads "Taskmnu.ini" and rebuilds the menu from it.
  void Loadmnu();
  // The options dialog's new history count: the file is read first (another
  // program may have saved entries meanwhile), then written with the count
  // at once, so the next load of the menu does not bring the old count
  // back. False when it could not be written; the user has been told, with
  // `owner` as the message's owner, and the count is kept to be saved later.
  bool SetHistoryCount(int n, HWND owner);
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
  // The history menu at the mouse, reloaded from the file first so that a
  // history Pocklet saved meanwhile shows up; the chosen entry is carried
  // out before it returns. Not while the main window loads, nor twice.
  void OpenHistoryMenu();

  // The message a second Varnik started with "/P" posts to ask the running
  // copy for its history menu.
  static UINT HistoryMenuRequest();

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void RebuildMenu();
  std::string PathOf(const std::string& name) const;
  void RunEntry(int n);
  void AddIcon();
  void RemoveIcon();

  HWND hwnd_ = nullptr;
  HMENU mnu_trays_ = nullptr;
  std::string program_folder_;
  TrayHost host_;
  RunGuard own_guard_;  // when the host shares none
  History history_;
  bool icon_shown_ = false;
  bool menu_open_ = false;
  // The history in memory differs from the file: a save failed. Only then
  // is it written when the window loses the focus or goes, so a history
  // another program saved meanwhile is not overwritten with an old copy.
  bool dirty_ = false;
};

}  // namespace zel

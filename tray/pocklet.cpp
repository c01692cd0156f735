#include "tray/pocklet.h"

#include <algorithm>
#include <vector>

#include "core/history.h"
#include "core/linereader.h"
#include "core/settings.h"
#include "platform/file_ops.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/ui_service.h"
#include "platform/winops.h"
#include "platform/wstr.h"
#include "tray/history_menu.h"
#include "tray/history_rerun.h"

namespace zel {

namespace {

constexpr wchar_t kPockletClass[] = L"ZelvantoPocklet";

// The Jw_cad folder from line 3 of "Varnik.ini", read as Varnik reads it;
// empty when the file or the line is missing.
std::string JwwFolderFromSettings(const std::string& program_folder) {
  std::string bytes;
  if (!ReadWholeFile(program_folder + "\\Varnik.ini", bytes)) return {};
  const std::vector<std::string> lines = SplitLines(bytes);
  Settings s;
  ParseSettings(&lines, s);
  return s.jwwfolder;
}

// Varnik's main window in front, restored when minimised, or Varnik
// started. It is the Varnik.exe beside Pocklet that starts: a program of
// that name found through the search path need not be ours.
void ShowOrStartVarnik(HWND owner, const std::string& program_folder) {
  if (HWND main = FindTopWindow(L"Zelvanto", kVarnikMainWindowClass)) {
    BringWindowForward(main);
    return;
  }
  const std::wstring exe = Wide(program_folder + "\\Varnik.exe");
  std::wstring command = L"\"" + exe + L"\"";
  PROCESS_INFORMATION pi{};
  if (StartProcess(exe.c_str(), command, Wide(program_folder).c_str(), SW_SHOWNORMAL, pi)) {
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return;
  }
  ShowMessage(owner, Wide(program_folder + "\\Varnik.exe") + WideUtf8("\r\nを起動できませんでした。"),
              L"Zelvanto", MB_OK | MB_ICONEXCLAMATION);
}

// The run of entry n becomes the checked entry. Only that changes, over
// the file as it is now: Varnik may have recorded a run while the menu
// was open, and it must stay.
bool SaveCheckedEntry(const std::string& program_folder, int n) {
  History now;
  if (!ReadHistoryFile(program_folder, now)) return false;
  now.Np = std::min(n, now.N);
  return WriteHistoryFile(program_folder, now);
}

}  // namespace

int RunPocklet(HINSTANCE instance, const std::string& program_folder) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = kPockletClass;
  RegisterClassExW(&wc);
  // The menu needs an owner in front to close when the user clicks
  // elsewhere; the window itself stays out of sight.
  HWND owner = CreateWindowExW(WS_EX_TOOLWINDOW, kPockletClass, L"frmtask", WS_POPUP, -2, -2, 2,
                               2, nullptr, nullptr, instance, nullptr);
  if (!owner) return 1;
  ShowWindow(owner, SW_SHOW);

  const std::string jww_folder = JwwFolderFromSettings(program_folder);
  History history;  // no file: no entries
  ReadHistoryFile(program_folder, history);
  UniqueMenu menu(CreatePopupMenu());
  FillHistoryMenu(menu.get(), history, L"Zelvanto");
  POINT at{};
  GetCursorPos(&at);
  const UINT command =
      ShowPopupMenu(menu.get(), TPM_CENTERALIGN | TPM_RIGHTBUTTON, at.x, at.y, owner);

  if (const int n = HistoryEntryOfCommand(command, history)) {
    if (RerunHistoryEntry(owner, program_folder, jww_folder, n) &&
        !SaveCheckedEntry(program_folder, n)) {
      ShowMessage(owner,
                  WideUtf8("実行の履歴を保存できませんでした。\r\n履歴は以前のまま残っています。"),
                  L"Zelvanto", MB_OK | MB_ICONWARNING);
    }
  } else if (command == kCmdHistoryShow) {
    ShowOrStartVarnik(owner, program_folder);
  }
  // Cancel, "常駐終了" or a click elsewhere: nothing to do, and the history
  // file is left as it is.
  DestroyWindow(owner);
  return 0;
}

}  // namespace zel

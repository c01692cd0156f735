// The history popup that Varnik's tray window and Pocklet both show, and the
// history file they both read and write, in the program's own folder.
#pragma once

#include <windows.h>

#include <string>

#include "core/history.h"

namespace zel {

// Commands of the popup: a history item at menu index i is
// kCmdHistoryFirst + i.
constexpr UINT kCmdHistoryFirst = 4000;
constexpr UINT kCmdHistoryCancel = 4100;  // mnuCAN
constexpr UINT kCmdHistoryShow = 4101;    // wind
constexpr UINT kCmdHistoryEnd = 4102;     // nmuend

// Empties `menu` and fills it: "キャンセル", `show_caption`, a separator, the
// entries 1..N at their menu indices in groups of five (entry Np checked), a
// separator and "常駐終了".
void FillHistoryMenu(HMENU menu, const History& h, const std::wstring& show_caption);

// The entry a command chose, 1..N of `h`; 0 when the command is no entry.
int HistoryEntryOfCommand(UINT command, const History& h);

// "Taskmnu.ini" of the program folder into `h`. False when the file could
// not be read; `h` is then as it was.
bool ReadHistoryFile(const std::string& program_folder, History& h);
// Written whole; false when it could not be (the old file then stays).
bool WriteHistoryFile(const std::string& program_folder, const History& h);

}  // namespace zel

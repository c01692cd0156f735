// Running a history entry again, from Varnik's tray menu or from Pocklet:
// the entry's history batch becomes "_VNKtemp.bat" and Jw_cad is made to run
// it. The user's batch is not read again.
#pragma once

#include <windows.h>

#include <string>

namespace zel {

// Runs entry n of the history kept in `program_folder` in the Jw_cad of
// `jww_folder`. True when Jw_cad got the run keys. Otherwise the user has
// been told why, in a box owned by `owner`, and nothing was sent: no Jw_cad
// folder, a missing history batch (the old "_VNKtemp.bat" is never run in
// its place, it would run what the user did not pick), a wrapper that could
// not be written, Jw_cad not running or not in front.
bool RerunHistoryEntry(HWND owner, const std::string& program_folder,
                       const std::string& jww_folder, int n);

}  // namespace zel

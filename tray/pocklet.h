// Pocklet, the launcher: it pops the run history up at the mouse, runs the
// chosen entry in Jw_cad or shows (or starts) Varnik, and ends. It needs no
// running Varnik: it reads Varnik's settings and history files in its own
// folder, the folder it shares with Varnik.exe.
#pragma once

#include <windows.h>

#include <string>

namespace zel {

// The whole program: returns when the menu has closed and the choice has
// been carried out. `program_folder` holds "Varnik.ini", "Taskmnu.ini",
// the history batches and "Varnik.exe".
int RunPocklet(HINSTANCE instance, const std::string& program_folder);

}  // namespace zel

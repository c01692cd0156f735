// The file commands of the list over Win32: renaming without ever replacing
// another file, moving a file to the Recycle Bin, and starting programs
// (the editor on a file, Jw_cad, Varnik from Pocklet). Paths are code page
// 932 as the program holds them; what a person reads (and what the editor
// gets) is the long form, which may hold characters code page 932 cannot.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace zel {

// The long form of an existing path (a short 8.3 folder written out);
// the path as given where there is none.
std::wstring LongPathOf(const std::string& path);

enum class RenameResult {
  kRenamed,      // done; also when the new name is the old one
  kTargetExists, // a file or folder of the new name is there; nothing changed
  kInUse,        // another program holds the file, or it may not be changed
  kNotFound,     // the file is no longer there
  kFailed,       // anything else (a name Windows refuses); see the error code
};

// Renames `from` to `to` in the same folder. An existing file of the new
// name is never replaced. A change of letter case alone renames too (the
// file goes through a temporary name of its own, as some file systems take
// a move onto the same file for nothing to do). `error` receives the
// Windows error code of a failure.
RenameResult RenameFileNoReplace(const std::string& from, const std::string& to,
                                 unsigned long* error = nullptr);

enum class RecycleResult {
  kRemoved,   // the file has left its folder (to the Recycle Bin where the
              // drive has one, deleted where it has none)
  kReadOnly,  // read-only: left as it is
  kInUse,     // another program holds it: left as it is
  kNotFound,  // not there
  kFailed,    // still there for another reason; see the error code
};

// Moves the file to the Recycle Bin without asking anything: the user has
// confirmed the delete already. A read-only file is not touched.
RecycleResult MoveToRecycleBin(const std::string& path, unsigned long* error = nullptr);

enum class StartResult {
  kStarted,
  kBadCommand,  // the program or its path was not found, or the command is
                // not a program Windows can start
  kFailed,      // anything else; see the error code
};

// Starts `command` (a command line as the user typed it, code page 932)
// with `file` added as one quoted argument, in `folder` (when it exists),
// with a normal window that may come to the front. Never through a shell:
// the file's name is never read as a command.
StartResult StartWithFile(const std::string& command, const std::wstring& file,
                          const std::string& folder, unsigned long* error = nullptr);

// Starts a program through `attempt` (true when started, the Windows
// error code left in GetLastError otherwise) and tries once more after
// `pause_ms` when the new process died while it was still being set up
// (ERROR_INTERNAL_ERROR). Wine reports that for a start lost on a busy
// machine; none of the program ran, so the second try does nothing twice.
// The last error is the last try's.
bool StartRetryingLostStart(const std::function<bool()>& attempt, unsigned pause_ms = 250);

// CreateProcessW through StartRetryingLostStart, with the window state
// `show`; `folder` may be null. The caller closes the handles in `pi`.
bool StartProcess(const wchar_t* application, std::wstring& command_line, const wchar_t* folder,
                  WORD show, PROCESS_INFORMATION& pi);

// The system's text for a Windows error code, without a final line break.
std::wstring SystemErrorText(unsigned long error);

}  // namespace zel

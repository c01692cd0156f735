// Environment files on disk: time-stamped backups in the program folder's
// "JWF_BACKUPs", the local time they are named by, and the full time stamp
// by which a file Jw_cad writes is recognised.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/envbackup.h"

namespace zel {

// The local time now, to the second.
Timestamp LocalNow();

enum class BackupResult {
  kWritten,  // the copy is in the backup folder
  kNoFile,   // there was no file to copy: nothing to protect
  kFailed,   // the folder could not be made, the file read or the copy written
};

// Copies the file at `path` whole into program_folder\JWF_BACKUPs (made when
// missing) under the name BackupFileName gives for `now`; a name already
// taken, by a copy made within the same second, is never replaced: the
// next free "-2", "-3" ... name is used. `backup_path` receives the copy's
// path when one was written.
BackupResult BackupEnvironmentFile(const std::string& program_folder, const std::string& path,
                                   const Timestamp& now, std::string* backup_path = nullptr);

// The file's last-write time in 100 ns units; nothing when the file is not
// there.
std::optional<std::uint64_t> FileWriteTime(const std::string& path);

// True when the file can be read and no program holds it open for writing:
// a file another program is still writing is not taken half-written.
bool FileClosedByWriters(const std::string& path);

// True when nothing exists at the path (as opposed to a file that cannot be
// read).
bool PathAbsent(const std::string& path);

}  // namespace zel

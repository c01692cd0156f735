// Names of the time-stamped backups of environment files, kept in the folder
// "JWF_BACKUPs" of the program folder.
#pragma once

#include <string>
#include <string_view>

namespace zel {

inline constexpr std::string_view kBackupFolderName = "JWF_BACKUPs";

// A local time to the second.
struct Timestamp {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The backup's file name for the copy made at `t`: "yyyymmddhhnnss.jwf".
// Two copies within one second must not replace each other, so attempt 2
// and later give "yyyymmddhhnnss-2.jwf", "-3" and on; they sort after the
// first of their second.
std::string BackupFileName(const Timestamp& t, int attempt = 1);

}  // namespace zel

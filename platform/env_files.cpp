#include "platform/env_files.h"

#include <windows.h>

#include "core/filelist.h"
#include "platform/files.h"
#include "platform/wstr.h"

namespace zel {

namespace {
// Enough for any number of copies a person can make within one second.
constexpr int kMaxBackupAttempts = 1000;
}  // namespace

Timestamp LocalNow() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

bool PathAbsent(const std::string& path) {
  if (GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  const DWORD err = GetLastError();
  return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
}

BackupResult BackupEnvironmentFile(const std::string& program_folder, const std::string& path,
                                   const Timestamp& now, std::string* backup_path) {
  if (PathAbsent(path)) return BackupResult::kNoFile;
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return BackupResult::kFailed;
  const std::string folder = JoinPath(program_folder, std::string(kBackupFolderName));
  // The folder is made on first use; a file of that name stands in its way.
  if (!FolderExists(folder) && !CreateDirectoryW(Wide(folder).c_str(), nullptr) &&
      !FolderExists(folder))
    return BackupResult::kFailed;
  for (int attempt = 1; attempt <= kMaxBackupAttempts; ++attempt) {
    const std::string target = JoinPath(folder, BackupFileName(now, attempt));
    switch (WriteNewFile(target, bytes)) {
      case NewFileResult::kWritten:
        if (backup_path) *backup_path = target;
        return BackupResult::kWritten;
      case NewFileResult::kExists:
        continue;
      case NewFileResult::kFailed:
        return BackupResult::kFailed;
    }
  }
  return BackupResult::kFailed;
}

std::optional<std::uint64_t> FileWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  return (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

bool FileClosedByWriters(const std::string& path) {
  // Sharing reads only: the open fails while a writer has the file open.
  HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

}  // namespace zel

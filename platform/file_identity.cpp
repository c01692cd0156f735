#include "platform/file_identity.h"

#include <windows.h>

#include "platform/handles.h"
#include "platform/wstr.h"

namespace zel {

namespace {

// Opened for nothing but its attributes: another program's lock on the
// file's contents does not get in the way.
UniqueFile OpenForIdentity(const std::string& path) {
  return UniqueFile(CreateFileW(Wide(path).c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

std::wstring LongFullPath(const std::string& path) {
  std::wstring w = Wide(path);
  wchar_t full[MAX_PATH * 4];
  DWORD n = GetFullPathNameW(w.c_str(), MAX_PATH * 4, full, nullptr);
  if (n == 0 || n >= MAX_PATH * 4) return w;
  wchar_t long_path[MAX_PATH * 4];
  DWORD m = GetLongPathNameW(full, long_path, MAX_PATH * 4);
  if (m == 0 || m >= MAX_PATH * 4) return std::wstring(full, n);
  return std::wstring(long_path, m);
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  UniqueFile fa = OpenForIdentity(a), fb = OpenForIdentity(b);
  if (!fa || !fb) return false;
  BY_HANDLE_FILE_INFORMATION ia, ib;
  if (GetFileInformationByHandle(fa.get(), &ia) && GetFileInformationByHandle(fb.get(), &ib) &&
      (ia.nFileIndexHigh | ia.nFileIndexLow) != 0) {
    return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
  }
  const std::wstring la = LongFullPath(a), lb = LongFullPath(b);
  return CompareStringOrdinal(la.c_str(), static_cast<int>(la.size()), lb.c_str(),
                              static_cast<int>(lb.size()), TRUE) == CSTR_EQUAL;
}

bool RemoveFileIfPresent(const std::string& path) {
  const std::wstring w = Wide(path);
  if (DeleteFileW(w.c_str())) return true;
  const DWORD err = GetLastError();
  return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
}

}  // namespace zel

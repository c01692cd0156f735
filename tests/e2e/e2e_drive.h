// A drive letter of the test's own: Wine maps a drive letter to the Linux
// folder its symbolic link in "$WINEPREFIX/dosdevices" points to, and lists
// the drive once the device name is defined. The link
// goes to a new folder under /tmp (or, for a drive that is not ready, to a
// folder that does not exist); both go with the object.
#pragma once
#ifdef _WIN32

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "tests/support/win_driver.h"

namespace zel::test {

class MappedDrive {
 public:
  MappedDrive(wchar_t letter, bool ready) : letter_(letter) {
    wchar_t prefix[1024] = L"";
    if (!GetEnvironmentVariableW(L"WINEPREFIX", prefix, 1024) || prefix[0] != L'/') return;
    const std::wstring name = L"zelnav_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                              std::to_wstring(GetTickCount64()) + L"_" + letter;
    folder_unix_ = L"/tmp/" + name;
    folder_ = std::filesystem::path(L"Z:\\tmp\\" + name);
    link_unix_ = std::wstring(prefix) + L"/dosdevices/" + letter + L":";
    // The link is made to a folder that exists, so the test can see when
    // it is in place (Wine hands the Linux program over and does not wait
    // for it); a drive that is not ready then loses its folder.
    if (!CreateDirectoryW(folder_.wstring().c_str(), nullptr)) return;
    if (!RunUnix(L"ln", L"-sfn " + folder_unix_ + L" " + link_unix_)) return;
    if (!WaitFor([&] { return IsFolder(root()); }, std::chrono::seconds(20))) return;
    // Wine's list of drives (GetLogicalDrives) learns of links made after
    // it started only through a definition of the device name.
    device_target_ = L"\\??\\" + folder_.wstring();
    if (!DefineDosDeviceW(DDD_RAW_TARGET_PATH, drive().c_str(), device_target_.c_str())) return;
    defined_ = true;
    if (!ready) {
      std::error_code ec;
      std::filesystem::remove_all(folder_, ec);
      folder_.clear();
      ok_ = !IsFolder(root());
      return;
    }
    ok_ = true;
  }
  ~MappedDrive() {
    if (defined_)
      DefineDosDeviceW(DDD_RAW_TARGET_PATH | DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE,
                       drive().c_str(), device_target_.c_str());
    if (!link_unix_.empty()) RunUnix(L"rm", L"-f " + link_unix_);
    std::error_code ec;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
  }
  MappedDrive(const MappedDrive&) = delete;
  MappedDrive& operator=(const MappedDrive&) = delete;

  bool ok() const { return ok_; }
  // "r:\" as the program spells a drive's root.
  std::wstring root() const { return std::wstring(1, letter_) + L":\\"; }
  std::wstring drive() const { return std::wstring(1, letter_) + L":"; }

 private:
  static bool IsFolder(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
  }

  // Wine starts a Linux program given by its path under Z:, and gives no
  // handle to wait on: the caller looks for the program's effect.
  static bool RunUnix(const std::wstring& tool, const std::wstring& args) {
    const std::wstring exe = L"Z:\\bin\\" + tool;
    std::wstring cl = L"/bin/" + tool + L" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), cl.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi))
      return false;
    if (pi.hProcess) CloseHandle(pi.hProcess);
    if (pi.hThread) CloseHandle(pi.hThread);
    return true;
  }

  wchar_t letter_;
  bool ok_ = false;
  bool defined_ = false;
  std::wstring device_target_;
  std::wstring folder_unix_, link_unix_;
  std::filesystem::path folder_;
};

}  // namespace zel::test

#endif

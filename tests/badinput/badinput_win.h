// What the window and end-to-end tests of the bad-input corpus share: a
// folder no program may write to, and the texts the window's controls show
// for the corpus's bytes.
#pragma once
#ifdef _WIN32

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "platform/wstr.h"
#include "tests/support/win_driver.h"

namespace zel::test {

// A folder in which no file can be made, renamed or removed, as on a
// write-protected card, a share the user may only read, or "Program Files"
// without the right to write there. Windows' own read-only attribute means
// nothing on folders, and the tests run as root under Wine, which no write
// permission stops; so the Linux folder is made immutable ("chattr +i"),
// which stops root too, and loses its write permissions for other users.
// `ok()` tells whether the folder really refuses new files.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const std::filesystem::path& folder) : folder_(folder) {
    unix_ = UnixPath(folder);
    if (unix_.empty()) return;
    Shell(L"chmod a-w '" + unix_ + L"'; chattr +i '" + unix_ + L"'");
    ok_ = WaitFor([&] { return !CanMakeFile(); }, std::chrono::seconds(20));
  }
  ~ReadOnlyFolder() {
    if (unix_.empty()) return;
    Shell(L"chattr -i '" + unix_ + L"'; chmod u+w '" + unix_ + L"'");
    WaitFor([&] { return CanMakeFile(); }, std::chrono::seconds(20));
  }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

  bool ok() const { return ok_; }

 private:
  // The Linux path of a folder, as Wine knows it.
  static std::wstring UnixPath(const std::filesystem::path& p) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    auto to_unix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!to_unix) return {};
    char* u = to_unix(p.wstring().c_str());
    if (!u) return {};
    std::wstring w = WideUtf8(u);
    HeapFree(GetProcessHeap(), 0, u);
    return w.find_first_of(L"'\"") == std::wstring::npos ? w : std::wstring();
  }
  // Wine starts a Linux program given by its path under Z:, without a
  // handle to wait on: the caller looks for its effect.
  static void Shell(const std::wstring& script) {
    std::wstring cl = L"/bin/sh -c \"" + script + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(L"Z:\\bin\\sh", cl.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &si, &pi)) {
      if (pi.hProcess) CloseHandle(pi.hProcess);
      if (pi.hThread) CloseHandle(pi.hThread);
    }
  }
  bool CanMakeFile() const {
    const std::wstring probe = (folder_ / L"zel_probe.tmp").wstring();
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    DeleteFileW(probe.c_str());
    return true;
  }

  std::filesystem::path folder_;
  std::wstring unix_;
  bool ok_ = false;
};

// The text a list row shows for a title: the control stops at a NUL, and
// the test reads at most 1023 characters of a row.
inline std::wstring ListText(const std::string& cp932) {
  std::wstring w = Wide(cp932);
  w = w.substr(0, w.find(L'\0'));
  return w.substr(0, 1023);
}

// The whole text of a control, however long.
inline std::wstring FullText(HWND h) {
  const int length = GetWindowTextLengthW(h);
  std::wstring all(static_cast<std::size_t>(length) + 1, L'\0');
  all.resize(static_cast<std::size_t>(GetWindowTextW(h, all.data(), length + 1)));
  return all;
}

}  // namespace zel::test

#endif

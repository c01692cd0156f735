// The stand-in editor: a test program, never shipped, that the tests name
// in Varnik's editor field. It writes down how it was started and exits.
//
// Each start leaves one file in "editor_runs" beside the program: its
// command line, its working folder and the window state it was asked for
// (UTF-8, one per line, CR LF). The file is named by the process's creation
// time (20 digits) and id, so the files sort in the order the processes
// were started, whichever of them happens to write first. It is written
// under a temporary name and then renamed, so a test never reads half of
// it.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

std::wstring OwnFolder() {
  wchar_t path[MAX_PATH * 2] = L"";
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  std::wstring p(path, n);
  return p.substr(0, p.find_last_of(L'\\') + 1);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring runs = OwnFolder() + L"editor_runs\\";
  CreateDirectoryW(runs.c_str(), nullptr);  // there already from an earlier start: fine

  FILETIME created{}, exited{}, kernel{}, user{};
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const unsigned long long stamp =
      (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
  wchar_t name[64];
  swprintf(name, 64, L"%020llu_%lu", stamp, GetCurrentProcessId());

  wchar_t cwd[MAX_PATH * 2] = L"";
  GetCurrentDirectoryW(MAX_PATH * 2, cwd);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  GetStartupInfoW(&si);
  const int show = (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : -1;

  const std::string text = Utf8(GetCommandLineW()) + "\r\n" + Utf8(cwd) + "\r\n" +
                           "show=" + std::to_string(show) + "\r\n";
  const std::wstring temp = runs + name + L".tmp";
  const std::wstring done = runs + name + L".txt";
  HANDLE f = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 2;
  DWORD wrote = 0;
  const BOOL ok = WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr);
  CloseHandle(f);
  if (!ok || wrote != text.size() || !MoveFileW(temp.c_str(), done.c_str())) return 3;
  return 0;
}

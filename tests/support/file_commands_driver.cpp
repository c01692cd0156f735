#ifdef _WIN32
#include "tests/support/file_commands_driver.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>

#include "tests/support/tempdir.h"
#include "tests/support/win_driver.h"

namespace zel::test {

namespace fs = std::filesystem;

namespace {

// Memory in the process of `window`, for messages whose pointers the
// window's own process must read.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, SIZE_T size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    proc_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (proc_)
      at_ = static_cast<char*>(
          VirtualAllocEx(proc_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  }
  ~RemoteBuffer() {
    if (at_) VirtualFreeEx(proc_, at_, 0, MEM_RELEASE);
    if (proc_) CloseHandle(proc_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  explicit operator bool() const { return at_ != nullptr; }
  char* at() const { return at_; }
  void Put(SIZE_T offset, const void* data, SIZE_T n) const {
    WriteProcessMemory(proc_, at_ + offset, data, n, nullptr);
  }
  void Get(SIZE_T offset, void* data, SIZE_T n) const {
    ReadProcessMemory(proc_, at_ + offset, data, n, nullptr);
  }

 private:
  HANDLE proc_ = nullptr;
  char* at_ = nullptr;
};

HWND HeaderOf(HWND list) {
  return reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
}

std::wstring FromUtf8(const std::string& s) {
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
  return out;
}

bool Running(const fs::path& exe) {
  const std::wstring name = exe.filename().wstring();
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32W e{};
  e.dwSize = sizeof e;
  bool found = false;
  for (BOOL ok = Process32FirstW(snap, &e); ok && !found; ok = Process32NextW(snap, &e))
    found = _wcsicmp(e.szExeFile, name.c_str()) == 0;
  CloseHandle(snap);
  return found;
}

bool UnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

}  // namespace

std::vector<std::wstring> ListViewHeaderTexts(HWND list) {
  std::vector<std::wstring> out;
  HWND header = HeaderOf(list);
  constexpr SIZE_T kText = 256;
  RemoteBuffer remote(list, sizeof(HDITEMW) + kText * sizeof(wchar_t));
  if (!header || !remote) return out;
  const int count = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = reinterpret_cast<wchar_t*>(remote.at() + sizeof(HDITEMW));
    item.cchTextMax = kText;
    remote.Put(0, &item, sizeof item);
    SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(remote.at()));
    std::wstring text(kText, L'\0');
    remote.Get(sizeof(HDITEMW), text.data(), kText * sizeof(wchar_t));
    text.resize(wcsnlen(text.c_str(), kText));
    out.push_back(text);
  }
  return out;
}

bool ClickListViewHeader(HWND list, int column) {
  HWND header = HeaderOf(list);
  RemoteBuffer remote(list, sizeof(RECT));
  if (!header || !remote) return false;
  if (!SendMessageW(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(remote.at())))
    return false;
  RECT r{};
  remote.Get(0, &r, sizeof r);
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(header, WM_LBUTTONUP, 0, at);
  return true;
}

std::vector<EditorRun> EditorRuns(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder / "editor_runs", ec))
    if (e.path().extension() == ".txt") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  std::vector<EditorRun> runs;
  for (const fs::path& f : files) {
    const std::string text = ReadBytes(f);
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
      std::size_t end = text.find("\r\n", at);
      if (end == std::string::npos) end = text.size();
      lines.push_back(text.substr(at, end - at));
      at = end + 2;
    }
    EditorRun run;
    if (lines.size() > 0) run.command_line = FromUtf8(lines[0]);
    if (lines.size() > 1) run.folder = FromUtf8(lines[1]);
    if (lines.size() > 2 && lines[2].rfind("show=", 0) == 0) run.show = std::stoi(lines[2].substr(5));
    runs.push_back(run);
  }
  return runs;
}

std::vector<EditorRun> WaitForEditorRuns(const fs::path& folder, const fs::path& exe,
                                         std::size_t count, std::chrono::milliseconds limit) {
  WaitFor([&] { return EditorRuns(folder).size() >= count && !Running(exe); }, limit);
  return EditorRuns(folder);
}

TrashCheck TakeFromTrash(const std::string& bytes) {
  wchar_t data_home[1024] = L"";
  if (!UnderWine() || !GetEnvironmentVariableW(L"XDG_DATA_HOME", data_home, 1024) ||
      data_home[0] != L'/')
    return TrashCheck::kNoTrashToCheck;
  std::wstring trash = L"Z:";
  for (const wchar_t* c = data_home; *c; ++c) trash += *c == L'/' ? L'\\' : *c;
  const fs::path files = fs::path(trash) / "Trash" / "files";
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(files, ec)) {
    if (!e.is_regular_file() || ReadBytes(e.path()) != bytes) continue;
    const fs::path info = fs::path(trash) / "Trash" / "info" /
                          (e.path().filename().wstring() + L".trashinfo");
    fs::remove(e.path(), ec);
    fs::remove(info, ec);
    return TrashCheck::kFound;
  }
  return TrashCheck::kNotFound;
}

}  // namespace zel::test
#endif

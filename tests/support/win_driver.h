// Driving real windows from a test, as a person would: start programs, wait
// for their windows, read and press controls, take screenshots. Every wait
// polls a condition with a generous bound.
#pragma once
#ifdef _WIN32

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace zel::test {

using namespace std::chrono_literals;

// Polls `done` every 50 ms, pumping this thread's messages, until it holds
// or `limit` passes. Returns the last result.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 30s);

// A started program; ended (killed if need be) when the object goes.
class Process {
 public:
  Process() = default;
  Process(const std::wstring& exe, const std::wstring& args, const std::wstring& cwd = L"");
  ~Process();
  Process(Process&& o) noexcept;
  Process& operator=(Process&& o) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool started() const { return info_.hProcess != nullptr; }
  DWORD pid() const { return info_.dwProcessId; }
  // True when it ended within `limit`.
  bool WaitExit(std::chrono::milliseconds limit);
  DWORD ExitCode() const;
  void Kill();

 private:
  PROCESS_INFORMATION info_{};
};

// A top-level window with this exact title owned by the process (any
// process when pid is 0), or null.
HWND FindWindowOf(DWORD pid, const std::wstring& title);
HWND WaitForWindow(DWORD pid, const std::wstring& title, std::chrono::milliseconds limit = 60s);

std::wstring WindowText(HWND h);
// The rows of a report-style list view in another process: each row its
// column texts.
std::vector<std::vector<std::wstring>> ListViewRows(HWND list, int columns);

// Selects and focuses one row of a list view in another process, as a
// click would, and scrolls it into sight. True when it is the selected row.
bool SelectListViewRow(HWND list, int row);

// The items of a tree view in another process, in display order: each its
// handle, its path of texts from the root (joined by "\") and the rectangle
// of its text in the tree's client coordinates.
struct RemoteTreeItem {
  HTREEITEM item;
  std::wstring path;
  RECT text_rect;
};
std::vector<RemoteTreeItem> TreeViewItems(HWND tree);

// The entries of a combo box in another process.
std::vector<std::wstring> ComboItems(HWND combo);

// Saves a PNG of the window as it is on the screen.
bool SaveWindowPng(HWND h, const std::wstring& path);

// The folder as Varnik holds a folder argument: short form, upper case.
std::wstring ShortUpper(const std::filesystem::path& p);

// A Windows path of a file in the Linux file system as Wine shows it.
std::wstring WinePath(const std::string& linux_path);

// The text of a message box owned by the process: its static text.
HWND FindMessageBox(DWORD pid);
std::wstring MessageBoxText(HWND box);

}  // namespace zel::test

#endif

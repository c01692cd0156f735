// What the tests of the list's columns and file commands need besides the
// window driver: the list's column headers (read and clicked, in this or
// another process), the runs the stand-in editor wrote down, and the trash
// a deleted file went to.
#pragma once
#ifdef _WIN32

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace zel::test {

// The header texts of a report-style list view, column by column.
std::vector<std::wstring> ListViewHeaderTexts(HWND list);

// Posts a left click on the middle of the header of `column` (by its
// index, wherever it is shown). False when the header has no such item.
bool ClickListViewHeader(HWND list, int column);

// One start of the stand-in editor, as it wrote it down.
struct EditorRun {
  std::wstring command_line;
  std::wstring folder;  // its working folder
  int show = -1;        // the window state it was given; -1 for none
};

// The runs a stand-in editor in `folder` wrote down so far, in the order
// the processes were started.
std::vector<EditorRun> EditorRuns(const std::filesystem::path& folder);

// Waits until at least `count` runs are written down and no copy of the
// program `exe` runs any more, so that no later run can come, and returns
// every run.
std::vector<EditorRun> WaitForEditorRuns(const std::filesystem::path& folder,
                                         const std::filesystem::path& exe, std::size_t count,
                                         std::chrono::milliseconds limit = std::chrono::seconds(60));

// Where a deleted file went under Wine: Wine keeps its Recycle Bin as the
// freedesktop.org trash, "%XDG_DATA_HOME%\Trash" (the test run sets
// XDG_DATA_HOME to a folder of the build).
enum class TrashCheck {
  kFound,           // a trashed file held exactly these bytes; it is removed
  kNotFound,
  kNoTrashToCheck,  // not under Wine, or XDG_DATA_HOME is not set
};
TrashCheck TakeFromTrash(const std::string& bytes);

}  // namespace zel::test

#endif

// Hosting the real main window in this process: a program folder and a
// folder of files of the test's own, message boxes recorded and answered
// with OK, and small helpers that read the window's controls.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui_service.h"
#include "app/varnik_window.h"
#include "core/linereader.h"
#include "core/settings.h"
#include "core/text.h"
#include "platform/wstr.h"
#include "tests/support/tempdir.h"
#include "tests/support/win_driver.h"

namespace zel::test {

// A path as the program forms it: code page 932, "\" separators.
inline std::string ProgramPath(const std::filesystem::path& p) { return Narrow(p.wstring()); }

inline std::wstring Text(HWND h) {
  wchar_t buf[2048] = L"";
  GetWindowTextW(h, buf, 2048);
  return buf;
}

// One column of the list, row by row.
inline std::vector<std::wstring> Column(HWND list, int column) {
  std::vector<std::wstring> out;
  const int count = ListView_GetItemCount(list);
  for (int i = 0; i < count; ++i) {
    wchar_t buf[1024] = L"";
    ListView_GetItemText(list, i, column, buf, 1024);
    out.push_back(buf);
  }
  return out;
}

using RowSet = std::set<std::pair<std::wstring, std::wstring>>;

// The rows as (title, file name) pairs; the order is the file system's.
inline RowSet Rows(HWND list) {
  std::vector<std::wstring> titles = Column(list, 0), names = Column(list, 1);
  RowSet rows;
  for (std::size_t i = 0; i < titles.size(); ++i) rows.insert({titles[i], names[i]});
  return rows;
}

inline void Click(const VarnikWindow& w, int id, HWND button) {
  SendMessageW(w.hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

inline void SetText(HWND h, const std::wstring& text) {
  SendMessageW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

inline bool Visible(HWND h) { return IsWindowVisible(h) != 0; }

inline std::string Batch(const char* title_utf8) {
  return J(std::string("REM ") + title_utf8 + " *\r\nREM #jw\r\njgawk -f x.awk\r\n");
}

// Each test: its own program folder (where Varnik.ini lives) and folder of
// files, message boxes recorded and answered with OK, and the process's
// working folder put back (the window moves it into the folders, and a
// working folder cannot be removed).
class VarnikWindowTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::filesystem::path prog = dir.path() / "prog";
  std::filesystem::path files = dir.path() / "gaihen";
  std::vector<MessageRequest> messages;

  void SetUp() override {
    std::filesystem::create_directories(prog);
    std::filesystem::create_directories(files);
    wchar_t cwd[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, cwd);
    saved_cwd_ = cwd;
    SetMessageAnswerer([this](const MessageRequest& r) {
      messages.push_back(r);
      return IDOK;
    });
  }

  void TearDown() override {
    SetMessageAnswerer(nullptr);
    SetCurrentDirectoryW(saved_cwd_.c_str());
    // A main window that goes ends the program's message loop (WM_QUIT).
    // Here the loop is the test program's own: a quit left in the queue
    // would end the next test's modal box at once, as if OK were pressed.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    // A box the test did not expect is a fault of its own.
    for (const MessageRequest& m : messages)
      ADD_FAILURE() << "unexpected message: " << Narrow(m.text);
  }

  std::string prog_arg() const { return ProgramPath(prog); }
  std::filesystem::path ini() const { return prog / "Varnik.ini"; }
  void Write(const std::filesystem::path& folder, const std::string& name,
             const std::string& bytes) const {
    WriteBytes(folder / PathFromCp932(name), bytes);
  }

  // A settings file as a previous run left it: a window well on the
  // screen, the files folder as the saved folder.
  Settings Prepared() const {
    Settings s = DefaultSettings(ProgramPath(files), kToolButtonCount);
    s.Top = 1200;
    s.Left = 1500;
    s.Width = 12000;
    s.Height = 9000;
    s.ColumnHead1W = 2600;
    s.ColumnHead2W = 1800;
    s.ColumnHead3W = 2200;
    s.ColumnPos = "1 2 3     ";
    s.Frame2left = 2790;
    s.Frame3Top = 3120;
    return s;
  }
  void WriteIni(const Settings& s) const { WriteBytes(ini(), FormatSettings(s)); }
  std::vector<std::string> IniLines() const { return SplitLines(ReadBytes(ini())); }

  // Creates the window and waits until it is shown and its tray window,
  // which loads once the window shows, is there.
  static void Start(VarnikWindow& w) {
    ASSERT_TRUE(w.Create(GetModuleHandleW(nullptr)));
    ASSERT_TRUE(w.alive());
    ASSERT_TRUE(WaitFor([&] {
      return (w.settings().win != 0 || Visible(w.hwnd())) && w.frmtask() != nullptr;
    }));
  }

 private:
  std::wstring saved_cwd_;
};

}  // namespace zel::test

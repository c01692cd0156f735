// Driving Jw_cad's file dialog on a crowded desktop. A real desktop holds
// hundreds of top-level windows, and a busy Jw_cad opens its dialog a moment
// after the command; the dialog then lies above all of them. The stand-in
// Jw_cad plays the late dialog ("/late=MS"); this test process plays the
// crowd, with windows of the dialog class, some of them with an "Edit" child
// that must never be filled.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/text.h"
#include "platform/jwcad.h"
#include "platform/wstr.h"
#include "tests/support/tempdir.h"
#include "tests/support/win_driver.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using namespace test;

// Hidden top-level windows of this process: "#32770" dialogs, every fifth
// with a direct "Edit" child, and windows of a class of its own.
class Crowd {
 public:
  explicit Crowd(int count) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kOtherClass;
    RegisterClassW(&wc);  // fails harmlessly when an earlier crowd registered it
    for (int i = 0; i < count; ++i) {
      const bool dialog = i % 3 != 2;
      HWND h = CreateWindowExW(0, dialog ? L"#32770" : kOtherClass, L"crowd", WS_POPUP, 0, 0, 50,
                               50, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
      if (!h) continue;
      windows_.push_back(h);
      if (dialog && i % 5 == 0) {
        HWND e = CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE, 0, 0, 40, 20, h, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        if (e) edits_.push_back(e);
      }
    }
  }
  ~Crowd() {
    for (HWND h : windows_) DestroyWindow(h);
  }
  Crowd(const Crowd&) = delete;
  Crowd& operator=(const Crowd&) = delete;

  std::size_t size() const { return windows_.size(); }
  std::size_t edits() const { return edits_.size(); }
  bool AnyFieldFilled() const {
    for (HWND e : edits_)
      if (GetWindowTextLengthW(e) != 0) return true;
    return false;
  }

 private:
  static constexpr const wchar_t* kOtherClass = L"ZelvantoCrowdWindow";
  std::vector<HWND> windows_;
  std::vector<HWND> edits_;
};

// A Jw_cad folder of its own with a copy of the stand-in, started with
// `args` and shown.
struct StandinJwCad {
  TempDir dir;
  fs::path jw = dir.path() / "jww";
  Process process;
  HWND main = nullptr;

  explicit StandinJwCad(const std::wstring& args) {
    fs::create_directories(jw);
    fs::copy_file(WinePath(ZEL_STANDIN_EXE), jw / "JW_WIN.exe");
    process = Process((jw / "JW_WIN.exe").wstring(), args, jw.wstring());
    main = WaitForWindow(process.pid(), L"jw_win");
    if (main) WaitFor([&] { return IsWindowVisible(main) != 0; });
  }
  ~StandinJwCad() {
    if (main && IsWindow(main)) PostMessageW(main, WM_CLOSE, 0, 0);
    process.WaitExit(30s);  // killed by Process if it did not end
  }
  std::string Log() const { return ReadBytes(jw / "standin.log"); }
  bool Logged(const std::string& utf8) const { return Log().find(utf8) != std::string::npos; }
};

TEST(JwCadFileDialog, ALateDialogAboveHundredsOfWindowsIsFilledAndConfirmed) {
  Crowd crowd(450);
  ASSERT_EQ(crowd.size(), 450u);
  ASSERT_GT(crowd.edits(), 0u);

  // A dialog that comes in time: found from the top of the z-order however
  // many windows lie below, filled, and its open button pressed.
  {
    StandinJwCad jw(L"/late=1000");
    ASSERT_NE(jw.main, nullptr) << "the stand-in Jw_cad did not start";
    const std::string path = Narrow((jw.jw / PathFromCp932(J("読込表.jwl"))).wstring());
    WriteBytes(PathFromCp932(path), J("レイヤ設定\r\n"));
    EXPECT_EQ(DriveJwCadFileDialog(kJwCadOpenCommand, WideUtf8("開く(&O)"), path),
              JwDialogResult::kPosted)
        << jw.Log();
    const std::string opened = Utf8FromCp932("open " + path + " " + J("レイヤ設定"));
    ASSERT_TRUE(WaitFor([&] { return jw.Logged(opened); }, 30s)) << jw.Log();
    // The dialog really came late, after the command.
    EXPECT_TRUE(jw.Logged("dialog-delayed 1000")) << jw.Log();
    EXPECT_FALSE(crowd.AnyFieldFilled()) << "a field of another program was filled";
  }

  // A dialog that does not come within the bound: given up, and the caller
  // can tell that from a posted click. Nothing of anyone else is touched.
  {
    StandinJwCad jw(L"/late=60000");
    ASSERT_NE(jw.main, nullptr) << "the stand-in Jw_cad did not start";
    const std::string path = Narrow((jw.jw / "never.jwl").wstring());
    EXPECT_EQ(DriveJwCadFileDialog(kJwCadOpenCommand, WideUtf8("開く(&O)"), path),
              JwDialogResult::kNoDialog);
    EXPECT_TRUE(jw.Logged("dialog-delayed 60000")) << jw.Log();
    EXPECT_FALSE(jw.Logged("open")) << jw.Log();
    EXPECT_FALSE(crowd.AnyFieldFilled()) << "a field of another program was filled";
  }
}

}  // namespace
}  // namespace zel

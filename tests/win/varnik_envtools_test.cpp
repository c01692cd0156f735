// The environment file tools in the real main window hosted in this process:
// comments inserted into the selected environment file, and the write-out
// of Jw_cad's environment up to the point where Jw_cad is needed. Message
// boxes and input boxes are answered by the test; every failure ends with a
// message and leaves the user's file as it was.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui_service.h"
#include "app/varnik_window.h"
#include "core/text.h"
#include "platform/jwcad.h"
#include "platform/wstr.h"
#include "tests/support/tempdir.h"
#include "tests/support/win_driver.h"
#include "tests/win/select_run_fixture.h"

namespace zel {
namespace {

using namespace test;

const char kTemplate[] = "# 見本\r\nPEN_W   0   0\r\n# 新しい設定\r\nNEW_OPT   1\r\n";
const char kEnv[] = "#古い題\r\nPEN_W 1 2\r\nMINE 表\r\nEND\r\n";

// Jw_cad's folder holds the template; the list shows environment files;
// input boxes are answered from `inputs` (cancelled when none is left) and
// recorded.
class EnvToolsTest : public SelectRunFixture {
 protected:
  std::deque<std::optional<std::wstring>> inputs;
  std::vector<InputRequest> asked;
  std::function<void()> while_asked;  // runs inside the next input box

  void SetUp() override {
    SelectRunFixture::SetUp();
    WriteBytes(jww / "sample.jwf", J(kTemplate));
    SetInputAnswerer([this](const InputRequest& r) -> std::optional<std::wstring> {
      asked.push_back(r);
      if (while_asked) {
        auto f = std::move(while_asked);
        while_asked = nullptr;
        f();
      }
      if (inputs.empty()) return std::nullopt;
      auto a = inputs.front();
      inputs.pop_front();
      return a;
    });
    ASSERT_EQ(FindJwCadWindow(), nullptr) << "a window titled jw_win is open on this desktop";
  }
  void TearDown() override {
    SetInputAnswerer(nullptr);
    SelectRunFixture::TearDown();
  }

  fs::path backups() const { return prog / "JWF_BACKUPs"; }
  std::vector<fs::path> BackupFiles() const {
    std::vector<fs::path> out;
    if (fs::exists(backups()))
      for (const auto& e : fs::directory_iterator(backups())) out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
  }

  // The window in environment-file mode on `files`.
  void StartJwf(VarnikWindow& w) {
    WriteIni(RunSettings());
    ASSERT_NO_FATAL_FAILURE(Start(w));
    ASSERT_EQ(w.FilterIndex(), 1);
  }

  // The context menu on `row`, choosing `command`.
  void ChooseOnRow(VarnikWindow& w, int row, UINT command) {
    SelectRow(w.ListView1, row);
    menu_choice = command;
    NotifyFromList(w, NM_RCLICK, row);
  }
};

// yyyymmddhhnnss.jwf, or with -n before the extension.
bool IsBackupName(const std::string& name) {
  if (name.size() < 18 || name.substr(name.size() - 4) != ".jwf") return false;
  for (int i = 0; i < 14; ++i)
    if (name[i] < '0' || name[i] > '9') return false;
  return name.size() == 18 || name[14] == '-';
}

TEST_F(EnvToolsTest, CommentsAreInsertedAfterABackupInBothModes) {
  Write(files, "env.jwf", J(kEnv));
  VarnikWindow w("/jwf", prog_arg());
  ASSERT_NO_FATAL_FAILURE(StartJwf(w));
  const std::string path = ProgramPath(files / "env.jwf");

  inputs.push_back(WideUtf8("新しい題"));
  ChooseOnRow(w, 0, kCmdAddcome);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].owner, w.hwnd());
  EXPECT_EQ(asked[0].prompt, Wide(path) + WideUtf8("　にコメントを挿入します。\r\n"
                                                   "環境設定ファイルのタイトルを入力してください。\r\n"
                                                   "行頭に # は不要です。"));
  EXPECT_EQ(asked[0].title, L"Zelvanto");
  EXPECT_EQ(asked[0].default_text, WideUtf8("古い題"));  // the first line without its "#"
  EXPECT_EQ(ReadBytes(files / "env.jwf"),
            J("# 新しい題   Add coments Zelvanto\r\n# 見本\r\nPEN_W   1   2\r\n# 新しい設定\r\n"
              "NEW_OPT   1  #←－－－－－－－－－－－－☆☆Newline☆☆\r\nMINE 表\r\nEND\r\n"));
  std::vector<fs::path> saved = BackupFiles();
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_TRUE(IsBackupName(saved[0].filename().string())) << saved[0];
  EXPECT_EQ(ReadBytes(saved[0]), J(kEnv));
  EXPECT_FALSE(fs::exists(jww / "temp.jwf"));
  // The list shows the new first line, the file stays selected, and the
  // comment pane shows the file as it is now.
  EXPECT_EQ(Column(w.ListView1, 0),
            (std::vector<std::wstring>{WideUtf8("# 新しい題   Add coments Zelvanto")}));
  EXPECT_EQ(ListView_GetItemState(w.ListView1, 0, LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED));
  EXPECT_NE(Text(w.Text1).find(WideUtf8("新しい題")), std::wstring::npos) << Narrow(Text(w.Text1));
  EXPECT_EQ(Text(w.Text1).find(WideUtf8("古い題")), std::wstring::npos) << Narrow(Text(w.Text1));
  std::vector<MessageRequest> m = TakeMessages();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].text, WideUtf8("コメントを挿入しました。"));
  EXPECT_EQ(Icon(m[0]), static_cast<UINT>(MB_ICONINFORMATION));

  // Partial, on the commented file, accepting the offered title: the old
  // header's blank stays; the marked line is now the file's own setting
  // and is aligned like any other (its marker is a value); the second
  // backup (maybe within the same second) keeps a name of its own.
  while_asked = [this] { inputs.push_back(asked.back().default_text); };
  ChooseOnRow(w, 0, kCmdAddcomebubun);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[1].default_text, WideUtf8(" 新しい題   Add coments Zelvanto"));
  EXPECT_EQ(ReadBytes(files / "env.jwf"),
            J("#  新しい題   Add coments Zelvanto   Add coments Zelvanto\r\n# 見本\r\n"
              "PEN_W   1   2\r\n# 新しい設定\r\n"
              "NEW_OPT   1 #←－－－－－－－－－－－－☆☆Newline☆☆\r\nMINE 表\r\nEND\r\n"));
  saved = BackupFiles();
  ASSERT_EQ(saved.size(), 2u);
  EXPECT_EQ(ReadBytes(saved[0]) == J(kEnv) ? ReadBytes(saved[1]) : ReadBytes(saved[0]),
            J("# 新しい題   Add coments Zelvanto\r\n# 見本\r\nPEN_W   1   2\r\n# 新しい設定\r\n"
              "NEW_OPT   1  #←－－－－－－－－－－－－☆☆Newline☆☆\r\nMINE 表\r\nEND\r\n"));
  ASSERT_EQ(TakeMessages().size(), 1u);
  w.Unload();
}

TEST_F(EnvToolsTest, NoTitleNoChange) {
  Write(files, "env.jwf", J(kEnv));
  VarnikWindow w("/jwf", prog_arg());
  ASSERT_NO_FATAL_FAILURE(StartJwf(w));
  inputs.push_back(std::nullopt);  // cancelled
  ChooseOnRow(w, 0, kCmdAddcome);
  inputs.push_back(std::wstring());  // OK on an empty field
  ChooseOnRow(w, 0, kCmdAddcomebubun);
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_EQ(ReadBytes(files / "env.jwf"), J(kEnv));
  EXPECT_FALSE(fs::exists(backups()));
  EXPECT_FALSE(fs::exists(jww / "temp.jwf"));
  w.Unload();
}

TEST_F(EnvToolsTest, FailuresSayWhyAndLeaveTheFileAsItWas) {
  Write(files, "env.jwf", J(kEnv));
  VarnikWindow w("/jwf", prog_arg());
  ASSERT_NO_FATAL_FAILURE(StartJwf(w));
  const fs::path env = files / "env.jwf";
  auto expect_one_message = [this](const char* text) {
    std::vector<MessageRequest> m = TakeMessages();
    ASSERT_EQ(m.size(), 1u) << text;
    EXPECT_TRUE(TextHas(m[0], text)) << text << " / shown: " << Utf8FromCp932(Narrow(m[0].text));
    EXPECT_EQ(Icon(m[0]), static_cast<UINT>(MB_ICONWARNING));
  };

  // No row selected: no question, a message.
  ListView_SetItemState(w.ListView1, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  Command(w, kCmdAddcome);
  EXPECT_TRUE(asked.empty());
  expect_one_message("環境設定ファイルが選ばれていません。");

  // No template: nothing backed up or written.
  fs::rename(jww / "sample.jwf", jww / "sample.old");
  inputs.push_back(L"t");
  ChooseOnRow(w, 0, kCmdAddcome);
  expect_one_message("sample.jwf が見つからないか、読めません。");
  EXPECT_FALSE(fs::exists(backups()));
  fs::rename(jww / "sample.old", jww / "sample.jwf");

  // A file another program holds shut.
  {
    HANDLE lock = CreateFileW(env.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    inputs.push_back(L"t");
    ChooseOnRow(w, 0, kCmdAddcome);
    CloseHandle(lock);
    expect_one_message("環境設定ファイルを読めません。");
    EXPECT_FALSE(fs::exists(backups()));
  }

  // No backup can be made: the file it should protect is not replaced.
  WriteBytes(backups(), "a file in the folder's place");
  inputs.push_back(L"t");
  ChooseOnRow(w, 0, kCmdAddcome);
  expect_one_message("バックアップを作れなかったため、ファイルは書き換えていません。");
  EXPECT_FALSE(fs::exists(jww / "temp.jwf"));
  fs::remove(backups());

  // The work file cannot be written (a folder stands in its place).
  fs::create_directories(jww / "temp.jwf");
  inputs.push_back(L"t");
  ChooseOnRow(w, 0, kCmdAddcome);
  expect_one_message("作業ファイルを書き込めなかったため、ファイルは書き換えていません。");
  fs::remove(jww / "temp.jwf");

  // The file itself cannot be replaced (another program has it open and
  // lets others read it, but not remove it): the work file goes, the
  // backup stays.
  {
    HANDLE open = CreateFileW(env.wstring().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(open, INVALID_HANDLE_VALUE);
    inputs.push_back(L"t");
    ChooseOnRow(w, 0, kCmdAddcome);
    CloseHandle(open);
    expect_one_message("ファイルを書き換えられませんでした。元の内容のままです。");
    EXPECT_FALSE(fs::exists(jww / "temp.jwf"));
    // This attempt and the one before got as far as the backup.
    EXPECT_EQ(BackupFiles().size(), 2u);
  }

  EXPECT_EQ(ReadBytes(env), J(kEnv));
  w.Unload();
}

TEST_F(EnvToolsTest, TheJwCadFoldersTempJwfItselfIsCommentedAndKept) {
  WriteBytes(jww / "temp.jwf", J(kEnv));
  Settings s = RunSettings();
  s.gaihenfolder = ProgramPath(jww);
  WriteIni(s);
  VarnikWindow w("/jwf", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  const int row = RowOf(w.ListView1, L"temp.jwf");
  ASSERT_GE(row, 0);
  inputs.push_back(L"t");
  ChooseOnRow(w, row, kCmdAddcomebubun);
  EXPECT_EQ(ReadBytes(jww / "temp.jwf"),
            J("# t   Add coments Zelvanto\r\n# 見本\r\nPEN_W   1   2\r\n# 新しい設定\r\n"
              "MINE 表\r\nEND\r\n"));
  ASSERT_EQ(TakeMessages().size(), 1u);
  w.Unload();
}

TEST_F(EnvToolsTest, WriteOutAsksTwiceAndStopsWithoutAnAnswer) {
  WriteBytes(jww / "JW_WIN.JWF", J(kEnv));
  VarnikWindow w("/jwf", prog_arg());
  ASSERT_NO_FATAL_FAILURE(StartJwf(w));

  // "No": Jw_cad is not running.
  answers = {IDNO};
  Command(w, kCmdJwfOut);
  std::vector<MessageRequest> m = TakeMessages();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].text, WideUtf8("JW_CAD for Windowsを起動していますか？\r\n"
                                "最小化表示で起動している場合は、最大化表示か通常表示状態で待機しておいてください。"));
  EXPECT_EQ(m[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONINFORMATION));
  EXPECT_EQ(m[1].text, WideUtf8("Jw_cad for Windowsを起動してください。"));
  EXPECT_EQ(Icon(m[1]), static_cast<UINT>(MB_ICONWARNING));
  EXPECT_TRUE(asked.empty());

  // "Yes", then no title (cancelled, then empty): nothing happens.
  for (std::optional<std::wstring> title : {std::optional<std::wstring>(), std::optional<std::wstring>(L"")}) {
    answers = {IDYES};
    inputs.push_back(title);
    Command(w, kCmdJwfOut);
    EXPECT_EQ(TakeMessages().size(), 1u);
  }
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].title, WideUtf8("JW_WIN.JWFの書出し"));
  EXPECT_EQ(asked[0].prompt,
            WideUtf8("タイトルを入力してください.（現在のJW_WIN.JWFはJWF_BACKsフォルダに"
                     "「日付.JWF」としてパックアップします）"));
  EXPECT_EQ(asked[0].default_text, L"");
  EXPECT_FALSE(fs::exists(backups()));

  // No template: Jw_cad is not troubled, nothing is backed up.
  fs::remove(jww / "sample.jwf");
  answers = {IDYES};
  inputs.push_back(L"t");
  Command(w, kCmdJwfOut);
  m = TakeMessages();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_TRUE(TextHas(m[1], "sample.jwf が見つからないか、読めません。"));
  EXPECT_FALSE(fs::exists(backups()));
  EXPECT_EQ(ReadBytes(jww / "JW_WIN.JWF"), J(kEnv));
  w.Unload();
}

TEST_F(EnvToolsTest, WriteOutWithoutJwCadFailsAndKeepsJwWinJwf) {
  WriteBytes(jww / "JW_WIN.JWF", J(kEnv));
  WriteBytes(jww / "T.JWF", "an old write-out\r\n");
  VarnikWindow w("/jwf", prog_arg());
  ASSERT_NO_FATAL_FAILURE(StartJwf(w));
  const std::string before = [] {
    wchar_t buf[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, buf);
    return Narrow(buf);
  }();

  // While the command waits on the user, it is busy: another write-out or
  // insertion asked for meanwhile is ignored, not queued.
  bool busy_while_asked = false;
  while_asked = [&] {
    busy_while_asked = w.busy();
    Command(w, kCmdJwfOut);
    Command(w, kCmdAddcome);
  };
  answers = {IDYES};
  inputs.push_back(L"t");
  Command(w, kCmdJwfOut);
  EXPECT_TRUE(busy_while_asked);
  EXPECT_EQ(asked.size(), 1u);
  EXPECT_FALSE(w.busy());

  std::vector<MessageRequest> m = TakeMessages();
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[1].text, WideUtf8("jwwを起動してください"));
  EXPECT_EQ(m[2].text, WideUtf8("jw_win.jwfのを書出しに失敗しました。jw_winを起動してください。"));
  EXPECT_EQ(Icon(m[2]), static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(ReadBytes(jww / "JW_WIN.JWF"), J(kEnv));
  // The backup of JW_WIN.JWF was made before Jw_cad was asked; the old
  // write-out went so it could not be taken for a new one.
  const std::vector<fs::path> saved = BackupFiles();
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(ReadBytes(saved[0]), J(kEnv));
  EXPECT_FALSE(fs::exists(jww / "T.JWF"));
  EXPECT_FALSE(fs::exists(jww / "temp.jwf"));
  // The working folder is what it was before the command.
  wchar_t after[MAX_PATH] = L"";
  GetCurrentDirectoryW(MAX_PATH, after);
  EXPECT_EQ(Narrow(after), before);
  w.Unload();
}

}  // namespace
}  // namespace zel

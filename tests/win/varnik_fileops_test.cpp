// The list's file commands in the real main window hosted in this process:
// the editor started on the selected file, its related files and the fixed
// files of the Jw_cad folder; renaming; moving a file to the Recycle Bin.
// The editor is the stand-in editor, which writes down how it was started;
// message boxes and input boxes are answered by the test.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/varnik_window.h"
#include "core/text.h"
#include "platform/ui_service.h"
#include "platform/wstr.h"
#include "tests/support/file_commands_driver.h"
#include "tests/support/tempdir.h"
#include "tests/support/win_driver.h"
#include "tests/win/select_run_fixture.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using namespace test;

// The long form of an existing path, as Windows writes it out.
std::wstring Long(const fs::path& p) {
  wchar_t buf[MAX_PATH * 2];
  const DWORD n = GetLongPathNameW(p.wstring().c_str(), buf, MAX_PATH * 2);
  return n && n < MAX_PATH * 2 ? std::wstring(buf, n) : p.wstring();
}

// Paths Windows wrote out from different starting points (a short upper-case
// folder, the long one) agree but for the letter case of the folders above.
bool SameIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The names in a folder exactly as the file system keeps them.
std::set<std::wstring> NamesIn(const fs::path& folder) {
  std::set<std::wstring> out;
  for (const auto& e : fs::directory_iterator(folder)) out.insert(e.path().filename().wstring());
  return out;
}

// Holds a file open without sharing it, as a program that is using it does.
class Lock {
 public:
  explicit Lock(const fs::path& p)
      : h_(CreateFileW(p.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~Lock() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
  bool held() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

class FileOpsTest : public SelectRunFixture {
 protected:
  // The stand-in editor in a folder with a blank; the editor field names it
  // in quotes, with an option of its own after it, as a user may type it.
  fs::path editor_dir = dir.path() / "ed it";
  fs::path editor_exe = editor_dir / "editor.exe";
  std::wstring editor_field;
  std::deque<std::optional<std::wstring>> inputs;
  std::vector<InputRequest> asked;

  void SetUp() override {
    SelectRunFixture::SetUp();
    fs::create_directories(editor_dir);
    fs::copy_file(WinePath(ZEL_EDITOR_STANDIN_EXE), editor_exe);
    editor_field = L"\"" + editor_exe.wstring() + L"\" -n";
    SetInputAnswerer([this](const InputRequest& r) -> std::optional<std::wstring> {
      asked.push_back(r);
      if (inputs.empty()) return std::nullopt;
      auto a = inputs.front();
      inputs.pop_front();
      return a;
    });
  }
  void TearDown() override {
    SetInputAnswerer(nullptr);
    SelectRunFixture::TearDown();
  }

  // Settings for a current folder and a Jw_cad folder of the test's choice.
  Settings SettingsFor(const fs::path& folder, const fs::path& jw) const {
    Settings s = RunSettings();
    s.gaihenfolder = ProgramPath(folder);
    s.jwwfolder = ProgramPath(jw);
    s.editor = Narrow(editor_field);
    return s;
  }

  void ChooseOnRow(VarnikWindow& w, int row, UINT command) {
    SelectRow(w.ListView1, row);
    menu_choice = command;
    NotifyFromList(w, NM_RCLICK, row);
  }

  // What the editor got: the field as typed, then the file in quotes.
  std::wstring EditorGot(const std::wstring& path) const {
    return editor_field + L" \"" + path + L"\"";
  }

  std::vector<EditorRun> Runs(std::size_t count) {
    return WaitForEditorRuns(editor_dir, editor_exe, count);
  }

  void ExpectOneMessage(const char* text, UINT icon) {
    std::vector<MessageRequest> m = TakeMessages();
    ASSERT_EQ(m.size(), 1u) << text;
    EXPECT_TRUE(TextHas(m[0], text)) << text << " / shown: " << Utf8FromCp932(Narrow(m[0].text));
    EXPECT_EQ(Icon(m[0]), icon) << text;
    EXPECT_EQ(m[0].caption, L"Zelvanto");
  }
};

// A batch in a folder whose name holds a blank and the trail bytes 5C of 表
// and ソ, reached through its short path (the folder is given on the command
// line): the editor gets the long paths, each as one quoted argument.
TEST_F(FileOpsTest, TheEditorGetsEachFileAsOneQuotedLongPath) {
  const fs::path folder = dir.path() / PathFromCp932(J("作業 表ソ"));
  const fs::path jw = dir.path() / "jw cad";
  fs::create_directories(folder);
  fs::create_directories(jw);
  Write(folder, J("円.bat"),
        J("REM 円\r\nREM #jw\r\njgawk -f FIRST.AWK\r\ngawk -f %AWKPATH%SECOND.AWK\r\n"));
  Write(folder, "FIRST.AWK", "{}\r\n");
  Write(folder, "SECOND.AWK", "{}\r\n");
  WriteBytes(jw / "sample.jwf", "#s\r\n");
  WriteBytes(jw / "SAMPLE.JWL", "#l\r\n");  // found whatever its letter case
  WriteIni(SettingsFor(files, jw));
  VarnikWindow w("\"" + ProgramPath(folder) + "\"", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ASSERT_EQ(ListView_GetItemCount(w.ListView1), 1);
  const std::wstring at = Long(folder);

  // "ＡＬＬ": the two scripts in menu order, then the batch.
  ChooseOnRow(w, 0, kCmdBatedit);
  ASSERT_NE(w.SelectedFilePath().find("~"), std::string::npos) << "held by its short path";
  std::vector<EditorRun> runs = Runs(3);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_PRED2(SameIgnoringCase, runs[0].command_line, EditorGot(at + L"\\FIRST.AWK"));
  EXPECT_PRED2(SameIgnoringCase, runs[1].command_line, EditorGot(at + L"\\SECOND.AWK"));
  EXPECT_PRED2(SameIgnoringCase, runs[2].command_line, EditorGot(at + WideUtf8("\\円.bat")));
  for (const EditorRun& r : runs) EXPECT_EQ(r.show, SW_SHOWNORMAL);

  // One related file, then the file itself from the same submenu.
  ChooseOnRow(w, 0, kCmdKanrenfileFirst + 2);
  ChooseOnRow(w, 0, kCmdKanrenfileFirst);
  runs = Runs(5);
  ASSERT_EQ(runs.size(), 5u);
  EXPECT_PRED2(SameIgnoringCase, runs[3].command_line, EditorGot(at + L"\\SECOND.AWK"));
  EXPECT_PRED2(SameIgnoringCase, runs[4].command_line, EditorGot(at + WideUtf8("\\円.bat")));

  // The Samples menu, each time it opens: files that may be missing are
  // offered only while they are there.
  HMENU samples = GetSubMenu(GetMenu(w.hwnd()), 1);
  ASSERT_NE(samples, nullptr);
  auto offered = [&](UINT id) {
    SendMessageW(w.hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(samples), 1);
    return (GetMenuState(samples, id, MF_BYCOMMAND) & MF_GRAYED) == 0;
  };
  EXPECT_FALSE(offered(kCmdJwwSmpl));
  EXPECT_TRUE(offered(kCmdSJwf));
  EXPECT_TRUE(offered(kCmdSJwl));
  EXPECT_FALSE(offered(kCmdKJwm));
  EXPECT_FALSE(offered(kCmdJwwinTxt));
  for (UINT always : {kCmdMnuOpt4, kCmdJwctemp, kCmdVnkTempBat}) EXPECT_TRUE(offered(always));
  WriteBytes(jw / "jww_smpl.bat", "@echo\r\n");
  EXPECT_TRUE(offered(kCmdJwwSmpl));
  fs::remove(jw / "sample.jwf");
  EXPECT_FALSE(offered(kCmdSJwf));

  Command(w, kCmdJwwSmpl);
  // The button "JW_WIN.JWF": the file need not be there.
  Click(w, kIdComJwwinjwf, w.Com_jwwinjwf);
  runs = Runs(7);
  ASSERT_EQ(runs.size(), 7u);
  EXPECT_PRED2(SameIgnoringCase, runs[5].command_line, EditorGot(Long(jw) + L"\\jww_smpl.bat"));
  EXPECT_PRED2(SameIgnoringCase, runs[6].command_line, EditorGot(Long(jw) + L"\\jw_win.jwf"));
  w.Unload();
}

TEST_F(FileOpsTest, WithoutAWorkingEditorNothingStartsAndTheUserIsTold) {
  Write(files, "en.bat", J(kEnBatch));
  WriteIni(SettingsFor(files, jww));
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));

  SetText(w.Text_edit, L"");
  for (UINT command : {static_cast<UINT>(kCmdBatedit), static_cast<UINT>(kCmdKanrenfileFirst)}) {
    ChooseOnRow(w, 0, command);
    ASSERT_NO_FATAL_FAILURE(ExpectOneMessage("エディターを指定してください", MB_ICONERROR));
  }
  for (UINT command : {static_cast<UINT>(kCmdJwwSmpl), static_cast<UINT>(kCmdVnkTempBat)}) {
    Command(w, command);
    ASSERT_NO_FATAL_FAILURE(ExpectOneMessage("エディターを指定してください", MB_ICONERROR));
  }
  Click(w, kIdComJwwinjwf, w.Com_jwwinjwf);
  ASSERT_NO_FATAL_FAILURE(ExpectOneMessage("エディターを指定してください", MB_ICONERROR));

  // A program that is not there: one message, and "ＡＬＬ" stops at once.
  SetText(w.Text_edit, (dir.path() / "nowhere" / "none.exe").wstring());
  ChooseOnRow(w, 0, kCmdBatedit);
  ASSERT_NO_FATAL_FAILURE(ExpectOneMessage("エディターの指定が間違ってます。", MB_ICONERROR));
  Command(w, kCmdJwctemp);
  ASSERT_NO_FATAL_FAILURE(ExpectOneMessage("エディターの指定が間違ってます。", MB_ICONERROR));
  // A folder named as the editor is as wrong as a program that is not there.
  SetText(w.Text_edit, dir.path().wstring());
  ChooseOnRow(w, 0, kCmdBatedit);
  ASSERT_NO_FATAL_FAILURE(ExpectOneMessage("エディターの指定が間違ってます。", MB_ICONERROR));

  // With the editor back one start follows, and it is the only one there
  // ever was.
  SetText(w.Text_edit, editor_field);
  Command(w, kCmdJwctemp);
  const std::vector<EditorRun> runs = Runs(1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_PRED2(SameIgnoringCase, runs[0].command_line, EditorGot(Long(jww) + L"\\JWC_TEMP.TXT"));
  w.Unload();
}

// Environment files in a folder whose name holds a blank and 表.
class RenameTest : public FileOpsTest {
 protected:
  fs::path folder = dir.path() / PathFromCp932(J("能 表"));

  void SetUp() override {
    FileOpsTest::SetUp();
    fs::create_directories(folder);
  }
  int Row(const VarnikWindow& w, const char* name_utf8) const {
    return RowOf(w.ListView1, WideUtf8(name_utf8));
  }
  void Rename(VarnikWindow& w, const char* name_utf8, std::optional<std::wstring> answer) {
    const int row = Row(w, name_utf8);
    ASSERT_GE(row, 0) << name_utf8;
    inputs.push_back(std::move(answer));
    ChooseOnRow(w, row, kCmdMnuRemame);
  }
};

TEST_F(RenameTest, ANewNameIsCleanedAndKeepsTheExtension) {
  Write(folder, J("円弧.jwf"), "#arc\r\n");
  Write(folder, "Up.JWF", "#up\r\n");
  Write(folder, "other.jwf", "#other\r\n");
  // A long name code page 932 cannot hold (the snowman): listed by its
  // short name, whose extension is upper case.
  WriteBytes(folder / (WideUtf8("雪") + L"\u2603.jwf"), "#snow\r\n");
  WriteIni(SettingsFor(folder, jww));
  VarnikWindow w("/jwf", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));

  ASSERT_NO_FATAL_FAILURE(Rename(w, "円弧.jwf", L"a/b:c"));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].title, WideUtf8("ファイル名の変更"));
  EXPECT_EQ(asked[0].prompt, WideUtf8("ファイル名を入力してください。(拡張子不要）"));
  EXPECT_EQ(asked[0].default_text, WideUtf8("円弧"));
  EXPECT_EQ(asked[0].owner, w.hwnd());
  EXPECT_EQ(ReadBytes(folder / "a_b_c.jwf"), "#arc\r\n");
  EXPECT_FALSE(fs::exists(folder / PathFromCp932(J("円弧.jwf"))));
  // The list shows the new name, highlighted, and the selection is it.
  EXPECT_EQ(SelectedRow(w.ListView1), Row(w, "a_b_c.jwf"));
  EXPECT_EQ(w.SelectedFilePath(), ProgramPath(folder / "a_b_c.jwf"));
  EXPECT_EQ(Row(w, "円弧.jwf"), -1);

  // The extension keeps its letter case; a typed extension is part of the
  // name.
  ASSERT_NO_FATAL_FAILURE(Rename(w, "Up.JWF", L"x.txt"));
  EXPECT_EQ(ReadBytes(folder / "x.txt.JWF"), "#up\r\n");

  // Only the letter case changes: the file takes the new case.
  ASSERT_NO_FATAL_FAILURE(Rename(w, "other.jwf", L"OTHER"));
  EXPECT_EQ(NamesIn(folder).count(L"OTHER.jwf"), 1u);
  EXPECT_EQ(NamesIn(folder).count(L"other.jwf"), 0u);
  EXPECT_EQ(SelectedRow(w.ListView1), Row(w, "OTHER.jwf"));

  // Double-byte names whose trail bytes are "\".
  ASSERT_NO_FATAL_FAILURE(Rename(w, "OTHER.jwf", WideUtf8("表ソ")));
  EXPECT_EQ(ReadBytes(folder / PathFromCp932(J("表ソ.jwf"))), "#other\r\n");
  EXPECT_EQ(w.SelectedFilePath(), ProgramPath(folder) + J("\\表ソ.jwf"));

  // The file listed by its short name keeps the extension of its long
  // name, letter case included.
  std::wstring short_name;
  for (const auto& row : Rows(w.ListView1))
    if (row.first == L"#snow") short_name = row.second;
  ASSERT_FALSE(short_name.empty());
  inputs.push_back(WideUtf8("雪"));
  ChooseOnRow(w, RowOf(w.ListView1, short_name), kCmdMnuRemame);
  EXPECT_EQ(ReadBytes(folder / PathFromCp932(J("雪.jwf"))), "#snow\r\n");
  EXPECT_EQ(NamesIn(folder).count(WideUtf8("雪.jwf")), 1u);
  EXPECT_TRUE(messages.empty());
  w.Unload();
}

TEST_F(RenameTest, ARefusedRenameSaysWhyAndChangesNothing) {
  Write(folder, "mine.jwf", "#mine\r\n");
  Write(folder, "other.jwf", "#other\r\n");
  WriteIni(SettingsFor(folder, jww));
  VarnikWindow w("/jwf", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  const std::set<std::wstring> before = NamesIn(folder);
  const RowSet rows = Rows(w.ListView1);

  // Cancelled, or OK on an empty field: nothing, not even a message.
  ASSERT_NO_FATAL_FAILURE(Rename(w, "mine.jwf", std::nullopt));
  ASSERT_NO_FATAL_FAILURE(Rename(w, "mine.jwf", L""));
  EXPECT_TRUE(messages.empty());

  // The name of another file: that file is never replaced.
  ASSERT_NO_FATAL_FAILURE(Rename(w, "mine.jwf", L"Other"));
  ASSERT_NO_FATAL_FAILURE(ExpectOneMessage("「Other.jwf」という名前のファイルが既にあるため",
                                           MB_ICONWARNING));
  ASSERT_NO_FATAL_FAILURE(Rename(w, "mine.jwf", L"   "));
  ASSERT_NO_FATAL_FAILURE(ExpectOneMessage("空白だけ", MB_ICONWARNING));
  {
    Lock lock(folder / "mine.jwf");
    ASSERT_TRUE(lock.held());
    ASSERT_NO_FATAL_FAILURE(Rename(w, "mine.jwf", L"moved"));
  }
  ASSERT_NO_FATAL_FAILURE(ExpectOneMessage("使用中", MB_ICONWARNING));
  EXPECT_EQ(NamesIn(folder), before);
  EXPECT_EQ(ReadBytes(folder / "mine.jwf"), "#mine\r\n");
  EXPECT_EQ(ReadBytes(folder / "other.jwf"), "#other\r\n");
  EXPECT_EQ(Rows(w.ListView1), rows);

  // No row highlighted.
  ListView_SetItemState(w.ListView1, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  Command(w, kCmdMnuRemame);
  ASSERT_NO_FATAL_FAILURE(ExpectOneMessage("名前を変更するファイルが選ばれていません。",
                                           MB_ICONWARNING));
  EXPECT_EQ(asked.size(), 5u);
  w.Unload();
}

class DeleteTest : public RenameTest {};

TEST_F(DeleteTest, AConfirmedDeleteMovesTheFileToTheRecycleBin) {
  const std::string bytes = "#delete me " + std::to_string(GetTickCount64()) + "\r\n";
  Write(folder, J("消す.jwf"), bytes);
  Write(folder, "keep.jwf", "#keep\r\n");
  WriteIni(SettingsFor(files, jww));
  // The folder from the command line: the selection holds its short path.
  VarnikWindow w("/jwf \"" + ProgramPath(folder) + "\"", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  const fs::path doomed = folder / PathFromCp932(J("消す.jwf"));

  answers.push_back(IDCANCEL);
  ChooseOnRow(w, Row(w, "消す.jwf"), kCmdFilekill);
  std::vector<MessageRequest> m = TakeMessages();
  ASSERT_EQ(m.size(), 1u);
  // The path the user knows, then the question on a line of its own.
  EXPECT_PRED2(SameIgnoringCase, m[0].text,
               Long(doomed) + WideUtf8("を削除します\r\nよろしいですか？ "));
  EXPECT_EQ(m[0].flags, static_cast<UINT>(MB_OKCANCEL | MB_ICONWARNING));
  EXPECT_TRUE(fs::exists(doomed));
  EXPECT_EQ(ListView_GetItemCount(w.ListView1), 2);

  answers.push_back(IDOK);
  ChooseOnRow(w, Row(w, "消す.jwf"), kCmdFilekill);
  ASSERT_EQ(TakeMessages().size(), 1u);
  EXPECT_FALSE(fs::exists(doomed));
  EXPECT_EQ(Column(w.ListView1, 1), std::vector<std::wstring>{L"keep.jwf"});
  const TrashCheck trash = TakeFromTrash(bytes);
  if (trash == TrashCheck::kNoTrashToCheck)
    GTEST_LOG_(INFO) << "no trash folder to look into (XDG_DATA_HOME is not set under Wine)";
  else
    EXPECT_EQ(trash, TrashCheck::kFound) << "the deleted file is not in the trash";
  w.Unload();
}

TEST_F(DeleteTest, AFailedDeleteSaysWhyAndChangesNothing) {
  Write(folder, "ro.jwl", "#ro\r\n");
  Write(folder, "busy.jwl", "#busy\r\n");
  WriteIni(SettingsFor(folder, jww));
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  // Layer files: two steps on from batch files.
  Click(w, kIdCommand3, w.Command3);
  Click(w, kIdCommand3, w.Command3);
  ASSERT_EQ(w.FilterIndex(), 2);
  ASSERT_EQ(ListView_GetItemCount(w.ListView1), 2);
  const RowSet rows = Rows(w.ListView1);

  const fs::path ro = folder / "ro.jwl";
  ASSERT_TRUE(SetFileAttributesW(ro.wstring().c_str(), FILE_ATTRIBUTE_READONLY));
  answers.push_back(IDOK);
  ChooseOnRow(w, Row(w, "ro.jwl"), kCmdFilekill);
  std::vector<MessageRequest> m = TakeMessages();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_TRUE(TextHas(m[1], "は読み取り専用のため、削除できません。"));
  EXPECT_EQ(Icon(m[1]), static_cast<UINT>(MB_ICONWARNING));
  SetFileAttributesW(ro.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);

  {
    Lock lock(folder / "busy.jwl");
    ASSERT_TRUE(lock.held());
    answers.push_back(IDOK);
    ChooseOnRow(w, Row(w, "busy.jwl"), kCmdFilekill);
  }
  m = TakeMessages();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_TRUE(TextHas(m[1], "は使用中のため、削除できません。"));

  EXPECT_EQ(ReadBytes(ro), "#ro\r\n");
  EXPECT_EQ(ReadBytes(folder / "busy.jwl"), "#busy\r\n");
  EXPECT_EQ(Rows(w.ListView1), rows);
  w.Unload();
}

}  // namespace
}  // namespace zel

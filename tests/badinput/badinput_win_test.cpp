// The bad-input corpus in the real main window hosted in this process: the
// list of the corpus folder, a selection of each file, the program's own
// files made of the corpus's bytes, comments inserted into each environment
// file, Jw_cad's environment written out from broken ones (by the stand-in
// Jw_cad), read-only files and folders, a folder that vanishes under the
// list, and the folder tree and search over the corpus. After each, the
// corpus holds what it held, but for the files the user asked to change.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <deque>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/varnik_window.h"
#include "core/analysis.h"
#include "core/envcomment.h"
#include "core/envwrite.h"
#include "core/filelist.h"
#include "core/linereader.h"
#include "core/text.h"
#include "platform/files.h"
#include "platform/jwcad.h"
#include "platform/ui_service.h"
#include "platform/wstr.h"
#include "tests/badinput/badinput_win.h"
#include "tests/badinput/corpus.h"
#include "tests/support/win_driver.h"
#include "tests/win/select_run_fixture.h"
#include "tests/win/tree_fixture.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using namespace test;

const char* Ext(int filter) {
  return filter == kFilterBatch ? ".bat" : filter == kFilterJwf ? ".jwf" : ".jwl";
}

std::string Show(const std::string& cp932) {
  const std::string u = Utf8FromCp932(cp932);
  return u.size() > 80 ? u.substr(0, 80) + "…" : u;
}

bool OnlyCrLf(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
  }
  return true;
}

const char kTemplate[] =
    "# 見本\r\nPEN_W   0   0\r\n# レイヤ名\r\nLAYNAM0   名前\r\n# 外部変形\r\nGCOM_123   0\r\n"
    "# 新しい設定\r\nNEW_OPT   1\r\n";

// The main window on the corpus folder; input boxes answered from `inputs`
// (cancelled when none is left) and recorded.
class BadInputWindowTest : public SelectRunFixture {
 protected:
  CorpusDir corpus{J("悪い入力")};
  std::deque<std::optional<std::wstring>> inputs;
  std::vector<InputRequest> asked;

  void SetUp() override {
    SelectRunFixture::SetUp();
    SetInputAnswerer([this](const InputRequest& r) -> std::optional<std::wstring> {
      asked.push_back(r);
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

  std::string folder() const { return ProgramPath(corpus.folder()); }
  Settings CorpusSettings() const {
    Settings s = RunSettings();
    s.gaihenfolder = folder();
    return s;
  }
  FolderSnapshot CorpusNow() const { return Snapshot(corpus.root()); }
  fs::path Relative(const fs::path& p) const { return fs::relative(p, corpus.root()); }

  static void ShowFilter(VarnikWindow& w, int filter) {
    for (int i = 0; i < 3 && w.FilterIndex() != filter; ++i) Click(w, kIdCommand3, w.Command3);
    ASSERT_EQ(w.FilterIndex(), filter);
  }
  static int RowOfName(VarnikWindow& w, const std::string& name) {
    return RowOf(w.ListView1, Wide(name));
  }
  // A click on the row of `name`, scrolled into sight first.
  static void ClickName(VarnikWindow& w, const std::string& name) {
    const int row = RowOfName(w, name);
    ASSERT_GE(row, 0) << Show(name);
    ListView_EnsureVisible(w.ListView1, row, FALSE);
    ASSERT_NO_FATAL_FAILURE(ClickRow(w, row));
  }
  // The list's context menu on the row of `name`, choosing `command`.
  void ChooseOnName(VarnikWindow& w, const std::string& name, UINT command) {
    const int row = RowOfName(w, name);
    ASSERT_GE(row, 0) << Show(name);
    SelectRow(w.ListView1, row);
    menu_choice = command;
    NotifyFromList(w, NM_RCLICK, row);
  }
  // The one message of the last step, which must hold `utf8`.
  void ExpectToldOnce(const char* utf8) {
    std::vector<MessageRequest> m = TakeMessages();
    ASSERT_EQ(m.size(), 1u) << utf8;
    EXPECT_TRUE(TextHas(m[0], utf8)) << utf8 << " / shown: " << Utf8FromCp932(Narrow(m[0].text));
  }

  fs::path backups() const { return prog / "JWF_BACKUPs"; }
  std::set<fs::path> Backups() const {
    std::set<fs::path> out;
    std::error_code ec;
    for (fs::directory_iterator it(backups(), ec), end; !ec && it != end; it.increment(ec))
      out.insert(it->path());
    return out;
  }
  // The one backup made since `before`.
  std::string NewBackup(const std::set<fs::path>& before) const {
    std::vector<fs::path> made;
    for (const fs::path& p : Backups())
      if (!before.count(p)) made.push_back(p);
    return made.size() == 1 ? ReadBytes(made[0]) : "(" + std::to_string(made.size()) + " backups)";
  }
};

// What the comment view shows for a selected file: its analysis, or the
// one line that says why it cannot be shown.
std::wstring ExpectedView(const CorpusFile& f, const fs::path& file, bool batch, bool all) {
  switch (batch ? (all ? f.all : f.filtered) : (all ? f.settings_all : f.settings_filtered)) {
    case Outcome::kTooManyWords: return WideUtf8("（31語を超える行があるため、内容を表示できません）");
    case Outcome::kTooManyLines: return WideUtf8("（32,767行を超えるため、内容を表示できません）");
    case Outcome::kUnreadable: return WideUtf8("（このファイルを読めないため、内容を表示できません）");
    case Outcome::kShown: break;
  }
  Win32FileSystem fs;
  std::unique_ptr<OpenedFile> opened = fs.OpenRead(ProgramPath(file));
  if (!opened) return L"(cannot open)";
  const DisplayMode mode = all ? DisplayMode::kAll : DisplayMode::kFiltered;
  const AnalysisResult r =
      batch ? AnalyseBatch(*opened->bytes, mode, ProgramPath(file), [](const std::string&) { return false; })
            : AnalyseSettingsFile(*opened->bytes, mode);
  const std::wstring text = Wide(r.display);
  return text.substr(0, text.find(L'\0'));  // the box ends its text at a NUL
}

TEST_F(BadInputWindowTest, EachFileIsListedOrSkippedAndEachSelectionIsShownOrSaysWhy) {
  WriteIni(CorpusSettings());
  const FolderSnapshot before = CorpusNow();
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  for (int filter : {kFilterBatch, kFilterJwf, kFilterJwl}) {
    SCOPED_TRACE(Ext(filter));
    ASSERT_NO_FATAL_FAILURE(ShowFilter(w, filter));
    const bool batch = filter == kFilterBatch;
    RowSet want;
    std::vector<const CorpusFile*> listed;
    for (const CorpusFile& f : Corpus()) {
      if (batch ? !f.listed : f.bytes.empty()) continue;
      want.insert({ListText(batch ? f.title : FirstLine(f.bytes)), Wide(f.stem + Ext(filter))});
      listed.push_back(&f);
    }
    const RowSet rows = Rows(w.ListView1);
    for (const auto& row : want)
      EXPECT_TRUE(rows.count(row)) << "missing or wrongly titled: " << Narrow(row.second);
    EXPECT_EQ(rows.size(), want.size());

    for (bool all : {false, true}) {
      if (w.ShowsAllLines() != all) {
        ASSERT_NO_FATAL_FAILURE(ClickPanel(w, 0));
      }
      ASSERT_EQ(w.ShowsAllLines(), all);
      for (const CorpusFile* f : listed) {
        SCOPED_TRACE(Show(f->stem) + (all ? ", every line" : ", filtered"));
        const std::string name = f->stem + Ext(filter);
        ASSERT_NO_FATAL_FAILURE(ClickName(w, name));
        EXPECT_TRUE(FullText(w.Text1) == ExpectedView(*f, corpus.File(f->stem, Ext(filter)), batch, all))
            << Show(Narrow(FullText(w.Text1)));
        if (batch) {
          EXPECT_EQ(Text(w.txtengin), Wide(f->engine));
        }
      }
    }
  }
  w.Unload();
  EXPECT_EQ(Differences(before, CorpusNow()), "");
}

TEST_F(BadInputWindowTest, BrokenSettingsHistoryAndTreeCacheStillOpenTheWindowAndAreWrittenWhole) {
  const std::string drive(1, static_cast<char>(std::tolower(static_cast<unsigned char>(folder()[0]))));
  const fs::path cache = prog / ("tree_" + drive + "bat.dat");
  const fs::path history = prog / "Taskmnu.ini";
  std::size_t batches = 0;
  for (const CorpusFile& f : Corpus()) batches += f.listed ? 1 : 0;
  for (const char* stem : {"binary", "binary_exe", "invalid_sjis", "long_line", "long_title",
                           "lines_40000_rem", "utf8_bom", "mixed_ends", "nuls", "empty"}) {
    SCOPED_TRACE(stem);
    const CorpusFile& f = CorpusEntry(stem);
    for (const fs::path& own : {ini(), history, cache}) WriteBytes(own, f.bytes);
    const FolderSnapshot before = CorpusNow();
    {
      VarnikWindow w(folder(), prog_arg());
      ASSERT_NO_FATAL_FAILURE(Start(w));
      EXPECT_EQ(ListView_GetItemCount(w.ListView1), static_cast<int>(batches));
      w.Unload();
    }
    // The settings are written back whole; the history too, if at all; the
    // tree cache is written only by a search or a hidden folder.
    const std::string settings = ReadBytes(ini());
    EXPECT_TRUE(OnlyCrLf(settings));
    EXPECT_EQ(SplitLines(settings).size(), 162u);
    const std::string saved_history = ReadBytes(history);
    if (saved_history != f.bytes) {
      const std::vector<std::string> lines = SplitLines(saved_history);
      ASSERT_GE(lines.size(), 2u);
      EXPECT_EQ(lines[0].rfind("TempbakbatNp=", 0), 0u);
      EXPECT_EQ(lines[1].rfind("TempbakbatN=", 0), 0u);
      EXPECT_EQ(lines.size(), 2 + 2 * std::stoul(lines[1].substr(12)));
      EXPECT_TRUE(OnlyCrLf(saved_history));
    }
    EXPECT_TRUE(ReadBytes(cache) == f.bytes);
    EXPECT_EQ(Differences(before, CorpusNow()), "");
  }
}

TEST_F(BadInputWindowTest, CommentsGoIntoEachEnvironmentFileWholeOrNotAtAll) {
  WriteBytes(jww / "sample.jwf", J(kTemplate));
  WriteIni(CorpusSettings());
  VarnikWindow w("/jwf", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  ASSERT_EQ(w.FilterIndex(), kFilterJwf);
  const FolderSnapshot before = CorpusNow();
  std::set<fs::path> asked_to_change;
  for (const CorpusFile& f : Corpus()) {
    if (f.bytes.empty()) continue;  // never listed
    SCOPED_TRACE(Show(f.stem));
    const fs::path file = corpus.File(f.stem, ".jwf");
    const std::set<fs::path> backups_before = Backups();
    inputs.push_back(WideUtf8("題"));
    ASSERT_NO_FATAL_FAILURE(ChooseOnName(w, f.stem + ".jwf", kCmdAddcome));
    if (f.read_only) {
      // Kept as its owner wants it, and said so.
      ASSERT_NO_FATAL_FAILURE(ExpectToldOnce("ファイルを書き換えられませんでした。元の内容のままです。"));
      EXPECT_TRUE(ReadBytes(file) == f.bytes);
      EXPECT_TRUE(IsReadOnly(file));
    } else {
      ASSERT_NO_FATAL_FAILURE(ExpectToldOnce("コメントを挿入しました。"));
      EXPECT_TRUE(ReadBytes(file) ==
                  InsertEnvironmentComments(f.bytes, J(kTemplate), J("題"), CommentMode::kVersionUp));
      asked_to_change.insert(Relative(file));
    }
    EXPECT_TRUE(NewBackup(backups_before) == f.bytes);
    EXPECT_FALSE(fs::exists(jww / "temp.jwf"));
  }
  EXPECT_EQ(Differences(before, CorpusNow(), asked_to_change), "");

  // A template that is itself broken still gives a whole file.
  WriteBytes(jww / "sample.jwf", CorpusEntry("binary").bytes);
  const fs::path target = corpus.File("env_bad", ".jwf");
  const std::string old = ReadBytes(target);
  inputs.push_back(L"t");
  ASSERT_NO_FATAL_FAILURE(ChooseOnName(w, "env_bad.jwf", kCmdAddcomebubun));
  ASSERT_NO_FATAL_FAILURE(ExpectToldOnce("コメントを挿入しました。"));
  EXPECT_TRUE(ReadBytes(target) ==
              InsertEnvironmentComments(old, CorpusEntry("binary").bytes, "t", CommentMode::kPartial));
  w.Unload();
}

TEST_F(BadInputWindowTest, JwCadsEnvironmentIsWrittenOutWholeFromABrokenOne) {
  WriteBytes(jww / "sample.jwf", J(kTemplate));
  fs::copy_file(WinePath(ZEL_STANDIN_EXE), jww / "JW_WIN.exe");
  Settings s = CorpusSettings();
  s.Scomm49 = "12";
  s.ADDline = "A vbCrlf B";
  WriteIni(s);
  VarnikWindow w("/jwf", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  const FolderSnapshot before = CorpusNow();
  const fs::path jw_win_jwf = jww / "JW_WIN.JWF";
  for (const char* stem : {"env_bad", "binary", "invalid_sjis", "lone_lead", "long_line",
                           "lines_40000_rem", "utf8_bom", "mixed_ends", "nuls", "readonly"}) {
    SCOPED_TRACE(stem);
    const CorpusFile& f = CorpusEntry(stem);
    if (fs::exists(jw_win_jwf)) SetReadOnly(jw_win_jwf, false);
    WriteBytes(jw_win_jwf, f.bytes);
    if (f.read_only) SetReadOnly(jw_win_jwf, true);
    // Jw_cad reads its environment at start, and saves that one.
    Process standin((jww / "JW_WIN.exe").wstring(), L"", jww.wstring());
    ASSERT_NE(WaitForWindow(standin.pid(), L"jw_win"), nullptr);
    const std::set<fs::path> backups_before = Backups();
    answers = {IDYES};
    inputs.push_back(WideUtf8("題"));
    Command(w, kCmdJwfOut);
    std::vector<MessageRequest> m = TakeMessages();
    ASSERT_EQ(m.size(), 2u);  // the question, then the outcome
    EXPECT_TRUE(ReadBytes(jww / "T.JWF") == f.bytes);
    EXPECT_TRUE(NewBackup(backups_before) == f.bytes);
    if (f.read_only) {
      EXPECT_TRUE(TextHas(m[1], "JW_WIN.JWFを書き込めませんでした。元の内容のままです。"))
          << Utf8FromCp932(Narrow(m[1].text));
      EXPECT_TRUE(ReadBytes(jw_win_jwf) == f.bytes);
    } else {
      EXPECT_EQ(m[1].text, WideUtf8("JW_WIN.JWFを書き出しました。"));
      EXPECT_TRUE(ReadBytes(jw_win_jwf) ==
                  PrepareWrittenEnvironment(InsertEnvironmentComments(f.bytes, J(kTemplate), J("題"),
                                                                      CommentMode::kVersionUp),
                                            "12", "A vbCrlf B"));
    }
    EXPECT_FALSE(fs::exists(jww / "temp.jwf"));
  }
  SetReadOnly(jw_win_jwf, false);
  w.Unload();
  EXPECT_EQ(Differences(before, CorpusNow()), "");
}

TEST_F(BadInputWindowTest, ReadOnlyFoldersAreToldOfAndNothingInThemChanges) {
  WriteBytes(jww / "sample.jwf", J(kTemplate));
  WriteIni(CorpusSettings());
  const std::string ini_before = ReadBytes(ini());
  const FolderSnapshot before = CorpusNow();
  VarnikWindow w("/jwf", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  const fs::path env = corpus.File("env_bad", ".jwf");
  {
    // The file's own folder: the commented file cannot be put in place.
    ReadOnlyFolder locked(corpus.folder());
    if (!locked.ok()) GTEST_SKIP() << "this machine cannot make a folder read-only";
    inputs.push_back(L"t");
    ASSERT_NO_FATAL_FAILURE(ChooseOnName(w, "env_bad.jwf", kCmdAddcome));
    ASSERT_NO_FATAL_FAILURE(ExpectToldOnce("ファイルを書き換えられませんでした。元の内容のままです。"));
    EXPECT_FALSE(fs::exists(jww / "temp.jwf"));
  }
  {
    // Jw_cad's folder: no work file, no wrapper batch.
    ReadOnlyFolder locked(jww);
    ASSERT_TRUE(locked.ok());
    inputs.push_back(L"t");
    ASSERT_NO_FATAL_FAILURE(ChooseOnName(w, "env_bad.jwf", kCmdAddcome));
    ASSERT_NO_FATAL_FAILURE(
        ExpectToldOnce("作業ファイルを書き込めなかったため、ファイルは書き換えていません。"));
    ASSERT_NO_FATAL_FAILURE(ShowFilter(w, kFilterBatch));
    ASSERT_NO_FATAL_FAILURE(ClickName(w, "R&D.bat"));
    ASSERT_NO_FATAL_FAILURE(Press(w, w.ListView1, VK_RETURN));
    ASSERT_NO_FATAL_FAILURE(ExpectToldOnce("テンポラリバッチを書き込めませんでした。"));
    EXPECT_FALSE(fs::exists(jww / "_VNKtemp.bat"));
    ASSERT_NO_FATAL_FAILURE(ShowFilter(w, kFilterJwf));
  }
  // The two attempts above got as far as the backup.
  ASSERT_EQ(Backups().size(), 2u);
  for (const fs::path& b : Backups()) EXPECT_TRUE(ReadBytes(b) == CorpusEntry("env_bad").bytes);
  {
    // The program's folder and the backups' folder in it: no backup, so
    // no change; the settings stay as they were.
    ReadOnlyFolder locked(prog), locked_backups(backups());
    ASSERT_TRUE(locked.ok() && locked_backups.ok());
    inputs.push_back(L"t");
    ASSERT_NO_FATAL_FAILURE(ChooseOnName(w, "env_bad.jwf", kCmdAddcome));
    ASSERT_NO_FATAL_FAILURE(ExpectToldOnce("バックアップを作れなかったため、ファイルは書き換えていません。"));
    w.Unload();
    ASSERT_NO_FATAL_FAILURE(ExpectToldOnce("設定を保存できませんでした。"));
    EXPECT_EQ(ReadBytes(ini()), ini_before);
  }
  EXPECT_EQ(Backups().size(), 2u);
  EXPECT_EQ(Differences(before, CorpusNow()), "");
}

TEST_F(BadInputWindowTest, AFolderThatVanishesUnderTheListIsToldOfRowByRow) {
  WriteBytes(jww / "sample.jwf", J(kTemplate));
  WriteIni(CorpusSettings());
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  const std::vector<std::wstring> names = Column(w.ListView1, 1);
  ASSERT_NO_FATAL_FAILURE(ClickName(w, "R&D.bat"));
  const std::wstring shown = FullText(w.Text1);
  ASSERT_EQ(shown, WideUtf8("REM 名前 R&D *\r\n"));

  // Another program takes the folder away (the window's working folder
  // has moved elsewhere meanwhile, as after a command in Jw_cad's folder).
  const fs::path away = corpus.root() / "away";
  ASSERT_TRUE(SetCurrentDirectoryW(prog.wstring().c_str()));
  fs::rename(corpus.folder(), away);
  const FolderSnapshot before = Snapshot(away);

  // Each row says it cannot be read, a run names the batch it misses, and
  // nothing is written for Jw_cad.
  ASSERT_NO_FATAL_FAILURE(ClickName(w, "utf8_bom.bat"));
  EXPECT_EQ(FullText(w.Text1), WideUtf8("（このファイルを読めないため、内容を表示できません）"));
  ASSERT_NO_FATAL_FAILURE(Press(w, w.ListView1, VK_RETURN));
  ASSERT_NO_FATAL_FAILURE(ExpectToldOnce(" のバッチファイルが無いか、指定が間違ってます"));
  EXPECT_FALSE(fs::exists(jww / "_VNKtemp.bat"));
  // A refresh cannot enter the folder: the rows stay as they were.
  Command(w, kCmdMSaisin);
  EXPECT_EQ(Column(w.ListView1, 1), names);
  // Comments for a file that is gone: told, nothing made.
  ASSERT_NO_FATAL_FAILURE(ShowFilter(w, kFilterJwf));
  if (ListView_GetItemCount(w.ListView1) > 0) {
    inputs.push_back(L"t");
    SelectRow(w.ListView1, 0);
    menu_choice = kCmdAddcome;
    NotifyFromList(w, NM_RCLICK, 0);
    ASSERT_NO_FATAL_FAILURE(ExpectToldOnce("環境設定ファイルを読めません。"));
  }
  EXPECT_FALSE(fs::exists(backups()));

  // Back again, the folder lists as before.
  fs::rename(away, corpus.folder());
  ASSERT_NO_FATAL_FAILURE(ShowFilter(w, kFilterBatch));
  Command(w, kCmdMSaisin);
  std::vector<std::wstring> again = Column(w.ListView1, 1), was = names;
  std::sort(again.begin(), again.end());
  std::sort(was.begin(), was.end());
  EXPECT_EQ(again, was);
  w.Unload();
  EXPECT_EQ(Differences(before, Snapshot(corpus.folder())), "");
}

TEST_F(BadInputWindowTest, TheTreeTakesTheCorpusFoldersAndItsSearchPassesOverBlankNames) {
  const fs::path searched = corpus.folder() / PathFromCp932(SearchedFolderName());
  const fs::path inner = searched / PathFromCp932(J("能"));
  const fs::path blank = corpus.folder() / PathFromCp932(BlankFolderName());
  const fs::path cache = prog / (L"tree_" + DriveOf(corpus.folder()).substr(0, 1) + L"bat.dat");
  // Folders with "&", "%", "^", blanks and 0x5C trail bytes, among a
  // folder that has gone and lines of broken bytes.
  const std::string lines = Narrow(CacheLine(corpus.folder() / "gone")) + "\r\n" +
                            CorpusEntry("invalid_sjis").bytes + Narrow(CacheLine(inner)) + "\r\n" +
                            std::string("c:\\\0\x81", 5) + "\n" + Narrow(CacheLine(blank)) + "\r";
  WriteBytes(cache, lines);
  WriteIni(CorpusSettings());
  const FolderSnapshot before = CorpusNow();
  VarnikWindow w("", prog_arg());
  ASSERT_NO_FATAL_FAILURE(Start(w));
  EXPECT_NE(ItemAt(w.TreeView1, CacheLine(inner)), nullptr);
  EXPECT_NE(ItemAt(w.TreeView1, CacheLine(blank)), nullptr);
  EXPECT_EQ(ItemAt(w.TreeView1, CacheLine(corpus.folder() / "gone")), nullptr);

  // A search below the corpus folder finds the folders whose names hold no
  // blank, and writes a cache that names only folders that exist.
  Command(w, kCmdChildfoldaseek);
  ASSERT_TRUE(PumpUntil(w, [&] { return !w.searching(); }, std::chrono::seconds(60)));
  const std::string written = ReadBytes(cache);
  EXPECT_TRUE(OnlyCrLf(written));
  std::set<std::wstring> want = {CacheLine(inner), CacheLine(blank)};
  std::set<std::wstring> got;
  for (const std::string& l : SplitLines(written)) got.insert(Wide(l));
  EXPECT_EQ(got, want);

  // The inner folder goes; a click on its node makes it the current folder
  // all the same, tells of nothing, and the rows still shown cannot be read.
  const std::wstring inner_key = KeyOf(inner);
  fs::rename(inner, corpus.root() / "inner_away");
  ASSERT_NO_FATAL_FAILURE(ClickItem(w, ItemAt(w.TreeView1, CacheLine(inner))));
  EXPECT_TRUE(w.alive());
  EXPECT_EQ(Text(w.txt_gai), inner_key);
  if (ListView_GetItemCount(w.ListView1) > 0) {
    ListView_EnsureVisible(w.ListView1, 0, FALSE);
    ASSERT_NO_FATAL_FAILURE(ClickRow(w, 0));
    EXPECT_EQ(FullText(w.Text1), WideUtf8("（このファイルを読めないため、内容を表示できません）"));
  }
  fs::rename(corpus.root() / "inner_away", inner);
  w.Unload();
  EXPECT_EQ(Differences(before, CorpusNow()), "");
}

}  // namespace
}  // namespace zel

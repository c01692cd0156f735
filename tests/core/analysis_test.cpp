// What the comment view, the engine field and the related-file menu show for
// a selected batch, environment or layer file.
#include "core/analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/text.h"
#include "tests/support/std_fs.h"
#include "tests/support/byte_source.h"
#include "tests/support/tempdir.h"

namespace zel {
namespace {

using test::StringSource;
using test::TempDir;
using Names = std::vector<std::string>;


// Lines written in UTF-8, stored as code page 932 with CR LF after each.
std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string out;
  for (std::string_view l : lines) out += J(l) + "\r\n";
  return out;
}

bool NoFiles(const std::string&) { return false; }

AnalysisResult Batch(const std::string& bytes, DisplayMode mode = DisplayMode::kFiltered) {
  StringSource src(bytes);
  return AnalyseBatch(src, mode, "C:\\jw\\x.bat", NoFiles);
}

// The engine label a batch of a title and the given line ends with.
std::string LabelOf(std::initializer_list<std::string_view> lines) {
  std::string text = "REM t\r\n";
  for (std::string_view l : lines) text += J(l) + "\r\n";
  return Utf8FromCp932(Batch(text).engine_label);
}

// The related-file captions of a batch, decoded for readable failures.
Names CaptionsOf(const AnalysisResult& r) {
  Names out;
  for (const auto& c : r.related_captions) out.push_back(Utf8FromCp932(c));
  return out;
}

// A path as the program forms it ("\" separators) for a file in a temporary
// folder, and a file test on such paths.
std::string ProgramPath(const TempDir& dir, const std::string& name) {
#ifdef _WIN32
  return dir.str() + "\\" + name;
#else
  // Natively the folder is in "/" form; the program's paths use "\".
  std::string folder = dir.str();
  std::replace(folder.begin(), folder.end(), '/', '\\');
  return folder + "\\" + name;
#endif
}

bool Exists(const std::string& program_path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(test::PathFromCp932(test::NativePath(program_path)), ec);
}

TEST(AnalyseBatch, TitleOnlyShowsTheTitleAndTheOwnNameOnly) {
  for (const std::string& text :
       {J("REM 円を描く *   \r\n"), J("REM 円を描く *   "), J("REM 円を描く *   \r")}) {
    AnalysisResult r = Batch(text);
    EXPECT_FALSE(r.failed);
    EXPECT_EQ(r.display, J("REM 円を描く *\r\n"));
    EXPECT_EQ(r.engine_label, "?");
    EXPECT_TRUE(r.related_captions.empty());
    EXPECT_EQ(r.related_list, "");
    EXPECT_TRUE(r.menu_built);
    EXPECT_FALSE(r.check_smenu);
  }
  // The title is never examined: an engine or "rem #cd" there counts for nothing.
  AnalysisResult r = Batch("rem #cd\r\n");
  EXPECT_FALSE(r.check_smenu);
  EXPECT_EQ(Batch("gawk -f t.awk\r\n").engine_label, "?");
}

TEST(AnalyseBatch, TypicalBatchShowsCommentsEngineAndScript) {
  AnalysisResult r = Batch(
      Lines({"REM 円を描く", "REM #jw", "REM #cd", "rem 半径を入力", "jgawk -f %AWKPATH%en.awk"}));
  EXPECT_FALSE(r.failed);
  EXPECT_EQ(r.display, J("REM 円を描く\r\nrem 半径を入力\r\n"));
  EXPECT_TRUE(r.check_smenu);
  EXPECT_EQ(r.engine_label, "JGAWK");
  EXPECT_EQ(CaptionsOf(r), Names{"EN.AWK"});
  EXPECT_EQ(r.related_list, " en.awk");
}

TEST(AnalyseBatch, FilteredModeShowsCommentLinesAndComentBlocks) {
  const std::string text = Lines({
      "REM タイトル",
      "REM #jw",          // header: second word begins with "#"
      "@REM 隠す",        // '@REM' is not a comment
      "REM",              // nor a bare 'REM'
      "  Rem 字下げ   ",  // leading blanks stay, trailing ones go
      "rem\t隠す",        // a tab belongs to the word: 'rem<TAB>...' is no 'rem'
      "gawk -f a.awk",
      ":coment",
      "ブロック内",
      "",
      "rem #入りも見える",
      ":END",
      "echo 後",
      ":COMENT 開始 ",
      "最後まで続く",
  });
  AnalysisResult r = Batch(text);
  EXPECT_EQ(Utf8FromCp932(r.display),
            "REM タイトル\r\n  Rem 字下げ\r\n:coment\r\nブロック内\r\n\r\n"
            "rem #入りも見える\r\n:COMENT 開始\r\n最後まで続く\r\n");

  // Switching to all lines shows '#' header lines and the ':END' line too.
  AnalysisResult all = Batch(text, DisplayMode::kAll);
  std::string expected;
  for (const auto& line : SplitLines(text)) {
    std::string trimmed = line;
    while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
    expected += trimmed + "\r\n";
  }
  EXPECT_EQ(all.display, expected);
  EXPECT_NE(all.display.find(":END\r\n"), std::string::npos);
  // The mode changes only what is shown.
  EXPECT_EQ(all.engine_label, r.engine_label);
  EXPECT_EQ(all.related_captions, r.related_captions);
}

TEST(AnalyseBatch, CdMarkerNeedsOneOrTwoBlanks) {
  for (const char* yes : {"rem #cd", "rem  #CD", "  REM #cd  ", "Rem  #Cd"}) {
    SCOPED_TRACE(yes);
    EXPECT_TRUE(Batch(std::string("T\r\n") + yes + "\r\n").check_smenu);
  }
  for (const char* no : {"rem   #cd", "@REM #cd", "rem #cdx", "rem#cd", "rem #cd x"}) {
    SCOPED_TRACE(no);
    EXPECT_FALSE(Batch(std::string("T\r\n") + no + "\r\n").check_smenu);
  }
  // Once met, the marker stands even when the analysis fails afterwards.
  std::string words32;
  for (int i = 0; i < 32; ++i) words32 += "w ";
  AnalysisResult r = Batch("T\r\nrem #cd\r\n" + words32 + "\r\n");
  EXPECT_TRUE(r.failed);
  EXPECT_TRUE(r.check_smenu);
}

TEST(AnalyseBatch, EngineTable) {
  const std::vector<std::pair<std::string_view, std::string_view>> rows = {
      {"jgawk -f a.awk", "JGAWK"},
      {"JGAWK.EXE", "JGAWK"},
      {"Gawk x", "GAWK"},
      {"gawk.exe", "GAWK"},
      {"gawk32", "GAWK32"},
      {"Gawk32.Exe", "GAWK32"},
      {"mgawk32", "mGAWK32"},
      {"MGAWK32.EXE", "mGAWK32"},
      {"go32 jgawk", "GO32+JGAWK"},
      {"IGAWK", "iGAWK"},
      {"igawk.exe", "iGAWK"},
      {"jgawk16", "JGAWK16"},
      {"JGAWK16.EXE", "JGAWK16"},
      {"%AWK% -f a.awk", "%awk%"},
      {"dm a.dms", "DMonkey-コンソール版"},
      {"DM.exe", "DMonkey-コンソール版"},
      {"dmscript", "DMonkey-通常版"},
      {"DMSCRIPT.EXE", "DMonkey-通常版"},
      {"ruby a.rb", "Ruby"},
      {"druby", "DRuby.exe"},
      {"MRuby", "mRuby.exe"},
      {"mrubyw", "mRubyw.exe"},
      {"perl a.pl", "Perl"},
      {"CHRAWK.BAT", "CHRW02特別モード"},
      {"Call ChrAwk.bat", "CHRW03特別モード"},
      {"cscript //nologo", "WSH-Cscript"},
      {"cscript a.vbs", "WSH-Cscript-VBScript"},
      {"WSCRIPT a.rb", "WSH-Wscript-ActiveRuby"},
      {"wscript a.js", "WSH-Wscript-JScript"},
      {"start notepad x", "notepad"},
      {"start /min prog", "prog"},
      {"START /WAIT gawk", "Start /W gawk"},
      {"start /w gawk -f a.awk", "Start /W gawk"},
      {"Callwin \"C:\\Program Files\\JW\\x.exe\"", "Callwin → C:\\Program"},
      {"callwin.exe prog\"", "Callwin → prog\""},
      {"tool.exe a b", "tool.exe"},
      {"Tool.Exe", "Tool.Exe"},
      {"sub.bat", "sub.bat[Call]を付加"},
      {"SUB.BAT", "SUB.BAT[Call]を付加"},
      {"call other.bat", "?"},
      {"call", "?"},
      {"echo gawk", "?"},
      {"gawkx", "?"},
      {"exe", "?"},
      {"  ", "?"},
  };
  for (const auto& [line, label] : rows) {
    SCOPED_TRACE(std::string(line));
    EXPECT_EQ(LabelOf({line}), label);
  }
}

TEST(AnalyseBatch, LaterEnginesOverwriteButStartAndBareNamesOnlyFillAnUnknownLabel) {
  // An engine line after a "start" line names the engine.
  AnalysisResult r = Batch(Lines({"T", "start /w gawk -f a.awk", "jgawk -f b.awk"}));
  EXPECT_EQ(r.engine_label, "JGAWK");
  EXPECT_EQ(CaptionsOf(r), Names{"B.AWK"});

  EXPECT_EQ(LabelOf({"sub.bat"}), "sub.bat[Call]を付加");
  EXPECT_EQ(LabelOf({"gawk -f a.awk", "sub.bat"}), "GAWK");
  EXPECT_EQ(LabelOf({"gawk", "start x", "tool.exe"}), "GAWK");
  EXPECT_EQ(LabelOf({"sub.bat", "tool.exe", "start y"}), "sub.bat[Call]を付加");
  EXPECT_EQ(LabelOf({"start y", "tool.exe"}), "y");
  EXPECT_EQ(LabelOf({"start y", "gawk"}), "GAWK");
  EXPECT_EQ(LabelOf({"gawk", "perl x.pl"}), "Perl");
  EXPECT_EQ(LabelOf({"Callwin a", "Callwin b"}), "Callwin → b");
  EXPECT_EQ(LabelOf({"gawk", "call sub.bat"}), "GAWK");
  EXPECT_EQ(LabelOf({"tool.exe", "call chrawk.bat"}), "CHRW03特別モード");
  // A "start" without a program names nothing, so a later bare program still
  // fills the label instead of the label turning empty.
  EXPECT_EQ(LabelOf({"start", "tool.exe"}), "tool.exe");
  EXPECT_EQ(LabelOf({"start /b", "tool.exe"}), "tool.exe");
  EXPECT_EQ(LabelOf({"start"}), "?");

  // Related files accumulate over every engine line.
  r = Batch(Lines({"T", "gawk -f a.awk", "perl b.pl", "ruby c.rb"}));
  EXPECT_EQ(r.engine_label, "Ruby");
  EXPECT_EQ(CaptionsOf(r), (Names{"A.AWK", "B.PL", "C.RB"}));
}

TEST(AnalyseBatch, RelatedNamesByEngine) {
  struct Case {
    std::string_view line;
    Names captions;
  };
  const std::vector<Case> cases = {
      {"jgawk -ften.awk lib\\JWLIB x.cfg", {"TEN.AWK", "LIB\\JWLIB", "X.CFG"}},
      {"gawk -F%AWKPATH%b.Awk %awkpath%c.awk -f d.awkx mylib", {"B.AWK", "C.AWK", "MYLIB"}},
      {"call chrawk.bat -f s.awk", {"S.AWK"}},
      {"chrawk.bat s.awk jw.cfg", {"S.AWK", "JW.CFG"}},
      {"cscript //nologo a.vbs b.js", {"A.VBS", "B.JS"}},
      {"wscript x.js y.rb z.vbs w.vbs", {"Z.VBS", "Y.RB", "X.JS"}},
      {"ruby -rjwlib x.rb", {"X.RB", "JWLIB.RB"}},
      {"mrubyw -Ku -rA -rB p.rb q.rb", {"P.RB", "A.RB"}},
      {"DM a.dms b.dms", {"A.DMS"}},
      {"dmscript.exe x.dms", {"X.DMS"}},
      {"perl -w x.pl y.pl", {"X.PL"}},
      {"start gawk -f a.awk", {}},
      {"Callwin x.awk", {}},
      {"tool.exe a.awk lib.cfg", {}},
      {"call sub.bat a.awk", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.line));
    AnalysisResult r = Batch("T\r\n" + J(c.line) + "\r\n");
    EXPECT_FALSE(r.failed);
    EXPECT_EQ(CaptionsOf(r), c.captions);
  }
  EXPECT_EQ(Batch(Lines({"T", "jgawk -ften.awk lib\\JWLIB x.cfg"})).related_list,
            " ten.awk lib\\JWLIB x.cfg");
}

TEST(AnalyseBatch, RepeatedNamesAreListedOnceWhereTheyLastOccur) {
  AnalysisResult r = Batch(Lines({"T", "gawk -f a.awk", "gawk -f b.awk", "gawk -f A.AWK"}));
  EXPECT_EQ(CaptionsOf(r), (Names{"B.AWK", "A.AWK"}));
  EXPECT_EQ(r.related_list, " b.awk A.AWK");

  // More names than a word table holds still reduce to the distinct ones.
  std::string many = "T\r\n";
  for (int i = 0; i < 40; ++i) many += "gawk -f same.awk\r\n";
  many += "gawk -f other.awk\r\n";
  r = Batch(many);
  EXPECT_FALSE(r.failed);
  EXPECT_TRUE(r.menu_built);
  EXPECT_EQ(CaptionsOf(r), (Names{"SAME.AWK", "OTHER.AWK"}));
  EXPECT_EQ(r.related_list, " same.awk other.awk");
}

TEST(AnalyseBatch, DocumentAndTextCompanionsFollowTheScripts) {
  TempDir dir;
  dir.Write("x.bat", "");
  dir.Write("x.doc", "");
  dir.Write("x.txt", "");
  dir.Write("y.txt", "");
  const std::string text = Lines({"T", "gawk -f a.awk", "gawk -f b.awk", "gawk -f a.awk"});

  StringSource x(text);
  AnalysisResult r = AnalyseBatch(x, DisplayMode::kFiltered, ProgramPath(dir, "x.bat"), Exists);
  EXPECT_EQ(CaptionsOf(r), (Names{"B.AWK", "A.AWK", "X.DOC", "X.TXT"}));
  EXPECT_EQ(r.related_list, " b.awk a.awk x.doc x.txt");

  // Only the companions that exist; the text file alone.
  StringSource y(text);
  r = AnalyseBatch(y, DisplayMode::kFiltered, ProgramPath(dir, "y.bat"), Exists);
  EXPECT_EQ(CaptionsOf(r), (Names{"B.AWK", "A.AWK", "Y.TXT"}));

  // The companions asked about: the batch path with its last three characters replaced.
  Names asked;
  StringSource z(text);
  AnalyseBatch(z, DisplayMode::kFiltered, J("D:\\表\\能.bat"), [&](const std::string& p) {
    asked.push_back(Utf8FromCp932(p));
    return true;
  });
  EXPECT_EQ(asked, (Names{"D:\\表\\能.doc", "D:\\表\\能.txt"}));
}

TEST(AnalyseBatch, TrailBytesOfDoubleByteNamesStayIntact) {
  // 表 and ソ end in the byte of "\"; ア and ヂ differ only in a trail byte
  // that would fold as a letter; キ ends in the byte of "L".
  AnalysisResult r =
      Batch(Lines({"T", "gawk -f 表.awk ソ.awk ア.awk ヂ.awk キIB", "gawk -f ア.AWK"}));
  EXPECT_EQ(CaptionsOf(r), (Names{"表.AWK", "ソ.AWK", "ヂ.AWK", "ア.AWK"}));
  EXPECT_EQ(r.related_list, J(" 表.awk ソ.awk ヂ.awk ア.AWK"));

  // A batch whose folder ends in 表 (right before a "\") and whose name
  // holds 表 right before the "." still finds its companions by their
  // whole names.
  TempDir dir;
  std::filesystem::create_directory(dir.path() / test::PathFromCp932(J("ソ表")));
  const std::string folder = J("ソ表") + "\\";
  dir.Write(J("ソ表/能力表.doc"), "");
  dir.Write(J("ソ表/能力表.txt"), "");
  StringSource src(Lines({"T", "gawk -f 表.awk"}));
  r = AnalyseBatch(src, DisplayMode::kFiltered, ProgramPath(dir, folder + J("能力表.bat")), Exists);
  EXPECT_FALSE(r.failed);
  EXPECT_EQ(CaptionsOf(r), (Names{"表.AWK", "能力表.DOC", "能力表.TXT"}));
  EXPECT_EQ(r.related_list, J(" 表.awk 能力表.doc 能力表.txt"));
}

TEST(AnalyseBatch, ALoneLeadByteIsACharacterOfItsOwn) {
  // 95 followed by a blank or "." is no double-byte character: the blank
  // separates words and the "." starts the suffix.
  AnalysisResult r = Batch("T\r\ngawk -f \x95 a.awk \x95.awk b\x95.awk\r\nrem \x95 x\r\n");
  EXPECT_FALSE(r.failed);
  EXPECT_EQ(r.engine_label, "GAWK");
  EXPECT_EQ(r.related_captions,
            (std::vector<std::string>{"A.AWK", "\x95.AWK", "B\x95.AWK"}));
  EXPECT_EQ(r.display, "T\r\nrem \x95 x\r\n");
  // A lone lead byte as the first word is not the engine "gawk" behind it.
  EXPECT_EQ(Batch("T\r\n\x95 gawk -f a.awk\r\n").engine_label, "?");
  // A "rem" comment whose second word is a lone lead byte is a comment.
  EXPECT_EQ(Batch("T\r\nrem \x95 #x\r\n").display, "T\r\nrem \x95 #x\r\n");
}

TEST(AnalyseBatch, ThirteenRelatedNamesFitAFourteenthFails) {
  std::string text = "T\r\n";
  for (int i = 1; i <= 13; ++i) text += "gawk -f s" + std::to_string(i) + ".awk\r\n";
  AnalysisResult r = Batch(text);
  EXPECT_FALSE(r.failed);
  EXPECT_TRUE(r.menu_built);
  EXPECT_EQ(r.related_captions.size(), kRelatedMenuSlots);

  text += "gawk -f s14.awk\r\n";
  r = Batch(text);
  EXPECT_TRUE(r.failed);
  EXPECT_FALSE(r.menu_built);
  ASSERT_EQ(r.related_captions.size(), kRelatedMenuSlots);
  EXPECT_EQ(r.related_captions.front(), "S1.AWK");
  EXPECT_EQ(r.related_captions.back(), "S13.AWK");
  // The list reaches the name that found no entry.
  EXPECT_EQ(r.related_list.substr(r.related_list.size() - 8), " s14.awk");
  EXPECT_EQ(r.engine_label, "GAWK");

  // A companion can be the name too many.
  TempDir dir;
  dir.Write("x.doc", "");
  StringSource src(Lines({"T",
                          "gawk a.awk b.awk c.awk d.awk e.awk f.awk g.awk h.awk i.awk "
                          "j.awk k.awk l.awk m.awk"}));
  r = AnalyseBatch(src, DisplayMode::kFiltered, ProgramPath(dir, "x.bat"), Exists);
  EXPECT_TRUE(r.failed);
  EXPECT_EQ(r.related_captions.back(), "M.AWK");

  // Many names, some named again: places follow the last mentions, so the
  // names repeated at the end move behind all the others.
  text = "T\r\n";
  for (int i = 1; i <= 20; ++i) text += "gawk -f n" + std::to_string(i) + ".awk\r\n";
  for (int i = 1; i <= 13; ++i) text += "gawk -f N" + std::to_string(i) + ".AWK\r\n";
  r = Batch(text);
  EXPECT_TRUE(r.failed);
  EXPECT_EQ(CaptionsOf(r),
            (Names{"N14.AWK", "N15.AWK", "N16.AWK", "N17.AWK", "N18.AWK", "N19.AWK", "N20.AWK",
                   "N1.AWK", "N2.AWK", "N3.AWK", "N4.AWK", "N5.AWK", "N6.AWK"}));
  EXPECT_EQ(r.related_list.substr(r.related_list.size() - 14), " N6.AWK N7.AWK");
}

TEST(AnalyseBatch, TooManyWordsFailButOnlyAfterTheTitle) {
  auto words = [](int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += " w" + std::to_string(i);
    return s;
  };
  EXPECT_FALSE(Batch("T\r\n" + words(31) + "   \r\n").failed);
  EXPECT_TRUE(Batch("T\r\n" + words(32) + "\r\n").failed);
  EXPECT_TRUE(Batch("T\r\n" + words(32) + "\r\n", DisplayMode::kAll).failed);
  EXPECT_FALSE(Batch(words(40) + "\r\nrem x\r\n").failed);

  // A lone lead byte is a word of its own: a blank is never a trail byte,
  // as in the word table.
  EXPECT_TRUE(Batch("T\r\n" + words(30) + " \x81 x\r\n").failed);
  EXPECT_TRUE(Batch("T\r\n" + words(30) + " \x41 x\r\n").failed);
  EXPECT_FALSE(Batch("T\r\n" + words(29) + " \x81 x\r\n").failed);

  // The failure keeps what was found before it, each name once.
  AnalysisResult r = Batch("T\r\ngawk -f a.awk b.awk\r\ngawk -f A.AWK\r\n" + words(32) + "\r\n");
  EXPECT_TRUE(r.failed);
  EXPECT_FALSE(r.menu_built);
  EXPECT_TRUE(r.related_captions.empty());
  EXPECT_EQ(r.engine_label, "GAWK");
  EXPECT_EQ(r.related_list, " b.awk A.AWK");
}

TEST(AnalyseBatch, AtMost32767ShownLines) {
  std::string plain = "REM t\r\n";
  for (int i = 0; i < 32767; ++i) plain += "line\r\n";
  AnalysisResult r = Batch(plain, DisplayMode::kAll);
  EXPECT_FALSE(r.failed);
  EXPECT_EQ(r.display.size(), plain.size());

  plain += "line\r\n";  // 32,768 lines after the title
  EXPECT_TRUE(Batch(plain, DisplayMode::kAll).failed);
  // Only shown lines count: filtered, none of them is.
  r = Batch(plain, DisplayMode::kFiltered);
  EXPECT_FALSE(r.failed);
  EXPECT_EQ(r.display, "REM t\r\n");

  std::string comments = "REM t\r\n";
  for (int i = 0; i < 32768; ++i) comments += "rem c\r\n";
  EXPECT_TRUE(Batch(comments, DisplayMode::kFiltered).failed);
}

TEST(AnalyseBatch, UnreadableOrEmptyFilesFail) {
  const std::string text = Lines({"REM t", "gawk -f a.awk", "rem c"});
  for (std::size_t fail_at : {std::size_t{0}, std::size_t{3}, std::size_t{12}}) {
    SCOPED_TRACE(fail_at);
    StringSource src(text, fail_at, 5);
    AnalysisResult r = AnalyseBatch(src, DisplayMode::kAll, "C:\\x.bat", NoFiles);
    EXPECT_TRUE(r.failed);
    EXPECT_FALSE(r.menu_built);
  }
  EXPECT_TRUE(Batch("").failed);
  // Read in small pieces, CR LF split across reads, the same file succeeds.
  StringSource pieces(text, std::string::npos, 5);
  AnalysisResult r = AnalyseBatch(pieces, DisplayMode::kAll, "C:\\x.bat", NoFiles);
  EXPECT_FALSE(r.failed);
  EXPECT_EQ(r.display, text);
}

TEST(AnalyseBatch, RealFileWithMixedLineEnds) {
  // CR LF, CR and LF each end a line; the view shows every line with CR LF.
  TempDir dir;
  auto path = dir.Write("m.bat",
                        "REM t\rrem a\nrem b\r\nrem c\n\ngawk -f a.awk\nperl b.pl\r\n"
                        "  :coment\nx\n:end\nhidden\nrem #cd\njgawk -f c.awk");
  test::StdFileSystem fs;
  for (DisplayMode mode : {DisplayMode::kAll, DisplayMode::kFiltered}) {
    auto file = fs.OpenRead(test::Cp932FromPath(path));
    ASSERT_TRUE(file);
    AnalysisResult r = AnalyseBatch(*file->bytes, mode, "C:\\m.bat", NoFiles);
    EXPECT_FALSE(r.failed);
    EXPECT_EQ(r.display, mode == DisplayMode::kAll
                             ? "REM t\r\nrem a\r\nrem b\r\nrem c\r\n\r\ngawk -f a.awk\r\n"
                               "perl b.pl\r\n  :coment\r\nx\r\n:end\r\nhidden\r\nrem #cd\r\n"
                               "jgawk -f c.awk\r\n"
                             : "REM t\r\nrem a\r\nrem b\r\nrem c\r\n  :coment\r\nx\r\n");
    // Each engine line is seen on its own, and so is the "rem #cd" line.
    EXPECT_EQ(r.engine_label, "JGAWK");
    EXPECT_EQ(CaptionsOf(r), (Names{"A.AWK", "B.PL", "C.AWK"}));
    EXPECT_TRUE(r.check_smenu);
  }
}

AnalysisResult Settings(const std::string& bytes, DisplayMode mode,
                        std::size_t fail_at = std::string::npos) {
  StringSource src(bytes, fail_at);
  return AnalyseSettingsFile(src, mode);
}

// --- what the comment view is given ----------------------------------------

const std::string kCut = J("…（省略）");
const std::string kRestCut = J("…（以下省略）") + "\r\n";

// A line of 2 MB would freeze the comment view for minutes: each shown line
// is cut after its first 4,096 characters (a double-byte character counts
// as one and is never split) and marked; the analysis still sees it whole.
TEST(AnalyseBatch, LongLinesAreCutInTheView) {
  const std::string long_comment = "rem " + std::string(2u << 20, 'x');
  AnalysisResult r = Batch("T\r\n" + long_comment + "\r\nrem short\r\n");
  EXPECT_FALSE(r.failed);
  EXPECT_EQ(r.failure, AnalysisFailure::kNone);
  EXPECT_TRUE(r.display == "T\r\n" + long_comment.substr(0, 4096) + kCut + "\r\nrem short\r\n");

  // Double-byte characters: 4,096 characters, 8,188 bytes here.
  std::string wide = "rem ";
  for (int i = 0; i < 5000; ++i) wide += J("表");
  r = Batch("T\r\n" + wide + "\r\n");
  std::string expected_wide = "rem ";
  for (int i = 0; i < 4092; ++i) expected_wide += J("表");
  EXPECT_TRUE(r.display == "T\r\n" + expected_wide + kCut + "\r\n");

  // Exactly 4,096 characters, trailing blanks aside, are not cut; one more is.
  const std::string exact = "rem " + std::string(4092, 'y');
  EXPECT_TRUE(Batch("T\r\n" + exact + "     \r\n").display == "T\r\n" + exact + "\r\n");
  EXPECT_TRUE(Batch("T\r\n" + exact + "z\r\n").display == "T\r\n" + exact + kCut + "\r\n");

  // The title line is cut the same way; an engine line is cut in the view
  // only, and a script named past the cut is still related.
  const std::string engine_line = "gawk -f " + std::string(5000, 'a') + " b.awk";
  r = Batch(std::string(5000, 'T') + "\r\n" + engine_line + "\r\n", DisplayMode::kAll);
  EXPECT_TRUE(r.display == std::string(4096, 'T') + kCut + "\r\n" + engine_line.substr(0, 4096) +
                               kCut + "\r\n");
  EXPECT_EQ(r.engine_label, "GAWK");
  EXPECT_EQ(CaptionsOf(r), Names{"B.AWK"});

  // Environment and layer files too.
  r = Settings("T\r\n" + std::string(4097, 'k') + "\r\n", DisplayMode::kAll);
  EXPECT_TRUE(r.display == "T\r\n" + std::string(4096, 'k') + kCut + "\r\n");
}

// The view text as a whole stays within its bound: the line that would pass it
// gives way to a closing line, and nothing is shown after it. The rest of
// the file is still read for the engine, the related files and the line
// count.
TEST(AnalyseBatch, TheViewStopsAtItsBound) {
  std::string text = "T\r\n";
  const std::string line = "rem " + std::string(996, 'c');  // 1,002 bytes shown
  for (int i = 0; i < 2000; ++i) text += line + "\r\n";
  text += "gawk -f last.awk\r\n";
  for (const bool batch : {true, false}) {
    SCOPED_TRACE(batch ? "batch" : "settings file");
    AnalysisResult r = batch ? Batch(text, DisplayMode::kAll) : Settings(text, DisplayMode::kAll);
    EXPECT_FALSE(r.failed);
    EXPECT_LE(r.display.size(), kMaxViewBytes);
    ASSERT_GE(r.display.size(), kRestCut.size());
    EXPECT_EQ(r.display.substr(r.display.size() - kRestCut.size()), kRestCut);
    // Whole lines up to the closing one, as many as fit with it.
    const std::size_t shown = (r.display.size() - 3 - kRestCut.size()) / (line.size() + 2);
    EXPECT_EQ(3 + shown * (line.size() + 2) + kRestCut.size(), r.display.size());
    EXPECT_GT(3 + (shown + 1) * (line.size() + 2) + kRestCut.size(), kMaxViewBytes);
    EXPECT_EQ(r.display.find("gawk"), std::string::npos);
    if (batch) {
      EXPECT_EQ(r.engine_label, "GAWK");
      EXPECT_EQ(CaptionsOf(r), Names{"LAST.AWK"});
    }
  }

  // Lines past the view still count: 32,768 of them fail.
  std::string many = text;
  for (int i = 2001; i < 32768; ++i) many += "x\r\n";
  AnalysisResult r = Batch(many, DisplayMode::kAll);
  EXPECT_TRUE(r.failed);
  EXPECT_EQ(r.failure, AnalysisFailure::kTooManyLines);
}

// Why an analysis failed, so the window can say it in one line.
TEST(AnalyseBatch, TheReasonForAFailure) {
  EXPECT_EQ(Batch("").failure, AnalysisFailure::kUnreadable);
  StringSource broken("T\r\nrem a\r\nrem b\r\n", 6, 2);
  EXPECT_EQ(AnalyseBatch(broken, DisplayMode::kAll, "C:\\x.bat", NoFiles).failure,
            AnalysisFailure::kUnreadable);
  std::string words32 = "T\r\n";
  for (int i = 0; i < 32; ++i) words32 += "w ";
  EXPECT_EQ(Batch(words32 + "\r\n").failure, AnalysisFailure::kTooManyWords);
  std::string lines = "T\r\n";
  for (int i = 0; i < 32768; ++i) lines += "rem c\r\n";
  EXPECT_EQ(Batch(lines).failure, AnalysisFailure::kTooManyLines);
  std::string scripts = "T\r\n";
  for (int i = 1; i <= 14; ++i) scripts += "gawk -f s" + std::to_string(i) + ".awk\r\n";
  EXPECT_EQ(Batch(scripts).failure, AnalysisFailure::kTooManyRelated);
  AnalysisResult fine = Batch("T\r\nrem c\r\n");
  EXPECT_FALSE(fine.failed);
  EXPECT_EQ(fine.failure, AnalysisFailure::kNone);

  EXPECT_EQ(Settings("", DisplayMode::kAll).failure, AnalysisFailure::kUnreadable);
  EXPECT_EQ(Settings("T\r\nA=1\r\n", DisplayMode::kAll, 5).failure, AnalysisFailure::kUnreadable);
  std::string settings = "T\r\n";
  for (int i = 0; i < 32768; ++i) settings += "A=1\r\n";
  EXPECT_EQ(Settings(settings, DisplayMode::kAll).failure, AnalysisFailure::kTooManyLines);
}


TEST(AnalyseSettingsFile, FilteredModeHidesHashLinesExceptTheTitle) {
  const std::string text =
      Lines({"# 標準の環境 *  ", "#コメント", "   # 字下げ", "X=1  ", "", "  Y = 2", "#", "Z#=3"});
  AnalysisResult r = Settings(text, DisplayMode::kFiltered);
  EXPECT_FALSE(r.failed);
  EXPECT_EQ(Utf8FromCp932(r.display), "# 標準の環境 *\r\nX=1\r\n\r\n  Y = 2\r\nZ#=3\r\n");

  AnalysisResult all = Settings(text, DisplayMode::kAll);
  EXPECT_EQ(Utf8FromCp932(all.display),
            "# 標準の環境 *\r\n#コメント\r\n   # 字下げ\r\nX=1\r\n\r\n  Y = 2\r\n#\r\nZ#=3\r\n");

  // No engine, no related files, no menu, whatever the lines say.
  r = Settings(Lines({"T", "gawk -f a.awk", "rem #cd"}), DisplayMode::kAll);
  EXPECT_EQ(r.engine_label, "?");
  EXPECT_EQ(r.related_list, "");
  EXPECT_TRUE(r.related_captions.empty());
  EXPECT_FALSE(r.menu_built);
  EXPECT_FALSE(r.check_smenu);
  // Settings lines are not split into words: many of them are no failure.
  std::string many_words = "T\r\n";
  for (int i = 0; i < 40; ++i) many_words += "w ";
  EXPECT_FALSE(Settings(many_words + "\r\n", DisplayMode::kAll).failed);
}

TEST(AnalyseSettingsFile, LfAndCrEndLinesToo) {
  const std::string text = J("# 環境\n#隠す\nX=1\rY=2\r\n# z\nW=3");
  EXPECT_EQ(Utf8FromCp932(Settings(text, DisplayMode::kFiltered).display),
            "# 環境\r\nX=1\r\nY=2\r\nW=3\r\n");
  EXPECT_EQ(Utf8FromCp932(Settings(text, DisplayMode::kAll).display),
            "# 環境\r\n#隠す\r\nX=1\r\nY=2\r\n# z\r\nW=3\r\n");
}

TEST(AnalyseSettingsFile, FailuresAndTheLineLimit) {
  std::string text = "T\r\n";
  for (int i = 0; i < 32767; ++i) text += "A=1\r\n";
  EXPECT_FALSE(Settings(text, DisplayMode::kAll).failed);
  text += "#x\r\n";
  EXPECT_TRUE(Settings(text, DisplayMode::kAll).failed);
  EXPECT_FALSE(Settings(text, DisplayMode::kFiltered).failed);

  EXPECT_TRUE(Settings("", DisplayMode::kAll).failed);
  EXPECT_TRUE(Settings("T\r\nA=1\r\n", DisplayMode::kAll, 0).failed);
  EXPECT_TRUE(Settings("T\r\nA=1\r\nB=2\r\n", DisplayMode::kAll, 6).failed);
}

}  // namespace
}  // namespace zel

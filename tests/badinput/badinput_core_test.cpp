// The bad-input corpus through every reader of the core, on real files: the
// list's title scan, the folder search's batch scan, the analysis, the
// wrapper, "Varnik.ini" and "Taskmnu.ini", the tree cache, and the
// environment comments and write-out. Each input gives its documented
// result, and a line that no rule touches comes out byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/analysis.h"
#include "core/envcomment.h"
#include "core/envwrite.h"
#include "core/filelist.h"
#include "core/foldersearch.h"
#include "core/foldertree.h"
#include "core/history.h"
#include "core/linereader.h"
#include "core/settings.h"
#include "core/text.h"
#include "core/words.h"
#include "core/wrapper.h"
#include "tests/badinput/corpus.h"
#include "tests/support/std_fs.h"
#include "tests/support/tempdir.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using namespace test;

const char* Ext(int filter) {
  return filter == kFilterBatch ? ".bat" : filter == kFilterJwf ? ".jwf" : ".jwl";
}

// Names in failure messages, readable whatever their bytes.
std::string Show(const std::string& cp932) {
  const std::string u = Utf8FromCp932(cp932);
  return u.size() > 80 ? u.substr(0, 80) + "… (" + std::to_string(cp932.size()) + " bytes)" : u;
}

// Every CR is followed by an LF and every LF follows a CR.
bool OnlyCrLf(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
  }
  return true;
}

// A line as the comment view shows it: trailing blanks removed, cut after
// kMaxViewLineChars characters with the cut marked, CR LF after it.
std::string ViewLine(const std::string& line) {
  std::string t = line.substr(0, line.find_last_not_of(' ') + 1);  // all blanks: empty
  if (CharCount(t) > kMaxViewLineChars) t = LeftChars(t, kMaxViewLineChars) + J("…（省略）");
  return t + "\r\n";
}

Outcome OutcomeOf(const AnalysisResult& r) {
  if (!r.failed) return Outcome::kShown;
  switch (r.failure) {
    case AnalysisFailure::kTooManyWords: return Outcome::kTooManyWords;
    case AnalysisFailure::kTooManyLines: return Outcome::kTooManyLines;
    case AnalysisFailure::kUnreadable: return Outcome::kUnreadable;
    case AnalysisFailure::kTooManyRelated:
    case AnalysisFailure::kNone: break;
  }
  return Outcome::kShown;  // a failure the corpus never asks for: shows as a mismatch below
}

const char* Name(Outcome o) {
  switch (o) {
    case Outcome::kShown: return "shown";
    case Outcome::kTooManyWords: return "too many words";
    case Outcome::kTooManyLines: return "too many lines";
    case Outcome::kUnreadable: return "unreadable";
  }
  return "?";
}

TEST(BadInput, TheListShowsEachFileAsTheTitleRulesSay) {
  CorpusDir corpus;
  StdFileSystem fs;
  const std::string folder = Cp932FromPath(corpus.folder());
  for (int filter : {kFilterBatch, kFilterJwf, kFilterJwl}) {
    SCOPED_TRACE(Ext(filter));
    const FileListing listing = BuildFileList(fs, folder, filter);
    EXPECT_FALSE(listing.stopped);
    std::map<std::string, std::string> got;
    for (const FileRow& r : listing.rows) got[r.name] = r.title;
    // Batches by their marker; environment and layer files whenever they
    // are not empty, titled by their first line as it stands.
    std::map<std::string, std::string> want;
    for (const CorpusFile& f : Corpus())
      if (filter == kFilterBatch ? f.listed : !f.bytes.empty())
        want[f.stem + Ext(filter)] = filter == kFilterBatch ? f.title : FirstLine(f.bytes);
    for (const auto& [name, title] : want) {
      auto it = got.find(name);
      if (it == got.end()) {
        ADD_FAILURE() << "not listed: " << Show(name);
        continue;
      }
      EXPECT_TRUE(it->second == title)
          << Show(name) << ": title " << Show(it->second) << ", want " << Show(title);
    }
    for (const auto& [name, title] : got)
      if (!want.count(name)) ADD_FAILURE() << "listed: " << Show(name);
  }
}

class FoundFolders : public SearchObserver {
 public:
  std::vector<std::string> folders;
  bool Cancelled() override { return false; }
  void Reading(const std::string&, std::size_t, std::size_t) override {}
  void Found(const std::string& folder) override { folders.push_back(folder); }
};

TEST(BadInput, TheFolderSearchReadsEachBatchToItsMarkerAndPassesOverBlankNames) {
  CorpusDir corpus;
  StdFolderSource source;
  std::vector<char> buffer;
  for (const CorpusFile& f : Corpus()) {
    std::unique_ptr<ByteSource> bytes = source.OpenRead(Cp932FromPath(corpus.File(f.stem, ".bat")));
    ASSERT_TRUE(bytes) << Show(f.stem);
    EXPECT_EQ(ScanBatchForMarker(*bytes, buffer) == BatchVerdict::kQualifies, f.qualifies)
        << Show(f.stem);
  }
  // The corpus folder, the sub-folder whose name cmd would take apart and
  // the folder inside it whose name ends in a 0x5C trail byte qualify, in
  // the order of the walk; the one with blanks in its name is never read.
  const std::string root = Cp932FromPath(corpus.folder()) + "\\";
  const std::vector<std::string> want = {root, root + SearchedFolderName() + "\\",
                                         root + SearchedFolderName() + "\\" + J("能") + "\\"};
  for (int filter : {kFilterBatch, kFilterJwf}) {
    SCOPED_TRACE(Ext(filter));
    FoundFolders found;
    const SearchSummary sum = SearchFolders(source, root, filter, found);
    EXPECT_EQ(sum.end, SearchEnd::kFinished);
    EXPECT_EQ(sum.folders_read, 3u);
    ASSERT_EQ(found.folders.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i)
      EXPECT_EQ(found.folders[i], want[i]) << Show(found.folders[i]);
  }
}

// The filtered view of the batches whose comment lines are known: the title
// line and the "rem" comments, broken bytes and all.
const std::map<std::string, std::vector<std::string>>& FilteredViews() {
  static const std::map<std::string, std::vector<std::string>> views = {
      {"invalid_sjis", {"REM \x80\xA0\xFD\xFE\xFF\x81\x7F" + J("不正") + " *",
                        "rem \x81 \x9F\xFC\xA0\xFF", "rem \xB6\xC0\xB6\xC5\xDF"}},
      {"lone_lead", {J("REM 表") + "\x95 *", J("rem 説明") + "\x82"}},
      {"mixed_ends", {J("REM 改行混在"), J("rem 一"), J("rem 二")}},
      {"cr_only", {J("REM CRだけ"), J("rem 説明")}},
      {"lf_only", {J("REM LFだけ"), J("rem 説明")}},
      {"utf8_bom", {"\xEF\xBB\xBFREM 円弧（UTF-8）", "rem 説明の行"}},
      {"utf8_nobom", {"REM 円弧ＢＯＭなし", "rem 説明の行"}},
      {"lines_40000_set", {J("REM 四万行"), J("rem 最後")}},
  };
  return views;
}

TEST(BadInput, EachFileIsAnalysedOrTheAnalysisSaysWhyNot) {
  CorpusDir corpus;
  StdFileSystem fs;
  for (const CorpusFile& f : Corpus()) {
    for (bool batch : {true, false}) {
      for (DisplayMode mode : {DisplayMode::kFiltered, DisplayMode::kAll}) {
        const bool all = mode == DisplayMode::kAll;
        SCOPED_TRACE(Show(f.stem) + (batch ? ".bat" : ".jwf") + (all ? " all" : " filtered"));
        const std::string path = Cp932FromPath(corpus.File(f.stem, batch ? ".bat" : ".jwf"));
        std::unique_ptr<OpenedFile> file = fs.OpenRead(path);
        ASSERT_TRUE(file);
        const AnalysisResult r =
            batch ? AnalyseBatch(*file->bytes, mode, path, [](const std::string&) { return false; },
                                 static_cast<std::size_t>(file->size))
                  : AnalyseSettingsFile(*file->bytes, mode, static_cast<std::size_t>(file->size));
        const Outcome want = batch ? (all ? f.all : f.filtered)
                                   : (all ? f.settings_all : f.settings_filtered);
        EXPECT_EQ(Name(OutcomeOf(r)), std::string(Name(want)));
        EXPECT_LE(r.display.size(), kMaxViewBytes);
        if (batch) {
          EXPECT_EQ(r.engine_label, f.engine);
        }
        if (want != Outcome::kShown) continue;
        std::string expected;
        if (all) {
          // Every line, each as the view shows it: nothing lost, nothing added.
          for (const std::string& line : SplitLines(f.bytes)) expected += ViewLine(line);
        } else if (!batch) {
          // The title line, then the lines that are no "#" comment.
          const std::vector<std::string> lines = SplitLines(f.bytes);
          for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::size_t first = lines[i].find_first_not_of(' ');
            if (i == 0 || first == std::string::npos || lines[i][first] != '#')
              expected += ViewLine(lines[i]);
          }
        } else if (FilteredViews().count(f.stem)) {
          for (const std::string& line : FilteredViews().at(f.stem)) expected += ViewLine(line);
        } else if (f.stem == "long_line") {
          // The megabyte comment is cut after 4096 characters, none of its
          // double-byte characters split.
          const std::string comment = SplitLines(f.bytes)[2];
          expected = ViewLine(J("REM 長い行")) + comment.substr(0, 4 + 2 * 4092) + J("…（省略）") +
                     "\r\n";
        } else {
          // The title line comes first, always.
          const std::string title = ViewLine(FirstLine(f.bytes));
          EXPECT_TRUE(r.display.compare(0, title.size(), title) == 0) << Show(r.display);
          continue;
        }
        EXPECT_TRUE(r.display == expected) << Show(r.display) << "\nwant " << Show(expected);
      }
    }
  }
}

// The pieces of `read` between its "%0"s stand in `written` in their
// order, with something in the place of each "%0" but never "%0" itself.
bool PiecesAroundPercentZeroKept(const std::string& read, const std::string& written) {
  std::vector<std::string> pieces;
  std::size_t from = 0;
  for (std::size_t at = FindText(read, "%0"); at != std::string::npos; at = FindText(read, "%0", from)) {
    pieces.push_back(read.substr(from, at - from));
    from = at + 2;
  }
  pieces.push_back(read.substr(from));
  if (written.compare(0, pieces.front().size(), pieces.front()) != 0) return false;
  std::size_t at = pieces.front().size();
  for (std::size_t i = 1; i < pieces.size(); ++i) {
    const std::size_t next =
        i + 1 == pieces.size() ? written.size() - pieces[i].size() : written.find(pieces[i], at + 1);
    if (next == std::string::npos || next <= at || next > written.size() ||
        written.compare(next, pieces[i].size(), pieces[i]) != 0)
      return false;
    if (written.substr(at, next - at).find("%0") != std::string::npos) return false;
    at = next + pieces[i].size();
  }
  return at == written.size();
}

TEST(BadInput, TheWrapperCarriesEveryBatchLineByteForByteWithCrLf) {
  CorpusDir corpus;
  StdFileSystem fs;
  const std::string folder = Cp932FromPath(corpus.folder());
  for (const CorpusFile& f : Corpus()) {
    SCOPED_TRACE(Show(f.stem));
    const std::string path = Cp932FromPath(corpus.File(f.stem, ".bat"));
    std::unique_ptr<OpenedFile> file = fs.OpenRead(path);
    ASSERT_TRUE(file);
    std::vector<std::string> lines;
    ASSERT_TRUE(ReadBatchLines(*file->bytes, lines));
    const std::vector<std::string> want = SplitLines(f.bytes);
    ASSERT_EQ(lines.size(), want.size());

    WrapperInput in;
    in.J = "C:\\JWW";
    in.F = folder;
    in.B0 = path;
    in.E = f.engine;
    const std::string text = BuildWrapper(in, lines);
    // The batch's own line ends, whatever they were, become CR LF.
    EXPECT_TRUE(OnlyCrLf(text));
    const std::vector<std::string> out = SplitLines(text);
    const auto open = std::find(out.begin(), out.end(), "rem " + std::string(52, '-'));
    ASSERT_NE(open, out.end());
    ASSERT_GE(static_cast<std::size_t>(out.end() - open), want.size() + 2);
    for (std::size_t i = 0; i < want.size(); ++i) {
      const std::string& got = open[static_cast<std::ptrdiff_t>(i) + 1];
      if (FindText(want[i], "%0") != std::string::npos) {
        // Each "%0" names the batch itself (binary files hold some too);
        // the bytes around them stay.
        EXPECT_TRUE(PiecesAroundPercentZeroKept(want[i], got)) << "line " << i + 1 << ": " << Show(got);
        continue;
      }
      EXPECT_TRUE(got == want[i]) << "line " << i + 1 << ": " << Show(got);
    }
    EXPECT_EQ(open[static_cast<std::ptrdiff_t>(want.size()) + 1], "rem " + std::string(53, '-'));
  }
}

TEST(BadInput, AnyFileAsVarnikIniOrTaskmnuIniIsReadAndWrittenBackWhole) {
  CorpusDir corpus;
  for (const CorpusFile& f : Corpus()) {
    SCOPED_TRACE(Show(f.stem));
    const std::string bytes = ReadBytes(corpus.File(f.stem, ".jwf"));
    ASSERT_EQ(bytes.size(), f.bytes.size());
    const std::vector<std::string> lines = SplitLines(bytes);

    // Whatever was read, the file written back has its 42 + 6 * 20 lines
    // and reads back as itself.
    Settings s = DefaultSettings("C:\\cur", 20);
    ParseSettings(&lines, s);
    ApplySettingsFallbacks(s, "C:\\cur");
    EXPECT_EQ(s.Tools.size(), 20u);
    EXPECT_EQ(CharCount(s.ColumnPos), 10u);
    EXPECT_EQ(CharCount(s.Scomm49), 2u);
    EXPECT_FALSE(s.jwwfolder.empty());
    EXPECT_FALSE(s.editor.empty());
    const std::string written = FormatSettings(s);
    EXPECT_TRUE(OnlyCrLf(written));
    const std::vector<std::string> written_lines = SplitLines(written);
    EXPECT_EQ(written_lines.size(), 162u);
    Settings again = DefaultSettings("C:\\other", 20);
    ParseSettings(&written_lines, again);
    EXPECT_TRUE(FormatSettings(again) == written);

    // The history: a count the menus can show, an entry per two lines.
    History h;
    LoadHistory(&lines, h);
    EXPECT_GE(h.N, 1);
    EXPECT_LE(h.N, kMaxHistory);
    EXPECT_GE(h.Np, 0);
    EXPECT_LE(h.Np, h.N);
    const std::string history = FormatHistory(h);
    EXPECT_TRUE(OnlyCrLf(history));
    const std::vector<std::string> history_lines = SplitLines(history);
    EXPECT_EQ(history_lines.size(), 2 + 2 * static_cast<std::size_t>(h.N));
    History reread;
    LoadHistory(&history_lines, reread);
    EXPECT_TRUE(FormatHistory(reread) == history);
  }
}

// Folder keys over the real file system: the upper-case path, as the
// program's keys are, with the real path kept for the next level down.
class Keys {
 public:
  explicit Keys(const fs::path& drive_folder) { real_["C:"] = drive_folder; }
  FolderKeyFunction Function() {
    return [this](const std::string& parent_key, const std::string& name) -> std::optional<std::string> {
      auto parent = real_.find(AsciiUpper(parent_key));
      if (parent == real_.end()) return std::nullopt;
      const fs::path p = parent->second / PathFromCp932(name);
      std::error_code ec;
      if (name.find('\0') != std::string::npos || !fs::is_directory(p, ec)) return std::nullopt;
      const std::string key = AsciiUpper(parent_key + "\\" + name);
      real_[key] = p;
      return key;
    };
  }
  bool Exists(const FolderTree& tree, int node) const {
    return real_.count(AsciiUpper(tree.node(node).key)) != 0;
  }

 private:
  std::map<std::string, fs::path> real_;
};

TEST(BadInput, AnyFileAsATreeCacheAddsOnlyFoldersThatExist) {
  CorpusDir corpus;
  Keys keys(corpus.folder());
  // Every corpus file as a cache: its lines name no folder of the corpus,
  // or one by chance; either way the tree holds only folders that exist and
  // its cache text reads back as itself.
  for (const CorpusFile& f : Corpus()) {
    SCOPED_TRACE(Show(f.stem));
    FolderTree tree;
    tree.Reset("c:");
    tree.AddCacheText(ReadBytes(corpus.File(f.stem, ".jwl")), keys.Function());
    for (int i = 1; i < tree.size(); ++i) EXPECT_TRUE(keys.Exists(tree, i)) << Show(tree.FullPath(i));
    const std::string text = tree.CacheText();
    EXPECT_TRUE(OnlyCrLf(text));
    FolderTree reread;
    reread.Reset("c:");
    reread.AddCacheText(text, keys.Function());
    EXPECT_TRUE(reread.CacheText() == text);
  }

  // A cache with the corpus's own folders among broken lines: the folders
  // that exist come back, whatever their names hold, and a folder that has
  // gone hides none of the lines after it.
  const std::string searched = "c:\\" + SearchedFolderName();
  const std::string cache = "c:\\gone\\away\r\n\x81\x95\r\n" + searched + "\\" + J("能") +
                            "\r\n\r\nc:\\" + BlankFolderName() + "\n" + std::string("c:\\\0x", 5) +
                            "\rc:\\" + J("表ソ能") + "\x95\r\n" + searched + "\\..\\" +
                            BlankFolderName() + "\r\n";
  FolderTree tree;
  tree.Reset("c:");
  tree.AddCacheText(cache, keys.Function());
  EXPECT_EQ(tree.CacheText(),
            searched + "\\" + J("能") + "\r\nc:\\" + BlankFolderName() + "\r\n");
  EXPECT_GE(tree.Find(AsciiUpper(searched)), 0);
}

// The target lines the template did not take, in their order: the file's
// setting lines, but for the first line of each keyword the template has
// (tests/core/data/envcomment/sample.jwf).
std::vector<std::string> LinesNoTemplateTakes(const std::string& target) {
  std::set<std::string> untaken = {"PEN_W",     "PEN_COL", "LAYNAM0", "GCOM_123",
                                   "COM_LAY",   "DISP_NAME", "NEW_OPT", "TAIL_OPT"};
  std::vector<std::string> out;
  for (const std::string& line : SplitLines(target)) {
    if (!line.empty() && (line[0] == '#' || line[0] == '\t')) continue;  // comment lines
    if (StartsWithNoCase(line, "END")) continue;                          // end lines
    std::string keyword = SplitWords(line)[0];
    // "=" stands apart from the keyword of a "COM_LAY" line.
    if (StartsWithNoCase(line, "COM_LAY")) keyword = keyword.substr(0, keyword.find('='));
    if (!untaken.erase(AsciiUpper(keyword))) out.push_back(line);
  }
  return out;
}

TEST(BadInput, EnvironmentCommentsAndTheWriteOutKeepEveryLineTheyDoNotRebuild) {
  CorpusDir corpus;
  const std::string templ = ReadBytes(fs::path(ZEL_TEST_DATA) / "envcomment" / "sample.jwf");
  const std::string sane = ReadBytes(fs::path(ZEL_TEST_DATA) / "envcomment" / "target.jwf");
  ASSERT_FALSE(templ.empty());
  ASSERT_FALSE(sane.empty());
  // A title typed with a line break and a broken byte: one header line.
  const std::string title = J("題") + "\x81\r\n" + J("次");
  const std::string header = "# " + J("題") + "\x81  " + J("次") + "   Add coments Zelvanto";
  for (const CorpusFile& f : Corpus()) {
    const std::string target = ReadBytes(corpus.File(f.stem, ".jwf"));
    for (CommentMode mode : {CommentMode::kVersionUp, CommentMode::kPartial}) {
      for (bool as_template : {false, true}) {
        SCOPED_TRACE(Show(f.stem) + (as_template ? " as the template" : " as the file") +
                     (mode == CommentMode::kPartial ? ", partial" : ", version-up"));
        const std::string& file = as_template ? sane : target;
        const std::string out =
            InsertEnvironmentComments(file, as_template ? target : templ, title, mode);
        EXPECT_TRUE(OnlyCrLf(out));
        const std::vector<std::string> lines = SplitLines(out);
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines.front(), header);
        // One end line, the last.
        EXPECT_EQ(lines.back(), "END");
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const std::string& l) { return StartsWithNoCase(l, "END"); }),
                  1);
        if (!as_template) {
          // The lines no template line took close the file byte for byte.
          const std::vector<std::string> kept = LinesNoTemplateTakes(file);
          ASSERT_GE(lines.size(), kept.size() + 1);
          const auto from = lines.end() - 1 - static_cast<std::ptrdiff_t>(kept.size());
          EXPECT_TRUE(std::equal(kept.begin(), kept.end(), from)) << "after the template part";
        }

        // The write-out changes only its own lines and adds ADDline's
        // lines before the end line.
        const std::string written = PrepareWrittenEnvironment(out, "12", "A vbCrlf B");
        EXPECT_TRUE(OnlyCrLf(written));
        std::vector<std::string> want;
        for (const std::string& l : lines) {
          if (StartsWithNoCase(l, "END")) {
            want.push_back("A");
            want.push_back("B");
          }
          if (!StartsWithNoCase(l, "GCOM_170") && !StartsWithNoCase(l, "S_comm_4")) want.push_back(l);
        }
        std::vector<std::string> got;
        for (const std::string& l : SplitLines(written))
          if (!StartsWithNoCase(l, "GCOM_170") && !StartsWithNoCase(l, "S_comm_4")) got.push_back(l);
        EXPECT_TRUE(got == want);
      }
    }
  }

  // The file with broken bytes in its values: Jw_cad's own lines keep their
  // bytes, a value is aligned however broken, and its lines after the end
  // line stay.
  const std::vector<std::string> lines = SplitLines(InsertEnvironmentComments(
      ReadBytes(corpus.File("env_bad", ".jwf")), templ, "t", CommentMode::kPartial));
  for (const std::string& want : {J("LAYNAM0 名前") + "\x95", "GCOM_123 \x80 " + J("表") + "\x95",
                                  std::string("PEN_W   1  \xFF\xFE   3"), J("MINE 表ソ能") + "\x83",
                                  std::string("AFTER_END 1")})
    EXPECT_NE(std::find(lines.begin(), lines.end(), want), lines.end()) << Show(want);
}

// The listing's file system, with the folder taken away between the
// listing and the opening of its files, as when another program removes
// or renames it at that moment.
class VanishingFolder : public FileSystem {
 public:
  VanishingFolder(const fs::path& folder, const fs::path& moved_to)
      : folder_(folder), moved_to_(moved_to) {}
  bool ListFiles(const std::string& search, std::vector<DirEntry>& out) override {
    const bool listed = inner_.ListFiles(search, out);
    fs::rename(folder_, moved_to_);
    return listed;
  }
  std::unique_ptr<OpenedFile> OpenRead(const std::string& path) override {
    return inner_.OpenRead(path);
  }

 private:
  StdFileSystem inner_;
  fs::path folder_, moved_to_;
};

// The search's file system, with a sub-folder taken away after its parent
// listed it and before the search reaches it.
class VanishingSubFolder : public FolderSource {
 public:
  VanishingSubFolder(const fs::path& sub, const fs::path& moved_to) : sub_(sub), moved_to_(moved_to) {}
  ListResult ListFolder(const std::string& folder, const std::string& extension,
                        std::vector<FolderEntry>& folders, std::vector<DirEntry>& files) override {
    const ListResult r = inner_.ListFolder(folder, extension, folders, files);
    if (!moved_) {
      fs::rename(sub_, moved_to_);
      moved_ = true;
    }
    return r;
  }
  std::unique_ptr<ByteSource> OpenRead(const std::string& path) override {
    return inner_.OpenRead(path);
  }

 private:
  StdFolderSource inner_;
  fs::path sub_, moved_to_;
  bool moved_ = false;
};

TEST(BadInput, AFolderThatVanishesBetweenListingAndOpening) {
  CorpusDir corpus;
  const fs::path away = corpus.root() / "away";
  {
    // The listing stops at the first file it cannot open and shows nothing
    // of a folder that is gone.
    VanishingFolder fs(corpus.folder(), away);
    const FileListing listing = BuildFileList(fs, Cp932FromPath(corpus.folder()), kFilterBatch);
    EXPECT_TRUE(listing.stopped);
    EXPECT_TRUE(listing.rows.empty());
    ASSERT_TRUE(fs::is_directory(away));
    fs::rename(away, corpus.folder());
  }
  {
    // The search passes over the folder that went and finds the others.
    const fs::path sub = corpus.folder() / PathFromCp932(SearchedFolderName());
    VanishingSubFolder source(sub, away);
    FoundFolders found;
    const std::string root = Cp932FromPath(corpus.folder()) + "\\";
    const SearchSummary sum = SearchFolders(source, root, kFilterBatch, found);
    EXPECT_EQ(sum.end, SearchEnd::kFinished);
    EXPECT_EQ(found.folders, std::vector<std::string>{root});
    EXPECT_FALSE(fs::exists(sub));
    fs::rename(away, sub);
  }
}

}  // namespace
}  // namespace zel

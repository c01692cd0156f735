// The folder search on real temporary folder trees: which folders qualify,
// which are passed over, what is read, and how a search ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/filelist.h"
#include "core/foldersearch.h"
#include "core/pattern.h"
#include "core/text.h"
#include "tests/support/byte_source.h"
#include "tests/support/std_fs.h"
#include "tests/support/tempdir.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace zel {
namespace {

namespace fs = std::filesystem;
using test::StdFolderSource;
using test::TempDir;

// The temporary folder as a drive of its own, "r:", so the paths the search
// reports read as they would on Windows. Counts the files it opens.
class DriveR : public FolderSource {
 public:
  explicit DriveR(const TempDir& dir) : root_(dir.str()) {}
  ListResult ListFolder(const std::string& folder, const std::string& extension,
                        std::vector<FolderEntry>& folders, std::vector<DirEntry>& files) override {
    if (not_ready_) return ListResult::kNotReady;
    if (unreadable_.count(folder)) return ListResult::kUnreadable;
    return inner_.ListFolder(Real(folder), extension, folders, files);
  }
  std::unique_ptr<ByteSource> OpenRead(const std::string& path) override {
    ++opened_[path];
    if (unopenable_.count(path)) return nullptr;
    return inner_.OpenRead(Real(path));
  }
  std::map<std::string, int> opened_;
  // Folders that cannot be listed (denied) and files that cannot be opened
  // (locked): the machine's user may read everything here.
  std::set<std::string> unreadable_, unopenable_;
  bool not_ready_ = false;

 private:
  std::string Real(const std::string& path) const {
    EXPECT_TRUE(StartsWithNoCase(path, "r:")) << path;
    return root_ + MidChars(path, 2);
  }
  std::string root_;
  StdFolderSource inner_;
};

// Records what the search reports; cancels after `cancel_after` finds.
class Recorder : public SearchObserver {
 public:
  bool Cancelled() override { return found.size() >= cancel_after; }
  void Reading(const std::string& path, std::size_t, std::size_t) override {
    read.push_back(path);
  }
  void Found(const std::string& folder) override { found.push_back(folder); }
  std::vector<std::string> found, read;
  std::size_t cancel_after = static_cast<std::size_t>(-1);
};

const std::string kBatch = "REM title *\r\nREM #jw\r\njgawk -f a.awk\r\n";

void MakeBatch(const TempDir& dir, const std::string& rel, const std::string& bytes = kBatch) {
  fs::path p = dir.path() / test::PathFromCp932(test::NativePath(rel));
  fs::create_directories(p.parent_path());
  test::WriteBytes(p, bytes);
}

TEST(FolderSearch, PassesOverBlankAndHiddenFoldersWithEverythingBelowThem) {
  TempDir dir;
  MakeBatch(dir, "jww\\gaihen\\a.bat");
  MakeBatch(dir, "Program Files\\tool\\a.bat");
#ifndef _WIN32
  MakeBatch(dir, "My\tTabs\\a.bat");  // Windows holds no tab in a name
#endif
  MakeBatch(dir, ".hidden\\a.bat");
  MakeBatch(dir, ".hidden\\below\\a.bat");
#ifdef _WIN32
  // A dot does not hide a folder on Windows; the attribute does.
  ASSERT_TRUE(SetFileAttributesW((dir.path() / ".hidden").wstring().c_str(),
                                 FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY));
#endif
  // A full-width blank is not white space to the pattern.
  MakeBatch(dir, J("全角　空白\\a.bat"));
  DriveR drive(dir);
  Recorder rec;
  SearchSummary s = SearchFolders(drive, "r:", kFilterBatch, rec);
  EXPECT_EQ(s.end, SearchEnd::kFinished);
  std::sort(rec.found.begin(), rec.found.end());
  EXPECT_EQ(rec.found, (std::vector<std::string>{"r:\\jww\\gaihen\\", J("r:\\全角　空白\\")}));
  EXPECT_EQ(s.folders_found, 2u);
  for (const std::string& path : rec.read) {
    EXPECT_EQ(path.find("Program"), std::string::npos) << path;
    EXPECT_EQ(path.find("hidden"), std::string::npos) << path;
    EXPECT_EQ(path.find("Tabs"), std::string::npos) << path;
  }
  // r:\, jww, gaihen and the full-width folder.
  EXPECT_EQ(s.folders_read, 4u);
}

TEST(FolderSearch, ABatchQualifiesAtTheMarkerWithinItsFirstTenCharacters) {
  TempDir dir;
  MakeBatch(dir, "first\\a.bat", "rem #jw title\r\n");              // line 1 counts
  MakeBatch(dir, "upper\\a.bat", "REM T\r\nREM #JW\r\n");
  MakeBatch(dir, "edge\\a.bat", "REM T\r\n1234567#jW\r\n");        // ends at character 10
  MakeBatch(dir, "eleven\\a.bat", "REM T\r\n1234567890#jw\r\n");   // begins at character 11
  MakeBatch(dir, "eight\\a.bat", "REM T\r\n12345678#jw\r\n");      // its "w" is character 11
  MakeBatch(dir, "spaced\\a.bat", "REM T\r\n      rem   #jw\r\n");
  MakeBatch(dir, "wide\\a.bat", J("REM T\r\n表表表表表表表#jw\r\n"));  // 7 double-byte
  MakeBatch(dir, "wider\\a.bat", J("REM T\r\n表表表表表表表表#jw\r\n"));
  MakeBatch(dir, "lf\\a.bat", "REM T\nx\n#jw\n");
  MakeBatch(dir, "cr\\a.bat", "REM T\rx\r#jw");                     // no final line end
  MakeBatch(dir, "late\\a.bat", std::string(100000, 'x') + "\r\n#jw\r\n");
  MakeBatch(dir, "none\\a.bat", "@echo off\r\necho far too late #jw\r\n");
  MakeBatch(dir, "empty\\a.bat", "");
  MakeBatch(dir, "notbat\\a.txt", "#jw\r\n");
  DriveR drive(dir);
  Recorder rec;
  SearchFolders(drive, "r:\\", kFilterBatch, rec);
  std::sort(rec.found.begin(), rec.found.end());
  EXPECT_EQ(rec.found, (std::vector<std::string>{"r:\\cr\\", "r:\\edge\\", "r:\\first\\",
                                                 "r:\\late\\", "r:\\lf\\", "r:\\upper\\",
                                                 "r:\\wide\\"}));
}

TEST(FolderSearch, AFolderIsRecordedOnceAndItsOtherFilesAreNeverOpened) {
  TempDir dir;
  for (const char* name : {"a.bat", "b.bat", "c.bat", "d.BAT"}) MakeBatch(dir, std::string("two\\") + name);
  // A batch that cannot be read is passed over; the next one still counts.
  MakeBatch(dir, "third\\x.bat", "no marker\r\n");
  MakeBatch(dir, "third\\y.bat");
  DriveR drive(dir);
  Recorder rec;
  SearchFolders(drive, "r:", kFilterBatch, rec);
  std::sort(rec.found.begin(), rec.found.end());
  EXPECT_EQ(rec.found, (std::vector<std::string>{"r:\\third\\", "r:\\two\\"}));
  int opened_in_two = 0;
  for (const auto& [path, times] : drive.opened_) {
    EXPECT_EQ(times, 1) << path;
    if (StartsWithNoCase(path, "r:\\two\\")) opened_in_two += times;
  }
  EXPECT_EQ(opened_in_two, 1);
}

TEST(FolderSearch, AnUnreadableFolderOrFileIsPassedOverAndTheSearchGoesOn) {
  TempDir dir;
  MakeBatch(dir, "denied\\a.bat");
  MakeBatch(dir, "denied\\below\\a.bat");
  MakeBatch(dir, "next\\a.bat");
  MakeBatch(dir, "locked\\x.bat");  // cannot be opened, though it qualifies
  MakeBatch(dir, "locked\\y.bat");
  MakeBatch(dir, "onlylocked\\x.bat");
  DriveR drive(dir);
  drive.unreadable_ = {"r:\\denied\\"};
  drive.unopenable_ = {"r:\\locked\\x.bat", "r:\\onlylocked\\x.bat"};
  Recorder rec;
  const SearchSummary s = SearchFolders(drive, "r:", kFilterBatch, rec);
  EXPECT_EQ(s.end, SearchEnd::kFinished);
  std::sort(rec.found.begin(), rec.found.end());
  EXPECT_EQ(rec.found, (std::vector<std::string>{"r:\\locked\\", "r:\\next\\"}));
  EXPECT_EQ(drive.opened_.count("r:\\denied\\below\\a.bat"), 0u);
  EXPECT_EQ(s.folders_read, 4u);  // r:, next, locked and onlylocked
}

TEST(FolderSearch, EnvironmentAndLayerFoldersQualifyAtTheirFirstFile) {
  TempDir dir;
  MakeBatch(dir, "env\\a.jwf", "");  // even an empty one
  MakeBatch(dir, "env\\b.jwf", "x\r\n");
  MakeBatch(dir, "lay\\x.JWL", "layer\r\n");
  MakeBatch(dir, "bat\\x.bat");
  DriveR drive(dir);
  Recorder jwf, jwl;
  SearchFolders(drive, "r:", kFilterJwf, jwf);
  SearchFolders(drive, "r:", kFilterJwl, jwl);
  EXPECT_EQ(jwf.found, std::vector<std::string>{"r:\\env\\"});
  EXPECT_EQ(jwl.found, std::vector<std::string>{"r:\\lay\\"});
  // Environment and layer files are never opened.
  EXPECT_TRUE(drive.opened_.empty());
}

TEST(FolderSearch, FindsInWalkOrderIncludingAQualifyingStartFolder) {
  TempDir dir;
  MakeBatch(dir, "root.bat");
  MakeBatch(dir, "a\\x.bat");
  MakeBatch(dir, "a\\deep\\er\\x.bat");
  MakeBatch(dir, "b\\x.bat");
  DriveR drive(dir);
  Recorder rec;
  SearchSummary s = SearchFolders(drive, "r:", kFilterBatch, rec);
  ASSERT_EQ(rec.found.size(), 4u);
  EXPECT_EQ(rec.found[0], "r:\\");
  // Depth first: a folder's whole subtree comes before its next sibling.
  auto at = [&](const std::string& f) {
    return std::find(rec.found.begin(), rec.found.end(), f) - rec.found.begin();
  };
  if (at("r:\\a\\") < at("r:\\b\\"))
    EXPECT_LT(at("r:\\a\\deep\\er\\"), at("r:\\b\\"));
  else
    EXPECT_GT(at("r:\\a\\deep\\er\\"), at("r:\\b\\"));
  EXPECT_EQ(s.folders_found, 4u);
  EXPECT_EQ(s.folders_read, 5u);  // r:, a, deep, er and b
}

TEST(FolderSearch, ACancelKeepsWhatWasFoundAndANotReadyDriveEndsTheSearch) {
  TempDir dir;
  for (int i = 0; i < 5; ++i) MakeBatch(dir, "f" + std::to_string(i) + "\\x.bat");
  DriveR drive(dir);
  Recorder rec;
  rec.cancel_after = 2;
  SearchSummary s = SearchFolders(drive, "r:", kFilterBatch, rec);
  EXPECT_EQ(s.end, SearchEnd::kCancelled);
  EXPECT_EQ(rec.found.size(), 2u);

  drive.not_ready_ = true;
  Recorder none;
  s = SearchFolders(drive, "r:", kFilterBatch, none);
  EXPECT_EQ(s.end, SearchEnd::kNotReady);
  EXPECT_TRUE(none.found.empty());

  // A start folder that does not exist finds nothing and is no failure.
  drive.not_ready_ = false;
  Recorder missing;
  s = SearchFolders(drive, "r:\\missing", kFilterBatch, missing);
  EXPECT_EQ(s.end, SearchEnd::kFinished);
  EXPECT_TRUE(missing.found.empty());
}

TEST(FolderSearch, WhiteSpaceTestAgreesWithThePatternComponentOnEveryName) {
  std::mt19937 rng(54321);
  const std::string alphabet[] = {" ", "\t", "\n", "\r", "\v", "\f", "a", "\x81\x40", J("表"),
                                  J("ソ"), "\x83", "\x1f", "\x0e", "_", "\xa0"};
  for (int i = 0; i < 20000; ++i) {
    std::string name;
    const int pieces = static_cast<int>(rng() % 8);
    for (int k = 0; k < pieces; ++k) name += alphabet[rng() % std::size(alphabet)];
    ASSERT_EQ(NameHasWhiteSpace(name), Match("/\\s/i", name) == "1") << name;
  }
}

TEST(FolderSearch, MarkerTestAgreesWithThePatternComponentOnEveryLine) {
  std::mt19937 rng(12345);
  const std::string alphabet[] = {"#", "j", "J", "w", "W", " ", "x", "\x83", "\x5c", "\x95",
                                  "\x81", "\x40", "#jw", "#JW", J("表"), J("ソ"), "\xfc"};
  for (int i = 0; i < 20000; ++i) {
    std::string line;
    const int pieces = static_cast<int>(rng() % 14);
    for (int k = 0; k < pieces; ++k) line += alphabet[rng() % std::size(alphabet)];
    ASSERT_EQ(MarkerInFirstTenChars(line), HasJwMarker(line)) << line;
  }
}

TEST(FolderSearch, ScanningABatchAgreesWithReadingItLineByLineWhateverTheReads) {
  std::mt19937 rng(777);
  const std::string alphabet[] = {"#", "jw", "JW", "#jw", "\r", "\n", "\r\n", " ", "x",
                                  "12345", J("表"), "\x83"};
  std::vector<char> buffer;
  for (int i = 0; i < 5000; ++i) {
    std::string text;
    const int pieces = static_cast<int>(rng() % 40);
    for (int k = 0; k < pieces; ++k) text += alphabet[rng() % std::size(alphabet)];
    bool expected = false;
    for (const std::string& line : SplitLines(text)) expected = expected || HasJwMarker(line);
    test::StringSource src(text, std::string::npos, 1 + rng() % 9);
    ASSERT_EQ(ScanBatchForMarker(src, buffer) == BatchVerdict::kQualifies, expected) << text;
  }
}

TEST(FolderSearch, ScanningABatchStopsAtTheMarkerAndReportsAFailedRead) {
  std::vector<char> buffer;
  // Lines spanning reads of 3 bytes.
  test::StringSource spans("REM x\r\n  #Jw\r\n", std::string::npos, 3);
  EXPECT_EQ(ScanBatchForMarker(spans, buffer), BatchVerdict::kQualifies);
  // The read fails after the marker line: never reached.
  test::StringSource early("#jw\r\n" + std::string(10000, 'x'), 6, 4096);
  EXPECT_EQ(ScanBatchForMarker(early, buffer), BatchVerdict::kQualifies);
  test::StringSource broken(std::string(10000, 'x') + "\r\n#jw\r\n", 5000, 4096);
  EXPECT_EQ(ScanBatchForMarker(broken, buffer), BatchVerdict::kReadFailed);
  // The "#" at the end of one read, the rest of the marker in the next,
  // which holds no "#".
  test::StringSource split("ab\r\n#" "jw\r\nxx\r\n", std::string::npos, 5);
  EXPECT_EQ(ScanBatchForMarker(split, buffer), BatchVerdict::kQualifies);
  test::StringSource late_split(std::string(8, 'y') + "\r\n1234567#" "jw\r\n", std::string::npos, 18);
  EXPECT_EQ(ScanBatchForMarker(late_split, buffer), BatchVerdict::kQualifies);
  // Lines without "#" over many reads, the marker on the last line.
  std::string many;
  for (int i = 0; i < 3000; ++i) many += "echo line " + std::to_string(i) + "\r\n";
  test::StringSource last_line(many + "#jw");
  EXPECT_EQ(ScanBatchForMarker(last_line, buffer), BatchVerdict::kQualifies);
  test::StringSource echoed(many + "echo #jw\n");
  EXPECT_EQ(ScanBatchForMarker(echoed, buffer), BatchVerdict::kQualifies);
  test::StringSource too_far(many + "echo 12345 #jw\n");
  EXPECT_EQ(ScanBatchForMarker(too_far, buffer), BatchVerdict::kNoMarker);
  // A marker beyond 20 bytes of a long line's start is beyond 10 characters.
  test::StringSource cut(std::string(30, 'x') + "#jw\r\n");
  EXPECT_EQ(ScanBatchForMarker(cut, buffer), BatchVerdict::kNoMarker);
}

}  // namespace
}  // namespace zel

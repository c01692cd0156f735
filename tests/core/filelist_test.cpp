// Which files the list shows and how it names them, on real files.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/filelist.h"
#include "core/text.h"
#include "tests/support/byte_source.h"
#include "tests/support/std_fs.h"
#include "tests/support/tempdir.h"

namespace zel {
namespace {

using test::StdFileSystem;
using test::TempDir;

std::map<std::string, std::string> TitlesByName(const FileListing& l) {
  std::map<std::string, std::string> m;
  for (const auto& r : l.rows) m[r.name] = r.title;
  return m;
}

TEST(FileList, BatchesNeedTheMarkerOnALaterLine) {
  TempDir dir;
  dir.Write("only.bat", "rem #jw\r\n");                  // marker on the title line only
  dir.Write("second.bat", J("rem 円弧\r\nREM #JWW\r\ngawk x\r\n"));
  dir.Write("far.bat", "REM T\r\n12345678#jw\r\n");      // starts at character 9
  dir.Write("edge.bat", "REM T\r\n1234567#jw\r\n");      // ends at character 10
  dir.Write("dbl.bat", J("REM T\r\n表表表表表表表#jw\r\n")); // 7 double-byte + "#jw"
  dir.Write("dbl2.bat", J("REM T\r\n表表表表表表表表#jw\r\n"));
  dir.Write("late.bat", "REM T\r\necho\r\necho\r\nrem #jw\r\n");
  dir.Write("none.bat", "@echo off\r\necho hi\r\n");
  dir.Write("lf.bat", "REM LF\nrem #jw\n");              // saved with LF line ends
  dir.Write("mixed.bat", "REM mixed\r\necho\nrem #jw\r\n"); // CR LF and LF
  dir.Write("cr.bat", "REM cr\recho\r#jw");                // CR alone, no final end
  dir.Write("lfonly.bat", "REM #jw\n");                    // still one line
  dir.Write("zero.bat", "");
  dir.Write("other.txt", "REM x\r\n#jw\r\n");
  StdFileSystem fs;
  FileListing l = BuildFileList(fs, dir.str(), kFilterBatch);
  EXPECT_FALSE(l.stopped);
  auto t = TitlesByName(l);
  EXPECT_EQ(t.size(), 7u);
  EXPECT_EQ(t.count("second.bat"), 1u);
  EXPECT_EQ(t["second.bat"], J(" 円弧"));
  EXPECT_EQ(t.count("edge.bat"), 1u);
  EXPECT_EQ(t.count("dbl.bat"), 1u);
  EXPECT_EQ(t.count("late.bat"), 1u);
  EXPECT_EQ(t.count("far.bat"), 0u);
  EXPECT_EQ(t.count("dbl2.bat"), 0u);
  EXPECT_EQ(t.count("only.bat"), 0u);
  EXPECT_EQ(t["lf.bat"], " LF");
  EXPECT_EQ(t["mixed.bat"], " mixed");
  EXPECT_EQ(t["cr.bat"], " cr");
  EXPECT_EQ(t.count("lfonly.bat"), 0u);
  EXPECT_EQ(t.count("zero.bat"), 0u);
}

TEST(FileList, BatchTitles) {
  EXPECT_EQ(BatchTitle(J("@REM 円弧")), J(" 円弧"));
  EXPECT_EQ(BatchTitle(J("rem 円弧")), J(" 円弧"));
  EXPECT_EQ(BatchTitle(J("REM 文字の置換 *")), J(" 文字の置換"));
  EXPECT_EQ(BatchTitle("@echo off"), " off");
  EXPECT_EQ(BatchTitle(J("Rem  線の変換 * ")), J(" 線の変換"));
  EXPECT_EQ(BatchTitle(J("図形の移動")), J(" 図形の移動"));
  EXPECT_EQ(BatchTitle("REM *"), "");
  EXPECT_EQ(BatchTitle(""), " ");
  // A title whose last character ends in 0x5C keeps it.
  EXPECT_EQ(BatchTitle(J("REM 能")), J(" 能"));
}

TEST(FileList, EnvironmentAndLayerFilesTakeTheirFirstLine) {
  TempDir dir;
  dir.Write("a.jwf", J("  標準設定 *\r\nX=1\r\n"));
  dir.Write("empty_title.jwf", "\r\nX=1\r\n");
  dir.Write("zero.jwf", "");
  dir.Write("l.jwl", J("レイヤ名\r\n"));
  dir.Write("B.JWL", "upper\r\n");
  dir.Write("lf.jwl", J("LF保存\nX=1\n"));
  dir.Write("cr.jwf", "CR\rX=1\r");
  dir.Write("x.bat", "REM t\r\n#jw\r\n");
  StdFileSystem fs;
  auto jwf = TitlesByName(BuildFileList(fs, dir.str(), kFilterJwf));
  EXPECT_EQ(jwf.size(), 3u);
  EXPECT_EQ(jwf["cr.jwf"], "CR");
  EXPECT_EQ(jwf[J("a.jwf")], J("  標準設定 *"));
  EXPECT_EQ(jwf.count("empty_title.jwf"), 1u);
  EXPECT_EQ(jwf["empty_title.jwf"], "");
  auto jwl = TitlesByName(BuildFileList(fs, dir.str(), kFilterJwl));
  EXPECT_EQ(jwl.size(), 3u);
  EXPECT_EQ(jwl["lf.jwl"], J("LF保存"));
  EXPECT_EQ(jwl["l.jwl"], J("レイヤ名"));
  EXPECT_EQ(jwl["B.JWL"], "upper");
  // An empty folder gives an empty list, without stopping.
  TempDir empty;
  FileListing none = BuildFileList(fs, empty.str(), kFilterJwl);
  EXPECT_TRUE(none.rows.empty());
  EXPECT_FALSE(none.stopped);
}

TEST(FileList, JapaneseNamesDatesAndOddContent) {
  TempDir dir;
  dir.Write(J("表示ソフト.bat"), J("REM 表示\r\n#jw\r\n"));
  // A megabyte-long title line, binary content and invalid Shift-JIS.
  dir.Write("long.bat", "REM " + std::string(1 << 20, 'L') + "\r\nrem #jw\r\n");
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>(i * 37 % 256);
  dir.Write("binary.bat", binary);
  dir.Write("badsjis.bat", std::string("REM \x81\x20\xFF\r\n#jw\r\n"));
  StdFileSystem fs;
  FileListing l = BuildFileList(fs, dir.str(), kFilterBatch);
  EXPECT_FALSE(l.stopped);
  auto t = TitlesByName(l);
  EXPECT_EQ(t[J("表示ソフト.bat")], J(" 表示"));
  EXPECT_EQ(t["long.bat"].size(), (1u << 20) + 1);
  EXPECT_EQ(t["badsjis.bat"], std::string(" \x81\x20\xFF"));
  for (const auto& r : l.rows) {
    ASSERT_EQ(r.date.size(), 16u) << r.date;
    EXPECT_EQ(r.date[4], '/');
    EXPECT_EQ(r.date[7], '/');
    EXPECT_EQ(r.date[10], ' ');
    EXPECT_EQ(r.date[13], ':');
  }
  EXPECT_EQ(FormatListDate({2004, 3, 7, 9, 5}), "2004/03/07 09:05");
}

TEST(FileList, AtMost300Rows) {
  TempDir dir;
  for (int i = 0; i < 301; ++i)
    dir.Write(std::string("b") + std::to_string(i) + ".bat", "REM t\r\n#jw\r\n");
  StdFileSystem fs;
  FileListing l = BuildFileList(fs, dir.str(), kFilterBatch);
  EXPECT_EQ(l.rows.size(), 300u);
  EXPECT_TRUE(l.stopped);
}

// A file system that scripts the enumeration and fails chosen opens.
class ScriptedFs : public FileSystem {
 public:
  std::string last_search;
  std::vector<DirEntry> entries;
  std::string unreadable;
  bool ListFiles(const std::string& search, std::vector<DirEntry>& out) override {
    last_search = search;
    out = entries;
    return true;
  }
  std::unique_ptr<OpenedFile> OpenRead(const std::string& path) override {
    if (path.size() >= unreadable.size() &&
        path.compare(path.size() - unreadable.size(), unreadable.size(), unreadable) == 0)
      return nullptr;
    auto f = std::make_unique<OpenedFile>();
    f->bytes = std::make_unique<test::StringSource>("REM t\r\n#jw\r\n");
    f->size = 12;
    return f;
  }
};

TEST(FileList, DriveRootsAndUnreadableFiles) {
  ScriptedFs fs;
  BuildFileList(fs, "C:", kFilterBatch);
  EXPECT_EQ(fs.last_search, "C:\\*.bat");
  BuildFileList(fs, "C:\\", kFilterJwl);
  EXPECT_EQ(fs.last_search, "C:\\*.jwl");
  BuildFileList(fs, J("D:\\表"), kFilterJwf);
  EXPECT_EQ(fs.last_search, J("D:\\表\\*.jwf"));
  EXPECT_EQ(JoinPath("C:", "a.bat"), "C:\\a.bat");
  EXPECT_EQ(JoinPath("C:\\x\\", "a.bat"), "C:\\x\\a.bat");

  // A locked file ends the listing; rows before it stay.
  fs.entries = {{"a.bat", true, 12}, {"locked.bat", true, 12}, {"c.bat", true, 12}};
  fs.unreadable = "locked.bat";
  FileListing l = BuildFileList(fs, "C:\\W", kFilterBatch);
  EXPECT_TRUE(l.stopped);
  ASSERT_EQ(l.rows.size(), 1u);
  EXPECT_EQ(l.rows[0].name, "a.bat");
}

// Windows' enumeration gives each file's size and time: the files are then
// opened for their bytes alone, and the rows carry the enumeration's time.
class EnumeratedTimesFs : public FileSystem {
 public:
  std::map<std::string, std::string> files;  // name -> bytes now
  std::vector<DirEntry> entries;
  int full_opens = 0;
  bool ListFiles(const std::string&, std::vector<DirEntry>& out) override {
    out = entries;
    return true;
  }
  std::unique_ptr<OpenedFile> OpenRead(const std::string&) override {
    ++full_opens;
    return nullptr;
  }
  std::unique_ptr<ByteSource> OpenBytes(const std::string& path) override {
    const std::string name = path.substr(path.rfind('\\') + 1);
    auto it = files.find(name);
    if (it == files.end()) return nullptr;
    return std::make_unique<test::StringSource>(it->second);
  }
};

TEST(FileList, TimesFromTheEnumerationAndFilesEmptiedSinceIt) {
  EnumeratedTimesFs fs;
  auto entry = [](const char* name, int minute) {
    DirEntry e{name, true, 10};
    e.time_known = true;
    e.modified = {2026, 12, 8, 23, minute, 7};
    return e;
  };
  fs.entries = {entry("a.jwf", 1), entry("emptied.jwf", 2), entry("b.jwf", 3)};
  fs.files = {{"a.jwf", "A\r\n"}, {"emptied.jwf", ""}, {"b.jwf", "\r\nsecond\r\n"}};
  FileListing l = BuildFileList(fs, "C:\\W", kFilterJwf);
  EXPECT_FALSE(l.stopped);
  EXPECT_EQ(fs.full_opens, 0);
  ASSERT_EQ(l.rows.size(), 2u);
  EXPECT_EQ(l.rows[0].title, "A");
  EXPECT_EQ(l.rows[0].date, "2026/12/08 23:01");
  EXPECT_EQ(l.rows[0].modified.second, 7);
  // An empty first line is a title; a file with no line at all is gone.
  EXPECT_EQ(l.rows[1].name, "b.jwf");
  EXPECT_EQ(l.rows[1].title, "");

  // A batch emptied since the enumeration is not listed either; one that
  // cannot be opened ends the listing.
  fs.entries = {entry("a.bat", 1), entry("emptied.bat", 2), entry("gone.bat", 3), entry("c.bat", 4)};
  fs.files = {{"a.bat", "REM a\r\n#jw\r\n"}, {"emptied.bat", ""}, {"c.bat", "REM c\r\n#jw\r\n"}};
  l = BuildFileList(fs, "C:\\W", kFilterBatch);
  EXPECT_TRUE(l.stopped);
  ASSERT_EQ(l.rows.size(), 1u);
  EXPECT_EQ(l.rows[0].title, " a");
  EXPECT_EQ(fs.full_opens, 0);
}

}  // namespace
}  // namespace zel

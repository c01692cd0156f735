// The folder tree's model and cache text, on real temporary folders: one
// node per folder whatever the letter case, leaves written in the order
// they were added, and a cache line whose folder has gone.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/foldertree.h"
#include "core/text.h"
#include "core/words.h"
#include "tests/support/std_fs.h"
#include "tests/support/tempdir.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// Keys on the temporary folder as drive "r:": the folder's path in upper
// case, found without regard to letter case as Windows finds it. Counts the
// questions asked of the disk.
struct DriveRKeys {
  const TempDir& dir;
  int asked = 0;
  std::optional<std::string> operator()(const std::string& parent, const std::string& name) {
    ++asked;
    const std::string path = parent + "\\" + name;
    if (!StartsWithNoCase(path, "r:")) return std::nullopt;
    fs::path at = dir.path();
    std::string key = "R:";
    for (const std::string& part : SplitFields(MidChars(path, 2), '\\')) {
      if (part.empty()) continue;
      bool found = false;
      std::error_code ec;
      for (const auto& e : fs::directory_iterator(at, ec)) {
        const std::string name = test::Cp932FromPath(e.path().filename());
        if (e.is_directory(ec) && EqualsNoCase(name, part)) {
          at = e.path();
          key += "\\" + AsciiUpper(name);
          found = true;
          break;
        }
      }
      if (!found) return std::nullopt;
    }
    return key;
  }
  FolderKeyFunction fn() {
    return [this](const std::string& parent, const std::string& name) {
      return (*this)(parent, name);
    };
  }
};

void MakeFolder(const TempDir& dir, const std::string& rel) {
  fs::create_directories(dir.path() / test::PathFromCp932(test::NativePath(rel)));
}

std::vector<std::string> Paths(const FolderTree& t) {
  std::vector<std::string> out;
  for (int i = 0; i < t.size(); ++i)
    if (!t.node(i).removed) out.push_back(t.FullPath(i));
  return out;
}

TEST(FolderTree, TwoSpellingsOfOneFolderGiveOneNode) {
  TempDir dir;
  MakeFolder(dir, "jww\\x");
  DriveRKeys keys{dir};
  FolderTree t;
  t.Reset("r:");
  std::vector<int> added;
  EXPECT_TRUE(t.AddFolderPath("r:\\jww\\x", keys.fn(), &added));
  EXPECT_TRUE(t.AddFolderPath("R:\\JWW\\X\\", keys.fn(), &added));
  EXPECT_EQ(added, (std::vector<int>{1, 2}));
  EXPECT_EQ(Paths(t), (std::vector<std::string>{"r:", "r:\\jww", "r:\\jww\\x"}));
  EXPECT_EQ(t.node(2).key, "R:\\JWW\\X");
  EXPECT_EQ(t.Find("r:\\jww\\X"), 2);
  EXPECT_EQ(t.Find("R:"), 0);
  EXPECT_EQ(t.CacheText(), "r:\\jww\\x\r\n");
  // A folder met again under a known parent is not asked for again.
  const int asked = keys.asked;
  EXPECT_TRUE(t.AddFolderPath("r:\\jww\\x", keys.fn()));
  EXPECT_EQ(keys.asked, asked);
}

TEST(FolderTree, ADriveRootAddsNothingAndALoneDriveNodeIsItsOwnLeaf) {
  TempDir dir;
  DriveRKeys keys{dir};
  FolderTree t;
  t.Reset("r:");
  EXPECT_TRUE(t.AddFolderPath("r:\\", keys.fn()));
  EXPECT_TRUE(t.AddFolderPath("r:", keys.fn()));
  EXPECT_EQ(t.size(), 1);
  EXPECT_EQ(t.CacheText(), "r:\r\n");
  // Loading that line back adds nothing either.
  t.AddCacheText(t.CacheText(), keys.fn());
  EXPECT_EQ(t.size(), 1);
}

TEST(FolderTree, ADeletedFolderInTheMiddleOfACacheFileHidesOnlyItself) {
  TempDir dir;
  MakeFolder(dir, "a\\one");
  MakeFolder(dir, "b\\sub");
  MakeFolder(dir, "c");
  fs::remove_all(dir.path() / "b");
  DriveRKeys keys{dir};
  FolderTree t;
  t.Reset("r:");
  t.AddCacheText("r:\\a\\one\r\n\r\nr:\\b\\sub\r\nr:\\a\\gone\r\nr:\\c\r\n", keys.fn());
  // Neither the gone folder nor its still existing parent from that line.
  EXPECT_EQ(Paths(t), (std::vector<std::string>{"r:", "r:\\a", "r:\\a\\one", "r:\\c"}));
  EXPECT_EQ(t.Find("R:\\B"), -1);
  EXPECT_EQ(t.CacheText(), "r:\\a\\one\r\nr:\\c\r\n");
}

TEST(FolderTree, LeavesAreWrittenInTheOrderTheyWereAddedAndAHiddenOnlyChildLeavesItsParent) {
  TempDir dir;
  for (const std::string& f : {std::string("A\\B"), std::string("C"), std::string("A\\D\\E"),
                               J("表示ソフト\\能力")})
    MakeFolder(dir, f);
  DriveRKeys keys{dir};
  FolderTree t;
  t.Reset("r:");
  for (const std::string& p : {std::string("r:\\A\\B\\"), std::string("r:\\C\\"),
                               std::string("r:\\A\\D\\E\\"), J("r:\\表示ソフト\\能力\\")})
    EXPECT_TRUE(t.AddFolderPath(p, keys.fn())) << p;
  // The trail byte "\" of ソ and 能 splits nothing.
  const int nou = t.Find(J("R:\\表示ソフト\\能力"));
  ASSERT_GT(nou, 0);
  EXPECT_EQ(t.node(nou).text, J("能力"));
  EXPECT_EQ(t.CacheText(),
            J("r:\\A\\B\r\nr:\\C\r\nr:\\A\\D\\E\r\nr:\\表示ソフト\\能力\r\n"));

  // Hiding D takes E with it; hiding B, A's last child, makes A a leaf.
  std::vector<int> removed;
  t.Remove(t.Find("R:\\A\\D"), &removed);
  EXPECT_EQ(removed.size(), 2u);
  t.Remove(t.Find("R:\\A\\B"));
  t.Remove(0);  // the drive node stays
  EXPECT_EQ(t.CacheText(), J("r:\\A\r\nr:\\C\r\nr:\\表示ソフト\\能力\r\n"));
  EXPECT_EQ(t.Find("R:\\A\\D\\E"), -1);

  // The cache text read back gives the same tree.
  FolderTree again;
  again.Reset("r:");
  again.AddCacheText(t.CacheText(), keys.fn());
  EXPECT_EQ(Paths(again), Paths(t));
}

TEST(FolderTree, CacheFileNamesFollowTheDriveAndTheFilter) {
  EXPECT_EQ(TreeCacheFileName("c:", J("外変バッチファイル| *.bat")), "tree_cbat.dat");
  EXPECT_EQ(TreeCacheFileName("d:", J("環境設定 ファイル | *.jwf")), "tree_djwf.dat");
  EXPECT_EQ(TreeCacheFileName("r:", J("レイヤ設定ファイル| *.jwl")), "tree_rjwl.dat");
  EXPECT_EQ(TreeCacheLines("a\r\n\r\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
}

}  // namespace
}  // namespace zel

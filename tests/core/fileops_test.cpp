// The file commands' decisions: cleaning a new name, cutting a path for a
// rename, and the files "ＡＬＬ" opens.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/fileops.h"
#include "core/text.h"

namespace zel {
namespace {

TEST(FileOps, FnRepReplacesEveryCharacterOfItsTableAndNoTrailByte) {
  EXPECT_EQ(FnRep("a/b:c"), "a_b_c");
  EXPECT_EQ(FnRep("\\/:,;*?\"<>|"), "___________");
  EXPECT_EQ(FnRep("x**y||"), "x__y__");
  EXPECT_EQ(FnRep(""), "");
  // 表 (95 5C), ソ (83 5C) and ポ (83 7C) end in the bytes of "\" and "|".
  EXPECT_EQ(FnRep(J("表ソポ\\|")), J("表ソポ__"));
  EXPECT_EQ(FnRep(J("能力|表示")), J("能力_表示"));
}

TEST(FileOps, RenameKeepsTheFolderAndTheExtensionAsTheyStand) {
  RenameParts p = SplitForRename(J("C:\\JWW\\円弧.bat"));
  EXPECT_EQ(p.folder, "C:\\JWW");
  EXPECT_EQ(p.base, J("円弧"));
  EXPECT_EQ(p.ext, "bat");
  EXPECT_EQ(p.folder + "\\" + RenamedFileName("a/b:c", p.ext).value(), "C:\\JWW\\a_b_c.bat");

  p = SplitForRename("D:\\x.y\\x.BAT");
  EXPECT_EQ(p.base, "x");
  EXPECT_EQ(p.ext, "BAT");
  EXPECT_EQ(RenamedFileName("x.txt", p.ext).value(), "x.txt.BAT");

  // A folder ending in 表 and a name ending in ソ: neither trail byte is the
  // folder's "\".
  p = SplitForRename(J("Z:\\表\\ソ.jwf"));
  EXPECT_EQ(p.folder, J("Z:\\表"));
  EXPECT_EQ(p.base, J("ソ"));
  EXPECT_EQ(p.ext, "jwf");

  p = SplitForRename("noext");
  EXPECT_EQ(p.folder, "");
  EXPECT_EQ(p.base, "noext");
  EXPECT_EQ(p.ext, "");

  // Blanks at the ends go, control characters become "_"; nothing left is
  // no name.
  EXPECT_EQ(RenamedFileName("  new name ", "jwl").value(), "new name.jwl");
  EXPECT_EQ(RenamedFileName("a\tb", "jwf").value(), "a_b.jwf");
  EXPECT_EQ(RenamedFileName(J("表ソ"), "jwf").value(), J("表ソ.jwf"));
  EXPECT_FALSE(RenamedFileName("", "bat"));
  EXPECT_FALSE(RenamedFileName("   ", "bat"));
}

TEST(FileOps, AllOpensTheRelatedFilesThenTheFileItself) {
  EXPECT_EQ(FilesToEditAll(J("C:\\表"), " EN.AWK lib\\JWLIB D:\\x\\Y.CFG", J("C:\\表\\円.bat")),
            (std::vector<std::string>{J("C:\\表\\EN.AWK"), J("C:\\表\\lib\\JWLIB"), "D:\\x\\Y.CFG",
                                      J("C:\\表\\円.bat")}));
  EXPECT_EQ(FilesToEditAll("C:\\", "", "C:\\e.jwf"), (std::vector<std::string>{"C:\\e.jwf"}));
  EXPECT_TRUE(FilesToEditAll("C:\\g", "", "").empty());
  EXPECT_EQ(ResolveInFolder("C:\\g\\", "\\\\srv\\share\\a.awk"), "\\\\srv\\share\\a.awk");
  EXPECT_EQ(ResolveInFolder("C:\\g\\", "a.awk"), "C:\\g\\a.awk");
}

}  // namespace
}  // namespace zel

// The options dialog's decisions without a window.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/common_dialog.h"
#include "core/options.h"
#include "core/settings.h"
#include "core/text.h"

namespace zel {
namespace {

TEST(AddLine, LineBreaksBecomeVbCrlfAndComeBack) {
  const std::string text = J("S_comm_9 = 1\r\n表示ソフト 2\r\nend");
  const std::string value = AddLineFromText(text);
  EXPECT_EQ(value, J("S_comm_9 = 1 vbCrlf 表示ソフト 2 vbCrlf end"));
  EXPECT_EQ(TextFromAddLine(value), text);
  // A lone CR or LF is a line break too: written as such, it would reach
  // the one-line file as a blank and come back as one line.
  EXPECT_EQ(AddLineFromText("a\nb\rc\r\n\r\nd"), "a vbCrlf b vbCrlf c vbCrlf  vbCrlf d");
  for (char c : AddLineFromText("x\ny\rz\r\n")) {
    EXPECT_NE(c, '\r');
    EXPECT_NE(c, '\n');
  }
  // Any letter case reads back as a break; a value without one stays.
  EXPECT_EQ(TextFromAddLine("a VBCRLF b"), "a\r\nb");
  EXPECT_EQ(TextFromAddLine(J("ソ表")), J("ソ表"));
  EXPECT_EQ(AddLineFromText(""), "");
}

TEST(HistoryCount, OnlyWholeNumbersFrom10To30) {
  int n = -1;
  EXPECT_TRUE(ParseHistoryCount("10", n));
  EXPECT_EQ(n, 10);
  EXPECT_TRUE(ParseHistoryCount(" 30 ", n));
  EXPECT_EQ(n, 30);
  for (const char* bad : {"9", "31", "0", "-12", "", "  ", "abc", "12a", "1 2", "12.5", "99999999999"}) {
    n = 17;
    EXPECT_FALSE(ParseHistoryCount(bad, n)) << bad;
    EXPECT_EQ(n, 17) << bad;
  }
  // Full-width digits are not taken for a number.
  EXPECT_FALSE(ParseHistoryCount(J("１５"), n));
}

TEST(Scomm49, TwoCharactersFrom5To30OrNotSet) {
  std::string f = "xx";
  EXPECT_TRUE(Scomm49FromText("5", f));
  EXPECT_EQ(f, "5 ");
  EXPECT_TRUE(Scomm49FromText("30", f));
  EXPECT_EQ(f, "30");
  EXPECT_TRUE(Scomm49FromText(" 7 ", f));
  EXPECT_EQ(f, "7 ");
  EXPECT_TRUE(Scomm49FromText("", f));
  EXPECT_EQ(f, "  ");
  EXPECT_TRUE(Scomm49FromText("   ", f));
  EXPECT_EQ(f, "  ");
  for (const char* bad : {"4", "31", "123", "a", "5a", "-5"}) {
    f = "12";
    EXPECT_FALSE(Scomm49FromText(bad, f)) << bad;
    EXPECT_EQ(f, "12");
  }
  EXPECT_EQ(Scomm49Shown("  "), "");
  EXPECT_EQ(Scomm49Shown("5 "), "5 ");
}

TEST(AwkOnPath, TheFirstFolderInSearchOrderIsNamed) {
  const std::set<std::string> files = {"C:\\TOOLS\\GAWK.EXE", "D:\\AWK\\GAWK.EXE",
                                       J("D:\\表示ソフト\\JGAWK.EXE")};
  auto exists = [&](const std::string& f) { return files.count(f) > 0; };
  const std::string path = J("C:\\WINDOWS;;D:\\表示ソフト;C:\\TOOLS;D:\\AWK");
  EXPECT_EQ(FirstFolderHolding(path, "GAWK.EXE", exists), std::optional<std::string>("C:\\TOOLS"));
  EXPECT_EQ(FirstFolderHolding(path, "JGAWK.EXE", exists),
            std::optional<std::string>(J("D:\\表示ソフト")));
  // An empty entry is no folder: it does not stand for the drive's root.
  auto root = [](const std::string& f) { return f == "\\GAWK.EXE"; };
  EXPECT_EQ(FirstFolderHolding(";;", "GAWK.EXE", root), std::nullopt);
  EXPECT_EQ(FirstFolderHolding("", "GAWK.EXE", exists), std::nullopt);
  EXPECT_EQ(ForceAwkCaption("C:\\TOOLS", "GAWK.EXE"),
            J("C:\\TOOLSに存在する「GAWK.EXE」を強制的に使う"));
}

TEST(AwkOnPath, GawkSettingFromTheTwoBoxes) {
  EXPECT_EQ(GawkFromChecks(false, false), 0);
  EXPECT_EQ(GawkFromChecks(true, false), 1);
  EXPECT_EQ(GawkFromChecks(false, true), 2);
  EXPECT_EQ(GawkFromChecks(true, true), 1);
}

TEST(FontLabel, KindTabFaceSizeAndPoints) {
  EXPECT_EQ(FontLabelText(J("フォルダツリーのフォント"), J("ＭＳ ゴシック"), 11.25),
            J("フォルダツリーのフォント\tＭＳ ゴシック, 11.25ﾎﾟｲﾝﾄ"));
  EXPECT_EQ(FontLabelText(J("コメント    のフォント"), "Tahoma", 9),
            J("コメント    のフォント\tTahoma, 9ﾎﾟｲﾝﾄ"));
}

TEST(CommonDialog, ErrorTextsByNumber) {
  EXPECT_EQ(CommonDialogErrorText(0x5FFE), J("フォントが存在しません。"));
  EXPECT_EQ(CommonDialogErrorText(-32768), J("関数がダイアログ ボックスをロードできません。"));
  EXPECT_EQ(CommonDialogErrorText(0x6FFC), CommonDialogErrorText(0x6FFF));
  EXPECT_EQ(CommonDialogErrorText(0x7FF8), CommonDialogErrorText(0x7FF9));
  EXPECT_EQ(CommonDialogErrorText(0x7FF3), J("[キャンセル] ボタンが選択されました。"));
  EXPECT_EQ(CommonDialogErrorText(0x7FFD), J("関数を初期化できません。"));
  for (int unknown : {0, 6, 0x4FFB, 0x7FFE, 32768, -1})
    EXPECT_EQ(CommonDialogErrorText(unknown), J("未知のｴﾗｰです。")) << unknown;
}

TEST(CommonDialog, FilterBarsBecomeNulsEndingWithOne) {
  using namespace std::string_literals;
  EXPECT_EQ(FilterForDialog("All Files (*.*)|*.*"), "All Files (*.*)\0*.*\0"s);
  EXPECT_EQ(FilterForDialog("a|b|"), "a\0b\0"s);
  EXPECT_EQ(FilterForDialog(""), "\0"s);
  // ポ ends in the byte of "|" (83 7C): it is a character, not a bar.
  EXPECT_EQ(FilterForDialog(J("ポ|*.bat")), J("ポ") + "\0*.bat\0"s);
}

}  // namespace
}  // namespace zel

// Comment insertion into environment files: the template's comments and
// layout around the file's own settings, on real files and on the cases
// that catch real faults.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/envcomment.h"
#include "core/linereader.h"
#include "core/text.h"
#include "tests/support/tempdir.h"

namespace zel {
namespace {

std::string Data(const char* name) {
  return test::ReadBytes(std::filesystem::path(ZEL_TEST_DATA) / "envcomment" / name);
}

// Lines given in UTF-8, as a code page 932 file with CR LF.
std::string File(const std::vector<std::string>& utf8_lines) {
  std::string out;
  for (const std::string& l : utf8_lines) out += J(l) + "\r\n";
  return out;
}

std::vector<std::string> OutLines(const std::string& out) { return SplitLines(out); }

const std::string kMarker = J("  #←－－－－－－－－－－－－☆☆Newline☆☆");

// A commented template of every kind of line against a file with the traps
// a real one has: a keyword in other letter case, an empty line, Japanese
// values ending in the trail byte 0x5C, "COM_LAY" with "=" on both sides,
// lines that must stay as read, a keyword the template lacks, a keyword
// twice, comments and lines after the file's "END".
TEST(InsertEnvironmentComments, SampleFileInBothModes) {
  const std::string templ = Data("sample.jwf");
  const std::string target = Data("target.jwf");
  EXPECT_EQ(InsertEnvironmentComments(target, templ, J("タイトル"), CommentMode::kVersionUp),
            Data("expected_versionup.jwf"));
  EXPECT_EQ(InsertEnvironmentComments(target, templ, J("タイトル"), CommentMode::kPartial),
            Data("expected_partial.jwf"));
}

TEST(InsertEnvironmentComments, WorkedExampleAlignsValuesToTheTemplatesColumns) {
  const std::string out = InsertEnvironmentComments("PEN_W 10 5\r\n", "PEN_W   1   2   3\r\n",
                                                    "t", CommentMode::kVersionUp);
  EXPECT_EQ(out, "# t   Add coments Zelvanto\r\nPEN_W  10   5    #new#\r\nEND\r\n");

  // Values beyond the template's columns follow after one blank each; a
  // value wider than the template's column keeps one blank before it.
  EXPECT_EQ(OutLines(InsertEnvironmentComments("K 123456 b c d\r\n", "K  1  2\r\n", "t",
                                               CommentMode::kPartial))[1],
            "K 123456  b c d");
}

TEST(InsertEnvironmentComments, HeaderFromAnEarlierInsertionIsOfferedAgain) {
  // The list shows a file by its first line; the default title drops its
  // first character, the "#" of the old header, and so keeps the blank.
  const std::string old_header = J("# 前回の設定   Add coments Zelvanto");
  const std::string title = DefaultCommentTitle(old_header);
  EXPECT_EQ(title, J(" 前回の設定   Add coments Zelvanto"));
  const std::string target = old_header + "\r\nPEN_W 1\r\n";
  const std::vector<std::string> out =
      OutLines(InsertEnvironmentComments(target, "PEN_W 2\r\n", title, CommentMode::kPartial));
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0], J("#  前回の設定   Add coments Zelvanto   Add coments Zelvanto"));
  EXPECT_EQ(out[1], "PEN_W 1");  // the old header, a comment, is gone
  EXPECT_EQ(out[2], "END");

  // A double-byte first character goes whole.
  EXPECT_EQ(DefaultCommentTitle(J("表題")), J("題"));
  EXPECT_EQ(DefaultCommentTitle(""), "");
}

TEST(InsertEnvironmentComments, KeywordsTwiceAndUnmatchedLines) {
  // Twice in the file: the first occurrence is taken, the second comes
  // after the template part as read. Twice in the template: both lines get
  // the same values.
  const std::string target = File({"A 1", "B  2", "a 3", "ZZ   9  9", "B 4"});
  const std::string templ = File({"A  0", "# c", "B  0", "A  0"});
  EXPECT_EQ(OutLines(InsertEnvironmentComments(target, templ, "t", CommentMode::kPartial)),
            (std::vector<std::string>{"# t   Add coments Zelvanto", "A  1", "# c", "B  2", "A  1",
                                      "a 3", "ZZ   9  9", "B 4", "END"}));
}

TEST(InsertEnvironmentComments, EmptyLinesCommentsAndEndLines) {
  // The file's empty lines come after the template part, just before
  // "END"; the template's vanish. The file's comments (# or TAB) and end
  // lines (any case, "ENDX" too) never reach the output; its lines after
  // an end line do.
  const std::string target =
      File({"#old", "\tcomment", "", "A 1", "end", "ENDX", "", "B 2", "END"});
  const std::string templ = File({"", "A  0", "   ", "# x", ""});
  EXPECT_EQ(OutLines(InsertEnvironmentComments(target, templ, "t", CommentMode::kVersionUp)),
            (std::vector<std::string>{"# t   Add coments Zelvanto", "A  1", "# x", "", "", "B 2",
                                      "END"}));
}

TEST(InsertEnvironmentComments, TemplateEndLinesTakeTheNextLineWithThem) {
  // The line after each template end line is dropped; the output ends with
  // exactly one "END" of its own, also when "END" is the template's last
  // line, with or without a line end after it.
  const std::string target = "A 1\r\nB 2\r\n";
  for (const std::string& templ :
       {std::string("A  0\r\nEND\r\n"), std::string("A  0\r\nEND"), std::string("A  0\r\nend x")}) {
    SCOPED_TRACE(templ);
    EXPECT_EQ(OutLines(InsertEnvironmentComments(target, templ, "t", CommentMode::kVersionUp)),
              (std::vector<std::string>{"# t   Add coments Zelvanto", "A  1", "B 2", "END"}));
  }
  const std::string templ = "END\r\nB  0\r\n  END  \r\n# gone\r\n# kept\r\n";
  EXPECT_EQ(OutLines(InsertEnvironmentComments(target, templ, "t", CommentMode::kVersionUp)),
            (std::vector<std::string>{"# t   Add coments Zelvanto", "# kept", "A 1", "B 2", "END"}));
}

TEST(InsertEnvironmentComments, PartialLeavesOutWhatVersionUpMarks) {
  const std::string target = "A 1\r\n";
  const std::string templ = "A  0\r\nNEW  5  6\r\nCOM_LAYX 1=2\r\n";
  EXPECT_EQ(OutLines(InsertEnvironmentComments(target, templ, "t", CommentMode::kVersionUp)),
            (std::vector<std::string>{"# t   Add coments Zelvanto", "A  1", "NEW  5  6" + kMarker,
                                      "COM_LAYX 1 =2" + kMarker, "END"}));
  EXPECT_EQ(OutLines(InsertEnvironmentComments(target, templ, "t", CommentMode::kPartial)),
            (std::vector<std::string>{"# t   Add coments Zelvanto", "A  1", "END"}));
}

TEST(InsertEnvironmentComments, LinesThatStayExactlyAsRead) {
  // Keywords beginning "GCOM_1" or "LAYNAM" in any case keep their text,
  // blanks included.
  const std::string target = File({"gcom_123   a ,b,,  ", "Laynam_5 壁  ソ表 ", "GCOM_2 1"});
  const std::string templ = File({"GCOM_123  0  0", "LAYNAM_5  x", "GCOM_2   0"});
  EXPECT_EQ(OutLines(InsertEnvironmentComments(target, templ, "t", CommentMode::kPartial)),
            (std::vector<std::string>{"# t   Add coments Zelvanto", "gcom_123   a ,b,,  ",
                                      J("Laynam_5 壁  ソ表 "), "GCOM_2   1", "END"}));

  // Bytes that are not valid Shift-JIS go through as they are: in a line
  // that is rebuilt (a lone lead byte counts as one character) and in one
  // that is not.
  const std::string odd = "ODD \x81 \x83\x5C\r\nBAD \xFF\x5C\x81\r\n";
  EXPECT_EQ(OutLines(InsertEnvironmentComments(odd, "ODD   1   2\r\n", "t",
                                               CommentMode::kPartial)),
            (std::vector<std::string>{"# t   Add coments Zelvanto", "ODD   \x81   \x83\x5C",
                                      "BAD \xFF\x5C\x81", "END"}));
}

TEST(InsertEnvironmentComments, ComLayEqualsOnBothSides) {
  // The file's "=" count as words of their own; the template's "=" join
  // the value after them; the rebuilt line's " =" lose the blank.
  const std::string out = OutLines(InsertEnvironmentComments(
      "com_lay 1=2 3 = 4\r\n", "COM_LAY   1=2   3=4\r\n", "t", CommentMode::kPartial))[1];
  // File words: com_lay 1 = 2 3 = 4. Template words: COM_LAY, "   1",
  // " =2", "   3", " =4", " ".
  EXPECT_EQ(out, "com_lay   1 =   2  3= 4");
}

TEST(InsertEnvironmentComments, DoubleByteValuesCountAsOneCharacterEach) {
  // 表 (95 5C) and ソ (83 5C) end in the byte of "\"; each is one
  // character wide when the values are aligned.
  const std::string out = OutLines(InsertEnvironmentComments(
      J("NAME ソ 表\r\n"), J("NAME   表   10\r\n"), "t", CommentMode::kPartial))[1];
  EXPECT_EQ(out, J("NAME   ソ    表"));
}

TEST(InsertEnvironmentComments, LongFilesAndLongLinesLoseNothing) {
  // More setting lines than the old table's 400 and more words than its 31.
  std::string target, templ, expected = "# t   Add coments Zelvanto\r\n";
  for (int i = 0; i < 1000; ++i) {
    target += "K" + std::to_string(i) + " x\r\n";
    if (i % 2 == 0) templ += "K" + std::to_string(i) + "  0\r\n";
  }
  for (int i = 0; i < 1000; i += 2) expected += "K" + std::to_string(i) + "  x\r\n";
  for (int i = 1; i < 1000; i += 2) expected += "K" + std::to_string(i) + " x\r\n";
  expected += "END\r\n";
  EXPECT_EQ(InsertEnvironmentComments(target, templ, "t", CommentMode::kPartial), expected);

  std::string wide = "W", wide_templ = "W", wide_out = "W";
  for (int i = 0; i < 40; ++i) {
    wide += " v" + std::to_string(i);
    wide_out += " v" + std::to_string(i);
    if (i < 35) wide_templ += " x";
  }
  // The template's 36th column and the file's 41st word are both kept.
  EXPECT_EQ(OutLines(InsertEnvironmentComments(wide + "\r\n", wide_templ + " y\r\n", "t",
                                               CommentMode::kPartial))[1],
            wide_out);
  std::string short_line = "W";
  for (int i = 0; i < 35; ++i) short_line += " v";
  EXPECT_EQ(OutLines(InsertEnvironmentComments(short_line + "\r\n", wide_templ + " y\r\n", "t",
                                               CommentMode::kPartial))[1],
            short_line + "  #new#");
}

TEST(InsertEnvironmentComments, LineEndsAndTitle) {
  // LF and CR alone end lines too; every output line ends in CR LF. A line
  // break in the title cannot split the header.
  EXPECT_EQ(InsertEnvironmentComments("A 1\nB 2\rC 3", "# c\nA  0", "t\r\n2",
                                      CommentMode::kPartial),
            "# t  2   Add coments Zelvanto\r\n# c\r\nA  1\r\nB 2\r\nC 3\r\nEND\r\n");
  // Empty files give the header and "END".
  EXPECT_EQ(InsertEnvironmentComments("", "", "", CommentMode::kVersionUp),
            "#    Add coments Zelvanto\r\nEND\r\n");
}

}  // namespace
}  // namespace zel

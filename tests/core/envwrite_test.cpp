// Writing out Jw_cad's environment: the adjustments to the commented file,
// the test of whether Jw_cad wrote its file, and the names of backups.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/envbackup.h"
#include "core/envcomment.h"
#include "core/envwrite.h"
#include "core/linereader.h"
#include "core/text.h"

namespace zel {
namespace {

std::vector<std::string> Lines(const std::string& s) { return SplitLines(s); }

TEST(PrepareWrittenEnvironment, Gcom170GetsTheWrapperInItsSixthField) {
  const std::string in =
      "GCOM_170 p0,p1,p2,p3,p4,p5,p6\r\n"
      "gcom_170,a,,c,d,old\r\n"      // any case; an empty field stays
      "GCOM_170,a,b,c,d,e,\r\n"      // the final comma stays
      "GCOM_170,a,b,c,d,\r\n"        // an empty sixth field after a final comma
      "GCOM_170,a,b,c,d\r\n"         // five fields: as it is
      "GCOM_1700 x\r\n"              // no comma at all: as it is
      "GCOM_17,a,b,c,d,e,f\r\n"      // another keyword
      "END\r\n";
  const std::string tokens = J("GCOM_170,表,ソ,c,d,e,表\r\n");  // trail bytes 0x5C beside commas
  EXPECT_EQ(Lines(PrepareWrittenEnvironment(in, "  ", "")),
            (std::vector<std::string>{"GCOM_170 p0,p1,p2,p3,p4,_VNKtemp,p6",
                                      "gcom_170,a,,c,d,_VNKtemp", "GCOM_170,a,b,c,d,_VNKtemp,",
                                      "GCOM_170,a,b,c,d,_VNKtemp", "GCOM_170,a,b,c,d",
                                      "GCOM_1700 x", "GCOM_17,a,b,c,d,e,f", "", "END"}));
  EXPECT_EQ(Lines(PrepareWrittenEnvironment(tokens, "  ", ""))[0],
            J("GCOM_170,表,ソ,c,d,_VNKtemp,表"));
}

TEST(PrepareWrittenEnvironment, ScommGetsTheDotCountInItsFirstPlaceholder) {
  EXPECT_EQ(Lines(PrepareWrittenEnvironment("S_comm_4  #new#  #new#\r\ns_COMM_4 #new#\r\n"
                                            "S_comm_5 #new#\r\n",
                                            "12", ""))
                .at(0),
            "S_comm_4  12  #new#");
  EXPECT_EQ(Lines(PrepareWrittenEnvironment("s_COMM_4 #new#\r\nS_comm_5 #new#\r\n", "  ", "")),
            (std::vector<std::string>{"s_COMM_4   ", "S_comm_5 #new#"}));
  // The setting is plain text, never part of a pattern.
  EXPECT_EQ(Lines(PrepareWrittenEnvironment("S_comm_4 #new#\r\n", "/$", ""))[0],
            "S_comm_4 /$");
}

TEST(PrepareWrittenEnvironment, AddLinesGoJustBeforeTheEndLine) {
  const std::string in = "# h\r\nA 1\r\nEND\r\n";
  // Empty: one empty line before "END".
  EXPECT_EQ(PrepareWrittenEnvironment(in, "  ", ""), "# h\r\nA 1\r\n\r\nEND\r\n");
  // Two lines, their break stored as " vbCrlf " in any letter case.
  EXPECT_EQ(Lines(PrepareWrittenEnvironment(in, "  ", J("A行 vbCrlf B"))),
            (std::vector<std::string>{"# h", "A 1", J("A行"), "B", "END"}));
  EXPECT_EQ(AddLineText(" VBCRLF x vbcrlf  vbCrlf"), "\r\nx\r\n vbCrlf");
  // Nothing else of a line changes; the commented file's own end line is
  // its last.
  const std::string commented = InsertEnvironmentComments(
      "GCOM_170,a,b,c,d,e,f\r\nS_comm_4\r\n", "S_comm_4  1  2\r\n", "t", CommentMode::kVersionUp);
  EXPECT_EQ(Lines(PrepareWrittenEnvironment(commented, "30", "X vbCrlf Y")),
            (std::vector<std::string>{"# t   Add coments Zelvanto", "S_comm_4   30   #new#",
                                      "GCOM_170,a,b,c,d,_VNKtemp,f", "X", "Y", "END"}));
}

TEST(JwCadWroteFile, DecidedByAppearanceOrFullTimeStamp) {
  // No file afterwards: failed.
  EXPECT_FALSE(JwCadWroteFile({false, 0, std::nullopt}));
  // The old file was removed (or there was none): whatever is there now is
  // Jw_cad's, also when written in the same second as the request.
  const std::uint64_t second = 133'500'000'000'000'000ull;  // a whole second in 100 ns units
  EXPECT_TRUE(JwCadWroteFile({false, 0, second + 1}));
  EXPECT_TRUE(JwCadWroteFile({false, second + 5'000'000, second + 1}));
  // The old file stayed: only a newer full time stamp counts, and a newer
  // one within the same second does.
  EXPECT_TRUE(JwCadWroteFile({true, second + 1, second + 2}));
  EXPECT_FALSE(JwCadWroteFile({true, second + 2, second + 2}));
  EXPECT_FALSE(JwCadWroteFile({true, second + 2, second + 1}));
}

TEST(BackupFileName, TimeOfTheCopyAndADistinctNameForTheSameSecond) {
  const Timestamp t{2004, 3, 7, 9, 5, 12};
  EXPECT_EQ(BackupFileName(t), "20040307090512.jwf");
  EXPECT_EQ(BackupFileName(t, 1), "20040307090512.jwf");
  EXPECT_EQ(BackupFileName(t, 2), "20040307090512-2.jwf");
  EXPECT_EQ(BackupFileName(t, 10), "20040307090512-10.jwf");
  EXPECT_EQ(BackupFileName({1999, 12, 31, 23, 59, 59}), "19991231235959.jwf");
}

}  // namespace
}  // namespace zel

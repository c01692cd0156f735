// The code page 932 layer: character counting, trail bytes that look like
// "\" or letters, and bytes that are not Shift-JIS at all.
#include <gtest/gtest.h>

#include "core/linereader.h"
#include "core/text.h"
#include "core/words.h"
#include "tests/support/byte_source.h"

namespace zel {
namespace {

TEST(Cp932Text, DoubleByteCharactersCountAsOne) {
  const std::string s = J("表ソ能a");
  ASSERT_EQ(s.size(), 7u);
  EXPECT_EQ(CharCount(s), 4u);
  EXPECT_EQ(LeftChars(s, 2), J("表ソ"));
  EXPECT_EQ(MidChars(s, 2), J("能a"));
  EXPECT_EQ(MidChars(s, 1, 1), J("ソ"));
  EXPECT_EQ(RightChars(s, 1), "a");
  // Half-width kana are single bytes.
  EXPECT_EQ(CharCount(J("ｱｲｳ")), 3u);
  // A lead byte cut off at the end counts as one character and is kept.
  const std::string cut = s.substr(0, 1);
  EXPECT_EQ(CharCount(cut), 1u);
  EXPECT_EQ(LeftChars(cut, 5), cut);
}

TEST(Cp932Text, ALeadByteWithoutATrailByteIsACharacterOfItsOwn) {
  // Trail bytes are 40-7E and 80-FC; a lead byte before anything else does
  // not take that byte with it.
  EXPECT_EQ(CharLenAt("\x95 abc", 0), 1u);
  EXPECT_EQ(CharCount("\x95 abc"), 5u);
  EXPECT_EQ(LeftChars("\x95 abc", 2), "\x95 ");
  EXPECT_EQ(MidChars("\x95 abc", 1), " abc");
  EXPECT_EQ(RightChars("ab\x95\x7F", 2), "\x95\x7F");
  for (const char* pair : {"\x95\x7F", "\x95\x20", "\x95\x0D", "\xE0\xFD", "\xFC\x3F"}) {
    SCOPED_TRACE(pair);
    EXPECT_EQ(CharCount(pair), 2u);
  }
  for (const char* pair : {"\x95\x40", "\x95\x5C", "\x95\x7E", "\x81\x80", "\xFC\xFC"}) {
    SCOPED_TRACE(pair);
    EXPECT_EQ(CharCount(pair), 1u);
  }
  // A separator right after a lone lead byte is found.
  EXPECT_EQ(FindChar("\x95/x", '/'), 1u);
  EXPECT_EQ(FindChar("\x95\\x", '\\'), std::string::npos);  // 95 5C is 表
  EXPECT_EQ(SplitFields("a\x95,b", ','), (std::vector<std::string>{"a\x95", "b"}));
  EXPECT_EQ(AsciiUpper("\x95.awk"), "\x95.AWK");
}

TEST(Cp932Text, TrailByteIsNeverABackslash) {
  // 表, ソ and 能 each end in 0x5C, the byte of "\".
  const std::string path = J("C:\\表\\ソフト\\能力.bat");
  ASSERT_EQ(J("表")[1], '\\');
  EXPECT_EQ(FindChar(path, '\\'), 2u);
  EXPECT_EQ(FindChar(path, '\\', 3), 5u);
  EXPECT_EQ(FindLastChar(path, '\\'), path.size() - J("能力.bat").size() - 1);
  auto parts = SplitFields(path, '\\');
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_EQ(parts[1], J("表"));
  EXPECT_EQ(parts[2], J("ソフト"));
  EXPECT_EQ(parts[3], J("能力.bat"));
  // A folder that is only such a character has no trailing separator.
  EXPECT_EQ(FindLastChar(J("表"), '\\'), std::string::npos);
  // FindText never starts a match inside a character: "\x5C" + "A" does not
  // match the tail of ソ followed by A.
  EXPECT_EQ(FindText(J("ソA"), "\\A"), std::string::npos);
}

TEST(Cp932Text, CaseFoldingTouchesAsciiLettersOnly) {
  // ア (83 41) and ヂ (83 61) differ only by 0x20 in the trail byte.
  const std::string a = J("ア"), dji = J("ヂ");
  ASSERT_EQ(a[0], dji[0]);
  EXPECT_FALSE(EqualsNoCase(a, dji));
  EXPECT_EQ(AsciiUpper(dji), dji);
  EXPECT_EQ(AsciiLower(a), a);
  EXPECT_EQ(AsciiUpper(J("rem ヂ")), J("REM ヂ"));
  EXPECT_TRUE(EqualsNoCase("Echo", "ECHO"));
  EXPECT_TRUE(StartsWithNoCase(J("JW_WINア"), "jw_win"));
  EXPECT_FALSE(StartsWithNoCase(J("ア"), std::string(1, '\x83')));
}

TEST(Cp932Text, ConversionToAndFromUtf8) {
  EXPECT_EQ(J("表"), std::string("\x95\x5C"));
  EXPECT_EQ(J("ア"), std::string("\x83\x41"));
  EXPECT_EQ(J("ＭＳ ゴシック"), std::string("\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E"));
  EXPECT_EQ(J("ｱ"), std::string("\xB1"));
  EXPECT_EQ(Utf8FromCp932(J("【Zelvanto テンポラリバッチ】通常モード")),
            "【Zelvanto テンポラリバッチ】通常モード");
  // Windows writes the NEC row for characters that exist twice.
  EXPECT_EQ(J("≒"), std::string("\x81\xE0"));
  EXPECT_EQ(J("Ⅰ"), std::string("\x87\x54"));
  // No cp932 form: a question mark, never a dropped character.
  EXPECT_EQ(J("a😀b"), "a?b");
  EXPECT_EQ(Utf8FromCp932(std::string("\x80")), "\xEF\xBF\xBD");
}

TEST(Cp932Text, LinesPassThroughByteForByte) {
  // A UTF-8 line, a stray byte and a lone lead byte come out as they went in.
  const std::string utf8 = "rem \xE5\x86\x86\xE5\xBC\xA7 utf-8";
  const std::string stray = std::string("ab\x80\xFF\xA0", 5);
  const std::string lone_lead = std::string("x\x95", 2);
  const std::string bytes = utf8 + "\r\n" + stray + "\r\n" + lone_lead;
  test::StringSource src(bytes);
  LineReader reader(src, LineEnds::kCr, 3);  // tiny chunks: lines span reads
  std::string line;
  ASSERT_TRUE(reader.ReadLine(line));
  EXPECT_EQ(line, utf8);
  ASSERT_TRUE(reader.ReadLine(line));
  EXPECT_EQ(line, stray);
  ASSERT_TRUE(reader.ReadLine(line));
  EXPECT_EQ(line, lone_lead);
  EXPECT_FALSE(reader.ReadLine(line));
  EXPECT_FALSE(reader.Failed());
  // Upper-casing such text changes only the ASCII letters.
  EXPECT_EQ(AsciiUpper(utf8), "REM \xE5\x86\x86\xE5\xBC\xA7 UTF-8");
}

TEST(LineReader, LineEndsAndPrefixes) {
  test::StringSource src("a\rb\r\nc\nd\r\r\n" + std::string(10000, 'x') + "\r\nend");
  LineReader reader(src, LineEnds::kCr, 7);
  std::string line;
  std::vector<std::string> got;
  while (reader.ReadLinePrefix(line, 4)) got.push_back(line);
  // A lone LF stays inside the line; CR and CR LF end lines; empty lines
  // count; a long line is cut to its prefix and the next line follows.
  EXPECT_EQ(got, (std::vector<std::string>{"a", "b", "c\nd", "", "xxxx", "end"}));

  EXPECT_EQ(SplitLines("1\r\n2\r3\n\r\n"),
            (std::vector<std::string>{"1", "2", "3", ""}));

  test::StringSource broken("q and more", 1);  // one byte, then a failing read
  LineReader bad(broken);
  EXPECT_FALSE(bad.ReadLine(line));
  EXPECT_TRUE(bad.Failed());
}

}  // namespace
}  // namespace zel

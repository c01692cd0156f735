// Word and field splitting of command lines, batch lines and paths.
#include <gtest/gtest.h>

#include "core/text.h"
#include "core/words.h"

namespace zel {
namespace {

TEST(SplitWords, BlanksSeparateAndNothingElse) {
  Words w = SplitWords("a  b");
  EXPECT_EQ(w[0], "a");
  EXPECT_EQ(w[1], "b");
  for (std::size_t i = 2; i < kMaxWords; ++i) EXPECT_EQ(w[i], "");

  for (const auto& e : SplitWords("")) EXPECT_EQ(e, "");
  for (const auto& e : SplitWords("    ")) EXPECT_EQ(e, "");

  // Tabs belong to words; quotes are not interpreted.
  w = SplitWords("  x\ty \"C:\\Program Files\\a\"  ");
  EXPECT_EQ(w[0], "x\ty");
  EXPECT_EQ(w[1], "\"C:\\Program");
  EXPECT_EQ(w[2], "Files\\a\"");
  EXPECT_EQ(w[3], "");

  // Double-byte words, including trail bytes 0x5C.
  w = SplitWords(J("gawk -f 表計算.awk ソ"));
  EXPECT_EQ(w[2], J("表計算.awk"));
  EXPECT_EQ(w[3], J("ソ"));
}

TEST(SplitWords, ALoneLeadByteDoesNotSwallowTheBlankAfterIt) {
  Words w = SplitWords("\x95 abc def");
  EXPECT_EQ(w[0], "\x95");
  EXPECT_EQ(w[1], "abc");
  EXPECT_EQ(w[2], "def");
  w = SplitWordsKeepWidth("\x81  x");
  EXPECT_EQ(w[0], "\x81");
  EXPECT_EQ(w[1], "  x");
  // A real double-byte character whose trail byte is a letter stays whole.
  w = SplitWords(J("ア b"));
  EXPECT_EQ(w[0], J("ア"));
  EXPECT_EQ(w[1], "b");
}

TEST(SplitWords, KeepsAtMost31Words) {
  std::string text;
  for (int i = 1; i <= 40; ++i) text += "w" + std::to_string(i) + " ";
  Words w = SplitWords(text);
  EXPECT_EQ(w[0], "w1");
  EXPECT_EQ(w[30], "w31");

  Words k = SplitWordsKeepWidth(text);
  EXPECT_EQ(k[0], "w1");
  EXPECT_EQ(k[30], " w31");
}

TEST(SplitWords, KeepWidthRecordsLeadingBlanks) {
  Words w = SplitWordsKeepWidth("  a   b");
  EXPECT_EQ(w[0], "  a");
  EXPECT_EQ(w[1], "   b");
  EXPECT_EQ(w[2], " ");
  EXPECT_EQ(w[3], "");

  w = SplitWordsKeepWidth("a  ");
  EXPECT_EQ(w[0], "a");
  EXPECT_EQ(w[1], "   ");  // the two trailing blanks plus one
}

TEST(SplitFields, PiecesBetweenDelimiters) {
  EXPECT_EQ(SplitFields("a,,b,", ','), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_TRUE(SplitFields("", ',').empty());
  EXPECT_EQ(SplitFields(",a", ','), (std::vector<std::string>{"", "a"}));
  EXPECT_EQ(SplitFields("abc", ','), (std::vector<std::string>{"abc"}));
  EXPECT_EQ(SplitFields(J("C:\\能\\x"), '\\'),
            (std::vector<std::string>{"C:", J("能"), "x"}));
}

}  // namespace
}  // namespace zel

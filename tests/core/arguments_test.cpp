// The command line's words: quoted folders with blanks are one word.
#include <gtest/gtest.h>

#include "core/arguments.h"
#include "core/text.h"

namespace zel {
namespace {

TEST(SplitStartArguments, QuotedFolderIsOneWordWithoutItsQuotes) {
  // As Windows passes a dropped folder, or "Open with": quoted because of
  // the blank, with the mode after it.
  Words w = SplitStartArguments(J("\"C:\\My Drawings\\外変 表\" /jwf"));
  EXPECT_EQ(w[0], J("C:\\My Drawings\\外変 表"));
  EXPECT_EQ(w[1], "/jwf");
  EXPECT_EQ(w[2], "");

  // A drive root in quotes keeps its backslash.
  w = SplitStartArguments("/jwf \"D:\\\"");
  EXPECT_EQ(w[0], "/jwf");
  EXPECT_EQ(w[1], "D:\\");

  // An unclosed quote runs to the end; empty quotes are no word.
  w = SplitStartArguments("\"\" \"C:\\a b");
  EXPECT_EQ(w[0], "C:\\a b");
  EXPECT_EQ(w[1], "");
}

TEST(SplitStartArguments, WithoutQuotesSplitsAsSplitWords) {
  for (const std::string& text :
       {std::string(""), std::string("   "), std::string("/P"),
        std::string("  C:\\JWW\\GAIHEN  /jwf "), J("D:\\ソ\\能 x"),
        std::string("a\tb c")}) {
    EXPECT_EQ(SplitStartArguments(text), SplitWords(text)) << text;
  }
  std::string forty;
  for (int i = 1; i <= 40; ++i) forty += "w" + std::to_string(i) + " ";
  EXPECT_EQ(SplitStartArguments(forty), SplitWords(forty));
}

}  // namespace
}  // namespace zel

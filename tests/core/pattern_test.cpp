#include "core/pattern.h"

#include <random>
// GCC 12 warns about its own std::regex internals under -O2 with sanitizers.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/text.h"

namespace zel {
namespace {

// The marker test run on the first 10 characters of every batch file line.
TEST(PatternMatch, JwMarkerOnBatchLines) {
  const std::string jw = "/#jw/i";
  EXPECT_EQ(Match(jw, "REM #JWW"), "1");
  EXPECT_EQ(Match(jw, "rem #jw"), "1");
  EXPECT_EQ(Match(jw, "#Jw"), "1");
  EXPECT_EQ(Match(jw, J("表#jw")), "1");
  // Ten characters, a double-byte character counting as one.
  EXPECT_EQ(Match(jw, LeftChars(J("表示円弧線分文#jw"), 10)), "1");
  EXPECT_EQ(Match(jw, LeftChars(J("表示円弧線分文字#jw"), 10)), "0");
  EXPECT_EQ(Match(jw, "abc"), "0");
  EXPECT_EQ(Match(jw, "# jw"), "0");
  EXPECT_EQ(Match(jw, ""), "0");
  // カ is 83 4A: its trail byte is "J" but must never fold to "j".
  EXPECT_EQ(Match("/jw/i", J("カw")), "0");
  EXPECT_EQ(Match("/jw/i", J("カjW")), "1");
  // Without "i" the case must agree.
  EXPECT_EQ(Match("/#jw/", "REM #JW"), "0");
  EXPECT_EQ(Match("/#JW/", "REM #JW"), "1");
}

// Strips "@REM ", "rem ", "echo " from the start of a title line.
TEST(PatternReplace, CommandWordOfTitleLine) {
  const std::string strip = "s/^[\\@ ]?(echo|rem) +//ikg";
  EXPECT_EQ(Replace(strip, J("@REM 円弧")), J("円弧"));
  EXPECT_EQ(Replace(strip, J("rem 円弧")), J("円弧"));
  EXPECT_EQ(Replace(strip, "@echo off"), "off");
  EXPECT_EQ(Replace(strip, J("Rem  線の変換 * ")), J("線の変換 * "));
  EXPECT_EQ(Replace(strip, "REMARK x"), "REMARK x");
  EXPECT_EQ(Replace(strip, " rem x"), "x");
  EXPECT_EQ(Replace(strip, "xrem a"), "xrem a");
  EXPECT_EQ(Replace(strip, "@@rem a"), "@@rem a");
  EXPECT_EQ(Replace(strip, "rem"), "rem");
  // Only once, at the start, even with "g".
  EXPECT_EQ(Replace(strip, "rem rem x"), "rem x");
}

// Drops the trailing "*" that marks a title, with the blanks around it.
TEST(PatternReplace, TrailingStarOfTitle) {
  const std::string star = "s/ *\\* *$//ikg";
  EXPECT_EQ(Replace(star, J(" 文字の置換 *")), J(" 文字の置換"));
  EXPECT_EQ(Replace(star, J(" 線の変換 * ")), J(" 線の変換"));
  EXPECT_EQ(Replace(star, " *"), "");
  EXPECT_EQ(Replace(star, J(" 文字の置換")), J(" 文字の置換"));
  EXPECT_EQ(Replace(star, J(" a * b")), J(" a * b"));
  EXPECT_EQ(Replace(star, J(" a ** ")), J(" a *"));
  // ソ ends in 0x5C; the star next to it is still found.
  EXPECT_EQ(Replace(star, J(" ソ*")), J(" ソ"));
}

TEST(PatternMatch, WhitespaceInFolderName) {
  const std::string ws = "/\\s/i";
  EXPECT_EQ(Match(ws, "JWW"), "0");
  EXPECT_EQ(Match(ws, J("表示")), "0");
  EXPECT_EQ(Match(ws, "My Folder"), "1");
  EXPECT_EQ(Match(ws, "a\tb"), "1");
  EXPECT_EQ(Match(ws, J("表\r\n")), "1");
  EXPECT_EQ(Match(ws, "a\fb\vc"), "1");
  // A full-width blank is a double-byte character, not ASCII whitespace.
  EXPECT_EQ(Match(ws, J("表　示")), "0");
}

// The last component of a path: a trail byte 0x5C is not a separator even
// without "k".
TEST(PatternMatch, LastPathComponentKeepsTrailBackslash) {
  const std::string last = "/([^\\\\]*)$/";
  EXPECT_EQ(Match(last, "C:\\JWW\\a.bat"), "a.bat");
  EXPECT_EQ(Match(last, J("C:\\JWW\\表示.bat")), J("表示.bat"));
  EXPECT_EQ(Match(last, J("D:\\ソフト\\能力.bat")), J("能力.bat"));
  EXPECT_EQ(Match(last, J("表")), J("表"));
  EXPECT_EQ(Match(last, J("C:\\ソ")), J("ソ"));
  EXPECT_EQ(Match(last, "C:\\JWW\\"), "");
  EXPECT_EQ(Match("/([^\\\\]*)$/k", J("D:\\ソフト\\能力.bat")), J("能力.bat"));
}

TEST(PatternMatch, CaptureCallSites) {
  // "%0" in a batch line.
  EXPECT_EQ(Match("/(%0)/", "jw_cad %0 %1"), "%0");
  EXPECT_EQ(Match("/(%0)/", "jw_cad %1"), "0");
  EXPECT_EQ(Match("/(%0)/", J("表%0")), "%0");

  // File name without its three-character extension.
  const std::string stem = "/([^\\\\]*)\\....$/";
  EXPECT_EQ(Match(stem, J("C:\\A\\表計算.txt")), J("表計算"));
  EXPECT_EQ(Match(stem, J("C:\\ソ\\能.bat")), J("能"));
  EXPECT_EQ(Match(stem, "C:\\A\\b.c.jww"), "b.c");
  EXPECT_EQ(Match(stem, "C:\\A\\readme"), "0");

  // The three-character extension.
  const std::string ext = "/.*\\.(...)$/";
  EXPECT_EQ(Match(ext, "C:\\A\\b.TXT"), "TXT");
  EXPECT_EQ(Match(ext, J("C:\\表.\\b.jww")), "jww");
  EXPECT_EQ(Match(ext, "C:\\A\\b.jwwx"), "0");
  EXPECT_EQ(Match(ext, "C:\\A\\b"), "0");
}

TEST(PatternReplace, LineBreakRoundTrip) {
  const std::string text = J("一行目\r\n二行目 表\r\n\r\n最後");
  const std::string flat = Replace("s/(\\r\\n)/ vbCrlf /ikg", text);
  EXPECT_EQ(flat, J("一行目 vbCrlf 二行目 表 vbCrlf  vbCrlf 最後"));
  EXPECT_EQ(Replace("s/( vbCrlf )/\\r\\n/igk", flat), text);
  EXPECT_EQ(Replace("s/( vbCrlf )/\\r\\n/ikg", flat), text);
  // A lone LF or CR is not a line break here.
  EXPECT_EQ(Replace("s/(\\r\\n)/ vbCrlf /ikg", "a\nb\rc"), "a\nb\rc");
  // Without "g" only the first one.
  EXPECT_EQ(Replace("s/(\\r\\n)/|/", "a\r\nb\r\nc"), "a|b\r\nc");
}

TEST(PatternReplace, NewMarkerFirstOnly) {
  EXPECT_EQ(Replace("s/#new#/12/k", "a#new#b#new#"), "a12b#new#");
  EXPECT_EQ(Replace("s/#new#/" + J("表ソ") + "/k", "a#new#b#new#"),
            J("a表ソb#new#"));
  EXPECT_EQ(Replace("s/#new#/" + J("表ソ") + "/k", J("能#new#")),
            J("能表ソ"));
  EXPECT_EQ(Replace("s/#new#/12/k", "no marker"), "no marker");
}

// Case folding touches ASCII letters only; trail bytes that look like
// letters keep their case.
TEST(PatternMatch, IgnoreCaseNeverFoldsTrailBytes) {
  EXPECT_EQ(Match("/" + J("ア") + "/i", J("ヂ")), "0");   // 83 41 vs 83 61
  EXPECT_EQ(Match("/" + J("ヂ") + "/i", J("ア")), "0");
  EXPECT_EQ(Match("/" + J("ア") + "/ik", J("ヂ")), "0");
  EXPECT_EQ(Match("/" + J("ア") + "/i", J("xア")), "1");
  EXPECT_EQ(Match("/" + J("ア") + "+/ik", J("アア")), "1");
  EXPECT_EQ(Match("/(" + J("ア") + "+)/ik", J("ヂアアヂ")), J("アア"));
  // A class of letters under "i" must not catch the trail byte "A" of ア.
  EXPECT_EQ(Match("/[a]/i", J("ア")), "0");
  EXPECT_EQ(Match("/[a]/i", "xA"), "1");
  // The same through the general matcher (a group, an alternation).
  EXPECT_EQ(Match("/(j)w/i", J("カw")), "0");
  EXPECT_EQ(Match("/(j)w/i", J("カJw")), "J");
  EXPECT_EQ(Match("/jw|zz/i", J("カw")), "0");
  EXPECT_EQ(Match("/[^a-z]/i", "aBc"), "0");
  EXPECT_EQ(Match("/(e.ho)/i", "ECHO"), "ECHO");
}

// In "k" mode a match starts and ends on character boundaries; without it
// the body works on bytes.
TEST(PatternMatch, DoubleByteAwareness) {
  // A literal "\" against the trail byte of ソ (83 5C).
  EXPECT_EQ(Match("/\\\\/k", J("ソ")), "0");
  EXPECT_EQ(Match("/\\\\/k", J("ソ\\")), "1");
  EXPECT_EQ(Match("/\\\\/", J("ソ")), "1");
  EXPECT_EQ(Replace("s/\\\\/\\//kg", J("表\\ソ\\能")), J("表/ソ/能"));
  EXPECT_EQ(Match("/\\\\+/k", J("ソ")), "0");
  EXPECT_EQ(Replace("s/[\\\\]/X/kg", J("ソ\\表")), J("ソX表"));
  EXPECT_EQ(Replace("s/(\\\\|\\/)/X/kg", J("ソ/")), J("ソX"));
  // "." is one character with "k", one byte without.
  EXPECT_EQ(Match("/^(.)$/k", J("表")), J("表"));
  EXPECT_EQ(Match("/^.$/", J("表")), "0");
  EXPECT_EQ(Match("/^..$/", J("表")), "1");
  EXPECT_EQ(Replace("s/./x/kg", J("表a能")), "xxx");
  EXPECT_EQ(Replace("s/./x/g", J("表a")), "xxx");
  // A pattern character is a unit for quantifiers.
  EXPECT_EQ(Match("/^(" + J("表") + "*)$/k", J("表表表")), J("表表表"));
  EXPECT_EQ(Match("/^(" + J("表") + "?)x/", "x"), "");
  // Ranges of double-byte characters: katakana ァ..ン.
  const std::string kata = "/([" + J("ァ-ン") + "]+)/k";
  EXPECT_EQ(Match(kata, J("漢字カタカナ漢字")), J("カタカナ"));
  EXPECT_EQ(Match(kata, J("漢字")), "0");
  // A byte sequence straddling two characters is no match in "k" mode:
  // ア is 83 41, so "A" + イ is found in アイ only byte-wise.
  EXPECT_EQ(Match("/A" + J("イ") + "/", J("アイ")), "1");
  EXPECT_EQ(Match("/A" + J("イ") + "/k", J("アイ")), "0");
  EXPECT_EQ(Match("/A" + J("イ") + "/k", J("アAイ")), "1");
}

// A lead byte followed by a byte that cannot be a trail byte is a character
// of its own, for "." and classes with "k" and for classes without it.
TEST(PatternMatch, LoneLeadByteIsOneCharacter) {
  EXPECT_EQ(Replace("s/./x/kg", "\x95 a"), "xxx");
  EXPECT_EQ(Replace("s/[^ ]+/W/kg", "\x95 abc"), "W W");
  EXPECT_EQ(Replace("s/[^ ]+/W/g", "\x95 abc"), "W W");
  EXPECT_EQ(Match("/^(.)$/k", "\x95\x7F"), "0");
  EXPECT_EQ(Match("/^(..)$/k", "\x95\x7F"), "\x95\x7F");
  EXPECT_EQ(Match("/(\\S+)$/k", "a \x95"), "\x95");
  // The delimiter after a lone lead byte in a pattern ends the body.
  EXPECT_EQ(Match("/\x95/", "a\x95 "), "1");
  EXPECT_EQ(Replace("s/\x95/X/g", "\x95/\x95"), "X/X");
  // With "k" a one-byte pattern character never takes the first byte of a
  // double-byte character of the subject.
  EXPECT_EQ(Match("/\x95/k", J("表")), "0");
  EXPECT_EQ(Match("/\x95/", J("表")), "1");
  EXPECT_EQ(Match("/\x95/k", "\x95 "), "1");
}

TEST(PatternMatch, Constructs) {
  // Alternation, at the top and inside groups, with nesting.
  EXPECT_EQ(Match("/cat|dog/", "hotdog"), "1");
  EXPECT_EQ(Match("/cat|dog/", "bird"), "0");
  EXPECT_EQ(Match("/x(a|bc|d)y/", "xbcy"), "bc");
  EXPECT_EQ(Match("/((a|b)+)c/", "zzabbac"), "abba");
  EXPECT_EQ(Match("/(?:ab)+(c)/", "ababc"), "c");
  EXPECT_EQ(Match("/(a)|b/", "b"), "");
  // Greedy and lazy quantifiers, counted repetition.
  EXPECT_EQ(Match("/(a+)/", "baaa"), "aaa");
  EXPECT_EQ(Match("/(a+?)/", "baaa"), "a");
  EXPECT_EQ(Match("/<(.*)>/", "<a><b>"), "a><b");
  EXPECT_EQ(Match("/<(.*?)>/", "<a><b>"), "a");
  EXPECT_EQ(Match("/a{/", "a{"), "1");
  EXPECT_EQ(Match("/^(a?)(a)/", "a"), "");
  EXPECT_EQ(Match("/^(a?" "?)a/", "aa"), "");  // lazy
  EXPECT_EQ(Match("/(b*)c/", "abbbc"), "bbb");
  EXPECT_EQ(Match("/^(?:x|(y))*$/", "xyx"), "y");
  // Anchors.
  EXPECT_EQ(Match("/^b/", "ab"), "0");
  EXPECT_EQ(Match("/a$/", "ab"), "0");
  EXPECT_EQ(Match("/^$/", ""), "1");
  EXPECT_EQ(Match("/^b$/", "a\nb\nc"), "0");
  EXPECT_EQ(Match("/(^a|b$)/", "cab"), "b");
  // Escapes: an escaped delimiter, punctuation, \d \w.
  EXPECT_EQ(Match("/(a\\/b)/", "x a/b"), "a/b");
  EXPECT_EQ(Match("/\\@\\.\\*\\+\\?\\(\\)\\[\\|/", "@.*+?()[|"), "1");
  EXPECT_EQ(Match("/(\\d+)/", "ab123c"), "123");
  EXPECT_EQ(Match("/(\\w+)/", J("表abc_1表")), "abc_1");
  EXPECT_EQ(Match("/^[\\d\\s]+$/", "1 2\t3"), "1");
  EXPECT_EQ(Match("/^[\\S]+$/", J("表a")), "1");
  EXPECT_EQ(Match("/[-a]/", "-"), "1");
  EXPECT_EQ(Match("/[]]/", "]"), "1");
  // "." stops at a line feed.
  EXPECT_EQ(Match("/a.b/", "a\nb"), "0");
  EXPECT_EQ(Match("/a.b/", "a\rb"), "1");
  // A double-byte character after "\" is itself; its 0x5C trail byte does
  // not escape the next character.
  EXPECT_EQ(Match("/" + J("表") + "(.)/", J("表x")), "x");
  EXPECT_EQ(Match("/\\" + J("表") + "/", J("表")), "1");
}

TEST(PatternReplace, ReplacementText) {
  EXPECT_EQ(Replace("s/(b+)/[$1]/", "abbbc"), "a[bbb]c");
  EXPECT_EQ(Replace("s/(b+)/[\\1]/", "abbbc"), "a[bbb]c");
  EXPECT_EQ(Replace("s/(b+)|(c)/<$1>/g", "abcbb"), "a<b><><bb>");
  EXPECT_EQ(Replace("s/b+/<$1>/g", "abcbb"), "a<>c<>");
  EXPECT_EQ(Replace("s/b/\\$1 \\\\ \\//", "abc"), "a$1 \\ /c");
  EXPECT_EQ(Replace("s/b/$/", "abc"), "a$c");
  EXPECT_EQ(Replace("s/b/x\\ty/", "abc"), "ax\tyc");
  // A double-byte character ending in 0x5C in the replacement stays whole.
  EXPECT_EQ(Replace("s/b/" + J("表") + "n/", "abc"), J("a表nc"));
  // First match only without "g"; every match with it.
  EXPECT_EQ(Replace("s/o/0/", "foo"), "f0o");
  EXPECT_EQ(Replace("s/o/0/g", "foo"), "f00");
  EXPECT_EQ(Replace("s/O/0/gi", "fOo"), "f00");
  // Empty matches with "g" advance one character, as Perl does.
  EXPECT_EQ(Replace("s/x*/-/g", "abc"), "-a-b-c-");
  EXPECT_EQ(Replace("s/a*/-/g", "aaa"), "--");
  EXPECT_EQ(Replace("s/x*/-/gk", J("表a")), J("-表-a-"));
}

TEST(PatternMatch, MalformedPatterns) {
  EXPECT_EQ(Match("#jw", "#jw"), "0");       // no delimiters
  EXPECT_EQ(Match("/#jw", "#jw"), "0");      // unterminated
  EXPECT_EQ(Match("/(ab/", "ab"), "0");
  EXPECT_EQ(Match("/ab)/", "ab"), "0");
  EXPECT_EQ(Match("/[ab/", "ab"), "0");
  EXPECT_EQ(Match("/*a/", "a"), "0");
  EXPECT_EQ(Match("/a**/", "a"), "0");
  EXPECT_EQ(Match("/[z-a]/", "a"), "0");
  EXPECT_EQ(Match("/a/q", "a"), "0");         // unknown flag
  EXPECT_EQ(Match("/\\bab/", "ab"), "0");     // unsupported escape
  EXPECT_EQ(Match("/(?=a)/", "a"), "0");
  EXPECT_EQ(Match("/a{2}/", "aa"), "0");          // counted repetition
  EXPECT_EQ(Match("s/a/b/", "a"), "0");
  EXPECT_EQ(Replace("s/a/b", "abc"), "abc");
  EXPECT_EQ(Replace("/a/b/", "abc"), "abc");
  EXPECT_EQ(Replace("s/(a/b/", "abc"), "abc");
  EXPECT_EQ(Replace("s/(a)(b)/$2/", "abc"), "abc");  // only group 1 exists
  EXPECT_EQ(Replace("s/a/b/x", "abc"), "abc");
  // The same text still works afterwards (a malformed result is cached per
  // pattern, not per call).
  EXPECT_EQ(Match("/a/", "a"), "1");
  EXPECT_EQ(Match("/a/q", "a"), "0");
}

// Compiled patterns are kept per pattern text; many distinct patterns must
// not disturb the results of earlier or later ones.
TEST(PatternCache, ManyDistinctPatterns) {
  EXPECT_EQ(Match("/#jw/i", "rem #JW"), "1");
  for (int k = 0; k < 1000; ++k) {
    const std::string n = std::to_string(k);
    ASSERT_EQ(Match(std::string("/(") + n + ")x/", std::string("a") + n + "x"), n);
    ASSERT_EQ(Replace(std::string("s/") + n + "/<$1>/", n), "<>");
    ASSERT_EQ(Match("/#jw/i", k % 2 ? "#jw" : "jw"), k % 2 ? "1" : "0");
  }
  EXPECT_EQ(Match("/(7)x/", "a7x"), "7");
  EXPECT_EQ(Replace("s/(b)/[$1]/g", "abcb"), "a[b]c[b]");
}

// Linear time on long subjects, including patterns that make a
// backtracking engine explode.
TEST(PatternPerformance, LongSubjectsStayLinear) {
  // Megabyte subjects are compared with EXPECT_TRUE so a failure does not
  // print them.
  std::string title = " " + J("表");
  while (title.size() < (1u << 20)) title += J(" 線の変換 ソ能");
  EXPECT_TRUE(Replace("s/ *\\* *$//ikg", title + " * ") == title);
  std::string blanks(1u << 20, ' ');
  EXPECT_TRUE(Replace("s/ *\\* *$//ikg", blanks + "x") == blanks + "x");
  EXPECT_TRUE(Replace("s/ *\\* *$//ikg", blanks + "*" + blanks) == "");

  std::string path = "C:";
  while (path.size() < (1u << 20)) path += J("\\表示");
  EXPECT_EQ(Match("/([^\\\\]*)$/", path + J("\\能力.bat")), J("能力.bat"));
  EXPECT_EQ(Match("/([^\\\\]*)\\....$/k", path + J("\\能力.bat")),
            J("能力"));

  std::string as(100000, 'a');
  EXPECT_EQ(Match("/^(a*)*b/", as), "0");
  EXPECT_EQ(Match("/^(a|aa)+$/", as + "!"), "0");
  EXPECT_TRUE(Match("/(a+a+)+c/", as + "c") == as);

  std::string lines;
  while (lines.size() < (1u << 20)) lines += J("線\r\n");
  const std::string flat = Replace("s/(\\r\\n)/ vbCrlf /ikg", lines);
  EXPECT_EQ(flat.size(), lines.size() / 4 * 10);
  EXPECT_TRUE(Replace("s/( vbCrlf )/\\r\\n/ikg", flat) == lines);

  // The per-line marker test, repeated as a folder listing does.
  int hits = 0;
  for (int k = 0; k < 200000; ++k)
    hits += Match("/#jw/i", k % 2 ? "REM #JW" : "echo x") == "1";
  EXPECT_EQ(hits, 100000);
}

// The work of a replacement with "g" grows in proportion to the subject,
// also for a pattern whose first branch scans ahead past the match of a
// later one: "(a*b)|a" on a run of "a" looks for a "b" from every "a", all
// the way to the end, unless the matcher knows that no "b" follows.
TEST(PatternPerformance, GlobalReplaceWorkGrowsInProportion) {
  struct Case {
    const char* pattern;
    char fill;
  };
  const Case cases[] = {
      {"s/(a*b)|a/x/g", 'a'},     {"s/a*b|a/x/g", 'a'},       {"s/(a*b)|a/x/gk", 'a'},
      {"s/.*c|a/x/g", 'a'},       {"s/(?:a|b)*c|a/x/gi", 'A'}, {"s/a*(b|c)|(a)/x/g", 'a'},
      {"s/ *\\* *$| /x/g", ' '},  {"s/a/x/g", 'a'},           {"s/a+$|a/x/g", 'a'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    std::size_t steps[2];
    for (int k = 0; k < 2; ++k) {
      const std::size_t n = k == 0 ? 1500 : 6000;
      const std::string subject = std::string(n, c.fill) + "!";
      // "a+$" does not match before "!", so every "a" is replaced alone.
      TakeMatcherSteps();
      EXPECT_TRUE(Replace(c.pattern, subject) == std::string(n, 'x') + "!");
      steps[k] = TakeMatcherSteps();
    }
    // Four times the subject: about four times the work, not sixteen.
    EXPECT_LT(steps[1], 5 * steps[0]) << steps[0] << " then " << steps[1];
  }
}

// Replacing every match gives what a backtracking engine gives, for
// patterns whose branches scan ahead and subjects with long runs, where the
// matcher's bookkeeping of what can still match does its work.
TEST(PatternReplace, EveryMatchAsABacktrackingEngineFindsIt) {
  const char* const patterns[] = {
      "(a*b)|a",         "a*b|a",         "(b|ab*c)|a",   "(a|ab)(?:c|bcd)",
      "c[ab]*?b|.",      "(a+)(?:b|$)|c", "b+|(a+c)",     "(?:ab|a)*c|b",
      "^a|(b)|c",        "(a*)c|a*b|c",   "a(b*)$|ab|b",  "(?:a|b)+?c|(b)",
  };
  std::mt19937 random(20240607);
  std::vector<std::string> subjects = {"", "a", "ab", "aaaa", "abcabc", std::string(50, 'a')};
  for (int i = 0; i < 400; ++i) {
    // Mostly "a", so that branches looking for "b" or "c" run far ahead.
    std::string s;
    const std::size_t len = random() % 40;
    for (std::size_t k = 0; k < len; ++k) {
      const unsigned r = random() % 10;
      s += r < 7 ? 'a' : r < 9 ? 'b' : 'c';
    }
    subjects.push_back(s);
  }
  for (const char* body : patterns) {
    SCOPED_TRACE(body);
    const std::regex re(body, std::regex::ECMAScript);
    for (const std::string& s : subjects) {
      const std::string expected = std::regex_replace(s, re, "<$1>");
      ASSERT_EQ(Replace(std::string("s/") + body + "/<$1>/g", s), expected) << s;
    }
  }

  // Long subjects, whose matches lie on both sides of the points where the
  // matcher keeps what it knows, byte-wise and with double-byte characters.
  for (const std::string& unit : {std::string("a"), J("表")}) {
    std::string subject, expected;
    for (int i = 0; i < 700; ++i) {
      std::string run;
      for (int k = 0; k < i % 47; ++k) run += unit;
      subject += run + (i % 3 == 0 ? "b" : "c");
      if (i % 3 == 0) {
        expected += "<" + run + "b>";
      } else {
        for (int k = 0; k < i % 47; ++k) expected += "<>";
        expected += "c";
      }
    }
    const std::string flags = unit == "a" ? "/g" : "/gk";
    const std::string body = "(" + unit + "*b)|" + unit;
    EXPECT_TRUE(Replace("s/" + body + "/<$1>" + flags, subject) == expected)
        << Utf8FromCp932(unit);
  }
}

}  // namespace
}  // namespace zel

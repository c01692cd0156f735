#include "core/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/linereader.h"
#include "core/text.h"

namespace zel {
namespace {

// Line number n of the file (1-based, as people count them) in a vector.
constexpr std::size_t L(std::size_t n) { return n - 1; }

std::vector<std::string> LinesOf(const Settings& s) {
  return SplitLines(FormatSettings(s));
}

void ExpectSameButton(const ToolButtonSetting& a, const ToolButtonSetting& b,
                      std::size_t i) {
  SCOPED_TRACE("button " + std::to_string(i + 1));
  EXPECT_EQ(a.key, b.key);
  EXPECT_EQ(a.tag, b.tag);
  EXPECT_EQ(a.caption, b.caption);
  EXPECT_EQ(a.tooltip, b.tooltip);
  EXPECT_EQ(a.image, b.image);
}

void ExpectSameFont(const FontSetting& a, const FontSetting& b) {
  EXPECT_EQ(a.name, b.name);
  EXPECT_EQ(a.size, b.size);
  EXPECT_EQ(a.bold, b.bold);
  EXPECT_EQ(a.italic, b.italic);
}

void ExpectSameSettings(const Settings& a, const Settings& b) {
  EXPECT_EQ(a.editor, b.editor);
  EXPECT_EQ(a.jwwfolder, b.jwwfolder);
  EXPECT_EQ(a.gaihenfolder, b.gaihenfolder);
  EXPECT_EQ(a.foldermove, b.foldermove);
  EXPECT_EQ(a.win, b.win);
  EXPECT_EQ(a.Top, b.Top);
  EXPECT_EQ(a.Left, b.Left);
  EXPECT_EQ(a.Height, b.Height);
  EXPECT_EQ(a.Width, b.Width);
  ExpectSameFont(a.Treefont, b.Treefont);
  ExpectSameFont(a.ListFont, b.ListFont);
  ExpectSameFont(a.ComeFont, b.ComeFont);
  EXPECT_EQ(a.Gawk, b.Gawk);
  EXPECT_EQ(a.Callwin, b.Callwin);
  EXPECT_EQ(a.ColumnHead1W, b.ColumnHead1W);
  EXPECT_EQ(a.ColumnHead2W, b.ColumnHead2W);
  EXPECT_EQ(a.ColumnHead3W, b.ColumnHead3W);
  EXPECT_EQ(a.ColumnPos, b.ColumnPos);
  EXPECT_EQ(a.Frame2left, b.Frame2left);
  EXPECT_EQ(a.Frame3Top, b.Frame3Top);
  EXPECT_EQ(a.TextPosL, b.TextPosL);
  EXPECT_EQ(a.KeepJWCTEMP, b.KeepJWCTEMP);
  EXPECT_EQ(a.Bootmode, b.Bootmode);
  EXPECT_EQ(a.Layered, b.Layered);
  EXPECT_EQ(a.Scomm49, b.Scomm49);
  EXPECT_EQ(a.ADDline, b.ADDline);
  ASSERT_EQ(a.Tools.size(), b.Tools.size());
  for (std::size_t i = 0; i < a.Tools.size(); ++i)
    ExpectSameButton(a.Tools[i], b.Tools[i], i);
  EXPECT_EQ(a.Column1, b.Column1);
  EXPECT_EQ(a.Column2, b.Column2);
  EXPECT_EQ(a.Column3, b.Column3);
  EXPECT_EQ(a.ColumnSortkey, b.ColumnSortkey);
  EXPECT_EQ(a.ColumnSortOrder, b.ColumnSortOrder);
}

// A record in which no field has its default value, with Japanese texts
// whose trail bytes are 0x5C ("表", "ソ") where a byte-wise cut would break.
Settings FullRecord(std::size_t buttons) {
  Settings s = DefaultSettings("C:\\Work", buttons);
  s.editor = J("C:\\ソフト\\秀丸\\Hidemaru.exe");
  s.jwwfolder = "D:\\JWW";
  s.gaihenfolder = J("D:\\外部変形\\表計算");
  s.foldermove = 1;
  s.win = 2;
  s.Top = 1234.5f;
  s.Left = -1000;
  s.Height = 6000;
  s.Width = 9000.25f;
  s.Treefont = {J("ＭＳ Ｐゴシック"), 10.5, true, true};
  s.ListFont = {J("メイリオ"), 9, true, false};
  s.ComeFont = {"Arial", 12.75, false, true};
  s.Gawk = 3;
  s.Callwin = true;
  s.ColumnHead1W = 2000;
  s.ColumnHead2W = 1500.5f;
  s.ColumnHead3W = 0.25f;
  s.ColumnPos = J("表示位置") + "12    ";  // 10 characters, 14 bytes
  s.Frame2left = 3000;
  s.Frame3Top = -11;
  s.TextPosL = true;
  s.KeepJWCTEMP = true;
  s.Bootmode = -2;
  s.Layered = 200;
  s.Scomm49 = "49";
  s.ADDline = "#h3" + std::string(" vbCrlf ") + J("線色 2");
  s.Column1 = J("ファイル名 ▲");
  s.Column2 = J("コメント");
  s.Column3 = J("日付");
  s.ColumnSortkey = 2;
  s.ColumnSortOrder = -70000;
  if (buttons > 0) {
    s.Tools[0] = {"C:\\JWW\\GAIHEN~1,0", " 0 ", "GAIHEN", "C:\\JWW\\GAIHEN~1",
                  1};
  }
  if (buttons > 1) {
    s.Tools[1] = {J("D:\\図面\\表示,3"), " 3 ", J("表示"), J("D:\\図面\\表示"),
                  4};
  }
  return s;
}

TEST(SettingsFile, RoundTripKeepsEveryFieldAndWritesTheFixedLayout) {
  const Settings in = FullRecord(20);
  const std::string bytes = FormatSettings(in);

  // 42 + 6 * 20 lines, every one ended by CR LF, the last one too.
  const std::vector<std::string> lines = SplitLines(bytes);
  ASSERT_EQ(lines.size(), 162u);
  std::size_t crlf = 0;
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
    if (bytes[i] == '\r' && bytes[i + 1] == '\n') ++crlf;
  EXPECT_EQ(crlf, 162u);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find('\r'), std::string::npos);
    EXPECT_EQ(line.find('\n'), std::string::npos);
  }

  // The header in code page 932, byte for byte.
  const std::string header =
      "[Varnik\x90\xDD\x92\xE8\x83t\x83@\x83" "C\x83\x8B \x8F\x91\x82\xAB"
      "\x8D\x9E\x82\xDD\x8F\x87\x82\xF0\x82\xA9\x82\xA6\x82\xC8\x82\xA2"
      "\x82\xC5\x82\xCB\x81" "B(^^;]";
  EXPECT_EQ(lines[L(1)], header);

  // Reading into a record of the same shape gives back every field.
  Settings out = DefaultSettings("E:\\", 20);
  ParseSettings(&lines, out);
  ExpectSameSettings(out, in);

  // A second save of what was read is byte-identical: nothing widens or
  // drifts from save to save.
  EXPECT_EQ(FormatSettings(out), bytes);
}

TEST(SettingsFile, WritesKeysAndValuesInTheirPlaces) {
  Settings s = FullRecord(2);
  s.Tools[1] = {"", "", "", "", 0};  // a free button
  const std::vector<std::string> lines = LinesOf(s);
  const std::vector<std::string> expected = {
      "editor=" + J("C:\\ソフト\\秀丸\\Hidemaru.exe"),
      "jwwfolder=D:\\JWW",
      "gaihenfolder=" + J("D:\\外部変形\\表計算"),
      "foldermove=1",
      "win=2",
      "Top=1234.5",
      "Left=-1000",
      "Height=6000",
      "Width=9000.25",
      "TreefontName=" + J("ＭＳ Ｐゴシック"),
      "TreefontSize=10.5",
      "TreefontBold=True",
      "TreefontItaric=True",
      "ListFontName=" + J("メイリオ"),
      "ListFontSize=9",
      "ListFontBold=True",
      "ListFontItalic=False",
      "ComeFontName=Arial",
      "ComeFontSize=12.75",
      "ComeFontBold=False",
      "ComeFontItalic=True",
      "Gawk=3",
      "Callwin=True",
      "ColumnHead1W=2000",
      "ColumnHead2W=1500.5",
      "ColumnHead3W=0.25",
      "ColumnPos=" + J("表示位置") + "12    ",
      "Frame2left=3000",
      "Frame3Top=-11",
      "TextPosL=True",
      "KeepJWCTEMP=True",
      "Bootmode=-2",
      "Layered=200",
      "Scomm49=49",
      "ADDline=#h3 vbCrlf " + J("線色 2"),
      "Tools=2",
      "TOOLBUTTON----------1",
      "C:\\JWW\\GAIHEN~1,0",
      " 0 ",
      "GAIHEN",
      "C:\\JWW\\GAIHEN~1",
      " 1 ",
      "TOOLBUTTON----------2",
      "",
      "",
      "",
      "",
      " 0 ",
      "Column1=" + J("ファイル名 ▲"),
      "Column2=" + J("コメント"),
      "Column3=" + J("日付"),
      "ColumnSortkey=2",
      "ColumnSortOrder=-70000",
  };
  ASSERT_EQ(lines.size(), 1 + expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(lines[i + 1], expected[i]) << "line " << i + 2;

  // The tag line is the number between single blanks however the record
  // holds it; the image line always is.
  s.Tools[0].tag = "7";
  s.Tools[1].tag = "  12   ";
  s.Tools[1].image = -3;
  const std::vector<std::string> tags = LinesOf(s);
  EXPECT_EQ(tags[L(40)], " 7 ");
  EXPECT_EQ(tags[L(46)], " 12 ");
  EXPECT_EQ(tags[L(49)], " -3 ");

  // No buttons: 42 lines, "Tools=0" followed directly by the columns.
  const std::vector<std::string> none = LinesOf(FullRecord(0));
  ASSERT_EQ(none.size(), 42u);
  EXPECT_EQ(none[L(37)], "Tools=0");
  EXPECT_EQ(none[L(38)], "Column1=" + J("ファイル名 ▲"));
}

TEST(SettingsFile, MissingOrEmptyFileKeepsEveryField) {
  const std::string font = J("ＭＳ ゴシック");
  for (bool empty_file : {false, true}) {
    SCOPED_TRACE(empty_file ? "file without lines" : "file not opened");
    Settings s = DefaultSettings("C:\\Work", 3);
    s.Top = 100;
    s.win = 1;
    s.Layered = 128;
    s.ColumnSortOrder = 5;
    s.Callwin = true;
    s.Treefont.bold = true;
    s.ColumnPos = "abcdefghij";
    s.Scomm49 = "49";
    s.Column1 = "Name";
    s.ADDline = "x";
    s.Tools[1] = {"C:\\JWW,0", " 0 ", "JWW", "C:\\JWW", 1};
    const Settings before = s;

    const std::vector<std::string> no_lines;
    ParseSettings(empty_file ? &no_lines : nullptr, s);

    // Nothing was read, so nothing changes: the defaults stand, and a close
    // writes them back.
    ExpectSameSettings(s, before);
    EXPECT_EQ(FormatSettings(s), FormatSettings(before));
    EXPECT_EQ(s.editor, "Notepad");
    EXPECT_EQ(s.jwwfolder, "C:\\JWW");
    EXPECT_EQ(s.Treefont.name, font);
  }

  // Lines read empty leave empty text, and the fallbacks step in.
  std::vector<std::string> blank(4);
  Settings b = DefaultSettings("C:\\Work", 0);
  ParseSettings(&blank, b);
  EXPECT_EQ(b.editor, "");
  EXPECT_EQ(b.jwwfolder, "");
  EXPECT_EQ(b.gaihenfolder, "");
  ApplySettingsFallbacks(b, "C:\\Work\\Here");
  EXPECT_EQ(b.jwwfolder, "C:\\JWW");
  EXPECT_EQ(b.gaihenfolder, "C:\\Work\\Here");
  EXPECT_EQ(b.editor, "Notepad");

  // Fallbacks leave filled fields alone.
  Settings filled = FullRecord(0);
  ApplySettingsFallbacks(filled, "X:\\");
  EXPECT_EQ(filled.jwwfolder, "D:\\JWW");
  EXPECT_EQ(filled.gaihenfolder, J("D:\\外部変形\\表計算"));
  EXPECT_EQ(filled.editor, J("C:\\ソフト\\秀丸\\Hidemaru.exe"));

  // What a first start uses before reading.
  const Settings d = DefaultSettings("C:\\Cur", 4);
  EXPECT_EQ(d.editor, "Notepad");
  EXPECT_EQ(d.jwwfolder, "C:\\JWW");
  EXPECT_EQ(d.gaihenfolder, "C:\\Cur");
  EXPECT_EQ(font, "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E");
  for (const FontSetting* f : {&d.Treefont, &d.ListFont, &d.ComeFont}) {
    EXPECT_EQ(f->name, font);
    EXPECT_EQ(f->size, 11.25);
    EXPECT_FALSE(f->bold);
    EXPECT_FALSE(f->italic);
  }
  EXPECT_EQ(d.ColumnPos, "          ");
  EXPECT_EQ(d.Scomm49, "  ");
  ASSERT_EQ(d.Tools.size(), 4u);
  EXPECT_EQ(d.Tools[3].key, "");
  EXPECT_EQ(d.Tools[3].image, 0);
  EXPECT_EQ(d.Top, 0);
  EXPECT_EQ(d.ColumnSortOrder, 0);
}

TEST(SettingsFile, KeysAreCutByCharacterCountAndNeverCompared) {
  const std::vector<std::string> base = LinesOf(FullRecord(2));

  auto read_with = [&](std::size_t line_no, const std::string& text) {
    std::vector<std::string> lines = base;
    lines[L(line_no)] = text;
    Settings s = DefaultSettings("C:\\Cur", 2);
    ParseSettings(&lines, s);
    return s;
  };

  EXPECT_EQ(read_with(2, "xxxxxxxNotepad2").editor, "Notepad2");
  // A value that itself holds "=" is kept whole.
  EXPECT_EQ(read_with(2, "editor=a=b").editor, "a=b");
  // Seven characters or fewer leave nothing, and the fallback steps in.
  for (const char* shorter : {"editor=", "editor", ""}) {
    Settings s = read_with(2, shorter);
    EXPECT_EQ(s.editor, "") << shorter;
    ApplySettingsFallbacks(s, "C:\\Cur");
    EXPECT_EQ(s.editor, "Notepad") << shorter;
  }
  // Seven double-byte characters are seven characters, not fourteen bytes.
  EXPECT_EQ(read_with(2, J("エディタ設定欄") + "vim.exe").editor, "vim.exe");
  // A double-byte character straddling the cut is not split.
  EXPECT_EQ(read_with(2, "edito" + J("ソ表") + J("表ソ")).editor, J("表ソ"));

  // Another 15-character key on the italic line reads the same.
  EXPECT_TRUE(read_with(14, "TreefontItalic=True").Treefont.italic);
  EXPECT_FALSE(read_with(14, "TreefontItalic=False").Treefont.italic);
  // The cut is the length of the key that belongs on the line: a longer key
  // written there leaves "x=55" on line 7, which does not convert.
  EXPECT_EQ(read_with(7, "Topxx=55").Top, 0);
  EXPECT_EQ(read_with(7, "xxxx55").Top, 55);
}

// A file cut short (a full disk, an editor that stopped) leaves every field
// whose line is missing as it was before reading, the defaults at a start:
// nothing is filled from a line that is not there, so a close cannot write
// such a line into twenty favourites.
TEST(SettingsFile, FileEndingEarlyLeavesTheRestAsTheyWere) {
  const Settings full = FullRecord(20);
  const std::vector<std::string> all = LinesOf(full);
  const Settings defaults = DefaultSettings("C:\\Cur", 20);

  // Cut after "Tools=20": the scalars are read, no button and no column.
  std::vector<std::string> lines = all;
  lines.resize(37);
  ASSERT_EQ(lines[L(37)], "Tools=20");
  Settings s = defaults;
  s.Tools[4] = {"C:\\Old,0", " 0 ", "Old", "C:\\Old", 1};
  ParseSettings(&lines, s);
  EXPECT_EQ(s.editor, full.editor);
  EXPECT_EQ(s.ADDline, full.ADDline);
  EXPECT_EQ(s.Bootmode, full.Bootmode);
  ASSERT_EQ(s.Tools.size(), 20u);
  for (std::size_t i = 0; i < 20; ++i) {
    if (i == 4) continue;
    ExpectSameButton(s.Tools[i], defaults.Tools[i], i);
  }
  EXPECT_EQ(s.Tools[4].caption, "Old");
  EXPECT_EQ(s.Column1, "");
  EXPECT_EQ(s.Column3, "");
  EXPECT_EQ(s.ColumnSortkey, 0);
  EXPECT_EQ(s.ColumnSortOrder, 0);
  // What a close writes back: the buttons as they were, not "Tools=20".
  const std::vector<std::string> written = LinesOf(s);
  ASSERT_EQ(written.size(), 162u);
  EXPECT_EQ(std::count(written.begin(), written.end(), "Tools=20"), 1);
  EXPECT_EQ(written[L(37)], "Tools=20");
  EXPECT_EQ(written[L(39)], "");     // button 1's key
  EXPECT_EQ(written[L(41)], "");     // its caption
  EXPECT_EQ(written[L(162)], "ColumnSortOrder=0");

  // Cut after line 5: from "win=" on every field keeps its value.
  lines = all;
  lines.resize(5);
  s = defaults;
  s.Top = 77;
  s.ColumnSortkey = 4;
  s.Tools[0].caption = "kept";
  ParseSettings(&lines, s);
  EXPECT_EQ(s.editor, full.editor);
  EXPECT_EQ(s.gaihenfolder, full.gaihenfolder);
  EXPECT_EQ(s.foldermove, 1);
  EXPECT_EQ(s.win, 0);
  EXPECT_EQ(s.Top, 77);
  ExpectSameFont(s.Treefont, defaults.Treefont);
  EXPECT_EQ(s.ColumnPos, "          ");
  EXPECT_EQ(s.Scomm49, "  ");
  EXPECT_EQ(s.ADDline, "");
  EXPECT_EQ(s.Column1, "");
  EXPECT_EQ(s.ColumnSortkey, 4);
  EXPECT_EQ(s.Tools[0].caption, "kept");

  // Cut inside the first block, after its tag: the key and tag are read,
  // the rest of that button and everything after keep their values.
  lines = all;
  lines.resize(40);
  s = defaults;
  s.Tools[0].image = 5;
  s.Tools[0].caption = "old caption";
  s.Tools[1].key = "old key";
  ParseSettings(&lines, s);
  EXPECT_EQ(s.Tools[0].key, "C:\\JWW\\GAIHEN~1,0");
  EXPECT_EQ(s.Tools[0].tag, " 0 ");
  EXPECT_EQ(s.Tools[0].caption, "old caption");
  EXPECT_EQ(s.Tools[0].tooltip, "");
  EXPECT_EQ(s.Tools[0].image, 5);
  EXPECT_EQ(s.Tools[1].key, "old key");
  EXPECT_EQ(s.Column1, "");

  // A last line without its fields after it is read once, for its own field.
  std::vector<std::string> digits = {"header", "00000000000000000009"};
  Settings d = DefaultSettings("C:\\Cur", 1);
  ParseSettings(&digits, d);
  EXPECT_EQ(d.editor, "0000000000009");
  EXPECT_EQ(d.win, 0);
  EXPECT_EQ(d.Treefont.size, 11.25);
  EXPECT_EQ(d.Tools[0].key, "");
}

// "Tools=" that is not a number keeps the count it starts with, the
// toolbar's button count, so a damaged count line loses no favourite and
// the column lines after the blocks stay in step.
TEST(SettingsFile, ToolsCountThatDoesNotConvertReadsEveryButton) {
  const Settings full = [] {
    Settings s = FullRecord(20);
    for (std::size_t i = 2; i < 20; ++i) {
      const std::string n = std::to_string(i);
      s.Tools[i] = {"C:\\F" + n + ",1", " 1 ", "F" + n, "C:\\F" + n, 2};
    }
    return s;
  }();
  for (const char* count : {"Tools=many", "Tools=", "Tools", "Tools=1x", "Tools=99999"}) {
    SCOPED_TRACE(count);
    std::vector<std::string> lines = LinesOf(full);
    lines[L(37)] = count;
    Settings s = DefaultSettings("C:\\Cur", 20);
    ParseSettings(&lines, s);
    for (std::size_t i = 0; i < 20; ++i) ExpectSameButton(s.Tools[i], full.Tools[i], i);
    EXPECT_EQ(s.Column1, full.Column1);
    EXPECT_EQ(s.Column2, full.Column2);
    EXPECT_EQ(s.Column3, full.Column3);
    EXPECT_EQ(s.ColumnSortkey, full.ColumnSortkey);
    EXPECT_EQ(s.ColumnSortOrder, full.ColumnSortOrder);
    EXPECT_EQ(FormatSettings(s), FormatSettings(full));
  }
}

TEST(SettingsFile, ConversionsOfReadValues) {
  std::int16_t i16 = 99;
  EXPECT_TRUE(ParseInt16("  12  ", i16));
  EXPECT_EQ(i16, 12);
  EXPECT_TRUE(ParseInt16("2.5", i16));
  EXPECT_EQ(i16, 2);
  EXPECT_TRUE(ParseInt16("3.5", i16));
  EXPECT_EQ(i16, 4);
  EXPECT_TRUE(ParseInt16("-2.5", i16));
  EXPECT_EQ(i16, -2);
  EXPECT_TRUE(ParseInt16("2.51", i16));
  EXPECT_EQ(i16, 3);
  EXPECT_TRUE(ParseInt16("+7", i16));
  EXPECT_EQ(i16, 7);
  EXPECT_TRUE(ParseInt16("-32768.5", i16));  // rounds to the even -32768
  EXPECT_EQ(i16, -32768);
  EXPECT_TRUE(ParseInt16("32767", i16));
  EXPECT_EQ(i16, 32767);
  for (const char* bad : {"32768", "32767.5", "-32769", "abc", "", "   ",
                          "12abc", "1 2", "0x10", "inf", "nan", ".", "-"}) {
    std::int16_t v = 5;
    EXPECT_FALSE(ParseInt16(bad, v)) << bad;
    EXPECT_EQ(v, 5) << bad;
  }

  std::int32_t i32 = 0;
  EXPECT_TRUE(ParseInt32("-2147483648", i32));
  EXPECT_EQ(i32, INT32_MIN);
  EXPECT_FALSE(ParseInt32("2147483648", i32));
  EXPECT_EQ(i32, INT32_MIN);

  std::uint8_t byte = 0;
  EXPECT_TRUE(ParseByte("255", byte));
  EXPECT_EQ(byte, 255);
  EXPECT_FALSE(ParseByte("256", byte));
  EXPECT_FALSE(ParseByte("-1", byte));
  EXPECT_EQ(byte, 255);

  bool t = false;
  EXPECT_TRUE(ParseTruth("TRUE", t));
  EXPECT_TRUE(t);
  EXPECT_TRUE(ParseTruth("false", t));
  EXPECT_FALSE(t);
  EXPECT_TRUE(ParseTruth("-1", t));
  EXPECT_TRUE(t);
  EXPECT_TRUE(ParseTruth("0", t));
  EXPECT_FALSE(t);
  EXPECT_TRUE(ParseTruth(" True ", t));
  EXPECT_TRUE(t);
  for (const char* bad : {"yes", "", "Tru", "Truee", "1a"}) {
    bool v = true;
    EXPECT_FALSE(ParseTruth(bad, v)) << bad;
    EXPECT_TRUE(v) << bad;
  }

  float f = 0;
  EXPECT_TRUE(ParseSingle(" 1500.5 ", f));
  EXPECT_EQ(f, 1500.5f);
  EXPECT_TRUE(ParseSingle("1e3", f));
  EXPECT_EQ(f, 1000);
  EXPECT_TRUE(ParseSingle("-.25", f));
  EXPECT_EQ(f, -0.25f);
  for (const char* bad : {"inf", "nan", "0x10", "1e39", "12px", "", "1,5"}) {
    float v = 3;
    EXPECT_FALSE(ParseSingle(bad, v)) << bad;
    EXPECT_EQ(v, 3) << bad;
  }

  double size = 0;
  EXPECT_TRUE(ParseDecimal("10.5", size));
  EXPECT_EQ(size, 10.5);
  EXPECT_FALSE(ParseDecimal("large", size));
  EXPECT_FALSE(ParseDecimal("1e400", size));
  EXPECT_EQ(size, 10.5);

  // The same rules apply to the file's lines.
  std::vector<std::string> lines = LinesOf(FullRecord(0));
  lines[L(5)] = "foldermove=  12  ";
  lines[L(6)] = "win=3.5";
  lines[L(23)] = "Gawk=32768";
  lines[L(24)] = "Callwin=false";
  lines[L(31)] = "TextPosL=yes";
  lines[L(34)] = "Layered=255";
  lines[L(42)] = "ColumnSortOrder=abc";
  Settings s = DefaultSettings("C:\\Cur", 0);
  s.Gawk = 8;
  s.TextPosL = true;
  s.ColumnSortOrder = 6;
  ParseSettings(&lines, s);
  EXPECT_EQ(s.foldermove, 12);
  EXPECT_EQ(s.win, 4);
  EXPECT_EQ(s.Gawk, 8);
  EXPECT_FALSE(s.Callwin);
  EXPECT_TRUE(s.TextPosL);
  EXPECT_EQ(s.Layered, 255);
  EXPECT_EQ(s.ColumnSortOrder, 6);
  EXPECT_EQ(s.ColumnSortkey, 2);  // the lines around stay in step
}

TEST(SettingsFile, TextFieldsKeepTheirLineAndFixedWidthsHold) {
  std::vector<std::string> lines = LinesOf(FullRecord(0));
  lines[L(28)] = "ColumnPos=" + J("列") + "1";
  lines[L(35)] = "Scomm49=5";
  lines[L(36)] = "ADDline=  a vbCrlf b  ";
  Settings s = DefaultSettings("C:\\Cur", 0);
  ParseSettings(&lines, s);
  EXPECT_EQ(s.ColumnPos, J("列") + "1        ");  // ten characters
  EXPECT_EQ(s.Scomm49, "5 ");
  EXPECT_EQ(s.ADDline, "  a vbCrlf b  ");
  std::vector<std::string> written = LinesOf(s);
  EXPECT_EQ(written[L(35)], "Scomm49=5 ");
  EXPECT_EQ(written[L(36)], "ADDline=  a vbCrlf b  ");

  lines[L(28)] = "ColumnPos=" + J("一二三四五六七八九十") + "abc";
  lines[L(35)] = "Scomm49=123";
  ParseSettings(&lines, s);
  EXPECT_EQ(s.ColumnPos, J("一二三四五六七八九十"));
  EXPECT_EQ(s.Scomm49, "12");

  // The writer fits what the record holds in the same way.
  s.ColumnPos = "abc";
  s.Scomm49 = J("表") + "9x";
  written = LinesOf(s);
  EXPECT_EQ(written[L(28)], "ColumnPos=abc       ");
  EXPECT_EQ(written[L(35)], "Scomm49=" + J("表") + "9");
}

TEST(SettingsFile, ToolsCountDifferentFromTheButtons) {
  const Settings four = [] {
    Settings s = FullRecord(4);
    s.Tools[2] = {"C:\\A,1", " 1 ", "A", "C:\\A", 2};
    s.Tools[3] = {"C:\\B,2", " 2 ", "B", "C:\\B", 3};
    return s;
  }();
  const std::vector<std::string> lines = LinesOf(four);

  // More blocks than buttons: the surplus is read and dropped, and the
  // columns after the blocks still land in their fields.
  Settings two = DefaultSettings("C:\\Cur", 2);
  ParseSettings(&lines, two);
  ASSERT_EQ(two.Tools.size(), 2u);
  ExpectSameButton(two.Tools[0], four.Tools[0], 0);
  ExpectSameButton(two.Tools[1], four.Tools[1], 1);
  EXPECT_EQ(two.Column1, four.Column1);
  EXPECT_EQ(two.Column3, four.Column3);
  EXPECT_EQ(two.ColumnSortkey, 2);
  EXPECT_EQ(two.ColumnSortOrder, -70000);

  // Fewer blocks than buttons: the rest keep what they held.
  Settings six = DefaultSettings("C:\\Cur", 6);
  for (std::size_t i = 0; i < 6; ++i)
    six.Tools[i] = {"old", "", "old" + std::to_string(i), "", 9};
  ParseSettings(&lines, six);
  ASSERT_EQ(six.Tools.size(), 6u);
  ExpectSameButton(six.Tools[3], four.Tools[3], 3);
  EXPECT_EQ(six.Tools[4].caption, "old4");
  EXPECT_EQ(six.Tools[5].caption, "old5");
  EXPECT_EQ(six.Tools[5].image, 9);
  EXPECT_EQ(six.ColumnSortOrder, -70000);

  // A negative count reads no block; the line after it is then taken as
  // Column1.
  for (const char* count : {"Tools=-1", "Tools=-32768"}) {
    std::vector<std::string> no_blocks = LinesOf(FullRecord(0));
    no_blocks[L(37)] = count;
    Settings s = DefaultSettings("C:\\Cur", 1);
    s.Tools[0].caption = "untouched";
    ParseSettings(&no_blocks, s);
    EXPECT_EQ(s.Tools[0].caption, "untouched") << count;
    EXPECT_EQ(s.Column2, J("コメント")) << count;
    EXPECT_EQ(s.ColumnSortOrder, -70000) << count;
  }

  // An image line that does not convert leaves the image as it was.
  std::vector<std::string> bad_image = LinesOf(FullRecord(1));
  bad_image[L(43)] = " x ";
  Settings b = DefaultSettings("C:\\Cur", 1);
  b.Tools[0].image = 6;
  ParseSettings(&bad_image, b);
  EXPECT_EQ(b.Tools[0].image, 6);
  EXPECT_EQ(b.Tools[0].key, "C:\\JWW\\GAIHEN~1,0");
}

// Values no window can use keep the field's value, like any value that
// does not convert: font sizes outside 1 to 1638 points, and positions,
// sizes, widths and splitters that are not finite.
TEST(SettingsFile, ValuesNoWindowCanUseAreRefused) {
  const std::vector<std::string> base = LinesOf(FullRecord(0));
  auto read_with = [&](std::size_t line_no, const std::string& text) {
    std::vector<std::string> lines = base;
    lines[L(line_no)] = text;
    Settings s = DefaultSettings("C:\\Cur", 0);
    ParseSettings(&lines, s);
    return s;
  };
  for (const char* size : {"5000", "-5", "1e300", "0", "0.5", "1638.01", "1e-300", "-0"}) {
    SCOPED_TRACE(size);
    EXPECT_EQ(read_with(12, std::string("TreefontSize=") + size).Treefont.size, 11.25);
    EXPECT_EQ(read_with(16, std::string("ListFontSize=") + size).ListFont.size, 11.25);
    EXPECT_EQ(read_with(20, std::string("ComeFontSize=") + size).ComeFont.size, 11.25);
  }
  EXPECT_EQ(read_with(12, "TreefontSize=1").Treefont.size, 1);
  EXPECT_EQ(read_with(16, "ListFontSize=1638").ListFont.size, 1638);
  EXPECT_EQ(read_with(20, "ComeFontSize= 72.5 ").ComeFont.size, 72.5);
  double size = 9;
  EXPECT_FALSE(ParseFontSize("1639", size));
  EXPECT_FALSE(ParseFontSize("0.99", size));
  EXPECT_EQ(size, 9);
  EXPECT_TRUE(ParseFontSize("1638", size));
  EXPECT_EQ(size, 1638);

  const Settings full = FullRecord(0);
  for (const char* value : {"1e39", "-1e39", "inf", "-inf", "nan", "1e400", "3.5e38"}) {
    SCOPED_TRACE(value);
    const Settings s = [&] {
      std::vector<std::string> lines = base;
      for (std::size_t line_no : {7, 8, 9, 10, 25, 26, 27, 29, 30}) {
        const std::string& was = base[L(line_no)];
        lines[L(line_no)] = was.substr(0, was.find('=') + 1) + value;
      }
      Settings r = DefaultSettings("C:\\Cur", 0);
      r.Top = 1;
      r.Left = 2;
      r.Height = 3;
      r.Width = 4;
      r.ColumnHead1W = 5;
      r.ColumnHead2W = 6;
      r.ColumnHead3W = 7;
      r.Frame2left = 8;
      r.Frame3Top = 9;
      ParseSettings(&lines, r);
      return r;
    }();
    EXPECT_EQ(s.Top, 1);
    EXPECT_EQ(s.Left, 2);
    EXPECT_EQ(s.Height, 3);
    EXPECT_EQ(s.Width, 4);
    EXPECT_EQ(s.ColumnHead1W, 5);
    EXPECT_EQ(s.ColumnHead2W, 6);
    EXPECT_EQ(s.ColumnHead3W, 7);
    EXPECT_EQ(s.Frame2left, 8);
    EXPECT_EQ(s.Frame3Top, 9);
    EXPECT_EQ(s.Bootmode, full.Bootmode);  // the lines after stay in step
  }
}

// A text set by a window may hold a line break (a pasted editor path, a
// caption); written as it is it would add lines and push every later value
// off its line. Each CR and LF is written as a blank instead, so the file
// keeps its 42 + 6n lines.
TEST(SettingsFile, LineBreaksInTextsAreWrittenAsBlanks) {
  Settings s = FullRecord(3);
  s.editor = "C:\\a\r\nb.exe";
  s.jwwfolder = "D:\\JWW\n";
  s.Treefont.name = "\rArial";
  s.ColumnPos = "1\n2\r3";
  s.Scomm49 = "\r\n";
  s.ADDline = "x\r\ny";
  s.Tools[0].key = "C:\\x\n,0";
  s.Tools[0].caption = "two\r\nlines";
  s.Tools[2].tooltip = "\n";
  s.Column3 = J("日付\r");
  const std::string bytes = FormatSettings(s);
  const std::vector<std::string> lines = SplitLines(bytes);
  ASSERT_EQ(lines.size(), 42u + 6 * 3);
  std::size_t line_ends = 0;
  for (char c : bytes) line_ends += c == '\n';
  EXPECT_EQ(line_ends, 60u);
  EXPECT_EQ(lines[L(2)], "editor=C:\\a  b.exe");
  EXPECT_EQ(lines[L(3)], "jwwfolder=D:\\JWW ");
  EXPECT_EQ(lines[L(11)], "TreefontName= Arial");
  EXPECT_EQ(lines[L(28)], "ColumnPos=1 2 3     ");
  EXPECT_EQ(lines[L(35)], "Scomm49=  ");
  EXPECT_EQ(lines[L(36)], "ADDline=x  y");
  EXPECT_EQ(lines[L(39)], "C:\\x ,0");
  EXPECT_EQ(lines[L(41)], "two  lines");
  EXPECT_EQ(lines[L(54)], " ");
  EXPECT_EQ(lines[L(58)], "Column3=" + J("日付") + " ");
  EXPECT_EQ(lines[L(59)], "ColumnSortkey=2");
}

TEST(SettingsFile, NumberForms) {
  EXPECT_EQ(FormatSingle(1234), "1234");
  EXPECT_EQ(FormatSingle(1234.5f), "1234.5");
  EXPECT_EQ(FormatSingle(-11), "-11");
  EXPECT_EQ(FormatSingle(0.25f), "0.25");
  EXPECT_EQ(FormatSingle(-1000), "-1000");
  EXPECT_EQ(FormatSingle(0.0f), "0");
  EXPECT_EQ(FormatSingle(-0.0f), "0");
  EXPECT_EQ(FormatSingle(100000000), "100000000");
  EXPECT_EQ(FormatSingle(0.1f), "0.1");  // shortest, not 0.100000001

  EXPECT_EQ(FormatFontSize(11.25), "11.25");
  EXPECT_EQ(FormatFontSize(9), "9");
  EXPECT_EQ(FormatFontSize(10.5), "10.5");
  EXPECT_EQ(FormatFontSize(8.00004), "8");
  EXPECT_EQ(FormatFontSize(12.34567), "12.3457");
  EXPECT_EQ(FormatFontSize(100), "100");  // zeros before the point stay
  EXPECT_EQ(FormatFontSize(-0.00001), "0");  // not "-0"

  EXPECT_EQ(FormatTruth(true), "True");
  EXPECT_EQ(FormatTruth(false), "False");

  // Every written single reads back as the same float.
  for (float v : {0.1f, 1.0f / 3, 1500.5f, -7.75e-5f, 3.0e37f, 16777217.0f}) {
    float back = 0;
    ASSERT_TRUE(ParseSingle(FormatSingle(v), back)) << FormatSingle(v);
    EXPECT_EQ(back, v) << FormatSingle(v);
  }

  // Singles keep a written fraction; integer fields written by hand with
  // one come back rounded.
  std::vector<std::string> lines = LinesOf(FullRecord(0));
  lines[L(10)] = "Width=1500.5";
  lines[L(23)] = "Gawk=2.5";
  lines[L(33)] = "Bootmode=-1.5";
  Settings s = DefaultSettings("C:\\Cur", 0);
  ParseSettings(&lines, s);
  EXPECT_EQ(s.Width, 1500.5f);
  EXPECT_EQ(s.Gawk, 2);
  EXPECT_EQ(s.Bootmode, -2);
  const std::vector<std::string> again = LinesOf(s);
  EXPECT_EQ(again[L(10)], "Width=1500.5");
  EXPECT_EQ(again[L(23)], "Gawk=2");
  EXPECT_EQ(again[L(33)], "Bootmode=-2");
}

}  // namespace
}  // namespace zel

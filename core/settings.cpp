#include "core/settings.h"

#include <charconv>
#include <cmath>
#include <algorithm>
#include <limits>
#include <optional>
#include <string_view>
#include <system_error>

#include "core/text.h"

namespace zel {
namespace {

// The file's first line. Readers skip it; it only warns people editing the
// file by hand that the order of the lines is what carries the meaning.
const std::string& HeaderLine() {
  static const std::string header =
      J("[Varnik設定ファイル 書き込み順をかえないでね。(^^;]");
  return header;
}

constexpr std::string_view kButtonMark = "TOOLBUTTON----------";

std::string_view TrimBlanks(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// True when s is a plain decimal number: optional sign, digits with an
// optional fraction, optional exponent. Checked before from_chars so that
// "inf", "nan", hex forms and trailing garbage are all refused alike.
bool IsDecimalNumber(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t exp_digits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++exp_digits;
    if (exp_digits == 0) return false;
  }
  return i == s.size();
}

// from_chars is locale independent (a German or French user locale must not
// turn "11.25" into garbage) but does not take a leading "+". It refuses
// what overflows the type, so a float field never receives infinity.
template <class T>
bool ParseFloating(const std::string& text, T& out) {
  std::string_view s = TrimBlanks(text);
  if (!IsDecimalNumber(s)) return false;
  if (s[0] == '+') s.remove_prefix(1);
  T v{};
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
  out = v;
  return true;
}

// Rounds to the nearest integer, an exact half to the even neighbour, the
// way the program's integer fields have always converted a written fraction.
// Done by hand so the result never depends on the floating-point rounding
// mode some other code may have set.
double RoundHalfEven(double v) {
  double f = std::floor(v);
  double diff = v - f;
  if (diff > 0.5) return f + 1;
  if (diff < 0.5) return f;
  return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

template <class T>
bool ParseInteger(const std::string& text, T& out) {
  double d = 0;
  if (!ParseFloating(text, d)) return false;
  double r = RoundHalfEven(d);
  if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
      r > static_cast<double>(std::numeric_limits<T>::max()))
    return false;
  out = static_cast<T>(r);
  return true;
}

// A fixed-width text field: cut to n characters or filled with blanks.
std::string FitChars(const std::string& s, std::size_t n) {
  std::string out = LeftChars(s, n);
  std::size_t count = CharCount(out);
  if (count < n) out.append(n - count, ' ');
  return out;
}

// The tag line holds the filter index between blanks, " 0 ". A tag read
// back from a file already carries those blanks, so they are trimmed before
// being added again; otherwise every save would widen the line.
std::string TagLine(const std::string& tag) {
  std::string_view t = TrimBlanks(tag);
  if (t.empty()) return std::string();
  return " " + std::string(t) + " ";
}

std::string ImageLine(std::int16_t image) {
  return " " + std::to_string(image) + " ";
}

// Reads by position. A line the file does not have (it ended early, or
// could not be opened at all) is no value: the field it would fill keeps
// what it held before reading, which at a start is its default. So a file
// cut short never spreads its last line into the fields after it, and a
// close writes back the defaults, not what a missing line seemed to say.
class Reader {
 public:
  explicit Reader(const std::vector<std::string>* lines) : lines_(lines) {}

  void Skip() { Next(); }

  void Text(std::string_view key, std::string& field) {
    if (auto v = Value(key)) field = std::move(*v);
  }
  void Fixed(std::string_view key, std::string& field, std::size_t n) {
    if (auto v = Value(key)) field = FitChars(*v, n);
  }
  void Int16(std::string_view key, std::int16_t& f) { Convert(key, f, ParseInt16); }
  void Int32(std::string_view key, std::int32_t& f) { Convert(key, f, ParseInt32); }
  void Byte(std::string_view key, std::uint8_t& f) { Convert(key, f, ParseByte); }
  void Single(std::string_view key, float& f) { Convert(key, f, ParseSingle); }
  void FontSize(std::string_view key, double& f) { Convert(key, f, ParseFontSize); }
  void Truth(std::string_view key, bool& f) { Convert(key, f, ParseTruth); }

  void Buttons(std::string_view key, std::vector<ToolButtonSetting>& tools) {
    // A count that does not convert keeps the count it starts with, the
    // toolbar's button count: a damaged "Tools=" line then still reads
    // every favourite, and the column lines after the blocks stay in step.
    // A negative count reads no block.
    std::int16_t n = static_cast<std::int16_t>(
        std::min<std::size_t>(tools.size(), std::numeric_limits<std::int16_t>::max()));
    const std::optional<std::string> count = Value(key);
    if (!count) return;  // the file ended before the count
    ParseInt16(*count, n);
    for (int i = 0; i < n && More(); ++i) {
      // Surplus blocks are still read so the lines after them stay in step.
      ToolButtonSetting scratch;
      ToolButtonSetting& b =
          static_cast<std::size_t>(i) < tools.size()
              ? tools[static_cast<std::size_t>(i)]
              : scratch;
      Next();  // the "TOOLBUTTON----------i" mark
      for (std::string* field : {&b.key, &b.tag, &b.caption, &b.tooltip})
        if (const std::string* line = Next()) *field = *line;
      if (const std::string* line = Next()) ParseInt16(*line, b.image);
    }
  }

 private:
  bool More() const { return lines_ != nullptr && next_ < lines_->size(); }
  // The next line; null past the end of the file.
  const std::string* Next() { return More() ? &(*lines_)[next_++] : nullptr; }
  // The key is cut by its length in characters and never compared: files
  // with misspelt or translated keys have always loaded.
  std::optional<std::string> Value(std::string_view key) {
    const std::string* line = Next();
    if (line == nullptr) return std::nullopt;
    return MidChars(*line, CharCount(key));
  }
  // A value that does not convert leaves the field as it was.
  template <class T>
  void Convert(std::string_view key, T& field, bool (*parse)(const std::string&, T&)) {
    if (auto v = Value(key)) parse(*v, field);
  }

  const std::vector<std::string>* lines_;
  std::size_t next_ = 0;
};

class Writer {
 public:
  void Skip() { Put(HeaderLine()); }

  void Text(std::string_view key, const std::string& field) {
    Put(std::string(key) + field);
  }
  void Fixed(std::string_view key, const std::string& field, std::size_t n) {
    Put(std::string(key) + FitChars(field, n));
  }
  void Int16(std::string_view key, std::int16_t v) { Number(key, v); }
  void Int32(std::string_view key, std::int32_t v) { Number(key, v); }
  void Byte(std::string_view key, std::uint8_t v) { Number(key, v); }
  void Single(std::string_view key, float v) {
    Put(std::string(key) + FormatSingle(v));
  }
  void FontSize(std::string_view key, double v) {
    Put(std::string(key) + FormatFontSize(v));
  }
  void Truth(std::string_view key, bool v) {
    Put(std::string(key) + FormatTruth(v));
  }

  void Buttons(std::string_view key,
               const std::vector<ToolButtonSetting>& tools) {
    Number(key, static_cast<long long>(tools.size()));
    for (std::size_t i = 0; i < tools.size(); ++i) {
      const ToolButtonSetting& b = tools[i];
      Put(std::string(kButtonMark) + std::to_string(i + 1));
      Put(b.key);
      Put(TagLine(b.tag));
      Put(b.caption);
      Put(b.tooltip);
      Put(ImageLine(b.image));
    }
  }

  std::string Take() { return std::move(out_); }

 private:
  void Number(std::string_view key, long long v) {
    Put(std::string(key) + std::to_string(v));
  }
  // A text set by a window may hold a line break; written as it is, it
  // would push every later value off its line.
  void Put(const std::string& line) {
    out_ += OneLine(line);
    out_ += "\r\n";
  }

  std::string out_;
};

void WalkFont(auto& s, auto& v, std::string_view name, std::string_view size,
              std::string_view bold, std::string_view italic) {
  v.Text(name, s.name);
  v.FontSize(size, s.size);
  v.Truth(bold, s.bold);
  v.Truth(italic, s.italic);
}

// The one place that knows the order of the file; reading and writing both
// walk it, so they cannot drift apart. `s` is a Settings or const Settings.
void Walk(auto& s, auto& v) {
  v.Skip();  // header
  v.Text("editor=", s.editor);
  v.Text("jwwfolder=", s.jwwfolder);
  v.Text("gaihenfolder=", s.gaihenfolder);
  v.Int16("foldermove=", s.foldermove);
  v.Int16("win=", s.win);
  v.Single("Top=", s.Top);
  v.Single("Left=", s.Left);
  v.Single("Height=", s.Height);
  v.Single("Width=", s.Width);
  // "Itaric" is how the file has always spelt it.
  WalkFont(s.Treefont, v, "TreefontName=", "TreefontSize=", "TreefontBold=",
           "TreefontItaric=");
  WalkFont(s.ListFont, v, "ListFontName=", "ListFontSize=", "ListFontBold=",
           "ListFontItalic=");
  WalkFont(s.ComeFont, v, "ComeFontName=", "ComeFontSize=", "ComeFontBold=",
           "ComeFontItalic=");
  v.Int16("Gawk=", s.Gawk);
  v.Truth("Callwin=", s.Callwin);
  v.Single("ColumnHead1W=", s.ColumnHead1W);
  v.Single("ColumnHead2W=", s.ColumnHead2W);
  v.Single("ColumnHead3W=", s.ColumnHead3W);
  v.Fixed("ColumnPos=", s.ColumnPos, 10);
  v.Single("Frame2left=", s.Frame2left);
  v.Single("Frame3Top=", s.Frame3Top);
  v.Truth("TextPosL=", s.TextPosL);
  v.Truth("KeepJWCTEMP=", s.KeepJWCTEMP);
  v.Int16("Bootmode=", s.Bootmode);
  v.Byte("Layered=", s.Layered);
  v.Fixed("Scomm49=", s.Scomm49, 2);
  v.Text("ADDline=", s.ADDline);
  v.Buttons("Tools=", s.Tools);
  v.Text("Column1=", s.Column1);
  v.Text("Column2=", s.Column2);
  v.Text("Column3=", s.Column3);
  v.Int16("ColumnSortkey=", s.ColumnSortkey);
  v.Int32("ColumnSortOrder=", s.ColumnSortOrder);
}

}  // namespace

Settings DefaultSettings(const std::string& current_dir, std::size_t buttons) {
  Settings s;
  s.editor = "Notepad";
  s.jwwfolder = "C:\\JWW";
  s.gaihenfolder = current_dir;
  // Full-width "ＭＳ", an ordinary blank, then "ゴシック": the name Windows
  // registers for the font.
  const std::string font = J("ＭＳ ゴシック");
  for (FontSetting* f : {&s.Treefont, &s.ListFont, &s.ComeFont}) {
    f->name = font;
    f->size = 11.25;
    f->bold = false;
    f->italic = false;
  }
  s.Tools.assign(buttons, ToolButtonSetting{});
  return s;
}

void ParseSettings(const std::vector<std::string>* lines, Settings& s) {
  Reader r(lines);
  Walk(s, r);
}

void ApplySettingsFallbacks(Settings& s, const std::string& current_dir) {
  if (s.jwwfolder.empty()) s.jwwfolder = "C:\\JWW";
  if (s.gaihenfolder.empty()) s.gaihenfolder = current_dir;
  if (s.editor.empty()) s.editor = "Notepad";
}

std::string FormatSettings(const Settings& s) {
  Writer w;
  Walk(s, w);
  return w.Take();
}

bool ParseInt16(const std::string& text, std::int16_t& out) {
  return ParseInteger(text, out);
}

bool ParseInt32(const std::string& text, std::int32_t& out) {
  return ParseInteger(text, out);
}

bool ParseByte(const std::string& text, std::uint8_t& out) {
  return ParseInteger(text, out);
}

bool ParseSingle(const std::string& text, float& out) {
  // Parsed straight as float, so the shortest form FormatSingle writes comes
  // back as the very same value. A window converts these to pixels: what
  // overflows a float (from_chars refuses it) or is not finite is refused.
  float v = 0;
  if (!ParseFloating(text, v) || !std::isfinite(v)) return false;
  out = v;
  return true;
}

bool ParseDecimal(const std::string& text, double& out) {
  return ParseFloating(text, out);
}

bool ParseFontSize(const std::string& text, double& out) {
  // A size no font takes would reach the window as a font height it cannot
  // make (1e300 points does not even fit an integer): only the sizes the
  // font dialog offers, 1 to 1638 points, are taken.
  double v = 0;
  if (!ParseDecimal(text, v) || !(v >= kMinFontPoints && v <= kMaxFontPoints)) return false;
  out = v;
  return true;
}

bool ParseTruth(const std::string& text, bool& out) {
  std::string_view t = TrimBlanks(text);
  if (EqualsNoCase(t, "True")) {
    out = true;
    return true;
  }
  if (EqualsNoCase(t, "False")) {
    out = false;
    return true;
  }
  // A number is a truth too: hand-edited files use 0 and -1.
  double d = 0;
  if (!ParseFloating(text, d)) return false;
  out = d != 0;
  return true;
}

std::string FormatSingle(float v) {
  if (v == 0) return "0";  // never "-0"
  // Fixed notation, shortest digits that give back the same float: twips
  // read better as "1234.5" than as "1.2345e+03".
  char buf[128];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  return std::string(buf, r.ptr);
}

std::string FormatFontSize(double v) {
  // Point sizes are kept to four places; more digits only record noise.
  char buf[512];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 4);
  if (r.ec != std::errc()) return "0";
  std::string s(buf, r.ptr);
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

std::string FormatTruth(bool v) { return v ? "True" : "False"; }

}  // namespace zel

#include "core/envcomment.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <vector>

#include "core/text.h"

namespace zel {
namespace {

// The fixed texts, in code page 932 once.
const std::string& NewlineMarker() {
  static const std::string marker = J("  #←－－－－－－－－－－－－☆☆Newline☆☆");
  return marker;
}
constexpr std::string_view kAddComents = "   Add coments ";
constexpr std::string_view kPlaceholder = "#new#";

// The lines of a whole file as SplitLines reads them (CR LF, CR or LF end
// a line; a last line without an end counts), as views into it. The next
// CR and LF are each searched for once and remembered, so a file with only
// one kind of line end is still read in one pass.
class Lines {
 public:
  explicit Lines(std::string_view all) : all_(all), cr_(Find('\r')), lf_(Find('\n')) {}
  bool Next(std::string_view& line) {
    if (pos_ >= all_.size()) return false;
    if (cr_ < pos_) cr_ = Find('\r');
    if (lf_ < pos_) lf_ = Find('\n');
    const std::size_t end = std::min(cr_, lf_);
    line = all_.substr(pos_, end - pos_);
    pos_ = end + (end < all_.size() && all_[end] == '\r' && end + 1 == lf_ ? 2 : 1);
    return true;
  }

 private:
  std::size_t Find(char c) const {
    const void* at = std::memchr(all_.data() + pos_, c, all_.size() - pos_);
    return at ? static_cast<std::size_t>(static_cast<const char*>(at) - all_.data()) : all_.size();
  }
  std::string_view all_;
  std::size_t pos_ = 0;
  std::size_t cr_, lf_;  // the next CR and LF at or after pos_ (or the end)
};

char FoldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// True when s begins with the ASCII text `prefix`, letter case ignored.
// Each matching byte is ASCII and so a character of its own, which makes
// the next byte the start of a character too: no double-byte character is
// ever cut or folded.
bool StartsAscii(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (FoldAscii(s[i]) != FoldAscii(prefix[i])) return false;
  return true;
}

bool IsCommentLine(std::string_view line) {
  return !line.empty() && (line[0] == '#' || line[0] == '\t');
}

// "END", "end", "ENDX" ...: only the first three characters count.
bool IsEndLine(std::string_view line) { return StartsAscii(line, "END"); }

// The "COM_LAY" lines hold "=" between a name and its value; the blanks put
// around it let the two sides count as words of their own.
bool IsComLay(std::string_view line) { return StartsAscii(line, "COM_LAY"); }

// Blanks (code 32) are never a trail byte, so they can be cut off the ends
// of the bytes directly.
std::string_view TrimBlanks(std::string_view s) {
  const std::size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// Every single-byte character c (never a trail byte that happens to equal
// it) replaced by `with`.
std::string ReplaceChar(std::string_view s, char c, std::string_view with) {
  std::string out;
  out.reserve(s.size() + 8);
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t len = CharLenAt(s, i);
    if (len == 1 && s[i] == c)
      out += with;
    else
      out.append(s, i, len);
    i += len;
  }
  return out;
}

// Every " =" that starts on a character boundary becomes "=".
std::string JoinEquals(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    if (s.compare(i, 2, " =") == 0) {
      out += '=';
      i += 2;
      continue;
    }
    const std::size_t len = CharLenAt(s, i);
    out.append(s, i, len);
    i += len;
  }
  return out;
}

// The blank-separated words of a line, in order: f(blanks before the word,
// the word, its length in characters). Returns the blanks after the last
// word. Only code 32 separates; a word may hold double-byte characters, so
// its end is looked for on character boundaries.
template <typename F>
std::size_t ForEachWord(std::string_view text, F f) {
  std::size_t pos = 0;
  for (;;) {
    const std::size_t start = text.find_first_not_of(' ', pos);
    if (start == std::string_view::npos) return text.size() - pos;
    std::size_t end = start, chars = 0;
    while (end < text.size() && text[end] != ' ') {
      end += CharLenAt(text, end);
      ++chars;
    }
    f(start - pos, text.substr(start, end - start), chars);
    pos = end;
  }
}

struct Word {
  std::string_view text;
  std::size_t chars = 0;  // length in characters
};

// One setting line of the file being commented. Its words point into the
// line as read, or into its spaced-out form for "COM_LAY" lines; a
// placeholder stored back points to the fixed text.
struct TargetLine {
  std::string_view as_read;
  std::vector<Word> words;
  bool used = false;
};

// One word of a template line with the blanks in front of it; the entry
// after the last word holds the blanks that end the line plus one.
struct TemplateWord {
  std::size_t width = 0;  // characters, blanks included
  bool has_text = false;
};

// Keywords compared as the rules compare them: ASCII letters without
// regard to case, everything else (trail bytes included) exactly.
std::uint64_t KeyHash(std::string_view s) {
  std::uint64_t h = 1469598103934665603ull;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t len = CharLenAt(s, i);
    h = (h ^ static_cast<unsigned char>(len == 1 ? FoldAscii(s[i]) : s[i])) * 1099511628211ull;
    if (len == 2) h = (h ^ static_cast<unsigned char>(s[i + 1])) * 1099511628211ull;
    i += len;
  }
  return h;
}
bool KeyEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size();) {
    const std::size_t len = CharLenAt(a, i);
    if (len == 1 ? FoldAscii(a[i]) != FoldAscii(b[i]) : (a[i] != b[i] || a[i + 1] != b[i + 1]))
      return false;
    i += len;
  }
  return true;
}

// The first target line of each keyword, in one open-addressing table: a
// lookup per template line, no allocation per entry.
class FirstLineOf {
 public:
  explicit FirstLineOf(const std::vector<std::string_view>& keys) {
    std::size_t size = 16;
    while (size < keys.size() * 2) size *= 2;
    slots_.assign(size, 0);
    keys_ = &keys;
    for (std::size_t k = 0; k < keys.size(); ++k) {
      if (keys[k].empty()) continue;
      std::size_t at = KeyHash(keys[k]) & (size - 1);
      for (; slots_[at] != 0; at = (at + 1) & (size - 1))
        if (KeyEqual(keys[slots_[at] - 1], keys[k])) break;
      if (slots_[at] == 0) slots_[at] = k + 1;  // an earlier line keeps the keyword
    }
  }
  // The index of the first line with the keyword, or npos.
  std::size_t Find(std::string_view key) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = KeyHash(key) & mask; slots_[at] != 0; at = (at + 1) & mask)
      if (KeyEqual((*keys_)[slots_[at] - 1], key)) return slots_[at] - 1;
    return std::string_view::npos;
  }

 private:
  std::vector<std::size_t> slots_;  // line index + 1; 0 is free
  const std::vector<std::string_view>* keys_ = nullptr;
};

// Right-aligns the target's words to the template's: each word ends where
// the template's word in the same position ends, with at least one blank in
// front; words beyond the template's columns follow after one blank each.
// A word the target lacks where the template has one becomes "#new#",
// stored back so a later template line with the keyword sees it. The
// result, without its outer blanks, is appended to `out`.
void AppendAligned(const std::vector<TemplateWord>& s, std::vector<Word>& words, bool com_lay,
                   std::string& line, std::string& out) {
  const std::size_t count = std::max(s.size(), words.size());
  if (words.size() < count) words.resize(count);
  line.clear();
  for (std::size_t j = 0; j < count; ++j) {
    const TemplateWord sj = j < s.size() ? s[j] : TemplateWord{};
    Word& word = words[j];
    // The width is taken before a placeholder goes in.
    const std::size_t blanks = sj.width > word.chars ? sj.width - word.chars : 1;
    if (word.text.empty() && sj.has_text) word = {kPlaceholder, kPlaceholder.size()};
    line.append(std::max<std::size_t>(blanks, 1), ' ');
    line += word.text;
  }
  const std::string_view trimmed = TrimBlanks(line);
  if (com_lay)
    out += JoinEquals(trimmed);
  else
    out += trimmed;
}

void PutLine(std::string& out, std::string_view line) {
  out += line;
  out += "\r\n";
}

}  // namespace

std::string InsertEnvironmentComments(const std::string& target, const std::string& templ,
                                      std::string_view title, CommentMode mode) {
  // The file's setting lines, everything after an end line included.
  std::vector<TargetLine> table;
  table.reserve(static_cast<std::size_t>(std::count(target.begin(), target.end(), '\n')) + 1);
  std::deque<std::string> spaced;  // stable homes for the COM_LAY forms
  std::string_view line;
  for (Lines lines(target); lines.Next(line);) {
    if (IsCommentLine(line) || IsEndLine(line)) continue;
    TargetLine& t = table.emplace_back();
    t.as_read = line;
    t.words.reserve(8);
    std::string_view split = line;
    if (IsComLay(line)) split = spaced.emplace_back(ReplaceChar(line, '=', " = "));
    ForEachWord(split, [&](std::size_t, std::string_view w, std::size_t chars) {
      t.words.push_back({w, chars});
    });
  }

  // The first line of each keyword: a template line takes the first target
  // line with its keyword, also when an earlier template line took it.
  std::vector<std::string_view> keywords;
  keywords.reserve(table.size());
  for (const TargetLine& k : table)
    keywords.push_back(k.words.empty() ? std::string_view() : k.words[0].text);
  const FirstLineOf first_of(keywords);

  std::string out;
  out.reserve(target.size() + templ.size() + target.size() / 2 + 256);
  out += "# ";
  out += OneLine(title);
  out += kAddComents;
  PutLine(out, kCommentHeaderCaption);

  std::vector<TemplateWord> s;
  std::string aligned;
  std::string com_lay_form;
  for (Lines lines(templ); lines.Next(line);) {
    std::string_view t = TrimBlanks(line);
    if (IsEndLine(t)) {
      lines.Next(line);  // the line after an end line goes with it
      continue;
    }
    if (IsCommentLine(t)) {
      PutLine(out, t);
      continue;
    }
    if (IsComLay(t)) {
      com_lay_form = ReplaceChar(t, '=', " =");
      t = com_lay_form;
    }
    s.clear();
    std::string_view keyword;
    const std::size_t trailing =
        ForEachWord(t, [&](std::size_t blanks, std::string_view w, std::size_t chars) {
          if (s.empty()) keyword = w;
          s.push_back({blanks + chars, true});
        });
    s.push_back({trailing + 1, false});
    // An empty template line has no keyword: it matches nothing.
    const std::size_t hit = keyword.empty() ? std::string_view::npos : first_of.Find(keyword);
    if (hit == std::string_view::npos) {
      if (mode == CommentMode::kVersionUp && !t.empty()) {
        out += t;
        PutLine(out, NewlineMarker());
      }
      continue;
    }
    TargetLine& k = table[hit];
    k.used = true;
    if (StartsAscii(keyword, "GCOM_1") || StartsAscii(keyword, "LAYNAM")) {
      PutLine(out, k.as_read);  // their text, blanks included, stays exactly as read
      continue;
    }
    AppendAligned(s, k.words, StartsAscii(keyword, "COM_LA"), aligned, out);
    out += "\r\n";
  }

  for (const TargetLine& k : table)
    if (!k.used) PutLine(out, k.as_read);
  PutLine(out, "END");
  return out;
}

std::string DefaultCommentTitle(std::string_view list_title) { return MidChars(list_title, 1); }

}  // namespace zel

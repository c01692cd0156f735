#include "core/envcomment.h"

#include <algorithm>
#include <cstddef>
#include <unordered_map>
#include <vector>

#include "core/linereader.h"
#include "core/text.h"
#include "core/words.h"

namespace zel {
namespace {

// The fixed texts, in code page 932 once.
const std::string& NewlineMarker() {
  static const std::string marker = J("  #←－－－－－－－－－－－－☆☆Newline☆☆");
  return marker;
}
constexpr std::string_view kAddComents = "   Add coments ";
constexpr std::string_view kPlaceholder = "#new#";

bool IsCommentLine(std::string_view line) {
  return !line.empty() && (line[0] == '#' || line[0] == '\t');
}

bool IsEndLine(std::string_view line) { return StartsWithNoCase(line, "END"); }

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

// The "COM_LAY" lines hold "=" between a name and its value; the blanks put
// around it let the two sides count as words of their own.
bool IsComLay(std::string_view line) { return StartsWithNoCase(line, "COM_LAY"); }

// One setting line of the file being commented.
struct TargetLine {
  std::string_view as_read;
  std::vector<std::string> words;  // placeholders are stored back here
  bool used = false;
};

std::vector<TargetLine> ReadTargetTable(const std::vector<std::string>& lines) {
  std::vector<TargetLine> table;
  table.reserve(lines.size());
  for (const std::string& line : lines) {
    if (IsCommentLine(line) || IsEndLine(line)) continue;
    TargetLine t;
    t.as_read = line;
    t.words = IsComLay(line) ? SplitAllWords(ReplaceChar(line, '=', " = ")) : SplitAllWords(line);
    table.push_back(std::move(t));
  }
  return table;
}

// Right-aligns the target's words to the template's: each word ends where
// the template's word in the same position ends, with at least one blank in
// front; words beyond the template's columns follow after one blank each.
// A word the target lacks where the template has one becomes "#new#".
std::string AlignedLine(const std::vector<std::string>& s, std::vector<std::string>& words,
                        bool com_lay) {
  const std::size_t count = std::max(s.size(), words.size());
  if (words.size() < count) words.resize(count);
  std::string out;
  for (std::size_t j = 0; j < count; ++j) {
    const std::string_view sj = j < s.size() ? std::string_view(s[j]) : std::string_view();
    std::string& word = words[j];
    // The width is taken before a placeholder goes in.
    const long width = static_cast<long>(CharCount(sj)) - static_cast<long>(CharCount(word));
    if (word.empty() && sj.find_first_not_of(' ') != std::string_view::npos)
      word = std::string(kPlaceholder);
    out.append(static_cast<std::size_t>(std::max(1L, width)), ' ');
    out += word;
  }
  std::string line(TrimBlanks(out));
  return com_lay ? JoinEquals(line) : line;
}

void PutLine(std::string& out, std::string_view line) {
  out += line;
  out += "\r\n";
}

}  // namespace

std::string InsertEnvironmentComments(const std::string& target, const std::string& templ,
                                      std::string_view title, CommentMode mode) {
  const std::vector<std::string> target_lines = SplitLines(target);
  std::vector<TargetLine> table = ReadTargetTable(target_lines);

  // The first line of each keyword, found by its upper-case form: a
  // template line takes the first target line with its keyword, also when
  // an earlier template line took it already.
  std::unordered_map<std::string, std::size_t> first_of;
  first_of.reserve(table.size());
  for (std::size_t k = 0; k < table.size(); ++k)
    if (!table[k].words.empty()) first_of.emplace(AsciiUpper(table[k].words[0]), k);

  std::string out;
  out.reserve(target.size() + templ.size() + target.size() / 2 + 256);
  out += "# ";
  out += OneLine(title);
  out += kAddComents;
  PutLine(out, kCommentHeaderCaption);

  const std::vector<std::string> templ_lines = SplitLines(templ);
  for (std::size_t i = 0; i < templ_lines.size(); ++i) {
    std::string_view t = TrimBlanks(templ_lines[i]);
    if (IsEndLine(t)) {
      ++i;  // the line after an end line goes with it; at the end, nothing does
      continue;
    }
    if (IsCommentLine(t)) {
      PutLine(out, t);
      continue;
    }
    const bool com_lay = IsComLay(t);
    const std::string line = com_lay ? ReplaceChar(t, '=', " =") : std::string(t);
    const std::vector<std::string> s = SplitAllWordsKeepWidth(line);
    // An empty template line splits into one blank, which no keyword equals.
    auto hit = s.empty() ? first_of.end() : first_of.find(AsciiUpper(s[0]));
    if (hit == first_of.end()) {
      if (mode == CommentMode::kVersionUp && !line.empty()) {
        out += line;
        PutLine(out, NewlineMarker());
      }
      continue;
    }
    TargetLine& k = table[hit->second];
    k.used = true;
    if (StartsWithNoCase(s[0], "GCOM_1") || StartsWithNoCase(s[0], "LAYNAM")) {
      PutLine(out, k.as_read);  // their text, blanks included, stays exactly as read
      continue;
    }
    PutLine(out, AlignedLine(s, k.words, StartsWithNoCase(s[0], "COM_LA")));
  }

  for (const TargetLine& k : table)
    if (!k.used) PutLine(out, k.as_read);
  PutLine(out, "END");
  return out;
}

std::string DefaultCommentTitle(std::string_view list_title) { return MidChars(list_title, 1); }

}  // namespace zel

// The inside of the pattern component (core/pattern.h): the compiled form
// of a pattern, shared by the compiler (pattern_compile.cpp) and the matcher
// (pattern_match.cpp). Nothing outside those files and pattern.cpp uses it.
#pragma once

#include <bitset>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zel::pattern {

constexpr std::size_t npos = std::string::npos;

inline bool IsLetter(unsigned char c) {
  return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}
inline bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
inline bool IsWordByte(unsigned char c) {
  return IsLetter(c) || IsDigit(c) || c == '_';
}
inline bool IsSpaceByte(unsigned char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');  // tab, LF, VT, FF, CR
}

// A character class: single-byte codes in a bitset, double-byte characters
// as ranges of (lead << 8 | trail).
struct CharClass {
  std::bitset<256> bytes;
  std::vector<std::pair<unsigned, unsigned>> wide;
  bool negate = false;

  void AddRange(unsigned lo, unsigned hi) {
    for (unsigned c = lo; c <= hi && c < 256; ++c) bytes.set(c);
    if (hi >= 256) wide.emplace_back(lo < 256 ? 256 : lo, hi);
  }
  // \d \w \s, or \D \W \S. The sets are ASCII; no double-byte character is
  // in them, so every double-byte character is in the negations.
  void AddNamed(char name) {
    const char lower = static_cast<char>(name | 0x20);
    const bool negated = name != lower;
    for (unsigned c = 0; c < 256; ++c) {
      auto b = static_cast<unsigned char>(c);
      bool in = lower == 'd' ? IsDigit(b) : lower == 'w' ? IsWordByte(b)
                                                         : IsSpaceByte(b);
      if (in != negated) bytes.set(c);
    }
    if (negated) wide.emplace_back(256u, 0xFFFFu);
  }
  bool Test(unsigned code, bool fold) const {
    bool in = false;
    if (code < 256) {
      in = bytes[code] ||
           (fold && IsLetter(static_cast<unsigned char>(code)) &&
            bytes[code ^ 0x20]);
    } else {
      for (const auto& r : wide)
        in = in || (code >= r.first && code <= r.second);
    }
    return in != negate;
  }
};

enum class Op : unsigned char {
  kChar, kAny, kClass,   // take one or two bytes
  kSplit, kJmp,          // x is tried before y
  kSave, kBol, kEol,     // zero width
  kMatch
};

struct Inst {
  Op op = Op::kMatch;
  unsigned char len = 0;  // kChar: 1 or 2 bytes
  unsigned char c0 = 0, c1 = 0;
  bool fold = false;      // kChar: an ASCII letter under "i"
  std::size_t x = 0, y = 0;  // targets; kClass: class; kSave: slot
};

// One piece of a replacement: literal text, or group 1.
struct Piece {
  bool group = false;
  std::string text;
};

struct Program {
  bool ok = false;
  bool icase = false, global = false, kanji = false;
  bool has_group = false;
  std::vector<Inst> code;
  std::vector<CharClass> classes;
  // Fast path for plain text bodies such as "#jw" or "( vbCrlf )".
  bool literal = false, literal_group = false;
  std::string needle;
  std::vector<bool> needle_fold;
  std::vector<Piece> replacement;
};

// The parsed pattern for a pattern text, cached per thread. A malformed
// pattern gives a program whose `ok` is false.
const Program& Compiled(std::string_view pattern, bool substitute);

// Where a match lies: byte offsets of the match and of group 1 (npos when
// the group took no part).
struct Found {
  std::size_t start = npos, end = npos, g1 = npos, g1_end = npos;
};

// The leftmost match starting at or after `from`, by Perl's priorities;
// `boundary` is the first character boundary at or after `from`.
bool Find(const Program& p, std::string_view s, std::size_t from,
          std::size_t boundary, Found& found);

// Calls `on_match` with the first match, or with `every` with each match in
// turn as a replacement with "g" takes them: each search starts where the
// last match ended, one character further after an empty match. The work
// is linear in the subject for any pattern.
void ForEachMatch(const Program& p, std::string_view s, bool every,
                  const std::function<void(const Found&)>& on_match);

// The step count behind TakeMatcherSteps, per thread.
std::size_t& MatcherSteps();

}  // namespace zel::pattern

// Perl-style patterns over code page 932 bytes.
//
// A pattern body is compiled into a small instruction program and run as a
// Pike VM: all live threads advance together over the subject, one byte per
// step, at most one thread per instruction. Time is linear in the subject for
// any pattern and nothing recurses per subject byte, so a 1 MB title line is
// safe even for " *\* *$", which a backtracking engine retries from every
// blank. Thread order is priority order, which gives Perl's leftmost, greedy
// (or lazy) choice of match and of the first group.
//
// Character rules, driven by the traps of code page 932:
//  - the pattern is read character by character, so the 0x5C trail byte of
//    表 in a pattern is neither an escape nor a delimiter;
//  - with "k", "." and classes take a whole double-byte character, and a match
//    starts and ends only on character boundaries;
//  - without "k", "." and literals work on bytes, but a class still takes a
//    double-byte character whole where one starts: the trail byte 0x5C must
//    never pass for "\" in "[^\\]" (paths like C:\JWW\表示.bat);
//  - "i" folds ASCII letters only, and only where the subject byte is a
//    character of its own: the trail byte of ア (83 41) never becomes "a".
//
// Only the first capture group is tracked: it is all the program reads back
// (the result of Match, $1 in a replacement).
#include "core/pattern.h"

#include <array>
#include <bitset>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "core/text.h"

namespace zel {
namespace {

constexpr std::size_t npos = std::string::npos;
constexpr int kMaxNesting = 64;             // group depth the parser accepts
constexpr std::size_t kMaxProgram = 10000;  // instructions per pattern
constexpr std::size_t kMaxCached = 256;     // patterns kept per thread

bool IsLetter(unsigned char c) {
  return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsWordByte(unsigned char c) {
  return IsLetter(c) || IsDigit(c) || c == '_';
}
bool IsSpaceByte(unsigned char c) {
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

// ---------------------------------------------------------------------------
// Parsing, straight into instructions. A quantifier or "|" that follows a
// finished piece of code inserts its split in front of that piece.

class Parser {
 public:
  Parser(std::string_view body, Program& prog) : b_(body), p_(prog) {}

  bool Parse() {
    ParseAlt();
    Put(Inst{Op::kMatch});
    return !err_ && i_ == b_.size() && p_.code.size() <= kMaxProgram;
  }

 private:
  bool AtEnd() const { return i_ >= b_.size() || err_; }
  unsigned char Peek() const { return static_cast<unsigned char>(b_[i_]); }
  std::size_t Here() const { return p_.code.size(); }
  std::size_t Put(const Inst& in) {
    p_.code.push_back(in);
    return Here() - 1;
  }
  Inst Jump(Op op, std::size_t x, std::size_t y = 0) {
    Inst in{op};
    in.x = x;
    in.y = y;
    return in;
  }
  // Inserts at pos. Jumps inside the moved code that aim at or past pos move
  // with it; code before pos is finished and aims elsewhere.
  void Insert(std::size_t pos, const Inst& in) {
    if (Here() > kMaxProgram) { err_ = true; return; }
    for (std::size_t k = pos; k < Here(); ++k) {
      Inst& m = p_.code[k];
      if (m.op != Op::kJmp && m.op != Op::kSplit) continue;
      if (m.x >= pos) ++m.x;
      if (m.op == Op::kSplit && m.y >= pos) ++m.y;
    }
    p_.code.insert(p_.code.begin() + static_cast<std::ptrdiff_t>(pos), in);
  }
  void Lit(std::string_view ch) {
    Inst in{Op::kChar};
    in.len = static_cast<unsigned char>(ch.size());
    in.c0 = static_cast<unsigned char>(ch[0]);
    if (in.len == 2) in.c1 = static_cast<unsigned char>(ch[1]);
    in.fold = p_.icase && in.len == 1 && IsLetter(in.c0);
    Put(in);
  }
  void Class(CharClass cls) {
    p_.classes.push_back(std::move(cls));
    Put(Jump(Op::kClass, p_.classes.size() - 1));
  }

  void ParseAlt() {
    std::size_t start = Here();
    std::vector<std::size_t> exits;
    ParseCat();
    while (!AtEnd() && Peek() == '|') {
      ++i_;
      Insert(start, Jump(Op::kSplit, start + 1));
      exits.push_back(Put(Jump(Op::kJmp, 0)));
      p_.code[start].y = Here();  // the split at start tries the next branch
      start = Here();
      ParseCat();
    }
    for (std::size_t e : exits) p_.code[e].x = Here();
  }

  void ParseCat() {
    while (!AtEnd() && Peek() != '|' && Peek() != ')') ParseRepeat();
  }

  void ParseRepeat() {
    const std::size_t start = Here();
    ParseAtom();
    if (AtEnd()) return;
    const unsigned char q = Peek();
    if (q == '{' && i_ + 1 < b_.size() &&
        IsDigit(static_cast<unsigned char>(b_[i_ + 1]))) {
      err_ = true;  // counted repetition is not supported; refuse, not misread
      return;
    }
    if (q != '*' && q != '+' && q != '?') return;
    ++i_;
    const bool greedy = AtEnd() || Peek() != '?';
    if (!greedy) ++i_;
    // "a**" or a possessive "a++": refused rather than misread.
    if (!AtEnd() && (Peek() == '*' || Peek() == '+' || Peek() == '?')) {
      err_ = true;
      return;
    }
    auto aim = [&](std::size_t split, std::size_t body, std::size_t out) {
      p_.code[split].x = greedy ? body : out;
      p_.code[split].y = greedy ? out : body;
    };
    if (q == '+') {  // body, then a split back to it
      std::size_t split = Put(Jump(Op::kSplit, 0));
      aim(split, start, Here());
    } else {         // a split around the body; "*" loops back to it
      Insert(start, Jump(Op::kSplit, 0));
      if (q == '*') Put(Jump(Op::kJmp, start));
      aim(start, start + 1, Here());
    }
  }

  void ParseAtom() {
    const std::size_t len = CharLenAt(b_, i_);
    const unsigned char c = Peek();
    i_ += len;
    if (len == 2) return Lit(b_.substr(i_ - 2, 2));
    switch (c) {
      case '(': return ParseGroup();
      case '[': return ParseClass();
      case '.': Put(Inst{Op::kAny}); return;
      case '^': Put(Inst{Op::kBol}); return;
      case '$': Put(Inst{Op::kEol}); return;
      case '*': case '+': case '?': err_ = true; return;  // quantifies nothing
      case '\\': return ParseEscape();
      default: return Lit(b_.substr(i_ - 1, 1));
    }
  }

  void ParseGroup() {
    bool capture = true;
    if (!AtEnd() && Peek() == '?') {
      // "(?:" only; lookaround and inline flags are refused, not misread.
      if (i_ + 1 < b_.size() && b_[i_ + 1] == ':') {
        i_ += 2;
        capture = false;
      } else {
        err_ = true;
      }
    }
    if (++depth_ > kMaxNesting) err_ = true;
    const bool first = capture && ++groups_ == 1;
    p_.has_group = p_.has_group || capture;
    if (first) Put(Jump(Op::kSave, 1));
    ParseAlt();
    if (first) Put(Jump(Op::kSave, 2));
    --depth_;
    if (AtEnd() || Peek() != ')') err_ = true;
    else ++i_;
  }

  // Escapes outside a class. Letters mean something in Perl, so one we do
  // not implement (\b, \x, backreferences...) makes the pattern malformed;
  // any other escaped character, single- or double-byte, is itself.
  void ParseEscape() {
    if (AtEnd()) { err_ = true; return; }
    const std::size_t len = CharLenAt(b_, i_);
    const unsigned char c = Peek();
    i_ += len;
    if (len == 2) return Lit(b_.substr(i_ - 2, 2));
    if (std::string_view("dDwWsS").find(static_cast<char>(c)) != npos) {
      CharClass cls;
      cls.AddNamed(static_cast<char>(c));
      return Class(std::move(cls));
    }
    const int code = SimpleEscape(c);
    if (code < 0) { err_ = true; return; }
    const char ch = static_cast<char>(code);
    Lit(std::string_view(&ch, 1));
  }

  // Control characters by letter, anything not alphanumeric as itself.
  static int SimpleEscape(unsigned char c) {
    const std::size_t k = std::string_view("tnrfea").find(static_cast<char>(c));
    if (k != npos) return "\t\n\r\f\x1B\a"[k];
    return (IsWordByte(c) && c != '_') ? -1 : c;
  }

  // One class member: a character code, or a \d \w \s set (named != 0).
  bool ClassMember(unsigned& code, char& named) {
    named = 0;
    if (AtEnd()) return false;
    if (Peek() == '\\') {
      if (++i_ >= b_.size()) return false;
      const unsigned char c = Peek();
      if (CharLenAt(b_, i_) == 1) {
        ++i_;
        if (std::string_view("dDwWsS").find(static_cast<char>(c)) != npos) {
          named = static_cast<char>(c);
          return true;
        }
        const int simple = c == 'b' ? 0x08 : SimpleEscape(c);  // [\b]: BS
        code = static_cast<unsigned>(simple);
        return simple >= 0;
      }
    }
    code = Peek();
    if (CharLenAt(b_, i_++) == 2)
      code = (code << 8) | static_cast<unsigned char>(b_[i_++]);
    return true;
  }

  void ParseClass() {
    CharClass cls;
    if (!AtEnd() && Peek() == '^') {
      cls.negate = true;
      ++i_;
    }
    for (bool first = true;; first = false) {
      if (AtEnd()) { err_ = true; return; }
      if (Peek() == ']' && !first) break;
      unsigned lo = 0, hi = 0;
      char named = 0;
      if (!ClassMember(lo, named)) { err_ = true; return; }
      if (named) { cls.AddNamed(named); continue; }
      hi = lo;
      // "a-z" is a range; a "-" first, last or after a set is literal.
      if (i_ + 1 < b_.size() && b_[i_] == '-' && b_[i_ + 1] != ']') {
        ++i_;
        if (!ClassMember(hi, named) || named || hi < lo) {
          err_ = true;
          return;
        }
      }
      cls.AddRange(lo, hi);
    }
    ++i_;
    Class(std::move(cls));
  }

  std::string_view b_;
  Program& p_;
  std::size_t i_ = 0;
  int depth_ = 0, groups_ = 0;
  bool err_ = false;
};

// A body of plain characters, maybe wrapped in one group, becomes a needle.
void DetectLiteral(Program& p) {
  std::size_t k = 0, end = p.code.size() - 1;  // the last is kMatch
  const bool group = p.has_group && p.code[0].op == Op::kSave &&
                     p.code[end - 1].op == Op::kSave;
  if (group) {
    ++k;
    --end;
  }
  std::string text;
  for (; k < end; ++k) {
    const Inst& in = p.code[k];
    if (in.op != Op::kChar) return;
    text += static_cast<char>(in.c0);
    if (in.len == 2) text += static_cast<char>(in.c1);
    p.needle_fold.push_back(in.fold);
    if (in.len == 2) p.needle_fold.push_back(false);
  }
  if (p.has_group && !group) return;
  p.literal = true;
  p.literal_group = group;
  p.needle = std::move(text);
}

// Reads up to the next unescaped "/", character by character.
bool NextPart(std::string_view t, std::size_t& i, std::string_view& part) {
  for (std::size_t start = i; i < t.size();) {
    if (t[i] == '/') {
      part = t.substr(start, i - start);
      ++i;
      return true;
    }
    if (t[i] == '\\' && ++i >= t.size()) return false;
    i += CharLenAt(t, i);
  }
  return false;
}

// "\r" "\n" "\t" are control characters, "$1" and "\1" the first group, any
// other escaped character itself. Only group 1 is tracked, so a reference to
// another group makes the replacement malformed.
bool ParseReplacement(std::string_view r, std::vector<Piece>& out) {
  auto text = [&](std::string_view t) {
    if (out.empty() || out.back().group) out.push_back(Piece{});
    out.back().text += t;
  };
  for (std::size_t i = 0; i < r.size();) {
    const std::size_t len = CharLenAt(r, i);
    const char c = r[i];
    if (len == 2 || (c != '\\' && c != '$') || i + 1 >= r.size()) {
      text(r.substr(i, len));
      i += len;
      continue;
    }
    std::size_t j = i + 1;
    while (j < r.size() && IsDigit(static_cast<unsigned char>(r[j]))) ++j;
    if (j > i + 1) {
      if (r.substr(i + 1, j - i - 1) != "1") return false;
      out.push_back(Piece{true, {}});
      i = j;
    } else if (c == '$') {
      text("$");
      ++i;
    } else {
      const char d = r[i + 1];
      const std::size_t dlen = CharLenAt(r, i + 1);
      text(d == 'r' ? "\r" : d == 'n' ? "\n" : d == 't' ? "\t"
                                               : r.substr(i + 1, dlen));
      i += 1 + dlen;
    }
  }
  return true;
}

// Compiles "/body/flags" (or "m/body/flags"), or "s/body/replacement/flags".
void Compile(std::string_view pattern, bool substitute, Program& p) {
  std::size_t i = substitute                        ? 2
                  : pattern.substr(0, 1) == "/"     ? 1
                  : pattern.substr(0, 2) == "m/"    ? 2 : 0;
  if (i == 0 || (substitute && pattern.substr(0, 2) != "s/")) return;
  std::string_view body, repl;
  if (!NextPart(pattern, i, body)) return;
  if (substitute && !NextPart(pattern, i, repl)) return;
  for (char f : pattern.substr(i)) {
    if (f == 'i') p.icase = true;
    else if (f == 'g') p.global = true;
    else if (f == 'k') p.kanji = true;
    else return;  // an unknown flag: refuse rather than guess
  }
  if (substitute && !ParseReplacement(repl, p.replacement)) return;
  if (!Parser(body, p).Parse()) return;
  DetectLiteral(p);
  p.ok = true;
}

// Parsed patterns by text, so per-line calls never parse twice. The last
// pattern is checked first: a folder listing uses one pattern per line.
const Program& Compiled(std::string_view pattern, bool substitute) {
  struct Cache {
    std::map<std::string, std::unique_ptr<Program>, std::less<>> programs;
    const Program* last = nullptr;
    std::string last_text;
  };
  thread_local Cache caches[2];
  Cache& cache = caches[substitute ? 1 : 0];
  if (cache.last && cache.last_text == pattern) return *cache.last;
  auto it = cache.programs.find(pattern);
  if (it == cache.programs.end()) {
    if (cache.programs.size() >= kMaxCached) cache.programs.clear();
    auto prog = std::make_unique<Program>();
    Compile(pattern, substitute, *prog);
    it = cache.programs.emplace(std::string(pattern), std::move(prog)).first;
  }
  cache.last = it->second.get();
  cache.last_text = pattern;
  return *cache.last;
}

// ---------------------------------------------------------------------------
// Matching

struct Found {
  std::size_t start = npos, end = npos, g1 = npos, g1_end = npos;
};

using Caps = std::array<std::size_t, 3>;  // match start, group 1 start/end

struct Thread {
  std::size_t pc;
  Caps caps;
};

// The threads at one position in priority order, one per state, with
// sparse-set membership so clearing costs nothing.
struct ThreadList {
  std::vector<std::size_t> sparse;
  std::vector<Thread> dense;
  std::size_t count = 0;

  void Reset(std::size_t states) {
    if (sparse.size() < states) {
      sparse.resize(states);
      dense.resize(states);
    }
    count = 0;
  }
  bool Has(std::size_t pc) const {
    return sparse[pc] < count && dense[sparse[pc]].pc == pc;
  }
  void Put(const Thread& t) {
    sparse[t.pc] = count;
    dense[count++] = t;
  }
};

class Vm {
 public:
  // The leftmost match starting at or after `from`; `boundary` is the first
  // character boundary at or after `from`.
  bool Search(const Program& p, std::string_view s, std::size_t from,
              std::size_t boundary, Found& found) {
    p_ = &p;
    s_ = s;
    const std::size_t n = s.size(), states = p.code.size();
    // A state past the program, states + pc, is a thread whose instruction
    // pc took the first byte of a double-byte character; the second byte
    // follows at the next position.
    cur_.Reset(2 * states);
    next_.Reset(2 * states);
    bool matched = false;
    for (std::size_t pos = from;; ++pos) {
      const bool at_boundary = pos == boundary;
      if (at_boundary && pos < n) boundary = pos + CharLenAt(s, pos);
      if (!matched && (!p.kanji || at_boundary))
        Follow(cur_, 0, Caps{pos, npos, npos}, pos);  // lowest priority
      if (cur_.count == 0 && (matched || pos >= n)) break;
      next_.count = 0;
      for (std::size_t t = 0; t < cur_.count; ++t) {
        const Thread th = cur_.dense[t];
        if (th.pc >= states) {
          Follow(next_, th.pc - states + 1, th.caps, pos + 1);
          continue;
        }
        const Inst& in = p.code[th.pc];
        if (in.op == Op::kMatch) {
          // Every thread after this one has lower priority: drop them.
          matched = true;
          found = Found{th.caps[0], pos, th.caps[1], th.caps[2]};
          break;
        }
        const std::size_t len = pos < n ? Take(in, pos, at_boundary) : 0;
        if (len == 1) Follow(next_, th.pc + 1, th.caps, pos + 1);
        if (len == 2 && !next_.Has(states + th.pc))
          next_.Put(Thread{states + th.pc, th.caps});
      }
      if (pos >= n) break;
      std::swap(cur_, next_);
    }
    return matched;
  }

 private:
  // Bytes the instruction takes at pos (< size): 0 (no match), 1 or 2.
  std::size_t Take(const Inst& in, std::size_t pos, bool at_boundary) const {
    const auto c = static_cast<unsigned char>(s_[pos]);
    const std::size_t char_len = at_boundary ? CharLenAt(s_, pos) : 1;
    // In "k" mode a literal takes exactly the character at pos: a pattern
    // character is read whole, so a two-byte literal is a lead and a trail
    // byte, and a one-byte literal (even a lone lead byte) matches only a
    // one-byte character, never the first half of 表.
    if (in.op == Op::kChar) {
      if (in.len == 2)
        return pos + 1 < s_.size() && c == in.c0 &&
               static_cast<unsigned char>(s_[pos + 1]) == in.c1 ? 2 : 0;
      if (p_->kanji && char_len != 1) return 0;
      return c == in.c0 || (in.fold && at_boundary &&
                            (c | 0x20) == (in.c0 | 0x20)) ? 1 : 0;
    }
    if (in.op == Op::kAny) return c == '\n' ? 0 : p_->kanji ? char_len : 1;
    if (in.op != Op::kClass) return 0;
    const CharClass& cls = p_->classes[in.x];
    if (char_len == 2) {
      const unsigned code =
          (unsigned{c} << 8) | static_cast<unsigned char>(s_[pos + 1]);
      return cls.Test(code, false) ? 2 : 0;
    }
    return cls.Test(c, p_->icase && at_boundary) ? 1 : 0;
  }

  // Adds the thread at pc, and every state it reaches without taking a
  // byte, to list at position q, in priority order. An explicit stack keeps
  // chains of splits off the call stack.
  void Follow(ThreadList& list, std::size_t pc, const Caps& caps,
              std::size_t q) {
    stack_.clear();
    stack_.push_back(Thread{pc, caps});
    while (!stack_.empty()) {
      Thread t = stack_.back();
      stack_.pop_back();
      while (!list.Has(t.pc)) {
        list.Put(t);
        const Inst& in = p_->code[t.pc];
        if (in.op == Op::kJmp) {
          t.pc = in.x;
        } else if (in.op == Op::kSplit) {
          stack_.push_back(Thread{in.y, t.caps});
          t.pc = in.x;
        } else if (in.op == Op::kSave) {
          t.caps[in.x] = q;
          ++t.pc;
        } else if ((in.op == Op::kBol && q == 0) ||
                   (in.op == Op::kEol && q == s_.size())) {
          ++t.pc;
        } else {
          break;  // a byte-taking instruction, a match, a failed anchor
        }
      }
    }
  }

  const Program* p_ = nullptr;
  std::string_view s_;
  ThreadList cur_, next_;
  std::vector<Thread> stack_;
};

// The plain text fast path, under the same character rules as the VM.
bool FindLiteral(const Program& p, std::string_view s, std::size_t from,
                 std::size_t boundary, Found& found) {
  const std::size_t n = s.size(), len = p.needle.size();
  for (std::size_t pos = from; pos <= n && len <= n - pos; ++pos) {
    std::size_t next = boundary;  // boundaries inside the candidate
    const bool at_boundary = pos == boundary;
    if (at_boundary && pos < n) boundary = pos + CharLenAt(s, pos);
    if (p.kanji && !at_boundary) continue;
    std::size_t j = 0;
    for (; j < len; ++j) {
      const std::size_t q = pos + j;
      const bool qb = q == next;
      if (qb) next = q + CharLenAt(s, q);
      const auto a = static_cast<unsigned char>(s[q]);
      const auto c = static_cast<unsigned char>(p.needle[j]);
      if (a != c && !(p.needle_fold[j] && qb && (a | 0x20) == (c | 0x20)))
        break;
    }
    // With "k" the match must also end on a boundary: a needle ending in a
    // lone lead byte does not take the first half of a character.
    if (j < len || (p.kanji && len > 0 && next != pos + len)) continue;
    found = Found{pos, pos + len, p.literal_group ? pos : npos,
                  p.literal_group ? pos + len : npos};
    return true;
  }
  return false;
}

bool Find(const Program& p, std::string_view s, std::size_t from,
          std::size_t boundary, Found& found) {
  if (p.literal) return FindLiteral(p, s, from, boundary, found);
  thread_local Vm vm;
  return vm.Search(p, s, from, boundary, found);
}

std::string_view Group1(std::string_view s, const Found& f) {
  if (f.g1 == npos || f.g1_end == npos || f.g1_end < f.g1) return {};
  return s.substr(f.g1, f.g1_end - f.g1);
}

}  // namespace

std::string Match(std::string_view pattern, std::string_view subject) {
  const Program& p = Compiled(pattern, false);
  Found f;
  if (!p.ok || !Find(p, subject, 0, 0, f)) return "0";
  return p.has_group ? std::string(Group1(subject, f)) : "1";
}

std::string Replace(std::string_view pattern, std::string_view subject) {
  const Program& p = Compiled(pattern, true);
  if (!p.ok) return std::string(subject);
  const std::size_t n = subject.size();
  std::string out;
  std::size_t from = 0, copied = 0, boundary = 0;
  bool any = false;
  for (;;) {
    while (boundary < from) boundary += CharLenAt(subject, boundary);
    Found f;
    if (!Find(p, subject, from, boundary, f)) break;
    any = true;
    out.append(subject.substr(copied, f.start - copied));
    for (const Piece& piece : p.replacement)
      out += piece.group ? Group1(subject, f) : std::string_view(piece.text);
    copied = from = f.end;
    if (!p.global) break;
    if (f.end == f.start) {
      // An empty match: move on so it is not found again (with "k" the
      // search itself skips to the next character boundary). An empty match
      // right after a non-empty one is allowed, as in Perl: "aaa" =~
      // s/a*/-/g gives "--".
      if (from >= n) break;
      ++from;
    }
  }
  if (!any) return std::string(subject);
  out.append(subject.substr(copied));
  return out;
}

}  // namespace zel

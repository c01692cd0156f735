// Parsing of pattern texts into the instruction programs the matcher runs
// (see core/pattern_program.h and the notes in core/pattern.cpp).
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "core/pattern_program.h"
#include "core/text.h"

namespace zel::pattern {
namespace {

constexpr int kMaxNesting = 64;             // group depth the parser accepts
constexpr std::size_t kMaxProgram = 10000;  // instructions per pattern
constexpr std::size_t kMaxCached = 256;     // patterns kept per thread

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

}  // namespace

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

}  // namespace zel::pattern

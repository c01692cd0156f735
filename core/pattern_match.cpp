// The matcher: a Pike VM over the compiled program, and a plain scan for
// bodies that are plain text (see the notes in core/pattern.cpp).
#include <array>
#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

#include "core/pattern_program.h"
#include "core/text.h"

namespace zel::pattern {
namespace {

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

}  // namespace

bool Find(const Program& p, std::string_view s, std::size_t from,
          std::size_t boundary, Found& found) {
  if (p.literal) return FindLiteral(p, s, from, boundary, found);
  thread_local Vm vm;
  return vm.Search(p, s, from, boundary, found);
}

}  // namespace zel::pattern

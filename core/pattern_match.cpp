// The matcher: a Pike VM over the compiled program, and a plain scan for
// bodies that are plain text (see the notes in core/pattern.cpp).
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
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

// Bytes the instruction takes at pos (< s.size()): 0 (no match), 1 or 2.
// `at_boundary` says whether pos starts a character.
std::size_t Take(const Program& p, std::string_view s, const Inst& in,
                 std::size_t pos, bool at_boundary) {
  const auto c = static_cast<unsigned char>(s[pos]);
  const std::size_t char_len = at_boundary ? CharLenAt(s, pos) : 1;
  // In "k" mode a literal takes exactly the character at pos: a pattern
  // character is read whole, so a two-byte literal is a lead and a trail
  // byte, and a one-byte literal (even a lone lead byte) matches only a
  // one-byte character, never the first half of 表.
  if (in.op == Op::kChar) {
    if (in.len == 2)
      return pos + 1 < s.size() && c == in.c0 &&
             static_cast<unsigned char>(s[pos + 1]) == in.c1 ? 2 : 0;
    if (p.kanji && char_len != 1) return 0;
    return c == in.c0 || (in.fold && at_boundary &&
                          (c | 0x20) == (in.c0 | 0x20)) ? 1 : 0;
  }
  if (in.op == Op::kAny) return c == '\n' ? 0 : p.kanji ? char_len : 1;
  if (in.op != Op::kClass) return 0;
  const CharClass& cls = p.classes[in.x];
  if (char_len == 2) {
    const unsigned code =
        (unsigned{c} << 8) | static_cast<unsigned char>(s[pos + 1]);
    return cls.Test(code, false) ? 2 : 0;
  }
  return cls.Test(c, p.icase && at_boundary) ? 1 : 0;
}

// For one subject, which states of the program can still reach a match from
// which position: a thread at instruction pc at position q is "live" when
// some way through the program from there ends in kMatch. Worked out from
// the end of the subject backwards, one position from the two after it.
//
// A search that drops every thread that is not live never runs past the
// match it reports (a live thread of higher priority would end in a match
// of higher priority), so the searches of a replacement with "g" together
// look at each position a bounded number of times.
//
// The states of all positions would take (subject length x program length)
// bits; only those of every block_rows_-th position are kept, and a block of
// positions is worked out again from the one after it when a search reaches
// it. Searches move forward only, so each block is worked out about once.
class Liveness {
 public:
  void Reset(const Program& p, std::string_view s) {
    p_ = &p;
    s_ = s;
    n_ = s.size();
    m_ = p.code.size();
    words_ = (m_ + 63) / 64;
    block_rows_ = std::clamp<std::size_t>(kBlockWords / words_, 64, 4096);
    boundary_.assign(n_ + 1, false);
    for (std::size_t q = 0; q <= n_; q += q < n_ ? CharLenAt(s, q) : 1)
      boundary_[q] = true;
    Predecessors();
    const std::size_t blocks = (n_ + 1 + block_rows_ - 1) / block_rows_;
    checkpoints_.assign(blocks * 2 * words_, 0);
    zero_.assign(2 * words_, 0);
    // Rows q, q + 1 and q + 2, rolling.
    std::vector<Word> roll(3 * words_, 0);
    Word* r0 = roll.data();
    Word* r1 = r0 + words_;
    Word* r2 = r1 + words_;
    for (std::size_t q = n_ + 1; q-- > 0;) {
      Row(q, r1, r2, r0);
      if (q % block_rows_ == 0) {
        Word* cp = &checkpoints_[q / block_rows_ * 2 * words_];
        std::copy(r0, r0 + words_, cp);
        std::copy(r1, r1 + words_, cp + words_);
      }
      std::swap(r2, r1);
      std::swap(r1, r0);
    }
    for (int k = 0; k < 2; ++k) slot_block_[k] = kNone;
    hit_rows_ = nullptr;
  }

  bool Boundary(std::size_t q) const { return q <= n_ && boundary_[q]; }

  bool Has(std::size_t q, std::size_t pc) {
    if (q > n_) return false;
    const Word* row = RowOf(q);
    return (row[pc / 64] >> (pc % 64)) & 1;
  }

 private:
  using Word = std::uint64_t;
  static constexpr std::size_t kBlockWords = std::size_t{1} << 16;
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  static bool Test(const Word* row, std::size_t pc) {
    return (row[pc / 64] >> (pc % 64)) & 1;
  }
  static void Set(Word* row, std::size_t pc) {
    row[pc / 64] |= Word{1} << (pc % 64);
  }

  // The instructions that reach each instruction without taking a byte.
  void Predecessors() {
    std::vector<std::vector<std::size_t>> preds(m_);
    for (std::size_t u = 0; u < m_; ++u) {
      const Inst& in = p_->code[u];
      if (in.op == Op::kJmp) {
        preds[in.x].push_back(u);
      } else if (in.op == Op::kSplit) {
        preds[in.x].push_back(u);
        preds[in.y].push_back(u);
      } else if (in.op == Op::kSave || in.op == Op::kBol || in.op == Op::kEol) {
        preds[u + 1].push_back(u);
      }
    }
    pred_start_.assign(m_ + 1, 0);
    pred_.clear();
    for (std::size_t v = 0; v < m_; ++v) {
      pred_start_[v] = pred_.size();
      pred_.insert(pred_.end(), preds[v].begin(), preds[v].end());
    }
    pred_start_[m_] = pred_.size();
  }

  // The live states at q, from those at q + 1 and q + 2: a match, or a
  // byte taken at q that leads to a live state; then everything that
  // reaches those without taking a byte (an anchor only where it holds).
  void Row(std::size_t q, const Word* next1, const Word* next2, Word* out) {
    std::fill(out, out + words_, 0);
    stack_.clear();
    for (std::size_t pc = 0; pc < m_; ++pc) {
      const Inst& in = p_->code[pc];
      bool live = in.op == Op::kMatch;
      if (q < n_ && (in.op == Op::kChar || in.op == Op::kAny || in.op == Op::kClass)) {
        const std::size_t len = Take(*p_, s_, in, q, boundary_[q]);
        live = (len == 1 && Test(next1, pc + 1)) || (len == 2 && Test(next2, pc + 1));
      }
      if (live) {
        Set(out, pc);
        stack_.push_back(pc);
      }
    }
    while (!stack_.empty()) {
      const std::size_t v = stack_.back();
      stack_.pop_back();
      for (std::size_t k = pred_start_[v]; k < pred_start_[v + 1]; ++k) {
        const std::size_t u = pred_[k];
        const Op op = p_->code[u].op;
        if (Test(out, u) || (op == Op::kBol && q != 0) || (op == Op::kEol && q != n_)) continue;
        Set(out, u);
        stack_.push_back(u);
      }
    }
    MatcherSteps() += m_ + 1;
  }

  // The row of q, working its block out again when it is not at hand. Two
  // blocks are kept, since a search looks up to two positions ahead.
  const Word* RowOf(std::size_t q) {
    // Most lookups fall in the block of the one before.
    if (hit_rows_ && q >= hit_lo_ && q - hit_lo_ < block_rows_)
      return hit_rows_ + (q - hit_lo_) * words_;
    const std::size_t b = q / block_rows_;
    int slot = slot_block_[0] == b ? 0 : slot_block_[1] == b ? 1 : -1;
    if (slot < 0) {
      slot = slot_block_[0] == kNone || (slot_block_[1] != kNone && slot_block_[0] < slot_block_[1])
                 ? 0 : 1;
      Fill(slot, b);
    }
    hit_lo_ = b * block_rows_;
    hit_rows_ = blocks_[slot].data();
    return hit_rows_ + (q - hit_lo_) * words_;
  }

  void Fill(int slot, std::size_t b) {
    const std::size_t lo = b * block_rows_;
    const std::size_t hi = std::min(lo + block_rows_, n_ + 1);
    std::vector<Word>& rows = blocks_[slot];
    rows.assign(block_rows_ * words_, 0);
    const Word* next1 = zero_.data();
    const Word* next2 = zero_.data() + words_;
    if (hi <= n_) {  // the checkpoint of the next block holds rows hi, hi + 1
      next1 = &checkpoints_[(b + 1) * 2 * words_];
      next2 = next1 + words_;
    }
    for (std::size_t q = hi; q-- > lo;) {
      Word* out = &rows[(q - lo) * words_];
      Row(q, next1, next2, out);
      next2 = next1;
      next1 = out;
    }
    slot_block_[slot] = b;
  }

  const Program* p_ = nullptr;
  std::string_view s_;
  std::size_t n_ = 0, m_ = 0, words_ = 1, block_rows_ = 64;
  std::vector<bool> boundary_;
  std::vector<std::size_t> pred_start_, pred_, stack_;
  std::vector<Word> checkpoints_, zero_;
  std::vector<Word> blocks_[2];
  std::size_t slot_block_[2] = {kNone, kNone};
  std::size_t hit_lo_ = 0;  // first row of the block looked up last
  const Word* hit_rows_ = nullptr;
};

class Vm {
 public:
  // The leftmost match starting at or after `from`; `boundary` is the first
  // character boundary at or after `from`. With `live`, the match starting
  // at `from` itself, every thread that cannot reach a match dropped.
  // `ran_past` tells whether threads of higher priority than the match were
  // still running after it: a search from the match's end would look at
  // those positions again.
  bool Search(const Program& p, std::string_view s, std::size_t from,
              std::size_t boundary, Found& found, Liveness* live = nullptr,
              bool* ran_past = nullptr) {
    p_ = &p;
    s_ = s;
    live_ = live;
    const std::size_t n = s.size(), states = p.code.size();
    // A state past the program, states + pc, is a thread whose instruction
    // pc took the first byte of a double-byte character; the second byte
    // follows at the next position.
    cur_.Reset(2 * states);
    next_.Reset(2 * states);
    bool matched = false;
    if (ran_past) *ran_past = false;
    for (std::size_t pos = from;; ++pos) {
      const bool at_boundary = pos == boundary;
      if (at_boundary && pos < n) boundary = pos + CharLenAt(s, pos);
      if (!matched && (!p.kanji || at_boundary) && (!live || pos == from))
        Follow(cur_, 0, Caps{pos, npos, npos}, pos);  // lowest priority
      if (cur_.count == 0 && (matched || live || pos >= n)) break;
      if (matched && ran_past) *ran_past = true;
      MatcherSteps() += cur_.count + 1;
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
        const std::size_t len = pos < n ? Take(p, s, in, pos, at_boundary) : 0;
        if (len == 1) Follow(next_, th.pc + 1, th.caps, pos + 1);
        if (len == 2 && !next_.Has(states + th.pc) && (!live || live->Has(pos + 2, th.pc + 1)))
          next_.Put(Thread{states + th.pc, th.caps});
      }
      if (pos >= n) break;
      std::swap(cur_, next_);
    }
    return matched;
  }

 private:
  // Adds the thread at pc, and every state it reaches without taking a
  // byte, to list at position q, in priority order. An explicit stack keeps
  // chains of splits off the call stack. States that cannot reach a match
  // are left out when that is known.
  void Follow(ThreadList& list, std::size_t pc, const Caps& caps,
              std::size_t q) {
    stack_.clear();
    stack_.push_back(Thread{pc, caps});
    while (!stack_.empty()) {
      Thread t = stack_.back();
      stack_.pop_back();
      while (!list.Has(t.pc) && (!live_ || live_->Has(q, t.pc))) {
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
  Liveness* live_ = nullptr;
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
    MatcherSteps() += j + 1;
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

std::size_t& MatcherSteps() {
  thread_local std::size_t steps = 0;
  return steps;
}

bool Find(const Program& p, std::string_view s, std::size_t from,
          std::size_t boundary, Found& found) {
  if (p.literal) return FindLiteral(p, s, from, boundary, found);
  thread_local Vm vm;
  return vm.Search(p, s, from, boundary, found);
}

void ForEachMatch(const Program& p, std::string_view s, bool every,
                  const std::function<void(const Found&)>& on_match) {
  thread_local Vm vm;
  thread_local Liveness live;
  const std::size_t n = s.size();
  // Searching again from each match's end is linear as long as no search
  // runs past the match it reports. The first one that does ("(a*b)|a" on
  // a run of "a" looks for a "b" to the end) shows that later searches
  // would look at the same positions again and again; from then on the
  // searches know which states can still match and drop the others.
  bool remembering = false;
  std::size_t from = 0, boundary = 0;
  for (;;) {
    while (boundary < from) boundary += CharLenAt(s, boundary);
    Found f;
    bool hit = false;
    if (p.literal) {
      hit = FindLiteral(p, s, from, boundary, f);
    } else if (remembering) {
      std::size_t start = from;  // the first position where a match starts
      for (; start <= n; ++start) {
        ++MatcherSteps();
        if ((!p.kanji || live.Boundary(start)) && live.Has(start, 0)) break;
      }
      std::size_t first_boundary = start;
      while (first_boundary < n && !live.Boundary(first_boundary)) ++first_boundary;
      hit = start <= n && vm.Search(p, s, start, first_boundary, f, &live);
    } else {
      bool ran_past = false;
      hit = vm.Search(p, s, from, boundary, f, nullptr, &ran_past);
      if (hit && every && ran_past) {
        live.Reset(p, s);
        remembering = true;
      }
    }
    if (!hit) return;
    on_match(f);
    if (!every) return;
    from = f.end;
    if (f.end == f.start) {
      // An empty match: move on so it is not found again (with "k" the
      // search itself skips to the next character boundary). An empty match
      // right after a non-empty one is allowed, as in Perl: "aaa" =~
      // s/a*/-/g gives "--".
      if (from >= n) return;
      ++from;
    }
  }
}

}  // namespace zel::pattern

// Perl-style patterns over code page 932 bytes.
//
// A pattern body is compiled into a small instruction program and run as a
// Pike VM: all live threads advance together over the subject, one byte per
// step, at most one thread per instruction. Time is linear in the subject for
// any pattern and nothing recurses per subject byte, so a 1 MB title line is
// safe even for " *\* *$", which a backtracking engine retries from every
// blank. Thread order is priority order, which gives Perl's leftmost, greedy
// (or lazy) choice of match and of the first group. A replacement with "g"
// searches again from each match's end; where a search had to run past its
// match, the later searches learn first which states can still reach a
// match from where, and drop the rest (pattern_match.cpp), so that together
// they stay linear too.
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

#include <string>

#include "core/pattern_program.h"
#include "core/text.h"

namespace zel {
namespace {

using pattern::Compiled;
using pattern::Find;
using pattern::ForEachMatch;
using pattern::Found;
using pattern::Piece;
using pattern::Program;
using pattern::npos;

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
  std::string out;
  std::size_t copied = 0;
  bool any = false;
  ForEachMatch(p, subject, p.global, [&](const Found& f) {
    any = true;
    out.append(subject.substr(copied, f.start - copied));
    for (const Piece& piece : p.replacement)
      out += piece.group ? Group1(subject, f) : std::string_view(piece.text);
    copied = f.end;
  });
  if (!any) return std::string(subject);
  out.append(subject.substr(copied));
  return out;
}

std::size_t TakeMatcherSteps() {
  const std::size_t steps = pattern::MatcherSteps();
  pattern::MatcherSteps() = 0;
  return steps;
}

}  // namespace zel

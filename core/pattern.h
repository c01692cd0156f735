// Perl-style patterns, as the program's text tests and rewrites use them.
//
// A match pattern is "/body/flags"; a substitution is "s/body/replacement/flags".
// Flags: "i" ignore ASCII letter case, "g" every match, "k" double-byte aware
// (a code page 932 double-byte character is one character). Subjects and
// results are code page 932 bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zel {

// With a capture group in the body: the text of the first group, or "0" when
// the body does not match. Without one: "1" when the body matches anywhere
// in the subject, "0" when not. A malformed pattern gives "0".
std::string Match(std::string_view pattern, std::string_view subject);

// The subject with the first match (every match with "g") replaced; the
// subject unchanged when nothing matches or the pattern is malformed.
//
// Match and Replace take time in proportion to the subject for any pattern,
// Replace with "g" included: "s/(a*b)|a/x/g" on a megabyte of "a" does not
// look for the "b" again from every "a".
std::string Replace(std::string_view pattern, std::string_view subject);

// The work the matcher did on this thread since the last call, in steps
// (one state of the matcher at one position of the subject, or one byte
// compared by the plain-text scan); the count then starts again from 0.
// Tests and benchmarks use it to see that the work grows with the subject
// in proportion, whatever the pattern.
std::size_t TakeMatcherSteps();

}  // namespace zel

// The pattern component with any pattern and any subject: never a crash,
// and never more work than a bound linear in the subject.
#include <cstdint>

#include "core/pattern.h"
#include "fuzz/fuzz_input.h"

using namespace zel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> parts = fuzz::Parts(data, size, 2);
  const std::string& pattern = parts[0];
  const std::string& subject = parts[1];
  TakeMatcherSteps();
  Match(pattern, subject);
  Replace(pattern, subject);
  // The matcher's work is linear in the subject for a given pattern; the
  // factor grows with the pattern's size.
  const unsigned long long steps = TakeMatcherSteps();
  const unsigned long long bound =
      64ull * (pattern.size() + 1) * (pattern.size() + 1) * (subject.size() + 1);
  fuzz::Require(steps <= bound);
  return 0;
}

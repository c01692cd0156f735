// An environment file commented from any template, and the result made
// ready to be Jw_cad's "JW_WIN.JWF": never a crash, the header first,
// every line ended by CR LF, one "END" as the last line, and a second pass
// over the result as stable as the first.
#include <cstdint>
#include <string>

#include "core/envcomment.h"
#include "core/envwrite.h"
#include "core/text.h"
#include "fuzz/fuzz_input.h"

using namespace zel;

namespace {

// Every line break is CR LF, and the text ends with one.
bool AllCrLf(const std::string& s) {
  if (s.empty() || s.size() < 2 || s.compare(s.size() - 2, 2, "\r\n") != 0) return false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) return false;
    if (s[i] == '\r' && (i + 1 >= s.size() || s[i + 1] != '\n')) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> parts = fuzz::Parts(data, size, 5);
  const CommentMode mode =
      !parts[0].empty() && (parts[0][0] & 1) ? CommentMode::kPartial : CommentMode::kVersionUp;
  const std::string& target = parts[1];
  const std::string& templ = parts[2];
  const std::string& title = parts[3];

  const std::string commented = InsertEnvironmentComments(target, templ, title, mode);
  fuzz::Require(AllCrLf(commented));
  // The header is one line, whatever the title holds.
  const std::size_t first_end = commented.find("\r\n");
  fuzz::Require(commented.compare(0, 2, "# ") == 0);
  fuzz::Require(commented.compare(first_end - kCommentHeaderCaption.size(),
                                  kCommentHeaderCaption.size(), kCommentHeaderCaption) == 0);
  // The last line is the one "END".
  fuzz::Require(commented.size() >= 5 && commented.compare(commented.size() - 5, 5, "END\r\n") == 0);

  // Made ready for Jw_cad with any dot count and added lines (the options
  // keep both on one line: no CR or LF reaches them).
  const std::string scomm = OneLine(parts[4].substr(0, 2));
  const std::string addline = OneLine(parts[4].size() > 2 ? parts[4].substr(2) : std::string());
  const std::string written = PrepareWrittenEnvironment(commented, scomm, addline);
  fuzz::Require(AllCrLf(written));
  return 0;
}

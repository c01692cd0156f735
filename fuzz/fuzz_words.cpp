// Word, field and argument splitting of any text: never a crash, words hold
// no blank, and the fields joined again give back the text.
#include <cstdint>

#include "core/arguments.h"
#include "core/text.h"
#include "core/words.h"
#include "fuzz/fuzz_input.h"

using namespace zel;

namespace {

void RequireFieldsJoinBack(const std::string& text, char delimiter) {
  const std::vector<std::string> fields = SplitFields(text, delimiter);
  std::string joined;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) joined += delimiter;
    joined += fields[i];
  }
  // A final delimiter gives no empty last field.
  const bool ends_with_delimiter =
      !text.empty() && FindLastChar(text, delimiter) == text.size() - 1;
  fuzz::Require(joined + (ends_with_delimiter ? std::string(1, delimiter) : "") == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (const std::string& w : SplitWords(text))
    fuzz::Require(FindChar(w, ' ') == std::string::npos);
  SplitWordsKeepWidth(text);
  SplitStartArguments(text);
  RequireFieldsJoinBack(text, '\\');
  RequireFieldsJoinBack(text, ',');
  const std::string upper = AsciiUpper(text);
  fuzz::Require(upper.size() == text.size() && EqualsNoCase(upper, text));
  Utf8FromCp932(text);
  Cp932FromUtf8(text);
  return 0;
}

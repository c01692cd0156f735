#include "core/words.h"

#include "core/text.h"

namespace zel {
namespace {

Words Split(std::string_view text, bool keep_width) {
  Words words;
  std::string rest(text);
  rest += ' ';
  std::size_t entry = 0;
  std::size_t pos = 0;  // start of the remaining text within rest
  while (pos < rest.size() && entry < kMaxWords) {
    std::size_t start = rest.find_first_not_of(' ', pos);
    std::size_t blanks = (start == std::string::npos ? rest.size() : start) - pos;
    if (start == std::string::npos) {
      // Only blanks are left: the keep-width form records them (plus the
      // blank appended above), the plain form records nothing.
      if (keep_width) words[entry] = std::string(blanks, ' ');
      break;
    }
    // Blanks are single-byte and never a trail byte, but a word may hold
    // double-byte characters: search on character boundaries.
    std::size_t end = FindChar(rest, ' ', start);
    std::string word = rest.substr(start, end - start);
    words[entry] = keep_width ? std::string(blanks, ' ') + word : word;
    ++entry;
    pos = end;
  }
  return words;
}

}  // namespace

Words SplitWords(std::string_view text) { return Split(text, false); }

Words SplitWordsKeepWidth(std::string_view text) { return Split(text, true); }

std::vector<std::string> SplitFields(std::string_view text, char delimiter) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t hit = FindChar(text, delimiter, start);
    if (hit == std::string::npos) hit = text.size();
    fields.emplace_back(text.substr(start, hit - start));
    start = hit + 1;
  }
  return fields;
}

}  // namespace zel

#include "core/words.h"

#include "core/text.h"

namespace zel {
namespace {

// Calls put(entry, word) for each entry, at most `max_entries` of them.
template <typename Put>
void Split(std::string_view text, bool keep_width, std::size_t max_entries, Put put) {
  std::string rest(text);
  rest += ' ';
  std::size_t entry = 0;
  std::size_t pos = 0;  // start of the remaining text within rest
  while (pos < rest.size() && entry < max_entries) {
    std::size_t start = rest.find_first_not_of(' ', pos);
    std::size_t blanks = (start == std::string::npos ? rest.size() : start) - pos;
    if (start == std::string::npos) {
      // Only blanks are left: the keep-width form records them (plus the
      // blank appended above), the plain form records nothing.
      if (keep_width) put(entry, std::string(blanks, ' '));
      break;
    }
    // Blanks are single-byte and never a trail byte, but a word may hold
    // double-byte characters: search on character boundaries.
    std::size_t end = FindChar(rest, ' ', start);
    std::string word = rest.substr(start, end - start);
    put(entry, keep_width ? std::string(blanks, ' ') + word : word);
    ++entry;
    pos = end;
  }
}

Words SplitTable(std::string_view text, bool keep_width) {
  Words words;
  Split(text, keep_width, kMaxWords,
        [&](std::size_t i, std::string w) { words[i] = std::move(w); });
  return words;
}

std::vector<std::string> SplitList(std::string_view text, bool keep_width) {
  std::vector<std::string> words;
  Split(text, keep_width, std::string::npos,
        [&](std::size_t, std::string w) { words.push_back(std::move(w)); });
  return words;
}

}  // namespace

Words SplitWords(std::string_view text) { return SplitTable(text, false); }

Words SplitWordsKeepWidth(std::string_view text) { return SplitTable(text, true); }

std::vector<std::string> SplitAllWords(std::string_view text) { return SplitList(text, false); }

std::vector<std::string> SplitAllWordsKeepWidth(std::string_view text) {
  return SplitList(text, true);
}

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

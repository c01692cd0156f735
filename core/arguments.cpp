#include "core/arguments.h"

#include "core/text.h"

namespace zel {

Words SplitStartArguments(std::string_view text) {
  Words words;
  std::size_t entry = 0;
  std::size_t i = 0;
  while (entry < kMaxWords) {
    while (i < text.size() && text[i] == ' ') ++i;
    if (i >= text.size()) break;
    std::string word;
    bool quoted = false;
    // Blanks and quotes are single-byte and never a trail byte; walking by
    // characters keeps a double-byte character whole.
    for (; i < text.size(); i += CharLenAt(text, i)) {
      const std::size_t len = CharLenAt(text, i);
      if (len == 1 && text[i] == '"') {
        quoted = !quoted;
        continue;
      }
      if (len == 1 && text[i] == ' ' && !quoted) break;
      word.append(text.substr(i, len));
    }
    // A pair of quotes with nothing between them is no word at all.
    if (!word.empty()) words[entry++] = std::move(word);
  }
  return words;
}

}  // namespace zel

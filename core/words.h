// Blank-separated words and delimited fields of a line.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// The word table: word 1 of a line is entry 0; unused entries are empty.
// At most 31 words are kept; later ones are dropped.
constexpr std::size_t kMaxWords = 31;
using Words = std::array<std::string, kMaxWords>;

// Splits at blanks (code 32 only: tabs belong to words). Leading, trailing
// and repeated blanks make no empty words; quotes are not interpreted.
Words SplitWords(std::string_view text);

// As SplitWords, but each word keeps the blanks that stood in front of it,
// and the entry after the last word receives the trailing blanks plus one.
Words SplitWordsKeepWidth(std::string_view text);

// The pieces between one-character delimiters. An empty text gives no
// fields, a trailing delimiter no empty last field; a leading delimiter
// gives an empty first field. The delimiter is matched as a whole
// character, so "\" never splits a double-byte character whose trail byte
// is 0x5C.
std::vector<std::string> SplitFields(std::string_view text, char delimiter);

}  // namespace zel

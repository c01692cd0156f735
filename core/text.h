// Text in Windows code page 932 (Shift-JIS).
//
// Every file the system reads or writes is code page 932, so the core keeps
// text exactly as the bytes it read (std::string) and does all character work
// here. Nothing is decoded on the way through: a line that no rule touches is
// written back byte for byte, even when it is not valid Shift-JIS.
//
// Two traps drive the helpers below:
//  - the trail byte of a double-byte character may be 0x5C ("\") or an ASCII
//    letter (ソ is 83 5C, ア is 83 41), so searching and case folding must walk
//    characters, never bytes;
//  - "the first 10 characters" counts a double-byte character as one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zel {

// True for a byte that can start a double-byte character (81-9F, E0-FC).
constexpr bool IsLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// True for a byte that can end one (40-7E, 80-FC). A blank, a control
// character, "." or "/" never can.
constexpr bool IsTrailByte(unsigned char b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Length in bytes (1 or 2) of the character at byte offset pos. A lead byte
// is a character of its own when no trail byte follows it: at the very end
// of the text, or before a byte outside the trail range (a blank, a line
// end), which then stays a character of its own too. This is the one
// definition of a character: every walk over characters in the core goes
// through it, so all of them agree.
inline std::size_t CharLenAt(std::string_view s, std::size_t pos) {
  return pos + 1 < s.size() && IsLeadByte(static_cast<unsigned char>(s[pos])) &&
                 IsTrailByte(static_cast<unsigned char>(s[pos + 1]))
             ? 2
             : 1;
}

// Number of characters in s.
std::size_t CharCount(std::string_view s);

// Byte offset of character index ci (0-based); s.size() when past the end.
std::size_t ByteOffsetOfChar(std::string_view s, std::size_t ci);

// The first n characters.
std::string LeftChars(std::string_view s, std::size_t n);

// Characters from 0-based character index start, at most n of them.
std::string MidChars(std::string_view s, std::size_t start,
                     std::size_t n = std::string::npos);

// The last n characters.
std::string RightChars(std::string_view s, std::size_t n);

// Byte offset of the first single-byte character c at or after byte offset
// `from` (which must be a character boundary); npos when none. A trail byte
// equal to c is never reported.
std::size_t FindChar(std::string_view s, char c, std::size_t from = 0);

// Byte offset of the last single-byte character c; npos when none.
std::size_t FindLastChar(std::string_view s, char c);

// The path without one final "\" that is a character of its own: 表 (95 5C)
// or ソ (83 5C) at the end of a folder name stays whole.
std::string WithoutTrailingBackslash(std::string_view path);

// Byte offset of the first occurrence of needle that starts on a character
// boundary (so a match never begins inside a double-byte character).
std::size_t FindText(std::string_view s, std::string_view needle,
                     std::size_t from = 0);

// The text as one line of a file: each CR and each LF becomes a blank. A
// trail byte is never CR or LF, so no double-byte character is touched.
std::string OneLine(std::string_view text);

// Case mapping and comparison of ASCII letters only; trail bytes untouched.
std::string AsciiUpper(std::string_view s);
// AsciiUpper on the string itself: long keys are not copied to be upper-cased.
void MakeAsciiUpper(std::string& s);
std::string AsciiLower(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);

// Conversion between code page 932 and UTF-8, for the system's own fixed
// texts (written in source as UTF-8) and for tests and logs. Bytes that do
// not decode become U+FFFD; characters with no code page 932 form become "?".
std::string Cp932FromUtf8(std::string_view utf8);
std::string Utf8FromCp932(std::string_view cp932);

// Shorthand for the fixed Japanese texts of the program.
inline std::string J(std::string_view utf8) { return Cp932FromUtf8(utf8); }

// Unicode (UTF-16 code unit range) value of one cp932 character, or -1.
long DecodeCp932Char(std::string_view s, std::size_t pos, std::size_t* len);

}  // namespace zel

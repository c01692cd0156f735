#include "core/text.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace zel {
namespace {

const std::uint16_t kDoubleByte[][0xFD - 0x40] = {
#include "core/cp932_table.inc"
};

int LeadRow(unsigned char lead) {
  if (lead >= 0x81 && lead <= 0x9F) return lead - 0x81;
  if (lead >= 0xE0 && lead <= 0xFC) return lead - 0xE0 + (0xA0 - 0x81);
  return -1;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Reverse table, built once. Where a character has several codes, the one
// Windows itself writes wins: the NEC rows (0x87) before the IBM rows
// (0xFA-0xFC), and the IBM rows before the NEC-selected copies (0xED, 0xEE).
const std::unordered_map<std::uint32_t, std::uint16_t>& ReverseTable() {
  static std::unordered_map<std::uint32_t, std::uint16_t> table;
  static std::once_flag once;
  std::call_once(once, [] {
    auto add_lead = [](int lead) {
      int row = LeadRow(static_cast<unsigned char>(lead));
      for (int t = 0x40; t < 0xFD; ++t) {
        std::uint16_t u = kDoubleByte[row][t - 0x40];
        if (u != 0) table.emplace(u, static_cast<std::uint16_t>((lead << 8) | t));
      }
    };
    for (int lead = 0x81; lead <= 0x9F; ++lead) add_lead(lead);
    for (int lead = 0xE0; lead <= 0xFC; ++lead)
      if (lead != 0xED && lead != 0xEE) add_lead(lead);
    add_lead(0xED);
    add_lead(0xEE);
  });
  return table;
}

}  // namespace

std::size_t CharCount(std::string_view s) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < s.size(); i += CharLenAt(s, i)) ++n;
  return n;
}

std::size_t ByteOffsetOfChar(std::string_view s, std::size_t ci) {
  std::size_t i = 0;
  while (ci > 0 && i < s.size()) {
    i += CharLenAt(s, i);
    --ci;
  }
  return i < s.size() ? i : s.size();
}

std::string LeftChars(std::string_view s, std::size_t n) {
  return std::string(s.substr(0, ByteOffsetOfChar(s, n)));
}

std::string MidChars(std::string_view s, std::size_t start, std::size_t n) {
  std::size_t b = ByteOffsetOfChar(s, start);
  std::string_view rest = s.substr(b);
  if (n == std::string::npos) return std::string(rest);
  return std::string(rest.substr(0, ByteOffsetOfChar(rest, n)));
}

std::string RightChars(std::string_view s, std::size_t n) {
  std::size_t count = CharCount(s);
  if (n >= count) return std::string(s);
  return MidChars(s, count - n);
}

std::size_t FindChar(std::string_view s, char c, std::size_t from) {
  for (std::size_t i = from; i < s.size(); i += CharLenAt(s, i))
    if (s[i] == c && CharLenAt(s, i) == 1) return i;
  return std::string::npos;
}

std::size_t FindLastChar(std::string_view s, char c) {
  std::size_t found = std::string::npos;
  for (std::size_t i = 0; i < s.size(); i += CharLenAt(s, i))
    if (s[i] == c && CharLenAt(s, i) == 1) found = i;
  return found;
}

std::string WithoutTrailingBackslash(std::string_view path) {
  std::size_t last = FindLastChar(path, '\\');
  if (last != std::string::npos && last + 1 == path.size()) return std::string(path.substr(0, last));
  return std::string(path);
}

std::size_t FindText(std::string_view s, std::string_view needle,
                     std::size_t from) {
  if (needle.empty()) return from <= s.size() ? from : std::string::npos;
  for (std::size_t i = from; i < s.size(); i += CharLenAt(s, i))
    if (s.compare(i, needle.size(), needle) == 0) return i;
  return std::string::npos;
}

std::string OneLine(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c == '\r' || c == '\n') c = ' ';
  return out;
}

void MakeAsciiUpper(std::string& s) {
  for (std::size_t i = 0; i < s.size(); i += CharLenAt(s, i))
    if (s[i] >= 'a' && s[i] <= 'z') s[i] = static_cast<char>(s[i] - 32);
}

std::string AsciiUpper(std::string_view s) {
  std::string out(s);
  MakeAsciiUpper(out);
  return out;
}

std::string AsciiLower(std::string_view s) {
  std::string out(s);
  for (std::size_t i = 0; i < out.size(); i += CharLenAt(out, i))
    if (out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] + 32);
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && AsciiUpper(a) == AsciiUpper(b);
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (prefix.size() > s.size()) return false;
  // Cut on a character boundary of s so a prefix never ends inside a
  // double-byte character.
  std::size_t i = 0;
  while (i < prefix.size()) i += CharLenAt(s, i);
  return i == prefix.size() && EqualsNoCase(s.substr(0, i), prefix);
}

long DecodeCp932Char(std::string_view s, std::size_t pos, std::size_t* len) {
  unsigned char b = static_cast<unsigned char>(s[pos]);
  std::size_t l = CharLenAt(s, pos);
  if (len) *len = l;
  if (l == 2) {
    unsigned char t = static_cast<unsigned char>(s[pos + 1]);
    std::uint16_t u = kDoubleByte[LeadRow(b)][t - 0x40];
    return u ? static_cast<long>(u) : -1;
  }
  if (b < 0x80) return b;
  if (b >= 0xA1 && b <= 0xDF) return 0xFF61 + (b - 0xA1);  // half-width kana
  return -1;
}

std::string Utf8FromCp932(std::string_view s) {
  std::string out;
  out.reserve(s.size() * 3 / 2);
  for (std::size_t i = 0; i < s.size();) {
    std::size_t len = 1;
    long u = DecodeCp932Char(s, i, &len);
    AppendUtf8(out, u < 0 ? 0xFFFD : static_cast<std::uint32_t>(u));
    i += len;
  }
  return out;
}

std::string Cp932FromUtf8(std::string_view s) {
  const auto& rev = ReverseTable();
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    std::uint32_t cp;
    std::size_t n;
    if (b < 0x80) { cp = b; n = 1; }
    else if ((b & 0xE0) == 0xC0) { cp = b & 0x1F; n = 2; }
    else if ((b & 0xF0) == 0xE0) { cp = b & 0x0F; n = 3; }
    else if ((b & 0xF8) == 0xF0) { cp = b & 0x07; n = 4; }
    else { out += '?'; ++i; continue; }
    if (i + n > s.size()) { out += '?'; break; }
    for (std::size_t k = 1; k < n; ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += n;
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp >= 0xFF61 && cp <= 0xFF9F) {
      out += static_cast<char>(0xA1 + (cp - 0xFF61));
    } else {
      auto it = rev.find(cp);
      if (it == rev.end()) {
        out += '?';
      } else {
        out += static_cast<char>(it->second >> 8);
        out += static_cast<char>(it->second & 0xFF);
      }
    }
  }
  return out;
}

}  // namespace zel

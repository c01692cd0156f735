#include "core/cmdtext.h"

#include "core/text.h"

namespace zel {
namespace {

bool IsCmdSpecialChar(char c) {
  switch (c) {
    case '&': case '|': case '<': case '>': case '^': case '(': case ')': case '%':
      return true;
    default:
      return false;
  }
}

// Each single-byte character passed through `one`, double-byte ones as they
// are.
template <typename F>
std::string EachChar(std::string_view value, F&& one) {
  std::string out;
  out.reserve(value.size() + 8);
  for (std::size_t i = 0; i < value.size();) {
    const std::size_t len = CharLenAt(value, i);
    if (len == 1) {
      one(out, value[i]);
    } else {
      out.append(value.substr(i, len));
    }
    i += len;
  }
  return out;
}

}  // namespace

bool HasCmdSpecial(std::string_view value) {
  for (std::size_t i = 0; i < value.size(); i += CharLenAt(value, i))
    if (CharLenAt(value, i) == 1 && IsCmdSpecialChar(value[i])) return true;
  return false;
}

bool NeedsCmdQuotes(std::string_view value) {
  return HasCmdSpecial(value) || FindChar(value, ' ') != std::string::npos;
}

std::string ForCmdInQuotes(std::string_view value) {
  return EachChar(value, [](std::string& out, char c) {
    if (c == '%') out += '%';
    out += c;
  });
}

std::string ForCmdBare(std::string_view value) {
  return EachChar(value, [](std::string& out, char c) {
    if (c == '%') {
      out += '%';
    } else if (IsCmdSpecialChar(c)) {
      out += '^';
    }
    out += c;
  });
}

bool IsInsideCmdQuotes(std::string_view line, std::size_t at) {
  bool quoted = false;
  for (std::size_t i = 0; i < at && i < line.size();) {
    const std::size_t len = CharLenAt(line, i);
    if (len == 1 && line[i] == '"') {
      quoted = !quoted;
    } else if (len == 1 && line[i] == '^' && !quoted && i + 1 < at) {
      i += 1 + CharLenAt(line, i + 1);  // the escaped character is plain text
      continue;
    }
    i += len;
  }
  return quoted;
}

}  // namespace zel

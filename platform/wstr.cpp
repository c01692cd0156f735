#include "platform/wstr.h"

#include <windows.h>

namespace zel {

namespace {
constexpr UINT kCp932 = 932;

std::wstring ToWide(UINT cp, std::string_view s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring out(n > 0 ? n : 0, L'\0');
  if (n > 0 &&
      MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), out.data(), n) != n)
    out.clear();
  return out;
}
}  // namespace

std::wstring Wide(std::string_view cp932) { return ToWide(kCp932, cp932); }

std::wstring WideUtf8(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }

std::string Narrow(std::wstring_view w) {
  if (w.empty()) return {};
  // Without best fit, what code page 932 cannot hold becomes the default
  // character, named here so it is "?" on every system.
  const DWORD flags = WC_NO_BEST_FIT_CHARS;
  const char kDefault[] = "?";
  int n = WideCharToMultiByte(kCp932, flags, w.data(), static_cast<int>(w.size()), nullptr, 0,
                              kDefault, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0 && WideCharToMultiByte(kCp932, flags, w.data(), static_cast<int>(w.size()),
                                   out.data(), n, kDefault, nullptr) != n)
    out.clear();
  return out;
}

bool NarrowExact(std::wstring_view w, std::string& out) {
  out = Narrow(w);
  // The round trip, not the used-default flag: a table may map a character
  // to bytes that read back as another one ("〜" U+301C to 81 60, which is
  // "～" U+FF5E) without reporting it.
  return Wide(out) == w;
}

}  // namespace zel

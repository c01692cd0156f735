#include "platform/wstr.h"

#include <windows.h>

namespace zel {

namespace {
constexpr UINT kCp932 = 932;

std::wstring ToWide(UINT cp, std::string_view s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring out(n > 0 ? n : 0, L'\0');
  if (n > 0)
    MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
  return out;
}
}  // namespace

std::wstring Wide(std::string_view cp932) { return ToWide(kCp932, cp932); }

std::wstring WideUtf8(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }

std::string Narrow(std::wstring_view w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(kCp932, 0, w.data(), static_cast<int>(w.size()),
                              nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0)
    WideCharToMultiByte(kCp932, 0, w.data(), static_cast<int>(w.size()),
                        out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace zel

#include "tests/support/tempdir.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <stdexcept>

#include "core/text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace zel::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  fs::path base = fs::temp_directory_path();
  for (int i = 0; i < 100; ++i) {
    fs::path p = base / ("zeltest_" + std::to_string(stamp) + "_" +
                         std::to_string(counter++));
    std::error_code ec;
    if (fs::create_directory(p, ec)) {
      path_ = p;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string TempDir::str() const { return Cp932FromPath(path_); }

std::string Cp932FromPath(const fs::path& p) {
#ifdef _WIN32
  std::wstring w = p.wstring();
  int n = WideCharToMultiByte(932, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(932, 0, w.c_str(), -1, out.data(), n, nullptr, nullptr);
  return out;
#else
  return p.string();
#endif
}

fs::path PathFromCp932(const std::string& cp932) {
#ifdef _WIN32
  int n = MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), w.data(), n);
  return fs::path(w);
#else
  return fs::path(cp932);
#endif
}

fs::path TempDir::Write(const std::string& name, const std::string& bytes) const {
  fs::path p = path_ / PathFromCp932(name);
  WriteBytes(p, bytes);
  return p;
}

std::string ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + p.string());
}

}  // namespace zel::test

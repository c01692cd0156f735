// Test helpers: a temporary folder removed at the end of the test, and
// byte-exact file writing and reading.
#pragma once

#include <filesystem>
#include <string>

namespace zel::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder as the program writes paths: cp932 bytes, "\" separators on
  // Windows, "/" natively.
  std::string str() const;
  // Writes bytes to a file in the folder (name in cp932) and returns its path.
  std::filesystem::path Write(const std::string& name, const std::string& bytes) const;

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& p);
void WriteBytes(const std::filesystem::path& p, const std::string& bytes);

// A path from a cp932 byte string (Windows: converted from code page 932).
std::filesystem::path PathFromCp932(const std::string& cp932);
std::string Cp932FromPath(const std::filesystem::path& p);

}  // namespace zel::test

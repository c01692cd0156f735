#include "tests/support/std_fs.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "core/text.h"
#include "tests/support/tempdir.h"

namespace zel::test {

namespace fs = std::filesystem;

std::string NativePath(const std::string& program_path) {
#ifdef _WIN32
  return program_path;
#else
  std::string out = program_path;
  for (std::size_t i = FindChar(out, '\\'); i != std::string::npos;
       i = FindChar(out, '\\', i + 1))
    out[i] = '/';
  return out;
#endif
}

namespace {

class FileBytes : public ByteSource {
 public:
  explicit FileBytes(std::FILE* f) : f_(f) {}
  ~FileBytes() override { std::fclose(f_); }
  long long Read(char* buf, std::size_t n) override {
    std::size_t got = std::fread(buf, 1, n, f_);
    if (got == 0 && std::ferror(f_)) return -1;
    return static_cast<long long>(got);
  }

 private:
  std::FILE* f_;
};

LocalTime ToLocal(fs::file_time_type t) {
  auto sys = std::chrono::time_point_cast<std::chrono::system_clock::duration>(
      std::chrono::file_clock::to_sys(t));
  std::time_t tt = std::chrono::system_clock::to_time_t(sys);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &tt);
#else
  localtime_r(&tt, &tm);
#endif
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min};
}

}  // namespace

bool StdFileSystem::ListFiles(const std::string& spec, std::vector<DirEntry>& out) {
  std::size_t cut = FindLastChar(spec, '\\');
  if (cut == std::string::npos) return false;
  std::string folder = spec.substr(0, cut);
  std::string ext = AsciiUpper(spec.substr(cut + 2));  // after "\*"
  std::error_code ec;
  fs::directory_iterator it(PathFromCp932(NativePath(folder + "\\")), ec);
  if (ec) return false;
  for (const auto& e : it) {
    if (!e.is_regular_file(ec)) continue;
    std::string name = e.path().filename().string();
    if (name.empty() || name[0] == '.') continue;  // hidden, natively
    if (name.size() < ext.size() ||
        AsciiUpper(name.substr(name.size() - ext.size())) != ext)
      continue;
    out.push_back({name, static_cast<std::uint64_t>(e.file_size(ec))});
  }
  return true;
}

std::unique_ptr<OpenedFile> StdFileSystem::OpenRead(const std::string& path) {
  fs::path p = PathFromCp932(NativePath(path));
  std::error_code ec;
  if (!fs::is_regular_file(p, ec)) return nullptr;
  std::FILE* f = std::fopen(p.string().c_str(), "rb");
  if (!f) return nullptr;
  auto file = std::make_unique<OpenedFile>();
  file->bytes = std::make_unique<FileBytes>(f);
  file->size = fs::file_size(p, ec);
  file->modified = ToLocal(fs::last_write_time(p, ec));
  return file;
}

}  // namespace zel::test

#include "tests/support/std_fs.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "core/text.h"

#ifdef _WIN32
#include <windows.h>
#endif
#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
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

#ifndef _WIN32
class FdBytes : public ByteSource {
 public:
  explicit FdBytes(int fd) : fd_(fd) {}
  ~FdBytes() override { ::close(fd_); }
  long long Read(char* buf, std::size_t n) override {
    for (;;) {
      ssize_t got = ::read(fd_, buf, n);
      if (got >= 0) return got;
      if (errno != EINTR) return -1;
    }
  }

 private:
  int fd_;
};
#endif

[[maybe_unused]] LocalTime ToLocal(fs::file_time_type t) {
  auto sys = std::chrono::time_point_cast<std::chrono::system_clock::duration>(
      std::chrono::file_clock::to_sys(t));
  std::time_t tt = std::chrono::system_clock::to_time_t(sys);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &tt);
#else
  localtime_r(&tt, &tm);
#endif
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace

bool StdFileSystem::ListFiles(const std::string& search, std::vector<DirEntry>& out) {
  std::size_t cut = FindLastChar(search, '\\');
  if (cut == std::string::npos) return false;
  std::string folder = search.substr(0, cut);
  std::string ext = AsciiUpper(search.substr(cut + 2));  // after "\*"
  std::error_code ec;
  fs::directory_iterator it(PathFromCp932(NativePath(folder + "\\")), ec);
  if (ec) return false;
  for (const auto& e : it) {
    if (!e.is_regular_file(ec)) continue;
    std::string name = Cp932FromPath(e.path().filename());
    if (name.empty() || name[0] == '.') continue;  // hidden, natively
    if (name.size() < ext.size() ||
        AsciiUpper(name.substr(name.size() - ext.size())) != ext)
      continue;
    // The size needs a stat natively; the open file tells it instead.
    out.push_back({name, false, 0});
  }
  return true;
}

std::unique_ptr<OpenedFile> StdFileSystem::OpenRead(const std::string& path) {
  fs::path p = PathFromCp932(NativePath(path));
#ifdef _WIN32
  std::error_code ec;
  if (!fs::is_regular_file(p, ec)) return nullptr;
  std::FILE* f = _wfopen(p.wstring().c_str(), L"rb");
  if (!f) return nullptr;
  auto file = std::make_unique<OpenedFile>();
  file->bytes = std::make_unique<FileBytes>(f);
  file->size = fs::file_size(p, ec);
  file->modified = ToLocal(fs::last_write_time(p, ec));
  return file;
#else
  // One open and one fstat: size, type and time come with the handle.
  int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  auto file = std::make_unique<OpenedFile>();
  file->bytes = std::make_unique<FdBytes>(fd);
  file->size = static_cast<std::uint64_t>(st.st_size);
  std::tm tm{};
  localtime_r(&st.st_mtime, &tm);
  file->modified = {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
  return file;
#endif
}

namespace {

bool EndsWithNoCase(const std::string& name, const std::string& ext) {
  return name.size() >= ext.size() && AsciiUpper(name.substr(name.size() - ext.size())) ==
                                          AsciiUpper(ext);
}

bool IsHidden([[maybe_unused]] const fs::path& p, const std::string& name) {
#ifdef _WIN32
  DWORD a = GetFileAttributesW(p.wstring().c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
#else
  return !name.empty() && name[0] == '.';
#endif
}

}  // namespace

ListResult StdFolderSource::ListFolder(const std::string& folder, const std::string& extension,
                                       std::vector<FolderEntry>& folders,
                                       std::vector<DirEntry>& files) {
  std::error_code ec;
  fs::directory_iterator it(PathFromCp932(NativePath(folder)), ec);
  if (ec) return ListResult::kUnreadable;
  for (const auto& e : it) {
    const std::string name = Cp932FromPath(e.path().filename());
    if (name.empty()) continue;
    const bool hidden = IsHidden(e.path(), name);
    if (e.is_directory(ec)) {
      folders.push_back({name, hidden});
    } else if (e.is_regular_file(ec) && !hidden && EndsWithNoCase(name, extension)) {
      files.push_back({name, false, 0});
    }
  }
  return ListResult::kOk;
}

std::unique_ptr<ByteSource> StdFolderSource::OpenRead(const std::string& path) {
  StdFileSystem files;
  std::unique_ptr<OpenedFile> f = files.OpenRead(path);
  if (!f) return nullptr;
  return std::move(f->bytes);
}

}  // namespace zel::test

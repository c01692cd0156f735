#include "platform/folder_walk.h"

#include <windows.h>

#include "core/text.h"
#include "platform/handles.h"
#include "platform/wstr.h"

namespace zel {

namespace {

// One call with room enough for most paths: each call reads folders.
template <typename Call>
std::wstring PathBy(Call call, const std::wstring& path) {
  std::wstring out(MAX_PATH * 2, L'\0');
  DWORD got = call(path.c_str(), out.data(), static_cast<DWORD>(out.size()));
  if (got >= out.size()) {
    out.assign(got, L'\0');
    got = call(path.c_str(), out.data(), static_cast<DWORD>(out.size()));
    if (got >= out.size()) return {};
  }
  out.resize(got);
  return out;
}

std::wstring ShortPathOf(const std::wstring& path) { return PathBy(GetShortPathNameW, path); }
std::wstring LongPathOf(const std::wstring& path) { return PathBy(GetLongPathNameW, path); }

bool SameTextNoCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring WithoutFinalBackslash(std::wstring p) {
  // "C:\" stays: without its "\" it would name the working folder of C:.
  while (p.size() > 3 && p.back() == L'\\') p.pop_back();
  return p;
}

bool EndsWithNoCase(const wchar_t* name, std::size_t len, const std::wstring& ext) {
  return len >= ext.size() &&
         CompareStringOrdinal(name + len - ext.size(), static_cast<int>(ext.size()), ext.c_str(),
                              static_cast<int>(ext.size()), TRUE) == CSTR_EQUAL;
}

// A name as the program holds it: its own when code page 932 holds it
// exactly, else its short name, which opens the same file or folder.
bool ProgramName(const std::wstring& folder, const wchar_t* name, std::string& out) {
  if (NarrowExact(name, out)) return true;
  const std::wstring short_path = ShortPathOf(folder + name);
  const std::size_t cut = short_path.find_last_of(L'\\');
  const std::wstring short_name =
      cut == std::wstring::npos ? short_path : short_path.substr(cut + 1);
  return !short_name.empty() && short_name != name && NarrowExact(short_name, out);
}

bool IsDriveRoot(const std::wstring& folder) {
  return folder.size() == 3 && folder[1] == L':' && folder[2] == L'\\';
}

bool DriveUnavailable(DWORD err) {
  switch (err) {
    case ERROR_NOT_READY:
    case ERROR_INVALID_DRIVE:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_UNRECOGNIZED_VOLUME:
    case ERROR_NOT_CONNECTED:
    case ERROR_NETNAME_DELETED:
      return true;
  }
  return false;
}

class HandleSource : public ByteSource {
 public:
  explicit HandleSource(UniqueFile f) : f_(std::move(f)) {}
  long long Read(char* buf, std::size_t n) override {
    DWORD got = 0;
    if (!ReadFile(f_.get(), buf, static_cast<DWORD>(n), &got, nullptr)) return -1;
    return got;
  }

 private:
  UniqueFile f_;
};

}  // namespace

std::optional<std::string> FolderKeyPath(const std::string& path) {
  const std::wstring wide = WithoutFinalBackslash(Wide(path));
  // Windows reads a path only up to its first NUL, so a name holding one (a
  // tree cache line of broken bytes) would be taken for the folder above it.
  // No folder's name holds a NUL.
  if (wide.find(L'\0') != std::wstring::npos) return std::nullopt;
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (wide.empty() || attributes == INVALID_FILE_ATTRIBUTES ||
      !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  std::wstring key = WithoutFinalBackslash(ShortPathOf(wide));
  if (key.empty()) key = wide;
  if (!SameTextNoCase(key, wide) && !SameTextNoCase(LongPathOf(key), LongPathOf(wide)))
    key = wide;  // a short name shared with another folder
  std::string out;
  if (!NarrowExact(key, out) && !NarrowExact(wide, out)) return std::nullopt;
  return AsciiUpper(out);
}

namespace {

// An 8.3 name of the plainest kind: 1 to 8 characters, then optionally a
// "." and 1 to 3 more, all ASCII letters, digits, "_" or "-". Such a name
// is its own short name on every file system that has short names.
bool PlainShortName(const std::string& name) {
  const std::size_t dot = name.find('.');
  const std::size_t base = dot == std::string::npos ? name.size() : dot;
  if (base < 1 || base > 8) return false;
  if (dot != std::string::npos && (name.size() - dot - 1 < 1 || name.size() - dot - 1 > 3))
    return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (i == dot) continue;
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                    c == '_' || c == '-';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> FolderKeyOf(const std::string& parent_key, const std::string& name) {
  std::string path = parent_key + "\\" + name;
  if (!PlainShortName(name)) return FolderKeyPath(path);
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  MakeAsciiUpper(path);
  return path;
}

Win32FolderSource::~Win32FolderSource() {
  if (void* t = thread_.exchange(nullptr)) CloseHandle(t);
}

// The searching thread is the one that lists and reads; Abort, called from
// the window's thread, breaks off the call it waits in.
void Win32FolderSource::NoteThread() {
  if (thread_.load()) return;
  HANDLE mine = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &mine,
                       THREAD_TERMINATE, FALSE, 0))
    return;
  void* none = nullptr;
  if (!thread_.compare_exchange_strong(none, mine)) CloseHandle(mine);
}

void Win32FolderSource::Abort() {
  // Nothing may be waiting; a call that has not started yet is not broken
  // off, but the search asks whether to stop before each one.
  if (void* t = thread_.load()) CancelSynchronousIo(static_cast<HANDLE>(t));
}

ListResult Win32FolderSource::ListFolder(const std::string& folder, const std::string& extension,
                                         std::vector<FolderEntry>& folders,
                                         std::vector<DirEntry>& files) {
  NoteThread();
  std::wstring wfolder = Wide(folder);
  if (wfolder.empty()) return ListResult::kUnreadable;
  if (wfolder.back() != L'\\') wfolder += L'\\';
  const std::wstring ext = Wide(extension);
  WIN32_FIND_DATAW fd;
  // The basic information leaves out the short names (which is what makes
  // the enumeration fast); the few names that need one ask for it.
  UniqueFind find(FindFirstFileExW((wfolder + L"*").c_str(), FindExInfoBasic, &fd,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
  if (!find) {
    const DWORD err = GetLastError();
    if (err == ERROR_FILE_NOT_FOUND || err == ERROR_NO_MORE_FILES) return ListResult::kOk;
    // A drive's root folder always exists on a drive that is there.
    if (DriveUnavailable(err) || IsDriveRoot(wfolder)) return ListResult::kNotReady;
    return ListResult::kUnreadable;
  }
  do {
    const wchar_t* name = fd.cFileName;
    const std::size_t len = wcslen(name);
    std::string listed;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if ((len == 1 && name[0] == L'.') || (len == 2 && name[0] == L'.' && name[1] == L'.'))
        continue;
      // A junction or link leads to a folder that is found where it lies,
      // or back up the tree: followed, the walk would never end.
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
      if (!ProgramName(wfolder, name, listed)) continue;
      folders.push_back({std::move(listed), (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0});
      continue;
    }
    if (fd.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
    if (!EndsWithNoCase(name, len, ext)) continue;
    if (!ProgramName(wfolder, name, listed)) continue;
    // A short name must still carry the extension the search looks for.
    if (AsciiUpper(RightChars(listed, CharCount(extension))) != AsciiUpper(extension)) continue;
    const std::uint64_t size =
        (static_cast<std::uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    files.push_back({std::move(listed), true, size});
  } while (FindNextFileW(find.get(), &fd));
  return ListResult::kOk;
}

std::unique_ptr<ByteSource> Win32FolderSource::OpenRead(const std::string& path) {
  NoteThread();
  UniqueFile f(CreateFileW(Wide(path).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!f) return nullptr;
  return std::make_unique<HandleSource>(std::move(f));
}

DriveProblem EnterDrive(const std::string& drive) {
  std::wstring root = Wide(LeftChars(drive, 2));
  if (root.size() != 2 || root[1] != L':') return DriveProblem::kBadName;
  root += L'\\';
  if (SetCurrentDirectoryW(root.c_str())) return DriveProblem::kNone;
  const DWORD err = GetLastError();
  switch (err) {
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
      return DriveProblem::kBadName;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
      // A root folder that is not there: a drive letter whose device is
      // gone or was never ready.
      return DriveProblem::kNotReady;
  }
  return DriveUnavailable(err) ? DriveProblem::kNotReady : DriveProblem::kOther;
}

}  // namespace zel

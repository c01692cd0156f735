#include "platform/files.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/wstr.h"

namespace zel {

namespace {

// The short (8.3) or the long form Windows gives for an existing path;
// empty when it gives none.
std::wstring PathForm(const std::wstring& path, DWORD(WINAPI* form)(LPCWSTR, LPWSTR, DWORD)) {
  DWORD n = form(path.c_str(), nullptr, 0);
  if (n == 0) return {};
  std::wstring out(n, L'\0');
  DWORD got = form(path.c_str(), out.data(), n);
  if (got == 0 || got >= n) return {};
  out.resize(got);
  return out;
}

std::wstring ShortPathOf(const std::wstring& path) { return PathForm(path, GetShortPathNameW); }

// A path that Windows gave, in code page 932. Where the long form holds a
// character code page 932 cannot (its bytes would name another file, or
// none), the short form names the same file in characters it can.
std::string ProgramPathOf(const std::wstring& path) {
  std::string out;
  if (NarrowExact(path, out)) return out;
  std::string short_form;
  if (NarrowExact(ShortPathOf(path), short_form) && !short_form.empty()) return short_form;
  return out;
}

}  // namespace

std::wstring LongPathForm(const std::wstring& path) { return PathForm(path, GetLongPathNameW); }

std::string ProgramArguments(std::wstring_view arguments) {
  std::string out;
  if (NarrowExact(arguments, out)) return out;
  out.clear();
  std::size_t i = 0;
  while (i < arguments.size()) {
    if (arguments[i] == L' ') {
      out += ' ';
      ++i;
      continue;
    }
    // A word runs to the next blank outside quotes, as the start arguments
    // are split; its path is the word without its quotes.
    const std::size_t start = i;
    bool quoted = false;
    std::wstring path;
    for (; i < arguments.size(); ++i) {
      if (arguments[i] == L'"') {
        quoted = !quoted;
        continue;
      }
      if (arguments[i] == L' ' && !quoted) break;
      path += arguments[i];
    }
    const std::wstring_view word = arguments.substr(start, i - start);
    std::string narrow;
    if (NarrowExact(word, narrow)) {
      out += narrow;
      continue;
    }
    std::string short_form;
    if (!path.empty() && NarrowExact(ShortPathOf(path), short_form) && !short_form.empty()) {
      out += short_form.find(' ') == std::string::npos ? short_form : '"' + short_form + '"';
      continue;
    }
    out += Narrow(word);  // names nothing: it stays as unreadable as it was
  }
  return out;
}

std::optional<std::string> ShortFolderPath(const std::string& folder) {
  if (folder.empty() || !FolderExists(folder)) return std::nullopt;
  std::string out;
  // Where there are no short names, or the short form would not survive the
  // code page, the path as given still names the folder.
  if (!NarrowExact(ShortPathOf(Wide(folder)), out) || out.empty()) return folder;
  return out;
}

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  UniqueFile f(CreateFileW(Wide(path).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(f);
}

bool FolderExists(const std::string& path) {
  if (path.empty()) return false;
  DWORD a = GetFileAttributesW(Wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReadWholeFile(const std::string& path, std::string& out) {
  UniqueFile f(CreateFileW(Wide(path).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return false;
  out.clear();
  char buf[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(f.get(), buf, sizeof buf, &got, nullptr)) return false;
    if (got == 0) return true;
    out.append(buf, got);
  }
}

namespace {
std::wstring FolderOf(const std::wstring& path) {
  std::size_t cut = path.find_last_of(L"\\/");
  if (cut == std::wstring::npos) return L".";
  if (cut == 2 && path[1] == L':') return path.substr(0, 3);
  return path.substr(0, cut);
}

std::wstring InFolder(const std::wstring& folder, const std::wstring& name) {
  if (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) return folder + name;
  return folder + L"\\" + name;
}

// Temporary files are named "zel<writer's process id>_<number>.tmp", both
// in hexadecimal, so a later save can tell whose they are.
constexpr wchar_t kTempPrefix[] = L"zel";

// The process id in a temporary file's name; 0 when the name is not one of
// ours.
DWORD WriterOfTemp(const wchar_t* name) {
  const std::wstring n = name;
  const std::size_t prefix = wcslen(kTempPrefix);
  const std::size_t bar = n.find(L'_');
  if (n.size() < prefix + 7 || _wcsnicmp(n.c_str(), kTempPrefix, prefix) != 0 ||
      bar == std::wstring::npos || bar == prefix || bar > prefix + 8 ||
      _wcsicmp(n.c_str() + n.size() - 4, L".tmp") != 0)
    return 0;
  DWORD pid = 0;
  for (std::size_t i = prefix; i < bar; ++i) {
    const wchar_t c = n[i];
    const int digit = c >= L'0' && c <= L'9'   ? c - L'0'
                      : c >= L'A' && c <= L'F' ? c - L'A' + 10
                      : c >= L'a' && c <= L'f' ? c - L'a' + 10
                                               : -1;
    if (digit < 0) return 0;
    pid = pid * 16 + static_cast<DWORD>(digit);
  }
  return pid;
}

bool ProcessRunning(DWORD pid) {
  HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!h) return GetLastError() == ERROR_ACCESS_DENIED;  // there, but not ours to open
  const bool running = WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
  CloseHandle(h);
  return running;
}

// A save cut off (the program ended, the machine went down) leaves its
// temporary file behind; the next save in the folder removes those of
// writers that are no longer running. A running writer's file is never
// touched, so two programs saving side by side do not disturb each other.
void RemoveLeftoverTemps(const std::wstring& folder) {
  WIN32_FIND_DATAW fd;
  UniqueFind find(FindFirstFileExW(InFolder(folder, std::wstring(kTempPrefix) + L"*.tmp").c_str(),
                                   FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0));
  if (!find) return;
  const DWORD self = GetCurrentProcessId();
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const DWORD writer = WriterOfTemp(fd.cFileName);
    if (writer == 0 || writer == self || ProcessRunning(writer)) continue;
    DeleteFileW(InFolder(folder, fd.cFileName).c_str());  // in use or gone: left alone
  } while (FindNextFileW(find.get(), &fd));
}

// The bytes in a new temporary file of the folder, flushed; false (and no
// file left) on any failure.
bool WriteTempFile(const std::wstring& folder, const std::string& bytes, std::wstring& temp) {
  RemoveLeftoverTemps(folder);
  static LONG counter = 0;
  UniqueFile f;
  for (int attempt = 0; attempt < 100 && !f; ++attempt) {
    wchar_t name[64];
    swprintf(name, 64, L"%ls%lx_%lx.tmp", kTempPrefix,
             static_cast<unsigned long>(GetCurrentProcessId()),
             static_cast<unsigned long>(InterlockedIncrement(&counter)));
    temp = InFolder(folder, name);
    f.reset(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f && GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
      return false;
  }
  if (!f) return false;
  bool ok = true;
  std::size_t done = 0;
  while (ok && done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
    DWORD wrote = 0;
    ok = WriteFile(f.get(), bytes.data() + done, chunk, &wrote, nullptr) && wrote == chunk;
    done += wrote;
  }
  ok = ok && FlushFileBuffers(f.get());
  f.reset();
  if (!ok) DeleteFileW(temp.c_str());
  return ok;
}

// Moves the written temporary file to its name. Another program reading
// the target for a moment (a virus scanner, an indexer, an editor looking at
// "Varnik.ini") makes the move fail with a sharing error while it holds the
// file; the move is tried again for a short while so that such a glance
// does not make the save fail. A file held for longer still fails.
bool MoveIntoPlace(const std::wstring& temp, const std::wstring& target, DWORD flags) {
  constexpr int kTries = 20;
  constexpr DWORD kPauseMs = 25;
  for (int attempt = 1;; ++attempt) {
    if (MoveFileExW(temp.c_str(), target.c_str(), flags)) return true;
    const DWORD err = GetLastError();
    if ((err != ERROR_SHARING_VIOLATION && err != ERROR_ACCESS_DENIED &&
         err != ERROR_LOCK_VIOLATION) ||
        attempt == kTries) {
      SetLastError(err);
      return false;
    }
    Sleep(kPauseMs);
  }
}

}  // namespace

bool WriteFileAtomic(const std::string& path, const std::string& bytes) {
  std::wstring target = Wide(path);
  // A read-only file is one its owner chose to keep as it is. Windows
  // refuses to move another file over it, but Wine lets the move through
  // whenever the folder may be written to, so the refusal is made here, the
  // same on both.
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    return false;
  std::wstring temp;
  if (!WriteTempFile(FolderOf(target), bytes, temp)) return false;
  if (MoveIntoPlace(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DeleteFileW(temp.c_str());
  return false;
}

NewFileResult WriteNewFile(const std::string& path, const std::string& bytes) {
  std::wstring target = Wide(path);
  std::wstring temp;
  if (!WriteTempFile(FolderOf(target), bytes, temp)) return NewFileResult::kFailed;
  // Without MOVEFILE_REPLACE_EXISTING the move fails on an existing name,
  // so two writers can never take the same name.
  if (MoveIntoPlace(temp, target, MOVEFILE_WRITE_THROUGH)) return NewFileResult::kWritten;
  const DWORD err = GetLastError();
  DeleteFileW(temp.c_str());
  return err == ERROR_ALREADY_EXISTS || err == ERROR_FILE_EXISTS ? NewFileResult::kExists
                                                                 : NewFileResult::kFailed;
}

std::string ModuleFolder() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return CurrentFolder();
    if (n < buf.size()) {
      buf.resize(n);
      break;
    }
    buf.resize(buf.size() * 2);
  }
  std::size_t cut = buf.find_last_of(L'\\');
  return ProgramPathOf(cut == std::wstring::npos ? buf : buf.substr(0, cut));
}

std::string CurrentFolder() {
  DWORD n = GetCurrentDirectoryW(0, nullptr);
  std::wstring buf(n, L'\0');
  DWORD got = GetCurrentDirectoryW(n, buf.data());
  buf.resize(got < n ? got : 0);
  return ProgramPathOf(buf);
}

bool SetCurrentFolder(const std::string& folder) {
  std::string f = folder;
  if (f.size() == 2 && f[1] == ':') f += '\\';  // "C:" alone means the drive's root here
  return SetCurrentDirectoryW(Wide(f).c_str()) != 0;
}

namespace {

class HandleBytes : public ByteSource {
 public:
  explicit HandleBytes(UniqueFile f) : f_(std::move(f)) {}
  long long Read(char* buf, std::size_t n) override {
    DWORD got = 0;
    if (!ReadFile(f_.get(), buf, static_cast<DWORD>(n), &got, nullptr)) return -1;
    return got;
  }

 private:
  UniqueFile f_;
};

bool EndsWithNoCase(const std::wstring& name, const std::wstring& ext) {
  return name.size() >= ext.size() &&
         CompareStringOrdinal(name.c_str() + name.size() - ext.size(),
                              static_cast<int>(ext.size()), ext.c_str(),
                              static_cast<int>(ext.size()), TRUE) == CSTR_EQUAL;
}

// The name under which the listing gives a found file whose name ends with
// `ext`: its own name when code page 932 holds it exactly, else its short
// (8.3) name, which opens the same file. False when neither can name it.
bool ListedName(const std::wstring& folder, const std::wstring& name, const std::wstring& ext,
                std::string& out) {
  if (NarrowExact(name, out)) return true;
  // The basic enumeration leaves cAlternateFileName empty (that is what
  // makes it fast), so the short name is asked for by path, for these rare
  // names only.
  std::wstring short_path = ShortPathOf(folder.empty() ? name : folder + L"\\" + name);
  std::size_t cut = short_path.find_last_of(L"\\/");
  std::wstring short_name = cut == std::wstring::npos ? short_path : short_path.substr(cut + 1);
  if (short_name.empty() || short_name == name) return false;
  // The short name must carry the extension too: the rest of the program
  // tells a batch from an environment file by it.
  return EndsWithNoCase(short_name, ext) && NarrowExact(short_name, out);
}

}  // namespace

namespace {

// A file time as the list shows it: in local time.
bool LocalTimeOf(const FILETIME& utc, LocalTime& out) {
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return false;
  out = {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
  return true;
}

}  // namespace

bool Win32FileSystem::ListFiles(const std::string& search, std::vector<DirEntry>& out) {
  // Windows also matches "*.bat" against 8.3 names, so "a.batch" would come
  // back; the long name must end with the extension itself.
  std::wstring wsearch = Wide(search);
  std::size_t star = wsearch.rfind(L"\\*");
  std::wstring ext = star == std::wstring::npos ? L"" : wsearch.substr(star + 2);
  std::wstring folder = star == std::wstring::npos ? L"" : wsearch.substr(0, star);
  listed_folder_ = folder;
  // "c:" alone would name the drive's current folder, not its root.
  const bool drive_only = folder.size() == 2 && folder[1] == L':';
  long_folder_ = folder.empty() || drive_only ? std::wstring() : LongPathForm(folder);
  WIN32_FIND_DATAW fd;
  UniqueFind find(FindFirstFileExW(wsearch.c_str(), FindExInfoBasic, &fd,
                                   FindExSearchNameMatch, nullptr, 0));
  if (!find) {
    DWORD err = GetLastError();
    // No matching file is an empty folder, not a failure.
    return err == ERROR_FILE_NOT_FOUND || err == ERROR_NO_MORE_FILES;
  }
  do {
    const DWORD skip = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                       FILE_ATTRIBUTE_SYSTEM;
    if (fd.dwFileAttributes & skip) continue;
    const std::wstring name = fd.cFileName;
    if (!EndsWithNoCase(name, ext)) continue;
    // A name code page 932 cannot hold is listed by its short name, and
    // skipped when it has none; it never ends the listing.
    std::string listed;
    if (!ListedName(folder, name, ext, listed)) continue;
    std::uint64_t size = (static_cast<std::uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    DirEntry entry{std::move(listed), true, size};
    entry.time_known = LocalTimeOf(fd.ftLastWriteTime, entry.modified);
    out.push_back(std::move(entry));
  } while (FindNextFileW(find.get(), &fd));
  return true;
}

std::wstring Win32FileSystem::OpeningPath(const std::string& path) const {
  std::wstring w = Wide(path);
  // Only a file directly in the listed folder, named as the listing named
  // the folder; anything else is opened as given.
  const std::size_t n = listed_folder_.size();
  if (long_folder_.empty() || w.size() <= n + 1 || w.compare(0, n, listed_folder_) != 0 ||
      w[n] != L'\\' || w.find(L'\\', n + 1) != std::wstring::npos)
    return w;
  return long_folder_ + w.substr(n);
}

std::unique_ptr<ByteSource> Win32FileSystem::OpenBytes(const std::string& path) {
  UniqueFile f(CreateFileW(OpeningPath(path).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!f) return nullptr;
  return std::make_unique<HandleBytes>(std::move(f));
}

std::unique_ptr<OpenedFile> Win32FileSystem::OpenRead(const std::string& path) {
  UniqueFile f(CreateFileW(OpeningPath(path).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!f) return nullptr;
  // Size and time only: GetFileInformationByHandle would also fetch the
  // volume's serial number, which costs Wine milliseconds per file and made
  // the listing of 300 batches the slowest part of every start.
  LARGE_INTEGER size;
  FILETIME written;
  if (!GetFileSizeEx(f.get(), &size) || !GetFileTime(f.get(), nullptr, nullptr, &written))
    return nullptr;
  auto file = std::make_unique<OpenedFile>();
  file->size = static_cast<std::uint64_t>(size.QuadPart);
  LocalTimeOf(written, file->modified);
  file->bytes = std::make_unique<HandleBytes>(std::move(f));
  return file;
}

}  // namespace zel

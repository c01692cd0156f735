#include "platform/file_ops.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "platform/files.h"
#include "platform/handles.h"
#include "platform/wstr.h"

namespace zel {

namespace {

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool EqualIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

RenameResult RenameError(DWORD err) {
  switch (err) {
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return RenameResult::kTargetExists;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_ACCESS_DENIED:
      return RenameResult::kInUse;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return RenameResult::kNotFound;
  }
  return RenameResult::kFailed;
}

// A change of letter case alone: through a temporary name in the same
// folder, and back to the old name when the second step fails.
bool RenameThroughTemporaryName(const std::wstring& from, const std::wstring& to, DWORD& err) {
  const std::wstring folder = from.substr(0, from.find_last_of(L'\\') + 1);
  for (unsigned n = 0; n < 100; ++n) {
    const std::wstring temp = folder + L"~zelren" + std::to_wstring(GetCurrentProcessId()) +
                              L"_" + std::to_wstring(n) + L".tmp";
    if (!MoveFileExW(from.c_str(), temp.c_str(), 0)) {
      err = GetLastError();
      if (err == ERROR_ALREADY_EXISTS || err == ERROR_FILE_EXISTS) continue;
      return false;
    }
    if (MoveFileExW(temp.c_str(), to.c_str(), 0)) return true;
    err = GetLastError();
    MoveFileExW(temp.c_str(), from.c_str(), 0);
    return false;
  }
  return false;
}

}  // namespace

std::wstring LongPathOf(const std::string& path) {
  const std::wstring w = Wide(path);
  if (std::wstring long_form = LongPathForm(w); !long_form.empty()) return long_form;
  // A file that is not there yet (the editor may create it): its folder
  // written out, its name as given.
  const std::size_t cut = w.find_last_of(L'\\');
  if (cut == std::wstring::npos || cut == 0) return w;
  const std::wstring folder = LongPathForm(w.substr(0, cut));
  return folder.empty() ? w : folder + w.substr(cut);
}

RenameResult RenameFileNoReplace(const std::string& from, const std::string& to,
                                 unsigned long* error) {
  const std::wstring wfrom = Wide(from), wto = Wide(to);
  if (wfrom == wto) return Exists(wfrom) ? RenameResult::kRenamed : RenameResult::kNotFound;
  DWORD err = ERROR_SUCCESS;
  bool done;
  if (EqualIgnoringCase(wfrom, wto)) {
    done = RenameThroughTemporaryName(wfrom, wto, err);
  } else {
    // Without MOVEFILE_REPLACE_EXISTING an existing file of the new name
    // makes the move fail; it is never replaced.
    done = MoveFileExW(wfrom.c_str(), wto.c_str(), 0) != 0;
    if (!done) err = GetLastError();
  }
  if (done) return RenameResult::kRenamed;
  if (error) *error = err;
  return RenameError(err);
}

RecycleResult MoveToRecycleBin(const std::string& path, unsigned long* error) {
  std::wstring w = Wide(path);
  wchar_t full[MAX_PATH * 4];
  const DWORD n = GetFullPathNameW(w.c_str(), MAX_PATH * 4, full, nullptr);
  if (n > 0 && n < MAX_PATH * 4) w.assign(full, n);

  const DWORD attributes = GetFileAttributesW(w.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD err = GetLastError();
    if (error) *error = err;
    return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND ? RecycleResult::kNotFound
                                                                       : RecycleResult::kFailed;
  }
  // The shell would take a read-only file too once told not to ask.
  if (attributes & FILE_ATTRIBUTE_READONLY) return RecycleResult::kReadOnly;
  {
    // A file another program holds without sharing its deletion cannot go;
    // asking first keeps the shell from half-trying.
    UniqueFile probe(CreateFileW(w.c_str(), DELETE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe) {
      const DWORD err = GetLastError();
      if (error) *error = err;
      if (err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION) return RecycleResult::kInUse;
      if (err == ERROR_ACCESS_DENIED) return RecycleResult::kFailed;
    }
  }

  std::wstring from = w;
  from.push_back(L'\0');  // the list of names ends with an empty one
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
  const int result = SHFileOperationW(&op);
  // What counts is whether the file left its folder: the shell's codes are
  // its own, and an operation it reports as aborted may have gone through.
  if (!Exists(w)) return RecycleResult::kRemoved;
  if (error) *error = static_cast<unsigned long>(result);
  return result == ERROR_SHARING_VIOLATION ? RecycleResult::kInUse : RecycleResult::kFailed;
}

bool StartRetryingLostStart(const std::function<bool()>& attempt, unsigned pause_ms) {
  if (attempt()) return true;
  if (GetLastError() != ERROR_INTERNAL_ERROR) return false;
  Sleep(pause_ms);
  return attempt();
}

bool StartProcess(const wchar_t* application, std::wstring& command_line, const wchar_t* folder,
                  WORD show, PROCESS_INFORMATION& pi) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = show;
  return StartRetryingLostStart([&] {
    pi = PROCESS_INFORMATION{};
    return CreateProcessW(application, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder, &si, &pi) != 0;
  });
}

StartResult StartWithFile(const std::string& command, const std::wstring& file,
                          const std::string& folder, unsigned long* error) {
  std::wstring line = Wide(command) + L" \"" + file + L"\"";
  PROCESS_INFORMATION pi{};
  const std::wstring wfolder = Wide(folder);
  const DWORD folder_attributes = folder.empty() ? INVALID_FILE_ATTRIBUTES
                                                 : GetFileAttributesW(wfolder.c_str());
  const bool folder_usable = folder_attributes != INVALID_FILE_ATTRIBUTES &&
                             (folder_attributes & FILE_ATTRIBUTE_DIRECTORY);
  if (!StartProcess(nullptr, line, folder_usable ? wfolder.c_str() : nullptr, SW_SHOWNORMAL, pi)) {
    const DWORD err = GetLastError();
    if (error) *error = err;
    switch (err) {
      case ERROR_FILE_NOT_FOUND:
      case ERROR_PATH_NOT_FOUND:
      case ERROR_INVALID_PARAMETER:
      case ERROR_INVALID_NAME:
      case ERROR_BAD_EXE_FORMAT:
      case ERROR_BAD_PATHNAME:
      case ERROR_DIRECTORY:
      case ERROR_ACCESS_DENIED:  // a folder, or a file that is no program
        return StartResult::kBadCommand;
    }
    return StartResult::kFailed;
  }
  // The editor is the user's next window: let it take the front.
  AllowSetForegroundWindow(pi.dwProcessId);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return StartResult::kStarted;
}

std::wstring SystemErrorText(unsigned long error) {
  wchar_t* buf = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
  std::wstring text = n && buf ? std::wstring(buf, n) : std::wstring();
  if (buf) LocalFree(buf);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
    text.pop_back();
  if (text.empty()) text = L"Error " + std::to_wstring(error);
  return text;
}

}  // namespace zel

// File-system operations over Win32 with code page 932 paths.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/filelist.h"

namespace zel {

// The short (8.3) form of an existing folder; the path unchanged where the
// file system keeps no short names. Nothing when the folder does not exist.
std::optional<std::string> ShortFolderPath(const std::string& folder);

// The long form Windows gives for an existing path; empty when it gives
// none.
std::wstring LongPathForm(const std::wstring& path);

// A command line's arguments in code page 932. A word code page 932 cannot
// hold (a folder named in another script) becomes the short form of the
// path it names, which names the same folder in characters it can, in
// quotes where it holds a blank; every other word, and every blank between
// words, passes as it is.
std::string ProgramArguments(std::wstring_view arguments);

// True when the file can be opened for reading. A folder, a file another
// program holds locked, a missing drive and an empty path give false.
bool FileExists(const std::string& path);

bool FolderExists(const std::string& path);

// The whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& out);

// Writes the file whole: to a temporary file in the same folder, flushed,
// then put in place with one replace. On any failure the old file stays as
// it was and the temporary file is removed. A read-only file is never
// replaced.
bool WriteFileAtomic(const std::string& path, const std::string& bytes);

// Writes a file that must not exist yet, whole, the way WriteFileAtomic
// does; an existing file of that name is never replaced.
enum class NewFileResult { kWritten, kExists, kFailed };
NewFileResult WriteNewFile(const std::string& path, const std::string& bytes);

// The folder of the running program file, without a final "\". Here and in
// CurrentFolder, a folder whose long path code page 932 cannot hold is given
// in its short form.
std::string ModuleFolder();

std::string CurrentFolder();
// Makes the folder (and so its drive) the process's working folder.
bool SetCurrentFolder(const std::string& folder);

// The listing's file system over Win32: ordinary files only (no folders,
// hidden or system files), names in code page 932. A name that code page 932
// cannot hold exactly is given as its short (8.3) name, which opens the same
// file, or left out when the file has no short name.
//
// The files of the folder last listed are opened through the folder's long
// form, worked out once per listing: the program names folders by their
// upper-case short form, and under Wine every such name is looked up again
// by reading its parent folder at each opening (a listing of 300 files read
// the folder 300 times).
class Win32FileSystem : public FileSystem {
 public:
  bool ListFiles(const std::string& search, std::vector<DirEntry>& out) override;
  std::unique_ptr<OpenedFile> OpenRead(const std::string& path) override;
  std::unique_ptr<ByteSource> OpenBytes(const std::string& path) override;

 private:
  std::wstring OpeningPath(const std::string& path) const;

  std::wstring listed_folder_;  // as the search gave it, without the last "\"
  std::wstring long_folder_;    // its long form; empty when Windows gave none
};

}  // namespace zel

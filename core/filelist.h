// The rows of the file list: which files of a folder are shown, and with what
// title and date.
//
// A Jw_cad external-transformation batch is a .bat file with "#jw" (any case)
// within the first 10 characters of some line after the first; its title is
// the first line without a leading "rem"/"echo" and a trailing "*".
// Environment (.jwf) and layer (.jwl) files are titled by their first line
// as it stands.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/linereader.h"

namespace zel {

// Filter index: the entries of the file-type box.
enum FilterIndex : int { kFilterBatch = 0, kFilterJwf = 1, kFilterJwl = 2 };

// The file pattern of a filter index: "*.bat", "*.jwf", "*.jwl".
std::string FilterPattern(int filter_index);

// A local time. The list shows it to the minute; the seconds order the
// rows by date.
struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
// "yyyy/mm/dd hh:nn".
std::string FormatListDate(const LocalTime& t);

// The folder a file system enumerates, as "folder\pattern" with exactly one
// "\" between them (a drive root held as "C:" or "C:\" gives "C:\*.bat").
std::string ListSpec(const std::string& folder, const std::string& pattern);

// Folder + "\" + name, with a trailing "\" of the folder dropped first.
std::string JoinPath(const std::string& folder, const std::string& name);

// One ordinary file found by an enumeration.
struct DirEntry {
  std::string name;  // cp932, without folder
  // The enumeration's size when it gives one for free (Windows does); a
  // zero-length file is then skipped without being opened.
  bool size_known = true;
  std::uint64_t size = 0;
  // The enumeration's modification time (local), when it gives one for
  // free (Windows does): the file is then only opened for its bytes.
  bool time_known = false;
  LocalTime modified;
};

// An opened file: its bytes, size and modification time (local).
struct OpenedFile {
  std::unique_ptr<ByteSource> bytes;
  std::uint64_t size = 0;
  LocalTime modified;
};

// What the listing needs of the file system. Windows and the native tests
// each provide one.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // The ordinary files (no folders, no hidden or system files) that match
  // search ("folder\*.ext", case-insensitive), in the system's order.
  // False when the folder cannot be enumerated.
  virtual bool ListFiles(const std::string& search,
                         std::vector<DirEntry>& out) = 0;
  // Opens a file for reading; null when it cannot be opened.
  virtual std::unique_ptr<OpenedFile> OpenRead(const std::string& path) = 0;
  // Only the bytes, for a file whose size and time the enumeration gave:
  // asking an open file for them costs Wine a round trip each, and a start
  // lists 300 batches.
  virtual std::unique_ptr<ByteSource> OpenBytes(const std::string& path) {
    std::unique_ptr<OpenedFile> f = OpenRead(path);
    return f ? std::move(f->bytes) : nullptr;
  }
};

// A batch's title from its first line: " " + the line without its "rem" or
// "echo" prefix and without a trailing "*".
std::string BatchTitle(const std::string& first_line);

// True when "#jw" in any letter case stands wholly within the first 10
// characters of the line.
bool HasJwMarker(const std::string& line);

struct FileRow {
  std::string title;  // cp932
  std::string name;   // cp932
  std::string date;   // "yyyy/mm/dd hh:nn"
  LocalTime modified;  // the time the date shows, for ordering by date
};

constexpr std::size_t kMaxListRows = 300;

struct FileListing {
  std::vector<FileRow> rows;
  // True when the listing stopped early: a file could not be opened or read,
  // or a 301st row was due. The rows found before stay.
  bool stopped = false;
};

// The rows for `folder` and `filter_index`, in enumeration order.
FileListing BuildFileList(FileSystem& fs, const std::string& folder,
                          int filter_index);

}  // namespace zel

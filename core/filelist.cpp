#include "core/filelist.h"

#include <cstdio>

#include "core/pattern.h"
#include "core/text.h"

namespace zel {

std::string FilterPattern(int filter_index) {
  switch (filter_index) {
    case kFilterJwf: return "*.jwf";
    case kFilterJwl: return "*.jwl";
    default: return "*.bat";
  }
}

std::string FormatListDate(const LocalTime& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d", t.year, t.month,
                t.day, t.hour, t.minute);
  return buf;
}

std::string ListSpec(const std::string& folder, const std::string& pattern) {
  return WithoutTrailingBackslash(folder) + "\\" + pattern;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  return WithoutTrailingBackslash(folder) + "\\" + name;
}

std::string BatchTitle(const std::string& first_line) {
  std::string title = Replace("s/^[\\@ ]?(echo|rem) +//ikg", first_line);
  return Replace("s/ *\\* *$//ikg", " " + title);
}

bool HasJwMarker(const std::string& line) {
  return Match("/#jw/i", LeftChars(line, 10)) == "1";
}

namespace {

// Ten characters take at most 20 bytes; reading a line start needs no more.
constexpr std::size_t kMarkerBytes = 20;

enum class BatchScan { kListed, kNotJw, kFailed };

BatchScan ScanBatch(ByteSource& bytes, std::string& title) {
  LineReader reader(bytes);
  std::string first;
  if (!reader.ReadLine(first)) return reader.Failed() ? BatchScan::kFailed : BatchScan::kNotJw;
  std::string start;
  while (reader.ReadLinePrefix(start, kMarkerBytes)) {
    if (HasJwMarker(start)) {
      title = BatchTitle(first);
      return BatchScan::kListed;
    }
  }
  return reader.Failed() ? BatchScan::kFailed : BatchScan::kNotJw;
}

}  // namespace

FileListing BuildFileList(FileSystem& fs, const std::string& folder,
                          int filter_index) {
  FileListing result;
  std::vector<DirEntry> entries;
  if (!fs.ListFiles(ListSpec(folder, FilterPattern(filter_index)), entries)) {
    result.stopped = true;
    return result;
  }
  for (const DirEntry& entry : entries) {
    if (entry.size_known && entry.size == 0) continue;  // never opened, never listed
    if (result.rows.size() == kMaxListRows) {
      // The list holds 300 rows; a further candidate ends the listing.
      result.stopped = true;
      break;
    }
    const std::string path = JoinPath(folder, entry.name);
    std::unique_ptr<ByteSource> bytes;
    FileRow row;
    row.name = entry.name;
    if (entry.size_known && entry.time_known) {
      bytes = fs.OpenBytes(path);
      row.modified = entry.modified;
    } else if (std::unique_ptr<OpenedFile> file = fs.OpenRead(path)) {
      if (file->size == 0) continue;  // emptied since the enumeration
      bytes = std::move(file->bytes);
      row.modified = file->modified;
    }
    if (!bytes) {
      // Locked, removed or denied: the files after it are not listed.
      result.stopped = true;
      break;
    }
    row.date = FormatListDate(row.modified);
    if (filter_index == kFilterBatch) {
      BatchScan scan = ScanBatch(*bytes, row.title);
      if (scan == BatchScan::kFailed) {
        result.stopped = true;
        break;
      }
      if (scan == BatchScan::kNotJw) continue;
    } else {
      LineReader reader(*bytes);
      if (!reader.ReadLine(row.title)) {
        if (reader.Failed()) {
          result.stopped = true;
          break;
        }
        continue;  // emptied since the enumeration: not a single line
      }
    }
    result.rows.push_back(std::move(row));
  }
  return result;
}

}  // namespace zel

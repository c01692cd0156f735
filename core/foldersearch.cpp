#include "core/foldersearch.h"

#include <algorithm>
#include <cstring>

#include "core/text.h"

namespace zel {

bool NameHasWhiteSpace(std::string_view name) {
  // A blank, tab, LF, VT, FF or CR is never the trail byte of a double-byte
  // character, so every such byte is white space of its own.
  for (const char c : name)
    if (c == ' ' || (c >= '\t' && c <= '\r')) return true;
  return false;
}

bool MarkerInFirstTenChars(std::string_view line) {
  std::size_t end = 0;
  for (int c = 0; c < 10 && end < line.size(); ++c) end += CharLenAt(line, end);
  // "#" is never the trail byte of a double-byte character, and "j" and "w"
  // never begin one, so the marker is these three bytes in a row, the
  // letters in either case.
  for (std::size_t i = 0; i + 3 <= end; ++i) {
    if (line[i] == '#' && (line[i + 1] | 0x20) == 'j' && (line[i + 2] | 0x20) == 'w')
      return true;
  }
  return false;
}

BatchVerdict ScanBatchForMarker(ByteSource& bytes, std::vector<char>& buffer,
                                SearchObserver* observer) {
  // Ten characters take at most 20 bytes: the rest of a line is passed over.
  constexpr std::size_t kPrefix = 20;
  if (buffer.size() < 4096) buffer.resize(64 * 1024);
  char prefix[kPrefix];
  std::size_t have = 0;
  for (;;) {
    if (observer && observer->Cancelled()) return BatchVerdict::kCancelled;
    const long long n = bytes.Read(buffer.data(), buffer.size());
    if (n < 0) return BatchVerdict::kReadFailed;
    if (n == 0) break;
    const char* p = buffer.data();
    const char* const end = p + n;
    // Most batches without the marker hold no "#" at all: lines that hold
    // none are passed over at the speed of a search for the byte.
    const char* hash = static_cast<const char*>(std::memchr(p, '#', static_cast<std::size_t>(n)));
    while (p < end) {
      if (have == 0) {  // at the start of a line
        if (hash && hash < p)
          hash = static_cast<const char*>(std::memchr(p, '#', static_cast<std::size_t>(end - p)));
        if (!hash) {
          // No whole line from here on holds the marker: on to the last
          // line, which goes on in the next read.
          const char* q = end;
          while (q > p && q[-1] != '\r' && q[-1] != '\n') --q;
          p = q;
          if (p == end) break;
        }
      }
      const char* const start = p;
      while (p < end) {
        // Nearly every byte is above CR, so one comparison passes it.
        const auto c = static_cast<unsigned char>(*p);
        if (c <= '\r' && (c == '\r' || c == '\n')) break;
        ++p;
      }
      const std::size_t take = std::min<std::size_t>(static_cast<std::size_t>(p - start),
                                                     kPrefix - have);
      std::memcpy(prefix + have, start, take);
      have += take;
      if (p == end) break;  // the line goes on in the next read
      // An LF after a CR makes an empty line here, which holds no marker.
      if (MarkerInFirstTenChars({prefix, have})) return BatchVerdict::kQualifies;
      have = 0;
      ++p;
    }
  }
  return have > 0 && MarkerInFirstTenChars({prefix, have}) ? BatchVerdict::kQualifies
                                                           : BatchVerdict::kNoMarker;
}

SearchSummary SearchFolders(FolderSource& fs, const std::string& start, int filter_index,
                            SearchObserver& observer) {
  SearchSummary sum;
  const std::string extension = RightChars(FilterPattern(filter_index), 4);  // ".bat"
  const bool batches = filter_index == kFilterBatch;
  std::vector<char> buffer;
  std::vector<FolderEntry> folders;
  std::vector<DirEntry> files;
  // Folders still to visit; each folder's sub-folders go on in reverse, so
  // they come off in the file system's order, depth first.
  std::vector<std::string> pending{WithoutTrailingBackslash(start) + "\\"};
  while (!pending.empty()) {
    if (observer.Cancelled()) {
      sum.end = SearchEnd::kCancelled;
      return sum;
    }
    const std::string folder = std::move(pending.back());
    pending.pop_back();
    observer.Reading(folder, sum.folders_read, sum.folders_found);
    folders.clear();
    files.clear();
    const ListResult listed = fs.ListFolder(folder, extension, folders, files);
    if (listed == ListResult::kNotReady) {
      sum.end = SearchEnd::kNotReady;
      return sum;
    }
    if (listed != ListResult::kOk) continue;  // unreadable: passed over with its subtree
    ++sum.folders_read;

    for (const DirEntry& file : files) {
      if (batches) {
        if (observer.Cancelled()) {
          sum.end = SearchEnd::kCancelled;
          return sum;
        }
        if (file.size_known && file.size == 0) continue;  // no line at all
        const std::string path = folder + file.name;
        observer.Reading(path, sum.folders_read, sum.folders_found);
        std::unique_ptr<ByteSource> bytes = fs.OpenRead(path);
        if (!bytes) continue;  // locked or denied: the next file may still qualify
        const BatchVerdict verdict = ScanBatchForMarker(*bytes, buffer, &observer);
        if (verdict == BatchVerdict::kCancelled) {
          sum.end = SearchEnd::kCancelled;
          return sum;
        }
        if (verdict != BatchVerdict::kQualifies) continue;
      }
      ++sum.folders_found;
      observer.Found(folder);
      break;  // the folder's other files are never opened
    }

    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
      if (it->hidden || NameHasWhiteSpace(it->name)) continue;
      pending.push_back(folder + it->name + "\\");
    }
  }
  return sum;
}

}  // namespace zel

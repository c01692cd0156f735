// The folder search: which folders below a start folder hold files of the
// selected type.
//
// The search walks the start folder's subtree depth first, in the order the
// file system gives the folders, and passes over (with everything below
// them) folders whose name holds white space and hidden folders. A folder
// qualifies at its first file that does:
//  - a batch ("*.bat") at its first line whose first 10 characters hold
//    "#jw" in any letter case (line 1 counts too); a batch without such a
//    line is read to its end and does not qualify;
//  - an environment or layer file as soon as the listing gives it.
// Once a folder qualifies its further files are never opened.
//
// Each folder is enumerated once, for its sub-folders and its files of the
// type together, and qualifying folders are reported in the order of the
// walk as soon as they are known, so a search stopped part way keeps what it
// found.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/filelist.h"
#include "core/linereader.h"

namespace zel {

struct FolderEntry {
  std::string name;  // cp932, without its folder
  bool hidden = false;
};

enum class ListResult {
  kOk,
  kUnreadable,  // denied, gone, or some other failure: the folder is passed over
  kNotReady,    // the drive is not ready (an empty card reader, a lost network drive)
};

// What the search needs of the file system.
class FolderSource {
 public:
  virtual ~FolderSource() = default;
  // One enumeration of `folder` (a path ending in "\"): its sub-folders
  // (without "." and "..") and its ordinary files (no hidden or system
  // files) whose names end with `extension` (".bat"), letter case ignored,
  // each in the order the file system gives them.
  virtual ListResult ListFolder(const std::string& folder, const std::string& extension,
                                std::vector<FolderEntry>& folders,
                                std::vector<DirEntry>& files) = 0;
  // Opens a file for reading; null when it cannot be opened.
  virtual std::unique_ptr<ByteSource> OpenRead(const std::string& path) = 0;
  // Called from another thread when the search is to stop: a source that
  // can be kept waiting (a slow device) gives up its wait. The search
  // itself stops at its next step either way.
  virtual void Abort() {}
};

// What the search reports while it runs; called on the searching thread.
class SearchObserver {
 public:
  virtual ~SearchObserver() = default;
  // Checked before each folder and each file: true ends the search.
  virtual bool Cancelled() = 0;
  // The folder, or folder and file name, being read now, with the folders
  // read and found so far.
  virtual void Reading(const std::string& path, std::size_t folders_read,
                       std::size_t folders_found) = 0;
  // A qualifying folder, as its full path with a final "\".
  virtual void Found(const std::string& folder) = 0;
};

enum class SearchEnd { kFinished, kCancelled, kNotReady };

struct SearchSummary {
  SearchEnd end = SearchEnd::kFinished;
  std::size_t folders_read = 0;
  std::size_t folders_found = 0;
};

// Searches below `start` (a final "\" is added when missing) for folders
// that qualify for the filter index. The start folder itself counts too.
SearchSummary SearchFolders(FolderSource& fs, const std::string& start, int filter_index,
                            SearchObserver& observer);

// True when the folder name holds white space as the pattern "/\s/i" sees
// it (blank, tab, line ends, form feed, vertical tab); the same answer
// without the pattern machinery, for a search that meets 20,000 folders.
bool NameHasWhiteSpace(std::string_view name);

// True when "#jw" in any letter case stands wholly within the first 10
// characters of the line; the same answer as HasJwMarker, without the
// pattern machinery, for a search that reads thousands of batches.
bool MarkerInFirstTenChars(std::string_view line);

enum class BatchVerdict { kQualifies, kNoMarker, kReadFailed, kCancelled };

// Reads the batch line by line (CR LF, CR and LF end a line) up to its
// first line with the marker. `buffer` is scratch space the caller keeps
// between files; `observer`, when given, can end a long read.
BatchVerdict ScanBatchForMarker(ByteSource& bytes, std::vector<char>& buffer,
                                SearchObserver* observer = nullptr);

}  // namespace zel

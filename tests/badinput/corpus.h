// The bad-input corpus: files such as users really have lying about in
// their folders (binary files, broken Shift-JIS, UTF-8, megabyte lines,
// tens of thousands of lines, odd line ends, names cmd treats specially,
// read-only files), each with what the program's readers are documented to
// make of it. The big files are generated when a test writes the corpus, so
// the repository holds only this description.
//
// Every content is written three times, as "<stem>.bat", "<stem>.jwf" and
// "<stem>.jwl", so each input reaches the readers of all three file types.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/support/tempdir.h"

namespace zel::test {

// How an analysis of the file ends in one display mode.
enum class Outcome { kShown, kTooManyWords, kTooManyLines, kUnreadable };

struct CorpusFile {
  std::string stem;   // code page 932, the file name without its extension
  std::string bytes;  // the content, as it is on disk
  // As a batch in the list: the marker "#jw" within the first 10
  // characters of a line after the first.
  bool listed = false;
  std::string title;  // the list's title, when listed
  // As a batch for the folder search: the marker on any line, the first one
  // included.
  bool qualifies = false;
  // The batch analysis in the filtered and in the all-lines mode, and the
  // engine it names.
  Outcome filtered = Outcome::kShown;
  Outcome all = Outcome::kShown;
  std::string engine = "?";
  // The analysis of the same bytes as an environment or layer file.
  Outcome settings_filtered = Outcome::kShown;
  Outcome settings_all = Outcome::kShown;
  bool read_only = false;
  // A batch whose lines cmd runs quickly and that leaves "RAN-<tag>-end"
  // (and "SELF-<tag>-end" when "%0" names it) in "JWC_TEMP.TXT".
  std::string run_tag;
};

// The corpus, built once.
const std::vector<CorpusFile>& Corpus();
const CorpusFile& CorpusEntry(const std::string& stem);

// Sub-folders of the corpus folder, each with one qualifying batch "中.bat"
// and an environment file "中.jwf": one whose name holds "&", "%", "^" and
// 0x5C trail bytes (the folder search reads it), a folder "能" inside it
// (a name that ends in a 0x5C trail byte), and one whose name holds blanks
// (the folder search passes it over, as it passes over "Program Files").
std::string SearchedFolderName();  // "表ソ能&100%^"
std::string BlankFolderName();     // "R & D"

// The first line of a byte string: up to the first CR or LF.
std::string FirstLine(const std::string& bytes);

// The corpus in a temporary folder of its own. Read-only files are made
// writable again before the folder goes, so it can be removed.
class CorpusDir {
 public:
  // `name` is the corpus folder's name in code page 932.
  explicit CorpusDir(const std::string& name = "corpus");
  ~CorpusDir();
  CorpusDir(const CorpusDir&) = delete;
  CorpusDir& operator=(const CorpusDir&) = delete;

  const std::filesystem::path& root() const { return root_; }  // the temporary folder
  const std::filesystem::path& folder() const { return folder_; }  // the corpus in it
  std::filesystem::path File(const std::string& stem, const char* ext) const;

 private:
  TempDir dir_;
  std::filesystem::path root_, folder_;
};

// Makes a file read-only or writable again (the read-only attribute on
// Windows, the write permissions natively).
void SetReadOnly(const std::filesystem::path& p, bool read_only);
bool IsReadOnly(const std::filesystem::path& p);

// What a folder holds, file by file: the bytes, the modification time and
// whether the file is read-only. Taken before and after a test's steps, it
// shows every file that changed, appeared or went.
struct FileState {
  std::string bytes;
  std::filesystem::file_time_type time;
  bool read_only = false;
  bool operator==(const FileState&) const = default;
};
using FolderSnapshot = std::map<std::filesystem::path, FileState>;  // relative paths
FolderSnapshot Snapshot(const std::filesystem::path& folder);

// The files that differ between two snapshots, apart from `allowed` (paths
// relative to the folder), one line each; empty when none does.
std::string Differences(const FolderSnapshot& before, const FolderSnapshot& after,
                        const std::set<std::filesystem::path>& allowed = {});

}  // namespace zel::test

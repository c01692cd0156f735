// The listing's file system over the standard library, for native tests and
// benchmarks. Paths are cp932 with "\" separators as the program forms them;
// natively each separator "\" (never a trail byte) becomes "/".
#pragma once

#include "core/filelist.h"
#include "core/foldersearch.h"

namespace zel::test {

class StdFileSystem : public FileSystem {
 public:
  bool ListFiles(const std::string& search, std::vector<DirEntry>& out) override;
  std::unique_ptr<OpenedFile> OpenRead(const std::string& path) override;
};

// The folder search's file system over the standard library. Natively a
// name that starts with "." is hidden, as it is for Wine too; on Windows the
// hidden attribute counts.
class StdFolderSource : public FolderSource {
 public:
  ListResult ListFolder(const std::string& folder, const std::string& extension,
                        std::vector<FolderEntry>& folders, std::vector<DirEntry>& files) override;
  std::unique_ptr<ByteSource> OpenRead(const std::string& path) override;
};

// "\" separators to the native ones, character-aware.
std::string NativePath(const std::string& program_path);

}  // namespace zel::test

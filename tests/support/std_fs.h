// The listing's file system over the standard library, for native tests and
// benchmarks. Paths are cp932 with "\" separators as the program forms them;
// natively each separator "\" (never a trail byte) becomes "/".
#pragma once

#include "core/filelist.h"

namespace zel::test {

class StdFileSystem : public FileSystem {
 public:
  bool ListFiles(const std::string& search, std::vector<DirEntry>& out) override;
  std::unique_ptr<OpenedFile> OpenRead(const std::string& path) override;
};

// "\" separators to the native ones, character-aware.
std::string NativePath(const std::string& program_path);

}  // namespace zel::test

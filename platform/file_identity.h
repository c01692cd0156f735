// Whether two paths name the same file. The program's paths reach the same
// file by different names (a short 8.3 folder from the command line, the
// long form the user typed, another letter case), so names cannot be
// compared.
#pragma once

#include <string>

namespace zel {

// True when both paths exist and are the one file (the same volume and file
// index; where the file system reports no index, the same full long path,
// letter case ignored).
bool SameFile(const std::string& a, const std::string& b);

// Removes a file. True when it is gone afterwards (also when it was not
// there).
bool RemoveFileIfPresent(const std::string& path);

}  // namespace zel

// The folder tree's model and its cache file.
//
// The tree shows one drive and, below it, the folders known to hold files of
// one type, with the folders on the way down to them. Every folder node has
// a key: the folder's short (8.3) path in upper case, so c:\jww\x and
// C:\JWW\X are one node. Keys come from the file system (a function the
// caller gives), so the model itself never touches a disk.
//
// The cache file holds the tree between runs: one line per leaf node, the
// node's path of texts ("c:\JWW\GAIHEN"), in the order the nodes were added,
// code page 932 with CR LF. Inner nodes follow from their leaves.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zel {

// The key of the existing folder `name` in the folder whose key is
// `parent_key` (the drive node's key, "c:", for a folder at the root);
// nothing when there is no such folder (or it cannot be reached). The key
// is that of the path parent_key + "\" + name.
using FolderKeyFunction =
    std::function<std::optional<std::string>(const std::string& parent_key, const std::string& name)>;

struct FolderNode {
  std::string key;   // the drive node's as the drive list gives it ("c:")
  std::string text;  // the folder's own name; the drive node's is its key
  int parent = -1;   // -1 for the drive node
  int children = 0;  // live children
  bool removed = false;
};

class FolderTree {
 public:
  // Empties the tree and makes the drive node, node 0.
  void Reset(const std::string& drive);

  // Adds the folders of `path` below the drive node, creating the missing
  // ones. The path's first part (its drive) is not looked at: the drive
  // node stands for it, so a drive's root folder adds nothing. When a
  // folder on the path has no key (it has gone), nothing of the path is
  // added and the result is false. New nodes are appended to `added` in
  // the order they were made, parents first.
  bool AddFolderPath(const std::string& path, const FolderKeyFunction& key_of,
                     std::vector<int>* added = nullptr);

  // Adds the folders of every line of a cache file's text. A line whose
  // folder has gone is passed over and the lines after it still count: one
  // deleted folder must not hide all the others.
  void AddCacheText(const std::string& bytes, const FolderKeyFunction& key_of,
                    std::vector<int>* added = nullptr);

  // The live node with this key, letter case ignored; -1 when none.
  int Find(std::string_view key) const;

  // Removes a folder node and every node below it; the indices removed are
  // appended to `removed`. The drive node is never removed.
  void Remove(int node, std::vector<int>* removed = nullptr);

  // The node's texts from the drive node down, joined by "\".
  std::string FullPath(int node) const;

  // The cache file's text: each live node without children, in the order
  // the nodes were added, ended by CR LF.
  std::string CacheText() const;

  int size() const { return static_cast<int>(nodes_.size()); }
  const FolderNode& node(int i) const { return nodes_[static_cast<std::size_t>(i)]; }

 private:
  int FindUpper(const std::string& upper_key) const;

  std::vector<FolderNode> nodes_;
  std::unordered_map<std::string, int> by_key_;  // upper-case key -> node
  // (parent, upper-case text) -> child: a folder met again under the same
  // parent already has its key, and asking the file system again is slow.
  std::map<std::pair<int, std::string>, int> by_text_;
};

// The cache file's lines that name folders: every line that is not empty.
std::vector<std::string> TreeCacheLines(const std::string& bytes);

// "tree_" + the drive's first character + the filter text's last three
// characters + ".dat": tree_cbat.dat for the batch tree of drive c:.
std::string TreeCacheFileName(std::string_view drive, std::string_view filter_text);

}  // namespace zel

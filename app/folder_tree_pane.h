// The folder tree pane `TreeView1`: one drive node and the folder nodes
// below it, shown from the model of core/foldertree.h. The main window owns
// the pane and decides when the tree is reset, loaded, extended or saved.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "core/foldertree.h"

namespace zel {

class FolderTreePane {
 public:
  explicit FolderTreePane(HWND tree) : tree_(tree) {}

  // `ResetFolderTree`: the drive node alone, expanded.
  void Reset(const std::string& drive);
  // `AddFolderPath`: the path's folders below the drive node. False when a
  // folder on the path has gone (nothing is added).
  bool AddFolderPath(const std::string& path);
  // AddFolderPath for each, the tree drawn once at the end.
  void AddFolderPaths(const std::vector<std::string>& paths);
  // Reset, then the folders of the cache file; a missing file leaves the
  // drive node alone.
  void LoadCache(const std::string& drive, const std::string& file);
  // Writes the leaves to the cache file whole, or leaves the old file.
  bool SaveCache(const std::string& file) const;

  struct Node {
    std::string key, text;
  };
  // The node an item of the tree stands for.
  std::optional<Node> NodeOf(HTREEITEM item) const;
  // Selects the node with this key (letter case ignored) and scrolls it
  // into view. False when there is none.
  bool Select(const std::string& key);
  bool Has(const std::string& key) const { return model_.Find(key) >= 0; }
  // Removes the folder node with this key and all below it, selecting its
  // parent first; the parent's key. Nothing when no folder node has it.
  std::optional<std::string> Hide(const std::string& key);

  const std::string& drive() const { return drive_; }
  const FolderTree& model() const { return model_; }

 private:
  void Show(const std::vector<int>& added);

  HWND tree_;
  std::string drive_;
  FolderTree model_;
  std::vector<HTREEITEM> items_;  // by node index
};

}  // namespace zel

#include "app/folder_tree_pane.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/folder_walk.h"
#include "platform/wstr.h"

namespace zel {

namespace {

// Pictures of the tree's image list: a drive, a closed and an open folder.
constexpr int kDriveImage = 0, kFolderImage = 1, kOpenFolderImage = 2;

std::optional<std::string> KeyOf(const std::string& parent, const std::string& name) {
  return FolderKeyOf(parent, name);
}

}  // namespace

void FolderTreePane::Reset(const std::string& drive) {
  TreeView_DeleteAllItems(tree_);
  items_.clear();
  drive_ = drive;
  model_.Reset(drive);
  Show({0});
}

bool FolderTreePane::AddFolderPath(const std::string& path) {
  std::vector<int> added;
  const bool ok = model_.AddFolderPath(path, KeyOf, &added);
  Show(added);
  return ok;
}

void FolderTreePane::AddFolderPaths(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  std::vector<int> added;
  for (const std::string& p : paths) model_.AddFolderPath(p, KeyOf, &added);
  if (added.empty()) return;
  SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
  Show(added);
  SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(tree_, nullptr, TRUE);
}

void FolderTreePane::LoadCache(const std::string& drive, const std::string& file) {
  SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
  Reset(drive);
  std::string bytes;
  if (ReadWholeFile(file, bytes)) {
    std::vector<int> added;
    model_.AddCacheText(bytes, KeyOf, &added);
    Show(added);
  }
  SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(tree_, nullptr, TRUE);
}

bool FolderTreePane::SaveCache(const std::string& file) const {
  return WriteFileAtomic(file, model_.CacheText());
}

void FolderTreePane::Show(const std::vector<int>& added) {
  // New nodes go in last; each parent's children are sorted once
  // afterwards. Sorting while inserting compares each new node with all
  // its brothers, and a search adds thousands under one folder.
  std::vector<int> parents;
  for (int index : added) {
    const FolderNode& n = model_.node(index);
    if (items_.size() < static_cast<std::size_t>(index) + 1) items_.resize(index + 1, nullptr);
    std::wstring text = Wide(n.text);
    TVINSERTSTRUCTW ins{};
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    ins.item.pszText = text.data();
    ins.item.lParam = index;
    if (n.parent < 0) {
      ins.hParent = TVI_ROOT;
      ins.item.iImage = ins.item.iSelectedImage = kDriveImage;
    } else {
      ins.hParent = items_[static_cast<std::size_t>(n.parent)];
      ins.item.iImage = kFolderImage;
      ins.item.iSelectedImage = kOpenFolderImage;
      parents.push_back(n.parent);
    }
    items_[static_cast<std::size_t>(index)] = TreeView_InsertItem(tree_, &ins);
  }
  std::sort(parents.begin(), parents.end());
  parents.erase(std::unique(parents.begin(), parents.end()), parents.end());
  for (int parent : parents) {
    HTREEITEM item = items_[static_cast<std::size_t>(parent)];
    // A folder's children are sorted by name; the drive's keep the order in
    // which they came.
    if (parent != 0) TreeView_SortChildren(tree_, item, FALSE);
    TreeView_Expand(tree_, item, TVE_EXPAND);
  }
}

std::optional<FolderTreePane::Node> FolderTreePane::NodeOf(HTREEITEM item) const {
  if (!item) return std::nullopt;
  TVITEMW tv{};
  tv.mask = TVIF_PARAM | TVIF_HANDLE;
  tv.hItem = item;
  if (!TreeView_GetItem(tree_, &tv)) return std::nullopt;
  const int index = static_cast<int>(tv.lParam);
  if (index < 0 || index >= model_.size() || model_.node(index).removed ||
      items_[static_cast<std::size_t>(index)] != item)
    return std::nullopt;
  return Node{model_.node(index).key, model_.node(index).text};
}

bool FolderTreePane::Select(const std::string& key) {
  const int index = model_.Find(key);
  if (index < 0) return false;
  HTREEITEM item = items_[static_cast<std::size_t>(index)];
  TreeView_SelectItem(tree_, item);
  TreeView_EnsureVisible(tree_, item);
  return true;
}

std::optional<std::string> FolderTreePane::Hide(const std::string& key) {
  const int index = model_.Find(key);
  if (index <= 0) return std::nullopt;
  const int parent = model_.node(index).parent;
  TreeView_SelectItem(tree_, items_[static_cast<std::size_t>(parent)]);
  TreeView_DeleteItem(tree_, items_[static_cast<std::size_t>(index)]);
  std::vector<int> removed;
  model_.Remove(index, &removed);
  for (int r : removed) items_[static_cast<std::size_t>(r)] = nullptr;
  return model_.node(parent).key;
}

}  // namespace zel

#include "app/folder_tree_pane.h"

#include "platform/files.h"
#include "platform/folder_walk.h"
#include "platform/wstr.h"

namespace zel {

namespace {

// Pictures of the tree's image list: a drive, a closed and an open folder.
constexpr int kDriveImage = 0, kFolderImage = 1, kOpenFolderImage = 2;

std::optional<std::string> KeyOf(const std::string& path) { return FolderKeyPath(path); }

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
  for (int index : added) {
    const FolderNode& n = model_.node(index);
    if (items_.size() < static_cast<std::size_t>(index) + 1) items_.resize(index + 1, nullptr);
    std::wstring text = Wide(n.text);
    TVINSERTSTRUCTW ins{};
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    ins.item.pszText = text.data();
    ins.item.lParam = index;
    if (n.parent < 0) {
      ins.hParent = TVI_ROOT;
      ins.hInsertAfter = TVI_LAST;
      ins.item.iImage = ins.item.iSelectedImage = kDriveImage;
    } else {
      ins.hParent = items_[static_cast<std::size_t>(n.parent)];
      // A folder's children are sorted by name; the drive's keep the order
      // in which they came.
      ins.hInsertAfter = n.parent == 0 ? TVI_LAST : TVI_SORT;
      ins.item.iImage = kFolderImage;
      ins.item.iSelectedImage = kOpenFolderImage;
    }
    HTREEITEM item = TreeView_InsertItem(tree_, &ins);
    items_[static_cast<std::size_t>(index)] = item;
    if (n.parent >= 0 && ins.hParent) TreeView_Expand(tree_, ins.hParent, TVE_EXPAND);
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

#include "core/foldertree.h"

#include "core/linereader.h"
#include "core/text.h"
#include "core/words.h"

namespace zel {

void FolderTree::Reset(const std::string& drive) {
  nodes_.clear();
  by_key_.clear();
  by_text_.clear();
  FolderNode root;
  root.key = drive;
  root.text = drive;
  nodes_.push_back(root);
  by_key_[AsciiUpper(drive)] = 0;
}

bool FolderTree::AddFolderPath(const std::string& path, const FolderKeyFunction& key_of,
                               std::vector<int>* added) {
  if (nodes_.empty()) return false;
  std::vector<std::string> parts = SplitFields(path, '\\');
  // Each folder's key is worked out before anything is added, so a path
  // with a folder that has gone leaves no part of itself behind.
  // A key holds the whole path above it, so a copy of it costs as much as
  // the path is long: keys are moved into their node, never copied, and
  // only the key index keeps one of its own.
  struct Step {
    std::string key, text;  // key: only for a node still to be made
    int existing;
  };
  std::vector<Step> steps;
  steps.reserve(parts.size());
  int cursor = 0;
  const std::string* cursor_key = &nodes_[0].key;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    std::string& part = parts[i];
    if (part.empty()) continue;  // "c:\\x": the doubled "\" names no folder
    if (part == "." || part == "..") return false;
    if (cursor >= 0) {
      auto known = by_text_.find({cursor, AsciiUpper(part)});
      if (known != by_text_.end()) {
        cursor = known->second;
        cursor_key = &nodes_[static_cast<std::size_t>(cursor)].key;
        steps.push_back({std::string(), std::move(part), cursor});
        continue;
      }
    }
    std::optional<std::string> k = key_of(*cursor_key, part);
    if (!k || k->empty()) return false;
    MakeAsciiUpper(*k);
    cursor = FindUpper(*k);  // -1: a node still to be made
    if (cursor >= 0) {
      cursor_key = &nodes_[static_cast<std::size_t>(cursor)].key;
      steps.push_back({std::string(), std::move(part), cursor});
    } else {
      steps.push_back({std::move(*k), std::move(part), -1});
      cursor_key = &steps.back().key;  // steps never grow past their reserve
    }
  }
  int parent = 0;
  for (Step& s : steps) {
    if (s.existing >= 0) {
      parent = s.existing;
      continue;
    }
    // Keys stay unique even where two parts of one path come to one key.
    int again = FindUpper(s.key);
    if (again >= 0) {
      parent = again;
      continue;
    }
    const int index = static_cast<int>(nodes_.size());
    by_key_.emplace(s.key, index);
    by_text_[{parent, AsciiUpper(s.text)}] = index;
    FolderNode n;
    n.key = std::move(s.key);
    n.text = std::move(s.text);
    n.parent = parent;
    nodes_.push_back(std::move(n));
    ++nodes_[static_cast<std::size_t>(parent)].children;
    if (added) added->push_back(index);
    parent = index;
  }
  return true;
}

void FolderTree::AddCacheText(const std::string& bytes, const FolderKeyFunction& key_of,
                              std::vector<int>* added) {
  for (const std::string& line : TreeCacheLines(bytes)) AddFolderPath(line, key_of, added);
}

int FolderTree::Find(std::string_view key) const { return FindUpper(AsciiUpper(key)); }

// Keys of a long path are long and every step of a path is looked up, so a
// key already in upper case is not made again.
int FolderTree::FindUpper(const std::string& upper_key) const {
  auto it = by_key_.find(upper_key);
  return it == by_key_.end() ? -1 : it->second;
}

void FolderTree::Remove(int node, std::vector<int>* removed) {
  if (node <= 0 || node >= size() || nodes_[static_cast<std::size_t>(node)].removed) return;
  // Nodes are only ever added after their parents, so one pass in index
  // order finds every descendant.
  std::vector<bool> gone(nodes_.size(), false);
  gone[static_cast<std::size_t>(node)] = true;
  for (std::size_t i = static_cast<std::size_t>(node); i < nodes_.size(); ++i) {
    FolderNode& n = nodes_[i];
    if (n.removed) continue;
    if (i != static_cast<std::size_t>(node) &&
        !(n.parent >= 0 && gone[static_cast<std::size_t>(n.parent)]))
      continue;
    gone[i] = true;
    n.removed = true;
    by_key_.erase(AsciiUpper(n.key));
    by_text_.erase({n.parent, AsciiUpper(n.text)});
    if (removed) removed->push_back(static_cast<int>(i));
  }
  const int parent = nodes_[static_cast<std::size_t>(node)].parent;
  if (parent >= 0) --nodes_[static_cast<std::size_t>(parent)].children;
}

std::string FolderTree::FullPath(int node) const {
  std::vector<const std::string*> texts;
  for (int i = node; i >= 0; i = nodes_[static_cast<std::size_t>(i)].parent)
    texts.push_back(&nodes_[static_cast<std::size_t>(i)].text);
  std::string out;
  for (auto it = texts.rbegin(); it != texts.rend(); ++it) {
    if (!out.empty()) out += '\\';
    out += **it;
  }
  return out;
}

std::string FolderTree::CacheText() const {
  std::string out;
  for (int i = 0; i < size(); ++i) {
    const FolderNode& n = nodes_[static_cast<std::size_t>(i)];
    if (n.removed || n.children > 0) continue;
    out += FullPath(i);
    out += "\r\n";
  }
  return out;
}

std::vector<std::string> TreeCacheLines(const std::string& bytes) {
  std::vector<std::string> lines;
  for (std::string& line : SplitLines(bytes))
    if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

std::string TreeCacheFileName(std::string_view drive, std::string_view filter_text) {
  return "tree_" + LeftChars(drive, 1) + RightChars(filter_text, 3) + ".dat";
}

}  // namespace zel

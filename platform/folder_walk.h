// The folder tree's and the folder search's file-system side over Win32:
// folder keys and a lean one-enumeration-per-folder listing.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/foldersearch.h"

namespace zel {

// The key of an existing folder: its short (8.3) path in upper case. Where
// the file system keeps no short names, or a short name does not lead back
// to this one folder (Wine makes short names from a hash of the long name,
// and two names can meet), the long path in upper case: a key must name
// one folder, and the same one at every start. Nothing when the folder does
// not exist.
std::optional<std::string> FolderKeyPath(const std::string& path);

// The key of the folder `name` in the folder whose key is `parent_key`, as
// FolderKeyPath gives it for their joined path. A name that is already a
// short name of plain letters and digits is its own short name, so the
// key follows without asking the file system for names: Wine reads a
// whole folder to answer that, and a search adds thousands of folders.
std::optional<std::string> FolderKeyOf(const std::string& parent_key, const std::string& name);

// The search's file system. Names code page 932 cannot hold are given as
// their short names, or left out when they have none that it can.
// Folders that are reparse points (junctions, symbolic links) are passed
// over: they lead to folders found elsewhere, or round in a circle.
class Win32FolderSource : public FolderSource {
 public:
  Win32FolderSource() = default;
  ~Win32FolderSource() override;
  Win32FolderSource(const Win32FolderSource&) = delete;
  Win32FolderSource& operator=(const Win32FolderSource&) = delete;

  ListResult ListFolder(const std::string& folder, const std::string& extension,
                        std::vector<FolderEntry>& folders, std::vector<DirEntry>& files) override;
  std::unique_ptr<ByteSource> OpenRead(const std::string& path) override;
  // Breaks off the listing or read the searching thread waits on.
  void Abort() override;

 private:
  void NoteThread();
  std::atomic<void*> thread_{nullptr};  // the searching thread's handle
};

// Why a drive's root folder cannot be entered.
enum class DriveProblem { kNone, kNotReady, kBadName, kOther };

// Makes the drive (its root folder) the process's working folder.
DriveProblem EnterDrive(const std::string& drive);

}  // namespace zel

// The folder search on a worker thread. A whole drive takes minutes on a
// real disk; the window stays the one thread that touches controls and the
// tree, and the worker only walks the disk and hands over what it finds: it
// posts a progress message when there is something new, at most every
// 50 ms, and a done message at its end. Both carry the search's serial number in wParam, so
// a message left over from an earlier search is known as such.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/foldersearch.h"

namespace zel {

// The file system a search reads: Windows' own, unless a test has put
// another in its place (null puts Windows' back).
using FolderSourceFactory = std::function<std::unique_ptr<FolderSource>()>;
void SetFolderSourceFactory(FolderSourceFactory factory);
std::unique_ptr<FolderSource> MakeFolderSource();

// What the window has shown of a search, and what the search belongs to.
struct SearchShown {
  std::string text;         // the found-folders text: each folder and CR LF
  std::string unshown;      // the end of `text` that Text1 does not show yet
  int text1_length = -1;    // Text1's length when it last showed `text`
  std::chrono::steady_clock::time_point shown_at{};
  std::string cache_path;   // the cache of the tree the search fills
  bool tree_was_reset = false;
  bool done = false;        // the worker's done message has come
};

class FolderSearchRunner : private SearchObserver {
 public:
  static constexpr UINT kProgressMessage = WM_APP + 40;
  static constexpr UINT kDoneMessage = WM_APP + 41;
  // The window's timer that goes on showing what was found: a timer comes
  // only when no input waits, so the user goes first.
  static constexpr UINT_PTR kShowTimer = 0x5EA7;
  // Runs while a search does: a search held up in one folder (a slow
  // network share) posts nothing, and the panel must still say where it is.
  static constexpr UINT_PTR kProgressTimer = 0x5EA8;

  // Starts the search of `start` for the filter index at once.
  FolderSearchRunner(HWND notify, WPARAM serial, std::unique_ptr<FolderSource> source,
                     std::string start, int filter_index);
  // Asks the worker to stop and waits for it.
  ~FolderSearchRunner();
  FolderSearchRunner(const FolderSearchRunner&) = delete;
  FolderSearchRunner& operator=(const FolderSearchRunner&) = delete;

  WPARAM serial() const { return serial_; }
  // Asks the worker to stop at its next folder, file or read.
  void Cancel();
  // Waits for the worker to end (after Cancel, or for a done message).
  void Wait();
  // Waits at most `bound` for the worker to end; true when it has. A read
  // held up by a stalled network drive may not end when asked to.
  bool WaitFor(std::chrono::milliseconds bound);
  bool Finished();

  struct Progress {
    std::vector<std::string> found;  // handed over by this Take
    bool more_found = false;         // found and not handed over yet
    std::string reading;             // the path read last
    std::size_t folders_read = 0, folders_found = 0;
    bool done = false;
    SearchSummary summary;           // once done
  };
  // What the worker has to hand over now: at most `most` of the folders
  // found, the first first. Each is handed over once.
  Progress Take(std::size_t most);

 private:
  bool Cancelled() override { return cancel_.load(std::memory_order_relaxed); }
  void Reading(const std::string& path, std::size_t folders_read,
               std::size_t folders_found) override;
  void Found(const std::string& folder) override;
  void Post();

  HWND notify_;
  WPARAM serial_;
  std::unique_ptr<FolderSource> source_;
  std::atomic<bool> cancel_{false};
  std::atomic<bool> posted_{false};  // a progress message is on its way
  std::chrono::steady_clock::time_point last_post_{};
  std::mutex mutex_;
  std::condition_variable ended_;  // state_.done became true
  Progress state_;  // guarded by mutex_
  std::deque<std::string> found_;  // guarded by mutex_
  std::thread worker_;
};

}  // namespace zel

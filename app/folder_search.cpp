#include "app/folder_search.h"

#include "platform/folder_walk.h"

namespace zel {

namespace {

FolderSourceFactory& Factory() {
  static FolderSourceFactory factory;
  return factory;
}

// The path being read changes thousands of times a second; the window
// shows it often enough to be seen moving, and no more.
constexpr std::chrono::milliseconds kProgressInterval{50};
}  // namespace

void SetFolderSourceFactory(FolderSourceFactory factory) { Factory() = std::move(factory); }

std::unique_ptr<FolderSource> MakeFolderSource() {
  if (Factory()) return Factory()();
  return std::make_unique<Win32FolderSource>();
}

FolderSearchRunner::FolderSearchRunner(HWND notify, WPARAM serial,
                                       std::unique_ptr<FolderSource> source, std::string start,
                                       int filter_index)
    : notify_(notify), serial_(serial), source_(std::move(source)) {
  worker_ = std::thread([this, start = std::move(start), filter_index] {
    const SearchSummary summary = SearchFolders(*source_, start, filter_index, *this);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      state_.done = true;
      state_.summary = summary;
      state_.folders_read = summary.folders_read;
      state_.folders_found = summary.folders_found;
    }
    ended_.notify_all();
    PostMessageW(notify_, kDoneMessage, serial_, 0);
  });
}

FolderSearchRunner::~FolderSearchRunner() {
  Cancel();
  Wait();
}

void FolderSearchRunner::Cancel() {
  cancel_.store(true);
  source_->Abort();
}

void FolderSearchRunner::Wait() {
  if (worker_.joinable()) worker_.join();
}

bool FolderSearchRunner::WaitFor(std::chrono::milliseconds bound) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!ended_.wait_for(lock, bound, [this] { return state_.done; })) return false;
  }
  Wait();  // the worker only posts its message after this point
  return true;
}

bool FolderSearchRunner::Finished() {
  std::lock_guard<std::mutex> lock(mutex_);
  return state_.done;
}

FolderSearchRunner::Progress FolderSearchRunner::Take(std::size_t most) {
  // Cleared before the state is read: whatever comes after this point
  // posts a message of its own.
  posted_.store(false);
  std::lock_guard<std::mutex> lock(mutex_);
  Progress out;
  while (!found_.empty() && out.found.size() < most) {
    out.found.push_back(std::move(found_.front()));
    found_.pop_front();
  }
  out.more_found = !found_.empty();
  out.reading = state_.reading;
  out.folders_read = state_.folders_read;
  out.folders_found = state_.folders_found;
  out.done = state_.done;
  out.summary = state_.summary;
  return out;
}

void FolderSearchRunner::Reading(const std::string& path, std::size_t folders_read,
                                 std::size_t folders_found) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    state_.reading = path;
    state_.folders_read = folders_read;
    state_.folders_found = folders_found;
  }
  Post();
}

void FolderSearchRunner::Found(const std::string& folder) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    found_.push_back(folder);
    ++state_.folders_found;
  }
  Post();
}

void FolderSearchRunner::Post() {
  const auto t = std::chrono::steady_clock::now();
  if (t - last_post_ < kProgressInterval) return;
  if (posted_.exchange(true)) return;  // the window has not taken the last one yet
  last_post_ = t;
  if (!PostMessageW(notify_, kProgressMessage, serial_, 0)) posted_.store(false);
}

}  // namespace zel

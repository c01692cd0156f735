#include "app/list_prefetch.h"

#include <windows.h>

#include <exception>
#include <system_error>
#include <thread>

#include "platform/files.h"

namespace zel {

struct ListPrefetch::Shared {
  HANDLE done = nullptr;  // set once `listing` is complete
  bool listed = false;    // false when the worker could not finish it
  FileListing listing;
  ~Shared() {
    if (done) CloseHandle(done);
  }
};

namespace {

bool IsFullPath(const std::string& folder) {
  return folder.size() >= 3 && folder[1] == ':' && folder[2] == '\\';
}

}  // namespace

ListPrefetch::ListPrefetch(const std::string& folder, int filter_index)
    : folder_(folder), filter_index_(filter_index) {
  if (!IsFullPath(folder)) return;
  auto shared = std::make_shared<Shared>();
  shared->done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!shared->done) return;
  try {
    std::thread([shared, folder, filter_index] {
      try {
        Win32FileSystem fs;
        shared->listing = BuildFileList(fs, folder, filter_index);
        shared->listed = true;
      } catch (const std::exception&) {
        // Out of memory, say: the window lists in place and meets it there.
      }
      SetEvent(shared->done);
    }).detach();
  } catch (const std::system_error&) {
    return;  // no worker: the window lists in place
  }
  shared_ = std::move(shared);
}

ListPrefetch::~ListPrefetch() = default;

std::optional<FileListing> ListPrefetch::Take(const std::string& folder, int filter_index) {
  std::shared_ptr<Shared> shared = std::move(shared_);
  if (!shared || folder != folder_ || filter_index != filter_index_) return std::nullopt;
  if (WaitForSingleObject(shared->done, INFINITE) != WAIT_OBJECT_0 || !shared->listed)
    return std::nullopt;
  return std::move(shared->listing);
}

}  // namespace zel

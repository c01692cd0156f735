// The first listing of a start, read on a worker thread while the main
// window and its controls are being made. Opening and reading the first
// lines of a few hundred batches and making some forty windows each wait on
// Wine's server for most of their time; side by side they wait together.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/filelist.h"

namespace zel {

class ListPrefetch {
 public:
  // Starts listing `folder` (a full path) with `filter_index`. Nothing is
  // started for a folder that is not a full path.
  ListPrefetch(const std::string& folder, int filter_index);
  // Never waits: a worker still held up in a read (a drive that stalls)
  // ends by itself, and what it found is dropped.
  ~ListPrefetch();
  ListPrefetch(const ListPrefetch&) = delete;
  ListPrefetch& operator=(const ListPrefetch&) = delete;

  // The listing, when it was made for exactly this folder and filter:
  // waits for the worker to end, as listing in place would have. Empty for
  // any other folder or filter, and at a second call; the caller lists.
  std::optional<FileListing> Take(const std::string& folder, int filter_index);

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
  std::string folder_;
  int filter_index_ = 0;
};

}  // namespace zel

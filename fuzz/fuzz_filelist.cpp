// The file list's reading of a file: a batch read to its marker line, an
// environment or layer file to its first line, whatever the bytes.
#include <cstdint>
#include <memory>

#include "core/filelist.h"
#include "fuzz/fuzz_input.h"

using namespace zel;

namespace {

// One folder holding one file with the input's bytes, under each of the
// three patterns.
class OneFile : public FileSystem {
 public:
  OneFile(std::string bytes, std::size_t piece) : bytes_(std::move(bytes)), piece_(piece) {}
  bool ListFiles(const std::string& search, std::vector<DirEntry>& out) override {
    const std::string ext = search.substr(search.size() - 3);
    out.push_back({"a." + ext, true, bytes_.size()});
    return true;
  }
  std::unique_ptr<OpenedFile> OpenRead(const std::string&) override {
    auto f = std::make_unique<OpenedFile>();
    f->bytes = std::make_unique<fuzz::ChunkedSource>(bytes_, piece_);
    f->size = bytes_.size();
    return f;
  }

 private:
  std::string bytes_;
  std::size_t piece_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  OneFile fs(bytes, size % 7 + 1);
  for (int filter : {0, 1, 2}) {
    const FileListing listing = BuildFileList(fs, "C:\\GAIHEN\\", filter);
    fuzz::Require(listing.rows.size() <= 1);
    if (filter != 0) fuzz::Require(listing.rows.size() == (size > 0 ? 1u : 0u));
  }
  return 0;
}

// What the fuzz targets share: the input as bytes, cut into parts, and a
// byte source over a string that hands out short reads, so lines cross read
// boundaries as they do in real files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/linereader.h"

namespace zel::fuzz {

// A check the target makes on what the code under test returned; a
// failure stops the fuzzer like a crash does.
inline void Require(bool holds) {
  if (!holds) std::abort();
}

// The input split at NUL bytes into at most `parts` pieces (the last piece
// keeps any further NUL bytes).
inline std::vector<std::string> Parts(const std::uint8_t* data, std::size_t size,
                                      std::size_t parts) {
  std::string_view s(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> out;
  while (out.size() + 1 < parts) {
    const std::size_t cut = s.find('\0');
    if (cut == std::string_view::npos) break;
    out.emplace_back(s.substr(0, cut));
    s.remove_prefix(cut + 1);
  }
  out.emplace_back(s);
  out.resize(parts);
  return out;
}

class ChunkedSource : public ByteSource {
 public:
  ChunkedSource(std::string bytes, std::size_t piece)
      : bytes_(std::move(bytes)), piece_(piece == 0 ? 1 : piece) {}
  long long Read(char* buf, std::size_t n) override {
    std::size_t k = bytes_.size() - at_;
    if (k > n) k = n;
    if (k > piece_) k = piece_;
    bytes_.copy(buf, k, at_);
    at_ += k;
    return static_cast<long long>(k);
  }

 private:
  std::string bytes_;
  std::size_t piece_;
  std::size_t at_ = 0;
};

}  // namespace zel::fuzz

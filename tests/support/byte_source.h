// A byte source over a string for tests: reads of at most `piece` bytes, so
// lines can span reads, and from byte `fail_at` on every read fails.
#pragma once

#include <algorithm>
#include <string>

#include "core/linereader.h"

namespace zel::test {

class StringSource : public ByteSource {
 public:
  explicit StringSource(std::string bytes, std::size_t fail_at = std::string::npos,
                        std::size_t piece = 4096)
      : bytes_(std::move(bytes)), fail_at_(fail_at), piece_(piece) {}
  long long Read(char* buf, std::size_t n) override {
    if (at_ >= fail_at_) return -1;
    std::size_t k = std::min({n, piece_, bytes_.size() - at_, fail_at_ - at_});
    std::copy_n(bytes_.data() + at_, k, buf);
    at_ += k;
    return static_cast<long long>(k);
  }

 private:
  std::string bytes_;
  std::size_t fail_at_;
  std::size_t piece_;
  std::size_t at_ = 0;
};

}  // namespace zel::test
